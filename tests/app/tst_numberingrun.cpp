#include "MainWindowFixture.h"
#include "TestRegistry.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>

using testfiles::readFile;
using testfiles::sjis;

// "連番ファイルの作成" from the button to the saved project, on a project "遠足" set up
// through the window's own commands: two source folders of 3 and 2 photos; and what a killed
// run left, met when the project is opened.
class NumberingRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void run_data()
    {
        QTest::addColumn<QString>("schoolCode");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("escAtPump"); // 0: no Esc
        QTest::newRow("no school code") << ""
                                        << "" << 0;
        QTest::newRow("school code 12") << "12"
                                        << "12_" << 0;
        // The pump runs before each photo: the fifth call comes before the second photo of
        // the second folder.
        QTest::newRow("Esc in the second folder") << ""
                                                  << "" << 5;
    }
    void run()
    {
        QFETCH(QString, schoolCode);
        QFETCH(QString, prefix);
        QFETCH(int, escAtPump);
        MainWindowFixture f;
        f.start();
        const QString first = f.path(QStringLiteral("photos/一組"));
        const QString second = f.path(QStringLiteral("photos/二組"));
        testfiles::makePhotoFolder(first, 3, QStringLiteral("A_"));
        testfiles::makePhotoFolder(second, 2, QStringLiteral("B_"));
        MainWindowFixture::commitText(f.child<QLineEdit>("Edit2"), QStringLiteral("遠足"));
        f.chooser.next = f.path(QStringLiteral("save"));
        QDir().mkpath(f.chooser.next);
        f.child<QAbstractButton>("BitBtn5")->click();
        const QString save = f.path(QStringLiteral("save/遠足"));
        const QString sequence = save + QStringLiteral("/連番フォルダ");
        QCOMPARE(f.child<QLineEdit>("Edit1")->text(), save);
        f.window->Edit3Change(schoolCode);
        f.window->dropPaths({first, second}, f.insideClient());

        mf::TForm7 dialog(kTitle);
        f.window->setStartNumberDialog(&dialog);
        // Typed over the proposal "1" without clearing it: the proposal is selected.
        StartDialogDriver driver(dialog, QStringLiteral("1"), StartDialogDriver::TypeOver);
        f.fakes.prompter.expect(mf::Answer::Yes); // the work log question of the closing save
        bool closedWhileBusy = true;
        bool enabledWhileBusy = true;
        f.fakes.pump.onPump = [&](int call) {
            if (call == 1) {
                // While the copy runs, nothing may close the window, start a second run,
                // empty the list under it or rewrite the work log and project files.
                closedWhileBusy = f.window->close();
                f.child<QAction>("N10")->trigger();
                f.child<QAction>("N6")->trigger();
                f.child<QAction>("C1")->trigger();
                f.child<QAction>("M3")->trigger();
                enabledWhileBusy = f.child("BitBtn6")->isEnabled();
            }
            if (call == escAtPump) {
                QKeyEvent esc(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(f.child("StringGrid1"), &esc);
            }
        };

        f.child<QAbstractButton>("BitBtn6")->click();

        QVERIFY(!closedWhileBusy);
        QVERIFY(!enabledWhileBusy);
        QCOMPARE(driver.proposals, QStringList{"1"});
        // A stopped folder's copies go again: the folder holds what the saved project says.
        const int copied = escAtPump ? 3 : 5;
        const QStringList sources{first + "/A_01.jpg", first + "/A_02.jpg", first + "/A_03.jpg",
                                  second + "/B_01.jpg", second + "/B_02.jpg"};
        auto photo = [&](int n) {
            return sequence + u'/' + prefix + QString::asprintf("%04d.jpg", n);
        };
        QByteArray log;
        for (int n = 1; n <= copied; ++n) {
            QCOMPARE(readFile(photo(n)), readFile(sources[n - 1]));
            log += sjis(QStringLiteral("[%1] %2, %3\r\n")
                            .arg(QString::asprintf("%04d", n), sources[n - 1], photo(n)));
        }
        QVERIFY(!QFile::exists(photo(copied + 1)));
        QCOMPARE(readFile(sequence + QStringLiteral("/連番ファイル変換ログ.txt")), log);
        // A stopped folder keeps no numbers; the one before keeps its own.
        const QStringList numbers{"1", "3", escAtPump ? "" : "4", escAtPump ? "" : "5"};
        QCOMPARE((QStringList{f.cell(1, 8), f.cell(1, 9), f.cell(2, 8), f.cell(2, 9)}), numbers);

        // The run ends with the project saved, numbers and all, and the folder opened.
        const mf::ProjectState &state = f.window->state();
        QStringList texts;
        if (escAtPump)
            texts << QStringLiteral("以下のフォルダが正常にコピー出来ませんでした。"
                                    "処理を中断します。\n\n") +
                         second;
        texts << QStringLiteral(
                     "以下のデータを work_log.txt に保存します。よろしいですか？\n\n"
                     "プロジェクト名\t遠足\n日付\t\t%1\nフォルダ情報\t%2project00000.txt\n"
                     "保存先フォルダ\t%3\n")
                     .arg(state.history.entries[0].savedAt, f.program, save);
        QCOMPARE(f.fakes.prompter.texts(), texts);
        for (const RecordedBox &box : f.fakes.prompter.boxes)
            QCOMPARE(box.caption, kTitle);
        QCOMPARE(readFile(f.program + QStringLiteral("project00000.txt")),
                 sjis(QStringLiteral("0,3,3,3,0,1,3,%1\r\n0,2,2,2,0,%2,%3,%4\r\n")
                          .arg(first, escAtPump ? "0" : "4", escAtPump ? "0" : "5", second)));
        QCOMPARE(f.child<QComboBox>("ComboBox1")->count(), 1);
        QVERIFY(!state.dirty);
        QCOMPARE(f.fakes.shell.opened, QStringList{sequence});
        QVERIFY(f.child("BitBtn6")->isEnabled());
        QVERIFY(f.window->isVisible());
    }

    // Opening a project tells that its last export did not finish and sweeps away what killed
    // copies left in its folders.
    void openingTellsWhatAKilledRunLeft()
    {
        MainWindowFixture f;
        const QString save = f.path(QStringLiteral("save/遠足"));
        testfiles::writeFile(f.program + QStringLiteral("work_log.txt"),
                             sjis(QStringLiteral("遠足\r\n2026/12/08 9:05:07\r\n%1project00000"
                                                 ".txt\r\n%2\r\nscode=\r\n")
                                      .arg(f.program, save)));
        const QString exported = save + QStringLiteral("/注文別画像フォルダ");
        const QStringList leftovers{save + QStringLiteral("/連番フォルダ/.mfcopy-a1b2c3.part"),
                                    exported + QStringLiteral("/0001/.mfcopy-d4e5f6.part")};
        for (const QString &path : leftovers)
            testfiles::writeFile(path, "cut");
        testfiles::writeFile(exported + QStringLiteral("/0001/0001_0001.jpg"), "copied");
        testfiles::writeFile(exported + QStringLiteral("/注文別画像保存中.txt"), "mark");
        f.start();
        Q_EMIT f.child<QComboBox>("ComboBox1")->activated(0);
        QCOMPARE(f.fakes.prompter.texts(),
                 QStringList{QStringLiteral("前回の注文別画像保存が完了していません。\n") +
                             exported +
                             QStringLiteral("\n注文別画像フォルダの写真やサンプル指定が足りない可"
                                            "能性があります。もう一度「注文別に画像保存」を最後"
                                            "まで行うと正しく作り直されます。")});
        for (const QString &path : leftovers)
            QVERIFY2(!QFile::exists(path), qPrintable(path));
        QVERIFY(QFile::exists(exported + QStringLiteral("/0001/0001_0001.jpg")));
    }
};

MF_REGISTER_TEST(NumberingRunTest)
#include "tst_numberingrun.moc"
