#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "project/WorkLog.h"
#include "project/ui/TForm8.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using mf::Answer;
using testfiles::readFile;

namespace {
const QByteArray kLog = "a\r\nd0\r\n/prog/project00000.txt\r\n/s0\r\nscode=12_\r\n"
                        "b\r\nd1\r\n/prog/project00001.txt\r\n/s1\r\nscode=\r\n";
const QString kQuestion =
    QStringLiteral("プロジェクト履歴が変更されましたが保存されていません。\n変更を保存しますか？");
} // namespace

class ManagementWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void markCloseAndRewrite()
    {
        QTemporaryDir tmp;
        mf::ProjectState state;
        state.programFolder = tmp.path() + u'/';
        state.titleText = QStringLiteral("Velmora\u3000");
        testfiles::writeFile(state.programFolder + mf::kWorkLogName, kLog);
        FakeServices fakes;
        int rewritten = 0;
        mf::TForm8 window(state, fakes.services, [&] { ++rewritten; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto *grid = window.findChild<QTableView *>(QStringLiteral("StringGrid1"));
        QAbstractItemModel *model = grid->model();
        auto cell = [&](int row, int column) {
            return model->index(row - 1, column).data().toString();
        };
        QCOMPARE(window.windowTitle(), state.titleText);
        QCOMPARE(model->headerData(4, Qt::Horizontal).toString(),
                 QStringLiteral("フォルダリスト定義ファイル"));
        QCOMPARE(grid->columnWidth(5), 250);
        QCOMPARE((QStringList{cell(1, 0), cell(1, 2), cell(1, 4), cell(1, 6), cell(3, 0)}),
                 (QStringList{"1", "a", "project00000.txt", "12", "3"}));

        auto click = [&](int row, int column) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(model->index(row - 1, column)).center());
        };
        fakes.clock.now_ms += 600;
        click(1, 2);
        click(1, 2); // the second click of a double click
        QCOMPARE(cell(1, 1), QStringLiteral("×"));
        fakes.clock.now_ms += 600;
        click(2, 3); // not the name: selects only
        QCOMPARE(cell(2, 1), QString());
        window.findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
        QCOMPARE(cell(2, 1), QStringLiteral("×"));

        fakes.prompter.expect({Answer::Cancel, Answer::No});
        window.close();
        QVERIFY(window.isVisible());
        QCOMPARE(cell(1, 1), QStringLiteral("×"));
        window.close();
        QVERIFY(!window.isVisible());
        QCOMPARE(readFile(state.programFolder + mf::kWorkLogName), kLog);
        QCOMPARE(fakes.prompter.texts(), (QStringList{kQuestion, kQuestion}));
        QCOMPARE(fakes.prompter.boxes[0].buttons, mf::Buttons::YesNoCancel);

        // Shown again: no marks; the rewrite leaves out the marked record and reloads.
        window.show();
        QCOMPARE(cell(1, 1), QString());
        fakes.clock.now_ms += 600;
        click(1, 2);
        // A rewrite that fails (the log went away meanwhile) keeps the marks for a retry.
        const QString log = state.programFolder + mf::kWorkLogName;
        QVERIFY(QFile::rename(log, log + ".away"));
        auto *update = window.findChild<QPushButton *>(QStringLiteral("BitBtn3"));
        update->click();
        QCOMPARE(rewritten, 0);
        QCOMPARE(fakes.prompter.texts().last(),
                 QStringLiteral("worklog.txt　のバックアップが出来なかったので中断します。"));
        QCOMPARE(cell(1, 1), QStringLiteral("×"));
        QVERIFY(QFile::rename(log + ".away", log));
        update->click();
        QCOMPARE(rewritten, 1);
        QCOMPARE(readFile(state.programFolder + mf::kWorkLogName), kLog.mid(kLog.indexOf("b\r\n")));
        QCOMPARE(cell(1, 2), QStringLiteral("b"));
        QCOMPARE(cell(2, 2), QString());
        window.close();
        QVERIFY(!window.isVisible());
        QVERIFY(!fakes.prompter.unexpectedQuestion);
    }
};

MF_REGISTER_TEST(ManagementWindowTest)
#include "tst_managementwindow.moc"
