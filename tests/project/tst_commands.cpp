#include "ProjectFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "project/FolderList.h"
#include "project/FolderLocks.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFields.h"
#include "project/WorkLog.h"

#include <QDir>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

using namespace mf;
using namespace projecttest;

namespace {
const QString kSetBoth = QStringLiteral("プロジェクト名と保存先フォルダを設定してください。");
const QString kUnsaved =
    QStringLiteral("プロジェクトが変更されましたが保存されていません。\n変更を保存しますか？");
const QString kProjectOpen =
    QStringLiteral("プロジェクトが開かれています。\nプロジェクトを閉じてから行ってください。");
} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One copy per program folder, one numbering or export per save folder: a second holder
    // is refused with a message that names the PC and the lock file, a lock left by a copy
    // that was killed is taken over, and a lock that cannot be made is never taken as held.
    void folderLocks_data()
    {
        QTest::addColumn<bool>("program"); // the program folder, else a save folder
        QTest::addColumn<QString>("before");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("result"); // 1: locked, 0: going on unlocked, -1: refused
        QTest::addColumn<QString>("message");
        const QString running = QStringLiteral("既に起動しています。\n同時に２つ起動する事は出来ま"
                                               "せん。");
        const QString inUse =
            QStringLiteral("以下の保存先フォルダは他で作業中なので使用出来ません。\n{D}\n作業中の"
                           "パソコン　{H}\n\n作業が終わってからもう一度行ってください。作業中で"
                           "ないのにこのメッセージが表示される場合は、保存先フォルダの「Velmora使"
                           "用中.lock」を削除してください。");
        const QString otherPc =
            QStringLiteral("このプログラムフォルダは他のパソコンで使用中なので起動出来ません。\n"
                           "{D}\n使用中のパソコン　studio-pc2\n\nそのパソコンでVelmoraを終了し"
                           "てからもう一度起動してください。そのパソコンで使用していないのにこの"
                           "メッセージが表示される場合（バックアップから戻したフォルダなど）は、"
                           "「{D}/marrowfold.lock」を削除してください。");
        const QString unlockable =
            QStringLiteral("以下の保存先フォルダに使用中の印「Velmora使用中.lock」を作成出来ません"
                           "。\n{D}\n他のパソコンが同じ保存先フォルダで作業していても分からない"
                           "ので、同時に作業すると写真が失われます。\n\n他のパソコンでこの保存先"
                           "フォルダを使用していない事を確かめてから「はい」を選んでください。\n"
                           "このまま続行しますか？");
        const QList<Answer> none;
        for (bool program : {true, false}) {
            const char *what = program ? "program folder, " : "save folder, ";
            QTest::addRow("%sfree", what) << program << "free" << none << 1 << "";
            QTest::addRow("%sheld", what)
                << program << "held" << none << -1 << (program ? running : inUse);
            QTest::addRow("%sleft by a killed copy", what)
                << program << "killed" << none << 1 << "";
            // Another PC's lock, in a shared folder or one restored from a backup: named, with
            // the file that frees it.
            QTest::addRow("%sheld by another PC", what)
                << program << "other PC" << none << -1
                << (program ? otherPc : QString(inUse).replace("{H}", "studio-pc2"));
        }
        QTest::newRow("program folder, no folder") << true << "missing" << none << 0 << "";
        // Where no lock can be made, the operator is asked before going on without one.
        QTest::newRow("save folder, no lock anywhere, stop")
            << false << "missing" << QList<Answer>{Answer::No} << -1 << unlockable;
        QTest::newRow("save folder, no lock anywhere, go on")
            << false << "missing" << QList<Answer>{Answer::Yes} << 0 << unlockable;
        // Read-only, while the folder the run writes is not: locked there.
        QTest::newRow("save folder read-only") << false << "read-only" << none << 1 << "";
    }
    void folderLocks()
    {
        QFETCH(bool, program);
        QFETCH(QString, before);
        QFETCH(QList<Answer>, answers);
        QFETCH(int, result);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString folder = before == "missing" ? dir.filePath("gone") : dir.filePath("save");
        const QString writes = folder + QStringLiteral("/連番フォルダ");
        if (before != "missing")
            QVERIFY(QDir().mkpath(writes));
        const QString name = program ? kProgramLockName : kSaveFolderLockName;
        message.replace("{D}", folder).replace("{H}", QSysInfo::machineHostName());
        auto take = [&](Prompter &prompter) -> std::shared_ptr<void> {
            if (program)
                return claimProgramFolder(folder, kTitleText, prompter);
            return lockSaveFolder(folder, writes, kTitleText, prompter);
        };
        std::unique_ptr<FolderLock> other;
        if (before == "held")
            other = std::make_unique<FolderLock>(folder, name);
        if (before == "other PC")
            testfiles::writeFile(folder + u'/' + name, "4242\nmarrowfold\nstudio-pc2\n");
        if (before == "killed") {
            QCOMPARE(testfiles::runInChild([&] {
                         const FolderLock lock(folder, name);
                         if (lock.status() == FolderLock::Held)
                             raise(SIGKILL);
                         return 1;
                     }),
                     -1);
            QVERIFY(QFile::exists(folder + u'/' + name));
        }
        // 0 when everything went as the row says; the number of the first check that failed.
        auto check = [&]() -> int {
            ScriptedPrompter prompter;
            for (Answer a : answers)
                prompter.expect(a);
            std::shared_ptr<void> lock = take(prompter);
            const bool held =
                program
                    ? lock && static_cast<FolderLock *>(lock.get())->status() == FolderLock::Held
                    : lock && !static_cast<SaveFolderLock *>(lock.get())->held.empty();
            if ((lock ? held ? 1 : 0 : -1) != result)
                return 1;
            if (prompter.texts() != (message.isEmpty() ? QStringList() : QStringList{message}) ||
                prompter.pendingAnswers() != 0)
                return 2;
            for (const RecordedBox &box : prompter.boxes) {
                if (box.caption != kTitleText)
                    return 3;
            }
            if (result != 1)
                return 0;
            ScriptedPrompter second; // refused while held, free again once released
            if (take(second) || second.boxes.size() != 1)
                return 4;
            lock.reset();
            return take(second) ? 0 : 5;
        };
        if (before != "read-only") {
            QCOMPARE(check(), 0);
            return;
        }
        // Root writes anywhere, so the read-only folder is met as an ordinary user.
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        QVERIFY(::chmod(QFile::encodeName(writes).constData(), 0777) == 0);
        const int rc = testfiles::runInChild([&] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return 10;
            return check();
        });
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        if (rc == 10)
            QSKIP("cannot run as an ordinary user here");
        QCOMPARE(rc, 0);
    }

    void startUp_data()
    {
        QTest::addColumn<QByteArray>("def"); // a null array: no file
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("values");
        const QString again =
            QStringLiteral("\n再インストールするかインストールＣＤからコピーしてください。");
        const QString old = QStringLiteral("出力フォーマット設定ファイルが旧版なので"
                                           "注文者毎のフォルダ無し設定は無効になります。");
        const int oldVersion = int(OutputFormatStatus::OldVersion);
        const int complete = int(OutputFormatStatus::Complete);
        QTest::newRow("missing") << QByteArray() << int(OutputFormatStatus::NotFound)
                                 << QStringLiteral(
                                        "出力フォーマット設定ファイルが見つかりません。") +
                                        again
                                 << QStringList();
        QTest::newRow("empty") << QByteArray("") << int(OutputFormatStatus::Damaged)
                               << QStringLiteral("出力フォーマット設定ファイルが壊れています。") +
                                      again
                               << QStringList();
        QTest::newRow("two lines")
            << QByteArray("a\r\nb\r\n") << oldVersion << old << QStringList{"a", "b", "", ""};
        QTest::newRow("line 4 slash")
            << QByteArray("a\nb\nc\n/x\n") << oldVersion << old << QStringList{"a", "b", "c", ""};
        QTest::newRow("line 1 slash")
            << QByteArray("/x\nb\nc\nd\ne\n") << complete << "" << QStringList{"/x", "b", "c", "d"};
        // 510 bytes at most, cut before a character rather than through it.
        QTest::newRow("long, Shift-JIS")
            << testfiles::sjis(QStringLiteral("a\nb\n表%1\nd").arg(QString(600, u'v'))) << complete
            << "" << QStringList{"a", "b", QStringLiteral("表") + QString(508, u'v'), "d"};
    }
    void startUp()
    {
        QFETCH(QByteArray, def);
        QFETCH(int, status);
        QFETCH(QString, box);
        QFETCH(QStringList, values);
        QTemporaryDir tmp;
        if (!def.isNull())
            testfiles::writeFile(tmp.path() + QStringLiteral("/outputFmt.def"), def);
        testfiles::writeFile(tmp.path() + QStringLiteral("/work_log.txt"),
                             "p\r\nd\r\n/f\r\n/s\r\nscode=\r\n");
        ProjectState state;
        state.programFolder = tmp.path() + u'/';
        state.history.count = 5;
        FakeClock clock;
        ScriptedPrompter prompter;
        QCOMPARE(int(mf::startUp(state, prompter, clock)), status);
        QCOMPARE(prompter.texts(), box.isEmpty() ? QStringList() : QStringList{box});
        QVERIFY(allCaptioned(prompter, QString()));
        const bool early = values.isEmpty();
        QCOMPARE(state.titleText, early ? QString() : kTitleText);
        QCOMPARE(state.grid.cell(0, ColPath), early ? QString() : QStringLiteral("フォルダ"));
        QCOMPARE(state.history.count, early ? 0 : 1);
        if (!early)
            QCOMPARE(
                QStringList(state.outputFormat.values.begin(), state.outputFormat.values.end()),
                values);
    }

    // What saves and copies killed half way left in the program folder goes at the next start;
    // everything else there stays.
    void startUpClearsStaleTemporaries()
    {
        const QStringList stale{"work_log.txt.a1B2c3",         "work_log00003.txt.a1B2c3",
                                "project00012.txt.Zz9yX8",     "event.csv.abcdef",
                                "event_注文リスト.txt.abcdef", "event_title.dat.ABCDEF",
                                "Marrowfold.ini.q1w2e3",       ".mfcopy-0a1B2c.part"};
        const QStringList kept{
            "work_log.txt",       "_project00012.txt", "notes.txt.abcdef", "project0012.txt.abcdef",
            "work_log.txt.abcde", "outputFmt.def",     "event.csv",        "event.csv.abcdef.bak"};
        QTemporaryDir tmp;
        for (const QString &name : stale + kept)
            testfiles::writeFile(tmp.filePath(name), "x");
        ProjectState state;
        state.programFolder = tmp.path() + u'/';
        FakeClock clock;
        ScriptedPrompter prompter;
        mf::startUp(state, prompter, clock);
        QStringList left = QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QStringList expected = kept;
        expected.sort();
        QCOMPARE(left, expected);
    }

    void closeQuery_data()
    {
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QStringList>("boxes");
        const QString quit = QStringLiteral("終了してよろしいですか？");
        QTest::newRow("clean, No") << false << false << QStringList{quit};
        QTest::newRow("unsaved, No") << true << true << QStringList{kUnsaved};
        // Yes with an empty project name: the save is refused and the window stays.
        QTest::newRow("save refused") << true << false << QStringList{kUnsaved, kSetBoth};
    }
    void closeQuery()
    {
        QFETCH(bool, dirty);
        QFETCH(bool, closes);
        QFETCH(QStringList, boxes);
        FakeServices fx;
        ProjectState state;
        started(state, QStringLiteral("/prog"));
        state.saveFolder = QStringLiteral("/s");
        state.dirty = dirty;
        fx.prompter.expect(boxes.size() > 1 ? Answer::Yes : Answer::No);
        QCOMPARE(mf::closeQuery(state, fx.services), closes);
        QCOMPARE(fx.prompter.texts(), boxes);
        QCOMPARE(fx.prompter.boxes[0].buttons, dirty ? Buttons::YesNoCancel : Buttons::YesNo);
        QVERIFY(allCaptioned(fx.prompter, kTitleText));
    }

    void newProjectAndReopen()
    {
        QTemporaryDir tmp;
        FakeServices fx;
        ProjectState state;
        started(state, tmp.path());
        int resets = 0, exportClears = 0;
        state.orders.resetOrders = [&] { ++resets; };
        state.orders.clearExportTable = [&] { ++exportClears; };
        const QString src = tmp.path() + QStringLiteral("/src");
        testfiles::makePhotoFolder(src, 2);
        setProjectName(state, QStringLiteral("p"));
        setSaveFolder(state, tmp.path() + QStringLiteral("/save"));
        setSchoolCode(state, QStringLiteral("12"));
        putRow(state, src, {"0", "9", "9", "9"}, "0", "1", "3"); // counts differ from the folder
        fx.prompter.expect(Answer::Cancel);
        QVERIFY(!newProject(state, fx.services));
        QCOMPARE(state.folderCount(), 1);
        fx.prompter.expect({Answer::Yes, Answer::Yes});
        QVERIFY(newProject(state, fx.services)); // saves first: history entry 0
        QCOMPARE(state.history.count, 1);
        QCOMPARE(state.folderCount(), 0);
        QCOMPARE(state.grid.cell(1, ColPath), QString());
        QVERIFY(state.projectName.isEmpty() && state.saveFolder.isEmpty());
        QVERIFY(state.filePrefix.isEmpty());
        QVERIFY(!state.dirty);
        QCOMPARE(resets, 1);
        QCOMPARE(exportClears, 1);

        // Without sequential files the numbers and the changed marks are dropped.
        QVERIFY(reopenHistory(state, fx.services, 0));
        QCOMPARE(state.currentHistoryIndex, 0);
        QCOMPARE(state.projectName, QStringLiteral("p"));
        QCOMPARE(state.workFolder, state.saveFolder);
        QCOMPARE(state.filePrefix, QStringLiteral("12_"));
        QCOMPARE(state.grid.cell(1, ColStart), QString());
        QCOMPARE(state.folders.entries[0].changed, 0);
        QVERIFY(!state.buttons.moveUp && state.buttons.moveDown && state.buttons.remove);
        QCOMPARE(resets, 3); // and again because there is no order file
        QVERIFY(!state.dirty);
        QVERIFY(!mayManageProjects(state, fx.prompter));
        QVERIFY(!mayCheckFolderLists(state, fx.prompter));

        testfiles::writeFile(state.saveFolder + QStringLiteral("/連番フォルダ/12_0003.jpg"), {});
        QVERIFY(reopenHistory(state, fx.services, 0));
        QCOMPARE(state.grid.cell(1, ColEnd), QStringLiteral("3"));
        QCOMPARE(state.folders.entries[0].changed, 1);
        QVERIFY(!state.buttons.moveDown && !state.buttons.remove);

        state.busy = true;
        QVERIFY(!reopenHistory(state, fx.services, -1));
        state.busy = false;
        state.dirty = true;
        fx.prompter.expect(Answer::No);
        QVERIFY(reopenHistory(state, fx.services, -1)); // typed text: nothing loaded
        QCOMPARE(state.currentHistoryIndex, -1);
        QCOMPARE(state.folderCount(), 1);
        QVERIFY(!mayManageProjects(state, fx.prompter)); // unsaved
        QVERIFY(mayCheckFolderLists(state, fx.prompter));
        fx.prompter.expect(Answer::No);
        QVERIFY(newProject(state, fx.services));
        QVERIFY(mayManageProjects(state, fx.prompter) && mayCheckFolderLists(state, fx.prompter));
        const QStringList texts = fx.prompter.texts();
        QCOMPARE(texts.size(), 8); // texts[2] is the work log question
        QCOMPARE(texts.mid(0, 2), QStringList({kUnsaved, kUnsaved}));
        const QString unsavedFirst = QStringLiteral(
            "プロジェクトが変更されましたが保存されていません。\n変更してから行ってください。");
        QCOMPARE(texts.mid(3),
                 QStringList({kProjectOpen, kProjectOpen, kUnsaved, unsavedFirst, kUnsaved}));
        QVERIFY(!fx.prompter.unexpectedQuestion);
        setSchoolCode(state, QStringLiteral("12_")); // already a prefix
        QCOMPARE(state.filePrefix, QStringLiteral("12_"));
    }

    void chooseSaveFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("existing"); // folders, or files when ending in "="
        QTest::addColumn<QString>("chosen");       // below the temporary folder, "" for none
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("nameAfter");
        QTest::addColumn<QString>("folder"); // the save folder below chosen, "" when unchanged
        const QString fresh = QStringLiteral("新規プロジェクト");
        const QString invalid = QStringLiteral("保存先フォルダの指定が無効か使用不能です。");
        QTest::newRow("nothing chosen") << "" << QStringList() << ""
                                        << ""
                                        << ""
                                        << "";
        QTest::newRow("not a folder") << "" << QStringList() << "/gone" << invalid << ""
                                      << "";
        QTest::newRow("new") << "" << QStringList() << "/c"
                             << "" << fresh << fresh;
        QTest::newRow("numbered") << "" << QStringList{"/c/" + fresh, "/c/" + fresh + "1="} << "/c"
                                  << "" << fresh + "2" << fresh + "2";
        QTest::newRow("first free number")
            << "" << QStringList{"/c/" + fresh, "/c/" + fresh + "2"} << "/c"
            << "" << fresh + "1" << fresh + "1";
        QTest::newRow("named") << QStringLiteral("東京") << QStringList() << "/c"
                               << "" << QStringLiteral("東京") << QStringLiteral("東京");
        QTest::newRow("named, a file")
            << "a" << QStringList{"/c/a="} << "/c"
            << QStringLiteral("保存先フォルダが作成出来ませんでした。\n%1/c/a") << "a"
            << "";
        QTest::newRow("slash") << "a/b" << QStringList() << "/c"
                               << msg::projectNameNotFolder.arg("a/b") << "a/b"
                               << "";
        // A name the project file and the work log cannot hold gets no folder either.
        const QString emoji = QStringLiteral("運動会\U0001F3C3");
        QTest::newRow("a character Shift-JIS lacks")
            << emoji << QStringList() << "/c" << msg::projectNameNotFolder.arg(emoji) << emoji
            << "";
        const QString pasted = QStringLiteral("3年1組\n");
        QTest::newRow("line break in the name")
            << pasted << QStringList() << "/c" << msg::projectNameNotFolder.arg(pasted) << pasted
            << "";
        QTest::newRow("line break in the folder")
            << "a" << QStringList{"/c\nd"} << "/c\nd"
            << msg::saveFolderControlCharacters.arg("%1/c\nd") << "a"
            << "";
    }
    void chooseSaveFolder()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, existing);
        QFETCH(QString, chosen);
        QFETCH(QString, box);
        QFETCH(QString, nameAfter);
        QFETCH(QString, folder);
        QTemporaryDir tmp;
        const QString base = tmp.path();
        QDir().mkpath(base + QStringLiteral("/c"));
        for (const QString &e : existing) {
            if (e.endsWith(u'='))
                testfiles::writeFile(base + e.chopped(1), "x");
            else
                QDir().mkpath(base + e);
        }
        ProjectState state;
        started(state, base);
        state.projectName = name;
        ScriptedPrompter prompter;
        mf::chooseSaveFolder(state, prompter, chosen.isEmpty() ? QString() : base + chosen);
        box.replace(QLatin1String("%1"), base);
        QCOMPARE(prompter.texts(), box.isEmpty() ? QStringList() : QStringList{box});
        QVERIFY(allCaptioned(prompter, kTitleText));
        QCOMPARE(state.projectName, nameAfter);
        const QString expected = folder.isEmpty() ? QString() : base + chosen + u'/' + folder;
        QCOMPARE(state.saveFolder, expected);
        QCOMPARE(state.dirty, !folder.isEmpty());
        if (!folder.isEmpty())
            QVERIFY(QFileInfo(expected).isDir());
        QVERIFY(!QFileInfo::exists(base + QStringLiteral("/c/a/b")));
    }

    // Folders are relative to a temporary folder; "" leaves a place out. The manual is put
    // into each folder of manualIn (a "/" at the end makes a folder of that name instead).
    void manualLookup_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QStringList>("manualIn");
        QTest::addColumn<QString>("found"); // folder of the manual found, "" for none
        QTest::addColumn<bool>("missingBox");
        const QStringList everywhere{"prog", "exe", "share"};
        QTest::newRow("program folder first") << "prog/"
                                              << "exe"
                                              << "share" << everywhere << "prog" << false;
        QTest::newRow("beside the executable next")
            << "prog/"
            << "exe"
            << "share" << QStringList{"exe", "share"} << "exe" << false;
        QTest::newRow("installed last") << "prog/"
                                        << "exe"
                                        << "share" << QStringList{"share"} << "share" << false;
        QTest::newRow("none anywhere") << "prog/"
                                       << "exe"
                                       << "share" << QStringList{} << "" << false;
        QTest::newRow("places left out") << "prog/"
                                         << ""
                                         << "" << QStringList{"exe", "share"} << "" << false;
        QTest::newRow("executable folder gone")
            << "prog/"
            << "gone"
            << "share" << QStringList{"share"} << "share" << false;
        QTest::newRow("several separators") << "prog///"
                                            << ""
                                            << "" << QStringList{"prog"} << "prog" << false;
        QTest::newRow("a folder by the manual's name")
            << "prog/"
            << ""
            << "share" << QStringList{"prog/", "share"} << "share" << false;
        QTest::newRow("LOT: the folder it sits in")
            << "schoolLOT/"
            << ""
            << "" << QStringList{"school", "schoolLOT"} << "school" << false;
        QTest::newRow("LOT: not its own copy")
            << "schoolLOT/"
            << "exe"
            << "" << QStringList{"schoolLOT", "exe"} << "exe" << false;
        QTest::newRow("lot in small letters stays")
            << "schoollot/"
            << ""
            << "" << QStringList{"schoollot"} << "schoollot" << false;
        QTest::newRow("program folder missing") << "gone/"
                                                << "exe"
                                                << "share" << everywhere << "" << true;
        QTest::newRow("LOT: the folder it sits in missing")
            << "onlyLOT/"
            << "exe"
            << "" << QStringList{"onlyLOT", "exe"} << "" << true;
    }
    void manualLookup()
    {
        QFETCH(QString, program);
        QFETCH(QString, executable);
        QFETCH(QString, installed);
        QFETCH(QStringList, manualIn);
        QFETCH(QString, found);
        QFETCH(bool, missingBox);
        QTemporaryDir tmp;
        const QString root = tmp.path() + u'/';
        for (const QString &folder :
             {QStringLiteral("prog"), QStringLiteral("exe"), QStringLiteral("share"),
              QStringLiteral("schoolLOT"), QStringLiteral("school"), QStringLiteral("schoollot"),
              QStringLiteral("onlyLOT")})
            QVERIFY(QDir().mkpath(root + folder));
        for (const QString &where : manualIn) {
            const QString manual = root + QString(where).remove(u'/') + u'/' + kManualFileName;
            if (where.endsWith(u'/'))
                QVERIFY(QDir().mkpath(manual));
            else
                testfiles::writeFile(manual, "%PDF-1.4\n");
        }
        const ManualFolders elsewhere{executable.isEmpty() ? QString() : root + executable,
                                      installed.isEmpty() ? QString() : root + installed};
        const QString expected =
            found.isEmpty() ? QString() : root + found + u'/' + kManualFileName;

        const ManualLookup lookup = findManual(root + program, elsewhere);
        QCOMPARE(lookup.programFolderFound, !missingBox);
        QCOMPARE(lookup.path, expected);

        ProjectState state;
        started(state, root + program);
        ScriptedPrompter prompter;
        RecordingShell shell;
        openManual(state, elsewhere, prompter, shell);
        QCOMPARE(shell.opened, expected.isEmpty() ? QStringList() : QStringList{expected});
        QCOMPARE(prompter.texts(),
                 missingBox ? QStringList{QStringLiteral("プログラム実行パスが見つかりません。")}
                            : QStringList());
        QVERIFY(allCaptioned(prompter, QString()));
    }
};

MF_REGISTER_TEST(CommandsTest)
#include "tst_commands.moc"
