#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "numbering/Sequence.h"
#include "platform/Codec.h"
#include "platform/FileSystemSeams.h"
#include "project/FolderList.h"
#include "project/FolderLocks.h"
#include "project/ProjectFields.h"
#include "project/ProjectFile.h"
#include "project/UnfinishedNumbering.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <QSysInfo>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>

using mf::Answer;

namespace {

// A project with a save folder, a name and the given source folders of n photos each.
struct Fixture {
    QTemporaryDir dir;
    FakeServices fakes;
    mf::ProjectState state;
    mf::SequenceHooks hooks;
    QList<int> startAsked; // the highest number each dialog showing was given
    int startAnswer = 1;
    int saves = 0;
    QStringList flushed; // folders put on the disk
    bool diskTakesIt = true;

    explicit Fixture(const QList<int> &folders, const QString &schoolCode = QString())
    {
        state.titleText = mf::kTitleText;
        mf::setupGrid(state);
        mf::setProjectName(state, "event");
        mf::setSaveFolder(state, dir.filePath("save"));
        mf::setSchoolCode(state, schoolCode);
        for (int i = 0; i < folders.size(); ++i)
            addSource(QStringLiteral("src%1").arg(i + 1), folders[i]);
        hooks.askStartNumber = [this](int highest) {
            startAsked.append(highest);
            return startAnswer;
        };
        hooks.saveProject = [this] {
            mf::numberingSaved(state); // what a save that went through does
            return ++saves, 0;
        };
        hooks.flushToDisk = [this](const QString &folder) {
            flushed.append(folder);
            return diskTakesIt;
        };
    }
    QString addSource(const QString &name, int photos)
    {
        const QString folder = dir.filePath(name);
        testfiles::makePhotoFolder(folder, photos);
        if (!mf::AddFolder(state, fakes.prompter, folder))
            qFatal("cannot add %s", qPrintable(folder));
        return folder;
    }
    int run() { return mf::CreateSequentialFiles(state, fakes.services, hooks); }
    QString seq() const { return mf::sequenceFolder(state); }
    QStringList seqFiles() const
    {
        return QDir(seq()).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    }
    QString range(int row) const
    {
        return state.grid.cell(row, mf::ColStart) + "-" + state.grid.cell(row, mf::ColEnd);
    }
};

// readdir, failing in the folder with this inode as a flaky drive does.
ino_t g_flakyFolder = 0;

dirent *flakyReadDir(DIR *dir)
{
    struct stat st;
    if (::fstat(::dirfd(dir), &st) == 0 && st.st_ino == g_flakyFolder) {
        errno = EIO;
        return nullptr;
    }
    return ::readdir(dir);
}

QStringList numbered(const QString &prefix, int from, int to)
{
    QStringList names;
    for (int n = from; n <= to; ++n)
        names.append(prefix + QString::asprintf("%04d.jpg", n));
    return names;
}

} // namespace

class SequenceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rebuildNumbersFoldersInListOrder()
    {
        Fixture f({3, 2}, "12");
        QCOMPARE(f.run(), 0);
        QCOMPARE(f.seqFiles(), numbered("12_", 1, 5));
        QCOMPARE(f.range(1), QString("1-3"));
        QCOMPARE(f.range(2), QString("4-5"));
        QCOMPARE(f.startAsked, QList<int>{0});
        QCOMPARE(f.saves, 1);
        QVERIFY(f.state.dirty);
        QCOMPARE(f.fakes.shell.opened, QStringList{f.seq()});
        QCOMPARE(f.flushed, QStringList{f.seq()});
        QVERIFY(f.fakes.prompter.boxes.isEmpty());
        // The copies are the photos themselves.
        QCOMPARE(testfiles::readFile(f.seq() + "/12_0004.jpg"),
                 testfiles::readFile(f.dir.filePath("src2/IMG_01.jpg")));

        // The conversion log: one Shift-JIS CR LF line per copy, in copy order.
        QByteArray expected;
        for (int n = 1; n <= 5; ++n) {
            const QString src = f.dir.filePath(QStringLiteral("src%1/IMG_%2.jpg")
                                                   .arg(n <= 3 ? 1 : 2)
                                                   .arg(n <= 3 ? n : n - 3, 2, 10, QChar(u'0')));
            expected += testfiles::sjis(QString::asprintf("[%04d] ", n) + src + ", " + f.seq() +
                                        QString::asprintf("/12_%04d.jpg", n)) +
                        "\r\n";
        }
        QCOMPARE(testfiles::readFile(f.seq() + "/" + mf::kConversionLogName), expected);
    }

    void appendAddsOnlyUnnumberedFolders()
    {
        Fixture f({3, 2});
        QCOMPARE(f.run(), 0);
        f.addSource("src3", 2);
        f.fakes.prompter.expect(Answer::No); // append, not rebuild
        f.startAnswer = 6;
        QCOMPARE(f.run(), 0);
        QCOMPARE(f.startAsked, QList<int>({0, 5}));
        QCOMPARE(f.seqFiles(), numbered("", 1, 7));
        QCOMPARE(f.range(1) + " " + f.range(2) + " " + f.range(3), QString("1-3 4-5 6-7"));
        QCOMPARE(f.fakes.prompter.texts(), QStringList{mf::msg::rebuildOrAppend});
        // Five log lines from the first run, two appended.
        QCOMPARE(testfiles::readFile(f.seq() + "/" + mf::kConversionLogName).count("\r\n"), 7);
    }

    void startNumberChecks_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("message");
        QTest::newRow("4999 refused") << 4999 << mf::msg::startTooHigh;
        QTest::newRow("4998 accepted") << 4998 << QString();
        QTest::newRow("invalid") << -1 << mf::msg::startInvalid;
        QTest::newRow("cancel is silent") << -2 << QString();
    }
    void startNumberChecks()
    {
        QFETCH(int, start);
        QFETCH(QString, message);
        Fixture f({1});
        f.startAnswer = start;
        f.run();
        QCOMPARE(f.fakes.prompter.texts(),
                 message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(f.seqFiles(), start == 4998 ? QStringList{"4998.jpg"} : QStringList());
    }

    void appendBelowHighestIsRefusedEqualAsksPerFile()
    {
        Fixture f({2});
        QCOMPARE(f.run(), 0);
        f.addSource("more", 2);
        f.fakes.prompter.expect(Answer::No);
        f.startAnswer = 1;
        f.run();
        QCOMPARE(f.fakes.prompter.texts().last(), mf::msg::startBelowExisting);

        // Equal to the highest: every target is taken, so the continue question comes for
        // each file, nothing is overwritten and the row gets "0".
        f.fakes.prompter.boxes.clear();
        f.fakes.prompter.expect({Answer::No, Answer::Yes, Answer::Yes});
        f.startAnswer = 2;
        QCOMPARE(f.run(), 0);
        QCOMPARE(f.fakes.prompter.boxes.size(), 3);
        for (int i = 1; i <= 2; ++i)
            QCOMPARE(f.fakes.prompter.boxes[i].text,
                     mf::msg::copyFailedContinue.arg(
                         f.dir.filePath(QStringLiteral("more/IMG_0%1.jpg").arg(i)),
                         f.seq() + "/0002.jpg"));
        QCOMPARE(f.seqFiles(), numbered("", 1, 2));
        QCOMPARE(testfiles::readFile(f.seq() + "/0002.jpg"),
                 testfiles::readFile(f.dir.filePath("src1/IMG_02.jpg")));
        QCOMPARE(f.range(2), QString("0-0"));
    }

    void rowsWithoutPhotosBlockTheRun()
    {
        Fixture f({1});
        const QString empty = f.dir.filePath("empty");
        testfiles::makePhotoFolder(empty + "/sub", 2);
        QVERIFY(mf::AddFolder(f.state, f.fakes.prompter, empty));
        f.addSource("nothing", 0);
        f.state.grid.setCell(3, mf::ColInclude, "1");
        f.run();
        QCOMPARE(f.fakes.prompter.texts(),
                 QStringList{QStringLiteral("2列目　コピーされる直下Jpegファイルがありません。\n"
                                            "3列目　コピーされるJpegファイルがありません。\n")});
        QVERIFY(f.startAsked.isEmpty());
    }

    void changedSourcesBlockRebuildOnly()
    {
        Fixture f({2});
        QCOMPARE(f.run(), 0);
        f.state.folders.entries[0].changed = 1;
        f.fakes.prompter.expect(Answer::Yes); // rebuild
        f.run();
        QCOMPARE(f.fakes.prompter.texts().last(), mf::msg::sourcesChanged);
        QCOMPARE(f.seqFiles().size(), 2); // nothing was deleted
    }

    void emptyListKeepsTheNumberedPhotos()
    {
        Fixture f({2});
        QCOMPARE(f.run(), 0);
        f.state.folders.folderCount = 0;
        f.fakes.prompter.expect(Answer::Yes); // rebuild
        f.run();
        QCOMPARE(f.fakes.prompter.texts().last(), mf::msg::noSourceFolders);
        QCOMPARE(f.seqFiles(), numbered("", 1, 2));
    }

    // Esc, or a source folder that cannot be read to its end (the photos read before the
    // failure are not numbered as if they were all), stops the run naming the folder.
    void runStopsNamingTheFolder_data()
    {
        QTest::addColumn<bool>("readError");
        QTest::newRow("Esc at the second file of the second folder") << false;
        QTest::newRow("the second folder cannot be read to its end") << true;
    }
    void runStopsNamingTheFolder()
    {
        QFETCH(bool, readError);
        Fixture f({3, 2});
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(f.dir.filePath("src2")).constData(), &st), 0);
        g_flakyFolder = st.st_ino;
        f.fakes.pump.onPump = [&f, readError](int call) {
            if (readError && call == 1) // while the first folder is copied
                mf::seams::setReadDirCall(flakyReadDir);
            if (!readError && call == 5)
                f.state.abortRequested = true;
        };
        const int result = f.run();
        mf::seams::setReadDirCall(nullptr);
        QCOMPARE(result, -2);
        QCOMPARE(f.fakes.prompter.texts(),
                 QStringList{mf::msg::copyStopped.arg(f.dir.filePath("src2"))});
        // The stopped folder's copies are undone, so the folder holds what the project saves.
        QCOMPARE(f.seqFiles(), numbered("", 1, 3));
        QCOMPARE(f.range(1), QString("1-3"));
        QCOMPARE(f.range(2), QString("-")); // the row being copied keeps its old values
        QCOMPARE(f.saves, 1);
        QVERIFY(!f.state.busy);
    }

    // A disk that does not confirm the copies, or a log that cannot take their lines: told as
    // a write failure, the folder is not opened as if all went well, and the project still
    // records what was copied.
    void diskThatDoesNotTakeTheCopies_data()
    {
        QTest::addColumn<bool>("logWritable");
        QTest::addColumn<QString>("message"); // the path follows it
        QTest::newRow("flush refused") << true
                                       << QStringLiteral("以下のフォルダへの書き込みを完了出来ませ"
                                                         "んでした。\nディスクの空きと接続を確認し"
                                                         "てください。\n");
        QTest::newRow("log refused") << false
                                     << QStringLiteral("連番ファイル変換ログに記録出来なかったコピ"
                                                       "ーがあります。\nディスクの空きと接続を確認"
                                                       "してください。\n");
    }
    void diskThatDoesNotTakeTheCopies()
    {
        QFETCH(bool, logWritable);
        QFETCH(QString, message);
        Fixture f({2});
        QString path = f.seq();
        if (!logWritable) { // appending, where a folder stands in the log's place
            QCOMPARE(f.run(), 0);
            path += u'/' + mf::kConversionLogName;
            QVERIFY(QFile::remove(path) && QDir().mkpath(path));
            f.addSource("more", 1);
            f.fakes.prompter.expect(Answer::No);
            f.startAnswer = 3;
            f.fakes.shell.opened.clear();
        }
        f.diskTakesIt = !logWritable;
        QCOMPARE(f.run(), -3);
        QCOMPARE(f.fakes.prompter.texts().last(), message + path);
        QVERIFY(f.fakes.shell.opened.isEmpty());
        QCOMPARE(f.seqFiles().size(), logWritable ? 2 : 3); // the copies themselves are there
        // Copies the disk did not confirm keep the mark for the next opening to check.
        QCOMPARE(QFile::exists(f.seq() + QStringLiteral("/連番ファイル作成中.txt")), logWritable);
    }

    void copyFailureDeclinedStops()
    {
        Fixture f({2});
        QCOMPARE(f.run(), 0);
        f.addSource("more", 1);
        f.fakes.prompter.expect({Answer::No, Answer::No});
        f.startAnswer = 2;
        QCOMPARE(f.run(), -2);
        QCOMPARE(f.fakes.prompter.texts().last(), mf::msg::copyStopped.arg(f.dir.filePath("more")));
    }

    void ordersForceAppend()
    {
        Fixture f({1});
        QCOMPARE(f.run(), 0);
        f.addSource("more", 1);
        f.state.orders.orderCount = [] { return 3; };
        f.fakes.prompter.expect({Answer::Yes, Answer::Yes});
        f.startAnswer = 2;
        QCOMPARE(f.run(), 0);
        QCOMPARE(f.fakes.prompter.texts(),
                 QStringList({mf::msg::ordersContinue, mf::msg::ordersAppendOnly}));
        QCOMPARE(f.seqFiles(), numbered("", 1, 2));

        f.fakes.prompter.boxes.clear();
        f.fakes.prompter.expect(Answer::No);
        QCOMPARE(f.run(), -1);
        QCOMPARE(f.fakes.prompter.boxes.size(), 1);
    }

    void subfoldersNumberedWhereTheListingMeetsThem()
    {
        Fixture f({});
        const QString top = f.dir.filePath("top");
        testfiles::writeFile(top + "/a.jpg", testfiles::readFile(testfiles::photo(1)));
        testfiles::makePhotoFolder(top + "/b", 2);
        testfiles::writeFile(top + "/c.JPG", testfiles::readFile(testfiles::photo(2)));
        testfiles::writeFile(top + "/d.txt", "not a photo");
        QVERIFY(mf::AddFolder(f.state, f.fakes.prompter, top));
        f.state.grid.setCell(1, mf::ColInclude, "1");
        QCOMPARE(f.run(), 0);
        const QByteArray log = testfiles::readFile(f.seq() + "/" + mf::kConversionLogName);
        const QList<QByteArray> lines = log.split('\n');
        QVERIFY(lines[0].contains("/top/a.jpg"));
        QVERIFY(lines[1].contains("/top/b/IMG_01.jpg"));
        QVERIFY(lines[2].contains("/top/b/IMG_02.jpg"));
        QVERIFY(lines[3].contains("/top/c.JPG"));
        QCOMPARE(f.range(1), QString("1-4"));
    }

    // The save folder below a source folder, or a source itself: its own folders are never
    // counted or numbered again.
    void ownFoldersAreLeftOut_data()
    {
        QTest::addColumn<QString>("saveBelowSource");
        QTest::newRow("save folder inside the source") << "event";
        QTest::newRow("save folder is the source") << "";
    }
    void ownFoldersAreLeftOut()
    {
        QFETCH(QString, saveBelowSource);
        Fixture f({});
        const QString source = f.dir.filePath("src");
        testfiles::makePhotoFolder(source + "/sub", 3);
        testfiles::makePhotoFolder(source, 1);
        mf::setSaveFolder(f.state,
                          saveBelowSource.isEmpty() ? source : source + "/" + saveBelowSource);
        testfiles::writeFile(f.state.saveFolder + QStringLiteral("/一覧フォルダ/page001.jpg"),
                             testfiles::readFile(testfiles::photo(1)));
        QVERIFY(mf::AddFolder(f.state, f.fakes.prompter, source));
        f.state.grid.setCell(1, mf::ColInclude, "1");
        QCOMPARE(f.state.grid.cell(1, mf::ColAllJpegs), QString("4"));
        for (int run = 0; run < 2; ++run) { // the second one rebuilds
            if (run == 1)
                f.fakes.prompter.expect(Answer::Yes);
            QCOMPARE(f.run(), 0);
            QCOMPARE(f.seqFiles(), numbered("", 1, 4));
            QCOMPARE(f.range(1), QString("1-4"));
        }
    }

    void readOnlySourceGivesWritableCopyThatRebuildCanClear()
    {
        Fixture f({1});
        QFile::setPermissions(f.dir.filePath("src1/IMG_01.jpg"), QFile::ReadOwner);
        QCOMPARE(f.run(), 0);
        QVERIFY(QFileInfo(f.seq() + "/0001.jpg").permissions() & QFile::WriteOwner);
        f.fakes.prompter.expect(Answer::Yes);
        QCOMPARE(f.run(), 0);
        QCOMPARE(f.seqFiles(), QStringList{"0001.jpg"});
    }

    // Shift-JIS names from a zip archive made on Windows: they are reported when the folder
    // is added, and numbering refuses the folder until they are fixed.
    void undecodableNamesAreReportedAndRefused()
    {
        Fixture f({});
        const QString source = f.dir.filePath("zip");
        testfiles::makePhotoFolder(source, 9);
        const QByteArray raw = QFile::encodeName(source) + "/\x83\x65\x83\x58\x83\x67";
        for (const char *end : {"1.jpg", "2.jpg", "3.jpg"}) {
            QFile file;
            const int fd = ::open(raw + end, O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle));
            file.write(testfiles::readFile(testfiles::photo(1)));
        }
        QVERIFY(mf::AddFolder(f.state, f.fakes.prompter, source));
        QCOMPARE(f.fakes.prompter.boxes.size(), 1);
        const QString shown = f.fakes.prompter.texts().first();
        QVERIFY(shown.startsWith(mf::msg::undecodableNames.section(u'%', 0, 0)));
        QCOMPARE(shown.count(source + u'/'), 3);
        QCOMPARE(f.state.grid.cell(1, mf::ColDirectJpegs), QString("9"));
        const QString projectFile = f.dir.filePath("project00000.txt");
        testfiles::writeFile(projectFile, testfiles::sjis("0,12,12,12,0,0,0," + source + "\r\n"));
        mf::ProjectState reopened;
        QStringList reported;
        QCOMPARE(mf::LoadProjectFile(reopened, projectFile, &reported), 0);
        QCOMPARE(reported.size(), 3); // reopening names them too

        f.fakes.prompter.boxes.clear();
        f.run();
        QCOMPARE(f.fakes.prompter.boxes.size(), 1);
        QVERIFY(f.fakes.prompter.texts().first().startsWith(
            mf::msg::undecodableName.arg(1).section(u'\n', 0, 0)));
        QVERIFY(f.startAsked.isEmpty());
        QVERIFY(f.seqFiles().isEmpty());
    }

    void namesTheLogCannotHoldAreRefusedUpFront()
    {
        Fixture f({1});
        testfiles::writeFile(f.dir.filePath(QStringLiteral("src1/😀.jpg")), "x");
        f.run();
        QCOMPARE(f.fakes.prompter.boxes.size(), 1);
        QVERIFY(f.fakes.prompter.texts()[0].startsWith(QStringLiteral("1列目　")));
        QVERIFY(f.seqFiles().isEmpty());
    }

    // A numbering killed after its sixth copy, before the save: photos 1-5 of the first run are
    // saved, photo 6 (the first of src3) is not. Then the next numbering, and the next opening,
    // of the project as it was saved.
    void interruptedNumberingIsNoticed_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("ranges"); // of the three rows afterwards
        QTest::addColumn<int>("photos");     // in the numbered folder afterwards
        const QString first = QStringLiteral("前回の連番ファイルの作成が完了していません。\n");
        const QString rebuild = first + QStringLiteral("連番フォルダの写真の番号がプロジェクトに保"
                                                       "存されていないので、このまま追加すると同"
                                                       "じ写真に２つの番号が付きます。\n連番ファイ"
                                                       "ルを新規に作り直しますか？");
        const QString numbers = QStringLiteral("連番フォルダにありますがプロジェクトに保存されて"
                                               "いない番号　6\nプロジェクトに保存されていますが"
                                               "連番フォルダにない番号　なし\n\n");
        // With orders: a rebuild that gives every photo its number again, where there is one.
        const QString sameNumbers =
            first + numbers +
            QStringLiteral("注文が入力されていますが、同じコピー元画像フォルダから開始番号1で作り"
                           "直すと、どの写真にも保存されている番号と同じ番号が付きます。\n連番"
                           "ファイルを開始番号1で作り直しますか？");
        const QString orders =
            first +
            QStringLiteral("注文が入力されているので連番ファイルを作り直す事は出来ません。\n") +
            numbers +
            QStringLiteral("保存されていない番号の写真を連番フォルダから削除し、ない番号の写真を"
                           "元の番号のファイル名で連番フォルダに戻してから、もう一度連番ファイル"
                           "の作成を行ってください。");
        QTest::newRow("rebuilt") << "" << QList<Answer>{Answer::Yes} << QStringList{rebuild} << 0
                                 << "1-3 4-5 6-7" << 7;
        QTest::newRow("rebuild declined")
            << "" << QList<Answer>{Answer::No} << QStringList{rebuild} << -1 << "1-3 4-5 -" << 6;
        QTest::newRow("orders entered, rebuilt with the same numbers")
            << "orders" << QList<Answer>{Answer::Yes} << QStringList{sameNumbers} << 0
            << "1-3 4-5 6-7" << 7;
        QTest::newRow("orders entered, rebuild declined")
            << "orders" << QList<Answer>{Answer::No} << QStringList{sameNumbers} << -1
            << "1-3 4-5 -" << 6;
        QTest::newRow("orders entered, a source changed")
            << "orders changed" << QList<Answer>{} << QStringList{orders} << -1 << "1-3 4-5 -" << 6;
        // The unsaved photo removed by hand: the folder agrees with the project again.
        QTest::newRow("unsaved photo removed")
            << "removed" << QList<Answer>{Answer::No} << QStringList{mf::msg::rebuildOrAppend} << 0
            << "1-3 4-5 6-7" << 7;
        // The same session after a save it declined: its own run, nothing interrupted.
        QTest::newRow("own run") << "own" << QList<Answer>{Answer::No}
                                 << QStringList{mf::msg::rebuildOrAppend} << 0 << "1-3 4-5 7-8"
                                 << 8;
        QTest::newRow("save folder in use")
            << "locked" << QList<Answer>{}
            << QStringList{QStringLiteral("以下の保存先フォルダは他で作業中なので使用出来ません。"
                                          "\n{D}\n作業中のパソコン　") +
                           QSysInfo::machineHostName() +
                           QStringLiteral("\n\n作業が終わってからもう一度行ってください。作業中で"
                                          "ないのにこのメッセージが表示される場合は、保存先フォ"
                                          "ルダの「Velmora使用中.lock」を削除してください。")}
            << -1 << "1-3 4-5 -" << 6;
        // Held where that copy writes, by a PC that could not lock the save folder itself: its
        // live run is neither offered for a rebuild nor written into.
        QTest::newRow("numbered folder in use")
            << "locked below" << QList<Answer>{}
            << QStringList{QStringLiteral("以下の保存先フォルダは他で作業中なので使用出来ません。"
                                          "\n{D}\n作業中のパソコン　") +
                           QSysInfo::machineHostName() +
                           QStringLiteral("\n\n作業が終わってからもう一度行ってください。作業中"
                                          "でないのにこのメッセージが表示される場合は、保存先フ"
                                          "ォルダの「連番フォルダ/Velmora使用中.lock」を削除し"
                                          "てください。")}
            << -1 << "1-3 4-5 -" << 6;
    }
    void interruptedNumberingIsNoticed()
    {
        QFETCH(QString, situation);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, texts);
        QFETCH(int, result);
        QFETCH(QString, ranges);
        QFETCH(int, photos);
        Fixture f({3, 2});
        QCOMPARE(f.run(), 0);
        f.addSource("src3", 2);
        const QString mark = f.seq() + QStringLiteral("/連番ファイル作成中.txt");
        QVERIFY(!QFile::exists(mark));
        f.fakes.prompter.expect(Answer::No); // append
        f.startAnswer = 6;
        f.fakes.pump.onPump = [](int calls) {
            if (calls == 2) // src3's second photo: the first is copied
                raise(SIGKILL);
        };
        f.fakes.pump.calls = 0;
        QCOMPARE(testfiles::runInChild([&] { return f.run(); }), -1); // killed
        f.fakes.pump.onPump = nullptr;
        f.fakes.prompter = ScriptedPrompter(); // the child took the answers it was given
        QVERIFY(QFile::exists(mark));
        QCOMPARE(f.seqFiles(), numbered("", 1, 6));

        if (situation.startsWith("orders"))
            f.state.orders.orderCount = [] { return 3; };
        if (situation == "orders changed")
            f.state.folders.entries[1].changed = 1;
        if (situation == "removed")
            QVERIFY(QFile::remove(f.seq() + "/0006.jpg"));
        if (situation == "own")
            f.state.numberingMark = mark;
        std::unique_ptr<mf::FolderLock> other;
        if (situation == "locked")
            other = std::make_unique<mf::FolderLock>(f.state.saveFolder, mf::kSaveFolderLockName);
        if (situation == "locked below")
            other = std::make_unique<mf::FolderLock>(f.seq(), mf::kSaveFolderLockName);
        for (QString &text : texts)
            text.replace("{D}", f.state.saveFolder);

        // Opening the project: the same question, or nothing while another copy works there.
        ScriptedPrompter opening;
        for (Answer a : answers)
            opening.expect(a);
        const mf::UnfinishedChoice open = mf::checkUnfinishedNumberingOnOpen(f.state, opening);
        const bool asked = texts.first().startsWith(u'前');
        const bool rebuildChosen = !answers.isEmpty() && answers.first() == Answer::Yes;
        QCOMPARE(open, !asked          ? mf::UnfinishedChoice::None
                       : rebuildChosen ? mf::UnfinishedChoice::Rebuild
                                       : mf::UnfinishedChoice::Refused);
        QCOMPARE(opening.texts(), asked ? texts : QStringList());

        for (Answer a : answers)
            f.fakes.prompter.expect(a);
        f.startAnswer = situation == "own" ? 7 : situation == "removed" ? 6 : 1;
        QCOMPARE(f.run(), result);
        QCOMPARE(f.fakes.prompter.texts(), texts);
        QCOMPARE(f.fakes.prompter.pendingAnswers(), 0);
        for (const RecordedBox &box : f.fakes.prompter.boxes)
            QCOMPARE(box.caption, mf::kTitleText);
        QCOMPARE(f.range(1) + " " + f.range(2) + " " + f.range(3), ranges);
        QCOMPARE(f.seqFiles().size(), photos);
        // Gone once a save recorded the numbers and the folder holds no photo besides them.
        QCOMPARE(QFile::exists(mark), result != 0 || situation == "own");
        if (situation == "rebuilt") // every photo once, in list order
            QCOMPARE(testfiles::readFile(f.seq() + "/0006.jpg"),
                     testfiles::readFile(f.dir.filePath("src3/IMG_01.jpg")));
    }

    void highestNumberNeedsNameAndFolder()
    {
        Fixture f({2});
        QCOMPARE(f.run(), 0);
        QCOMPARE(mf::HighestPhotoNumber(f.state), 2);
        testfiles::writeFile(f.seq() + "/10000.jpg", "x");
        QCOMPARE(mf::HighestPhotoNumber(f.state), 10000);
        QCOMPARE(QFileInfo(mf::sequentialFilePath(f.seq(), "", 10001)).fileName(),
                 QString("10001.jpg"));
        mf::setProjectName(f.state, QString());
        QCOMPARE(mf::HighestPhotoNumber(f.state), 0);
    }
};

MF_REGISTER_TEST(SequenceTest)
#include "tst_sequence.moc"
