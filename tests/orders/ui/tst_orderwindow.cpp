#include "../../app/MainWindowFixture.h"
#include "FakeOrderChooser.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "app/TForm1.h"
#include "numbering/Sequence.h"
#include "orders/OrderFile.h"
#include "orders/OrderHooksBinding.h"
#include "orders/ui/TForm4.h"
#include "photos/NumberedPhotos.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace mf;

namespace {

const QColor kLightRed(255, 200, 200);

// The window over a project whose numbered photo folder holds photos 1 to 10.
struct OrderWindow {
    QTemporaryDir dir;
    FakeServices fakes;
    FakeOrderChooser chooser;
    ProjectState project;
    std::unique_ptr<TForm4> form;

    OrderWindow()
    {
        project.titleText = kTitle;
        project.programFolder = dir.path() + QStringLiteral("/program/");
        project.projectName = QStringLiteral("2年1組");
        project.saveFolder = dir.path() + QStringLiteral("/save");
        project.filePrefix = QStringLiteral("A");
        QDir().mkpath(project.programFolder);
        for (int n = 1; n <= 10; ++n)
            testfiles::writeFile(
                sequentialFilePath(sequenceFolderOf(project.saveFolder), project.filePrefix, n),
                "jpg");
        form = std::make_unique<TForm4>(project, fakes.services, chooser);
        open();
    }
    void open()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    template <typename T = QWidget> T *child(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QTableView *grid(const char *name) const { return child<QTableView>(name); }
    static QWidget *focus() { return QApplication::focusWidget(); }
    static void key(Qt::Key k) { QTest::keyClick(focus(), k); }
    static void type(const QString &text) { QTest::keyClicks(focus(), text); }
    // An order as a typist enters it: number, Enter, price, Enter, each photo and Enter,
    // Enter on the empty cell, Enter on "入力". An empty price keeps the one shown.
    void enterByKeyboard(const QString &orderer, const QString &price, const QStringList &photos)
    {
        QCOMPARE(focus(), child("Edit1"));
        type(orderer);
        key(Qt::Key_Return);
        QCOMPARE(focus(), child("Edit2"));
        if (!price.isEmpty())
            type(price); // over the price shown: the field selects it as the focus comes
        key(Qt::Key_Return);
        for (const QString &p : photos) {
            QVERIFY(focus());
            QCOMPARE(focus()->parentWidget(), grid("StringGrid1")->viewport());
            type(p);
            key(Qt::Key_Return);
        }
        key(Qt::Key_Return);
        QCOMPARE(focus(), child("BitBtn1"));
        key(Qt::Key_Return);
    }
    QString cell(int row, int column) const
    {
        return grid("StringGrid2")->model()->index(row - 1, column).data().toString();
    }
    QString heading(int column) const
    {
        return grid("StringGrid2")->model()->headerData(column, Qt::Horizontal).toString();
    }
    QString orderFile() const { return project.programFolder + QStringLiteral("2年1組.csv"); }
};

} // namespace

class OrderWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void layout()
    {
        OrderWindow w;
        QCOMPARE(w.form->windowTitle(), kTitle);
        QCOMPARE(w.form->size(), QSize(kOrderWindowWidth, kOrderWindowHeight));
        w.form->resize(900, 700);
        QCOMPARE(w.form->size(), QSize(kOrderWindowWidth, 700));
        QCOMPARE(w.child<QAbstractButton>("BitBtn2")->x(), kOrderWindowWidth - 124);
        QCOMPARE(w.grid("StringGrid2")->height(), 700 - w.grid("StringGrid2")->y() - 10);
        QCOMPARE(w.grid("StringGrid2")->model()->rowCount(), kMaxOrders);
        QCOMPARE(w.grid("StringGrid2")->accessibleName(), QStringLiteral("StringGrid2"));
        QCOMPARE(w.grid("StringGrid1")->model()->headerData(3, Qt::Vertical).toString(),
                 QStringLiteral("番号"));
        QVERIFY(!w.child("BitBtn7")->isVisible());
        QVERIFY(w.grid("StringGrid1")->model()->flags(w.grid("StringGrid1")->model()->index(0, 0)) &
                Qt::ItemIsEditable);
    }

    // Two orders typed with the keyboard only, one corrected, saved, reloaded and listed.
    void enterCorrectSaveReloadList()
    {
        OrderWindow w;
        // Enter on an empty orderer number stays in the field.
        OrderWindow::key(Qt::Key_Return);
        QCOMPARE(OrderWindow::focus(), w.child("Edit1"));
        w.enterByKeyboard(QStringLiteral("12"), QStringLiteral("300"),
                          {QStringLiteral("3"), QStringLiteral("5")});
        w.enterByKeyboard(QStringLiteral("7"), QString(), {QStringLiteral("0010")});
        QVERIFY(w.fakes.prompter.boxes.isEmpty());
        const OrderTable &t = w.form->table();
        QCOMPARE(t.orderCount, 2);
        QCOMPARE(QStringList({w.cell(1, 1), w.cell(1, 2), w.cell(1, 3), w.cell(1, 4), w.cell(1, 5),
                              w.cell(1, 6), w.cell(2, 4), w.cell(2, 5)}),
                 QStringList({"12", "2", "300", "600", "3", "5", "300", "0010"}));
        QCOMPARE(w.heading(0), QStringLiteral("No.\n2件"));
        QCOMPARE(w.heading(ColPhotoCount), QStringLiteral("注文枚数\n計3枚"));
        QCOMPARE(w.heading(ColTotal), QStringLiteral("合計金額\n計900円"));
        QCOMPARE(w.child<QLineEdit>("Edit2")->text(), QStringLiteral("300")); // kept

        // Correction: the first row loads, a third photo is added, "更新" writes it back.
        QTableView *table = w.grid("StringGrid2");
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(0, 1)).center());
        QCOMPARE(w.child<QLineEdit>("Edit1")->text(), QStringLiteral("12"));
        QCOMPARE(w.child<QAbstractButton>("BitBtn1")->text(), QStringLiteral("更新"));
        QVERIFY(w.child("BitBtn7")->isVisible());
        w.child("Edit1")->setFocus();
        w.enterByKeyboard(QString(), QString(), {QString(), QString(), QStringLiteral("9")});
        QCOMPARE(t.orderCount, 2);
        QCOMPARE(t.row(1).photoCount, QStringLiteral("3"));
        QCOMPARE(t.row(1).photoNumbers[2], QStringLiteral("9"));
        QCOMPARE(w.heading(ColTotal), QStringLiteral("合計金額\n計1200円"));
        QCOMPARE(w.child<QAbstractButton>("BitBtn1")->text(), QStringLiteral("入力"));

        // Save to the project's order file, reload it, list it.
        w.fakes.prompter.expect(Answer::Yes);
        w.child<QAbstractButton>("BitBtn8")->click();
        QCOMPARE(testfiles::readFile(w.orderFile()).left(36),
                 QByteArray("12,3,300,900,3,5,9,,,,,,,,,,,,,,,,,,"));
        QVERIFY(t.saved);
        w.chooser.toOpen = w.orderFile();
        w.child<QAbstractButton>("BitBtn6")->click();
        QCOMPARE(t.orderCount, 2);
        QCOMPARE(w.cell(1, 7), QStringLiteral("9"));
        w.child<QAbstractButton>("BitBtn9")->click();
        const QString list = w.project.programFolder + QStringLiteral("2年1組_注文リスト.txt");
        QCOMPARE(w.fakes.shell.opened, QStringList{list});
        QVERIFY(testfiles::readFile(list).contains(testfiles::sjis(QStringLiteral("1200円\r\n"))));
        QCOMPARE(w.fakes.prompter.texts(), QStringList({msg::orderFileConfirm.arg(w.orderFile()),
                                                        msg::orderFileSaved.arg(w.orderFile())}));
        QVERIFY(!w.fakes.prompter.unexpectedQuestion);
    }

    void closeWithUnsavedOrders_data()
    {
        QTest::addColumn<bool>("priceTyped"); // a new price still waiting for its question
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("written");
        QTest::newRow("Yes saves and closes") << false << int(Answer::Yes) << false << true;
        QTest::newRow("No closes unsaved") << false << int(Answer::No) << false << false;
        QTest::newRow("Cancel stays") << false << int(Answer::Cancel) << true << false;
        QTest::newRow("price first, then Yes") << true << int(Answer::Yes) << false << true;
    }
    void closeWithUnsavedOrders()
    {
        QFETCH(bool, priceTyped);
        QFETCH(int, answer);
        QFETCH(bool, visible);
        QFETCH(bool, written);
        OrderWindow w;
        w.enterByKeyboard(QStringLiteral("1"), QStringLiteral("200"), {QStringLiteral("4")});
        QStringList expected;
        if (priceTyped) {
            w.child("Edit2")->setFocus();
            OrderWindow::type(QStringLiteral("2000"));
            QVERIFY(w.form->priceTimer()->isActive());
            w.fakes.prompter.expect(Answer::Yes);
            expected << msg::applyPrice.arg(2000);
        }
        w.fakes.prompter.expect(Answer(answer));
        expected << msg::unsavedOrders;
        if (written) {
            w.fakes.prompter.expect(Answer::Yes);
            expected << msg::orderFileConfirm.arg(w.orderFile())
                     << msg::orderFileSaved.arg(w.orderFile());
        }
        OrderWindow::key(Qt::Key_Escape);
        QCOMPARE(w.fakes.prompter.texts(), expected);
        QCOMPARE(w.fakes.prompter.boxes.first().caption, kTitle);
        QCOMPARE(w.form->isVisible(), visible);
        QVERIFY(!w.form->priceTimer()->isActive());
        QCOMPARE(QFileInfo::exists(w.orderFile()), written);
        if (written)
            QVERIFY(testfiles::readFile(w.orderFile())
                        .startsWith(priceTyped ? "1,1,2000,2000,4," : "1,1,200,200,4,"));
        // Hidden, not emptied: the next showing finds the orders.
        QCOMPARE(w.form->table().orderCount, 1);
        QVERIFY(!w.fakes.prompter.unexpectedQuestion);
    }

    // The price question never opens over another box; it follows once that box is gone.
    void priceTimerWaitsForOtherBoxes()
    {
        OrderWindow w;
        w.enterByKeyboard(QStringLiteral("1"), QStringLiteral("200"), {QStringLiteral("4")});
        w.child("Edit2")->setFocus();
        OrderWindow::type(QStringLiteral("2005"));
        QTimer *timer = w.form->priceTimer();
        const int firstRemaining = timer->remainingTime();
        QTest::qWait(20);
        OrderWindow::type(QStringLiteral("0")); // later keystrokes do not restart the wait
        QVERIFY(timer->remainingTime() < firstRemaining);

        auto *box = new QMessageBox(QMessageBox::NoIcon, kTitle, QStringLiteral("x"),
                                    QMessageBox::Ok, w.form.get());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        QTRY_COMPARE(QApplication::activeModalWidget(), box);
        w.form->Timer1Timer();
        QVERIFY(w.fakes.prompter.boxes.isEmpty());
        QVERIFY(timer->isActive());
        box->close();
        w.fakes.prompter.expect(Answer::Yes);
        QTRY_COMPARE(w.fakes.prompter.texts(), QStringList{msg::applyPrice.arg(20050)});
        QCOMPARE(w.form->table().row(1).total, QStringLiteral("20050"));
        QVERIFY(!timer->isActive());
    }

    // Prices typed order after order, however the focus came back to the field: a real box for
    // each price question takes the focus and gives it back, as on the desktop. Each typed price
    // replaces the one shown.
    void priceTypedOverTheLastOne()
    {
        OrderWindow w;
        w.fakes.prompter.whileAsking = [&w] {
            QMessageBox box(QMessageBox::Question, kTitle, QStringLiteral("?"),
                            QMessageBox::Yes | QMessageBox::No, w.form.get());
            QTimer::singleShot(0, &box, [&box] { box.done(QMessageBox::No); });
            box.exec();
            // The window manager gives the activation back to the window under the box.
            QApplication::setActiveWindow(w.form.get());
        };
        w.enterByKeyboard(QStringLiteral("1"), QStringLiteral("200"), {QStringLiteral("4")});
        w.fakes.prompter.expect(Answer::No);
        w.enterByKeyboard(QStringLiteral("2"), QStringLiteral("300"), {QStringLiteral("5")});
        w.fakes.prompter.expect(Answer::No);
        w.enterByKeyboard(QStringLiteral("3"), QStringLiteral("400"), {QStringLiteral("6")});
        const OrderTable &t = w.form->table();
        QCOMPARE(t.orderCount, 3);
        QCOMPARE(QStringList({t.row(1).unitPrice, t.row(2).unitPrice, t.row(3).unitPrice}),
                 QStringList({"200", "300", "400"}));
        QCOMPARE(w.fakes.prompter.texts(),
                 QStringList({msg::applyPrice.arg(300), msg::applyPrice.arg(400)}));
    }

    // A photo number with no file is marked as the cell is left; the order still enters.
    void missingPhotoMarked()
    {
        OrderWindow w;
        w.child("Edit1")->setFocus();
        OrderWindow::type(QStringLiteral("3"));
        OrderWindow::key(Qt::Key_Return);
        OrderWindow::type(QStringLiteral("100"));
        OrderWindow::key(Qt::Key_Return);
        for (const char *p : {"10", "11", "0"}) {
            OrderWindow::type(QString::fromLatin1(p));
            OrderWindow::key(Qt::Key_Return);
        }
        const QAbstractItemModel *m = w.grid("StringGrid1")->model();
        auto colour = [m](int column) {
            return m->index(0, column).data(Qt::BackgroundRole).value<QColor>();
        };
        QVERIFY(colour(0) != kLightRed);
        QCOMPARE(colour(1), kLightRed);
        QCOMPARE(colour(2), kLightRed);
        QCOMPARE(w.child<QLineEdit>("Edit3")->text(), QStringLiteral("3"));
        QCOMPARE(w.child<QLineEdit>("Edit4")->text(), QStringLiteral("300"));
        OrderWindow::key(Qt::Key_Return);
        OrderWindow::key(Qt::Key_Return);
        QCOMPARE(w.form->table().orderCount, 1);
        QVERIFY(colour(1) != kLightRed);
    }

    // Bound to the main window as the program binds it: numbering offers only appending,
    // and a new project asks about the unsaved orders first.
    void mainWindowWithOrders()
    {
        MainWindowFixture f;
        f.start();
        TForm1 &main = *f.window;
        ScriptedPrompter &prompter = f.fakes.prompter;
        FakeOrderChooser orderChooser;
        TForm4 orders(main.state(), f.fakes.services, orderChooser, &main);
        main.state().orders = MakeOrderHooks(orders.table(), main.state(), prompter,
                                             [&orders] { orders.tableWasReset(); });
        main.setOrderWindowLinks([] {}, [&orders] { return orders.settleUnsavedOrders(); });
        main.state().projectName = QStringLiteral("遠足");
        main.state().saveFolder = f.path(QStringLiteral("save"));
        orders.table().row(1).ordererNumber = QStringLiteral("1");
        orders.table().orderCount = 1;
        orders.table().saved = false;

        prompter.expect({Answer::Yes, Answer::No});
        main.findChild<QAbstractButton *>(QStringLiteral("BitBtn6"))->click();
        prompter.expect(Answer::Cancel);
        main.findChild<QAbstractButton *>(QStringLiteral("BitBtn9"))->click();
        QCOMPARE(prompter.texts(),
                 QStringList({msg::ordersContinue, msg::ordersAppendOnly, msg::unsavedOrders}));
        QCOMPARE(main.state().projectName, QStringLiteral("遠足"));
        QCOMPARE(orders.table().orderCount, 1);
        prompter.expect(Answer::No);
        main.findChild<QAbstractButton *>(QStringLiteral("BitBtn9"))->click();
        QCOMPARE(orders.table().orderCount, 0);
        QVERIFY(!prompter.unexpectedQuestion);
    }
};

MF_REGISTER_TEST(OrderWindowTest)
#include "tst_orderwindow.moc"
