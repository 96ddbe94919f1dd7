#include "FakeOrderChooser.h"
#include "Fakes.h"
#include "TestRegistry.h"
#include "export/ui/TForm5.h"
#include "orders/ui/TForm4.h"
#include "project/ui/TForm8.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mf;

// The wide grids keep their row numbers in sight while scrolled sideways.
class FixedColumnTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void numbersStayInSight_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("grid");
        QTest::newRow("order entry") << "TForm4"
                                     << "StringGrid2";
        QTest::newRow("export") << "TForm5"
                                << "StringGrid2";
        QTest::newRow("project management") << "TForm8"
                                            << "StringGrid1";
    }
    void numbersStayInSight()
    {
        QFETCH(QString, window);
        QFETCH(QString, grid);
        QTemporaryDir dir;
        FakeServices fakes;
        FakeOrderChooser chooser;
        ProjectState project;
        project.titleText = QStringLiteral("Velmora\u3000");
        project.programFolder = dir.path() + u'/';
        auto orders = std::make_unique<OrderTable>();
        std::unique_ptr<QWidget> form;
        if (window == "TForm4")
            form = std::make_unique<TForm4>(project, fakes.services, chooser);
        else if (window == "TForm5")
            form = std::make_unique<TForm5>(project, *orders, OutputFormatStatus::Complete,
                                            fakes.services);
        else
            form = std::make_unique<TForm8>(project, fakes.services, [] {});
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto *view = form->findChild<QTableView *>(grid);
        auto *numbers = view->findChild<QTableView *>(QStringLiteral("fixedColumn"));
        QVERIFY(numbers);

        view->verticalScrollBar()->setValue(30);
        QScrollBar *sideways = view->horizontalScrollBar();
        sideways->setValue(sideways->maximum());
        QVERIFY(sideways->value() > view->columnWidth(0)); // the grid's own numbers are gone
        const int row = view->rowAt(view->viewport()->height() / 2);
        QVERIFY(row >= 30);
        const QRect number = numbers->visualRect(numbers->model()->index(row, 0));
        QVERIFY(numbers->isVisible());
        QVERIFY(numbers->viewport()->rect().contains(number.center()));
        QCOMPARE(numbers->mapTo(view, number.topLeft()).x(), view->viewport()->x());
        QCOMPARE(number.top(), view->visualRect(view->model()->index(row, 2)).top());
        QCOMPARE(numbers->columnWidth(0), view->columnWidth(0));
        QCOMPARE(numbers->model()->index(row, 0).data().toString(), QString::number(row + 1));

        // A click on a number selects its row; a window showing a row scrolls to it: both where
        // the grid is, not back at its left edge.
        QTest::mouseClick(numbers->viewport(), Qt::LeftButton, {}, number.center());
        QCOMPARE(view->currentIndex().row(), row);
        view->scrollTo(view->model()->index(row + 100, 0));
        QVERIFY(view->rowAt(0) > row);
        QCOMPARE(sideways->value(), sideways->maximum());
    }
};

MF_REGISTER_TEST(FixedColumnTest)
#include "tst_fixedcolumn.moc"
