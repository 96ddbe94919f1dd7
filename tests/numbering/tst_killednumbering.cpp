#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "export/OrderExport.h"
#include "numbering/Sequence.h"
#include "photos/NumberedPhotos.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemSeams.h"
#include "project/FolderList.h"
#include "project/FolderLocks.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFields.h"
#include "project/StaleFiles.h"
#include "project/UnfinishedNumbering.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

using mf::Answer;

namespace {

int g_killAt = 0;
int g_points = 0;

void killAtChosenPoint(mf::seams::CopyPoint)
{
    if (++g_points == g_killAt)
        ::kill(::getpid(), SIGKILL);
}

// Pieces small enough that a photo takes several, so kills fall inside its bytes too.
ssize_t smallPieces(int in, int out, size_t length)
{
    return ::copy_file_range(in, nullptr, out, nullptr, std::min<size_t>(length, 64 * 1024), 0);
}

// A project whose first folder of four photos is numbered, with a second folder of three
// added that the next run appends.
struct Project {
    QTemporaryDir dir;
    FakeServices fakes;
    mf::ProjectState state;
    mf::SequenceHooks hooks;
    int startAnswer = 1;

    Project()
    {
        state.titleText = mf::kTitleText;
        mf::setupGrid(state);
        mf::setProjectName(state, "event");
        mf::setSaveFolder(state, dir.filePath("save"));
        mf::setSchoolCode(state, "12");
        hooks.askStartNumber = [this](int) { return startAnswer; };
        hooks.saveProject = [] { return 0; };
        hooks.flushToDisk = [](const QString &) { return true; };
        addSource("src1", 4);
        if (run() != 0)
            qFatal("the first numbering failed");
        addSource("src2", 3);
    }
    void addSource(const QString &name, int photos)
    {
        testfiles::makePhotoFolder(dir.filePath(name), photos);
        if (!mf::AddFolder(state, fakes.prompter, dir.filePath(name)))
            qFatal("cannot add %s", qPrintable(name));
    }
    int run() { return mf::CreateSequentialFiles(state, fakes.services, hooks); }
    int append()
    {
        fakes.prompter.expect(Answer::No); // append, not rebuild
        startAnswer = highest() + 1;
        return run();
    }
    QString seq() const { return mf::sequenceFolder(state); }
    int highest() const { return mf::highestPhotoNumberIn(seq(), state.filePrefix); }
    QByteArray source(const QString &folder, int n) const
    {
        return testfiles::readFile(
            dir.filePath(folder + QStringLiteral("/IMG_%1.jpg").arg(n, 2, 10, QChar(u'0'))));
    }
    // Photos 1-4 from src1, then src2 from 5 up to appendedFrom - 1 and again from appendedFrom.
    QString firstWrongPhoto(int appendedFrom) const
    {
        for (const mf::NumberedPhoto &p : mf::numberedPhotos(seq(), state.filePrefix)) {
            const int n = p.number;
            const QByteArray expected =
                n <= 4 ? source("src1", n)
                       : source("src2", n < appendedFrom ? n - 4 : n - appendedFrom + 1);
            if (testfiles::readFile(p.path) != expected)
                return p.path;
        }
        return {};
    }
    // Exports orderer 1's photos 1 and 2 and orderer 2's photos 3 and 4, one folder each.
    int exportOrders()
    {
        mf::OrderTable table;
        for (int orderer : {1, 2}) {
            mf::Order &o = table.row(++table.orderCount);
            o.ordererNumber = QString::number(orderer);
            o.photoCount = QStringLiteral("2");
            o.photoNumbers[0] = QString::number(orderer * 2 - 1);
            o.photoNumbers[1] = QString::number(orderer * 2);
        }
        state.outputFormat.values = {"%s/%04d/%s%04d_%04d.jpg", "%s/%04d/%s%04d_%04d(%d).jpg",
                                     "%s/%s%04d_%04d.jpg", "%s/%s%04d_%04d(%d).jpg"};
        mf::ExportJob job{state, table, mf::ExportSettings{1, 9999, 4, false, true},
                          fakes.services};
        job.flushToDisk = [](const QString &) { return true; };
        mf::ExportState run;
        return mf::RunExport(job, run, false);
    }
    QStringList exported() const // every entry below the export folder, sorted
    {
        return testfiles::listing(mf::exportFolderOf(state.saveFolder));
    }
    int temporaries() const
    {
        int count = 0;
        for (const QString &name : QDir(seq()).entryList(QDir::Files | QDir::Hidden))
            count += mf::isCopyTemporaryName(name) ? 1 : 0;
        return count;
    }
};

} // namespace

class KilledNumberingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // An append killed at each point of its copies in turn leaves only whole photos under
    // photo names; the next run clears the temporary away and numbers the folder again.
    void killedAppendLeavesNoCutPhoto()
    {
        int kills = 0, leftTemporaries = 0;
        for (g_killAt = 1;; ++g_killAt) {
            Project p;
            const int rc = testfiles::runInChild([&] {
                mf::seams::setRangeCopyCall(smallPieces);
                g_points = 0;
                mf::seams::setCopyPointHook(killAtChosenPoint);
                return p.append() == 0 ? 0 : 1;
            });
            if (rc != -1) {
                QCOMPARE(rc, 0);
                break;
            }
            ++kills;
            const int reached = p.highest();
            QVERIFY2(p.firstWrongPhoto(reached + 1).isEmpty(),
                     qPrintable(QStringLiteral("point %1: %2 is cut")
                                    .arg(g_killAt)
                                    .arg(p.firstWrongPhoto(reached + 1))));
            leftTemporaries += p.temporaries();

            QCOMPARE(p.append(), 0);
            QCOMPARE(p.temporaries(), 0);
            QCOMPARE(p.highest(), reached + 3);
            QCOMPARE(p.firstWrongPhoto(reached + 1), QString());
        }
        // Three photos of 136, 145 and 608 KB: created, 3 + 3 + 10 pieces, whole, renamed.
        QCOMPARE(kills, 25);
        QVERIFY(leftTemporaries > 0);
    }

    // A stopped run leaves the numbered folder as the saved project describes it: the folder
    // it stopped in loses its copies and their log lines, and numbering again gives every
    // photo one number.
    void stoppedRunLeavesTheFolderAsSaved_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("escAtPump"); // 0: the copy fails instead
        QTest::newRow("Esc, append") << "append" << 2;
        // The rebuild emptied the folder: the second row keeps no numbers it no longer has.
        QTest::newRow("Esc, rebuild") << "rebuild" << 6;
        // The third photo of the second folder (608 KB) finds no room; いいえ to going on.
        QTest::newRow("full disk, append") << "append" << 0;
    }
    void stoppedRunLeavesTheFolderAsSaved()
    {
        QFETCH(QString, how);
        QFETCH(int, escAtPump);
        Project p;
        p.hooks.saveProject = [&p] { return mf::numberingSaved(p.state), 0; };
        const QString log = p.seq() + QStringLiteral("/連番ファイル変換ログ.txt");
        auto logLines = [&] { return testfiles::readFile(log).count("\r\n"); };
        p.fakes.prompter.expect(how == "rebuild" ? Answer::Yes : Answer::No);
        p.startAnswer = how == "rebuild" ? 1 : 5;
        if (escAtPump == 0) {
            p.fakes.prompter.expect(Answer::No); // after the failed copy
            QCOMPARE(testfiles::runWithFileSizeLimit(300 * 1024, [&] { return -p.run(); }), 2);
        } else {
            p.fakes.pump.calls = 0;
            p.fakes.pump.onPump = [&p, escAtPump](int call) {
                if (call == escAtPump) // before the second photo of the second folder
                    p.state.abortRequested = true;
            };
            QCOMPARE(p.run(), -2);
            QCOMPARE(p.fakes.prompter.texts().last(),
                     mf::msg::copyStopped.arg(p.dir.filePath("src2")));
            QCOMPARE(p.state.grid.cell(2, mf::ColStart), QString());
            QCOMPARE(p.state.grid.cell(1, mf::ColEnd), QString("4"));
        }
        QCOMPARE(p.highest(), 4);
        QCOMPARE(p.firstWrongPhoto(5), QString());
        QCOMPARE(logLines(), 4);
        QVERIFY(!QFile::exists(mf::numberingMarkPath(p.state.saveFolder)));

        p.fakes.pump.onPump = nullptr;
        p.fakes.prompter = ScriptedPrompter();
        QCOMPARE(p.append(), 0);
        QCOMPARE(p.fakes.prompter.texts(), QStringList{mf::msg::rebuildOrAppend});
        QCOMPARE(p.highest(), 7);
        QCOMPARE(p.firstWrongPhoto(5), QString());
        QCOMPARE(logLines(), 7);
    }

    // A run killed at a chosen point, then the project opened again: what the kill left is
    // noticed or cleared away, and numbering again gives every photo its number once.
    void killedRunIsNoticedWhenOpened_data()
    {
        QTest::addColumn<QString>("run");  // in the child: rebuild, append, or append and save
        QTest::addColumn<QString>("kind"); // of the point killed at
        QTest::addColumn<int>("at");       // the how-manyth point of that kind
        QTest::addColumn<bool>("orders");
        QTest::addColumn<QStringList>("texts"); // shown when the project is opened
        QTest::addColumn<int>("escAtPump");     // stops the rebuild that follows; 0: none
        const QString first = QStringLiteral("前回の連番ファイルの作成が完了していません。\n");
        const QString rebuild =
            first + QStringLiteral("連番フォルダの写真の番号がプロジェクトに保存されていないので"
                                   "、このまま追加すると同じ写真に２つの番号が付きます。\n連番"
                                   "ファイルを新規に作り直しますか？");
        const QString sameNumbers =
            first + QStringLiteral("連番フォルダにありますがプロジェクトに保存されていない番号　"
                                   "なし\nプロジェクトに保存されていますが連番フォルダにない番"
                                   "号　1～2\n\n注文が入力されていますが、同じコピー元画像フ"
                                   "ォルダから開始番号1で作り直すと、どの写真にも保存されてい"
                                   "る番号と同じ番号が付きます。\n連番ファイルを開始番号1で作"
                                   "り直しますか？");
        // Two of the four saved photos deleted, nothing said: the mark comes first.
        QTest::newRow("rebuild, second deletion")
            << "rebuild"
            << "file removed" << 2 << false << QStringList{rebuild} << 0;
        // With orders the way out keeps every ordered photo under its number.
        QTest::newRow("rebuild, second deletion, orders")
            << "rebuild"
            << "file removed" << 2 << true << QStringList{sameNumbers} << 0;
        // That rebuild stopped in the first folder: the saved numbers stay for the next try.
        QTest::newRow("rebuild, second deletion, orders, the rebuild stopped")
            << "rebuild"
            << "file removed" << 2 << true << QStringList{sameNumbers} << 3;
        // Nothing under a photo name yet: the mark goes unseen, the cut copy is swept away.
        QTest::newRow("append, inside the first copy")
            << "append"
            << "piece copied" << 2 << false << QStringList() << 0;
        // The record is on the disk and the mark still there; the saved project agrees with
        // the folder, so the mark goes without a word.
        QTest::newRow("save, the work log on the disk")
            << "save"
            << "file synced" << 2 << false << QStringList() << 0;
    }
    void killedRunIsNoticedWhenOpened()
    {
        QFETCH(QString, run);
        QFETCH(QString, kind);
        QFETCH(int, at);
        QFETCH(bool, orders);
        QFETCH(QStringList, texts);
        QFETCH(int, escAtPump);
        Project p;
        mf::numberingSaved(p.state); // the first numbering was saved
        const QString mark = mf::numberingMarkPath(p.state.saveFolder);
        QVERIFY(!QFile::exists(mark));
        p.state.programFolder = p.dir.filePath("program");
        QVERIFY(QDir().mkpath(p.state.programFolder));
        const int rc = testfiles::runInChild([&] {
            mf::seams::setRangeCopyCall(smallPieces);
            testfiles::killAtPoint(qPrintable(kind), at);
            if (run == "save") {
                p.hooks.saveProject = [&p] { return mf::SaveProject(p.state, p.fakes.services); };
                p.fakes.prompter.expect({Answer::No, Answer::Yes}); // append; save
                p.startAnswer = 5;
                return p.run();
            }
            if (run == "rebuild") {
                p.fakes.prompter.expect(Answer::Yes);
                p.startAnswer = 1;
                return p.run();
            }
            return p.append();
        });
        QCOMPARE(rc, -1); // killed at the chosen point
        QVERIFY(QFile::exists(mark));
        const bool cut = p.temporaries() > 0;
        QCOMPARE(cut, kind == "piece copied");

        // Opening the project as the main window does.
        p.fakes.prompter = ScriptedPrompter();
        if (run == "save") {
            mf::LoadHistory(p.state, p.fakes.prompter);
            p.state.dirty = false;
            QVERIFY(mf::reopenHistory(p.state, p.fakes.services, p.state.history.count - 1));
            QCOMPARE(p.state.grid.cell(2, mf::ColStart) + "-" + p.state.grid.cell(2, mf::ColEnd),
                     QString("5-7"));
        }
        if (orders)
            p.state.orders.orderCount = [] { return 2; };
        // What a sample sheet run killed in a page's copy leaves, swept with the rest.
        const QString pageLeftover =
            p.state.saveFolder + QStringLiteral("/一覧フォルダ/.mfcopy-a1B2c3.part");
        testfiles::writeFile(pageLeftover, "cut");
        // Done whole: a folder that no run has made yet holds nothing to sweep.
        QVERIFY(mf::removeStaleNumberingTemporaries(p.state.saveFolder));
        QVERIFY(mf::removeStaleExportTemporaries(p.state.saveFolder));
        QVERIFY(mf::removeStalePageTemporaries(p.state.saveFolder));
        QCOMPARE(p.temporaries(), 0);
        QVERIFY(!QFile::exists(pageLeftover));
        ScriptedPrompter opening;
        if (!texts.isEmpty())
            opening.expect(Answer::Yes);
        const mf::UnfinishedChoice choice = mf::checkUnfinishedNumberingOnOpen(p.state, opening);
        QCOMPARE(opening.texts(), texts);
        QCOMPARE(QFile::exists(mark), !texts.isEmpty());
        if (choice != mf::UnfinishedChoice::Rebuild)
            return;
        p.hooks.rebuildAgreed = true;
        p.hooks.saveProject = [&p] { return mf::numberingSaved(p.state), 0; };
        if (escAtPump > 0) {
            p.fakes.pump.calls = 0;
            p.fakes.pump.onPump = [&p, escAtPump](int call) {
                p.state.abortRequested = call == escAtPump;
            };
            QCOMPARE(p.run(), -2);
            QCOMPARE(p.highest(), 0);
            QCOMPARE(p.state.grid.cell(1, mf::ColEnd), QString("4"));
            ScriptedPrompter again;
            again.expect(Answer::No);
            QCOMPARE(mf::checkUnfinishedNumberingOnOpen(p.state, again),
                     mf::UnfinishedChoice::Refused);
            QCOMPARE(again.texts(), QStringList{QString(texts.first()).replace("1～2", "1～4")});
            return;
        }
        QCOMPARE(p.run(), 0);
        QCOMPARE(p.fakes.prompter.texts(), QStringList());
        QCOMPARE(p.highest(), 7);
        QCOMPARE(p.firstWrongPhoto(5), QString());
        QVERIFY(!QFile::exists(mark));
    }

    // An export killed while it empties the earlier export or copies is told when the project
    // is opened and by the next export, which mends it; its cut copy is swept away.
    void killedExportIsNoticed_data()
    {
        QTest::addColumn<QString>("kind"); // of the point killed at
        QTest::addColumn<int>("at");
        QTest::newRow("emptying the earlier export") << "file removed" << 2;
        QTest::newRow("inside the first copy") << "piece copied" << 3;
    }
    void killedExportIsNoticed()
    {
        QFETCH(QString, kind);
        QFETCH(int, at);
        Project p;
        QCOMPARE(p.exportOrders(), int(mf::ExportOk));
        const QStringList whole = p.exported();
        QVERIFY(!whole.contains(mf::kExportMarkName));
        QCOMPARE(testfiles::runInChild([&] {
                     mf::seams::setRangeCopyCall(smallPieces);
                     testfiles::killAtPoint(qPrintable(kind), at);
                     return p.exportOrders();
                 }),
                 -1);
        QVERIFY(p.exported().contains(mf::kExportMarkName));
        QCOMPARE(p.exported().filter(".part").isEmpty(), kind != "piece copied");

        const QString told = QStringLiteral("前回の注文別画像保存が完了していません。\n") +
                             mf::exportFolderOf(p.state.saveFolder) +
                             QStringLiteral("\n注文別画像フォルダの写真やサンプル指定が足りない"
                                            "可能性があります。もう一度「注文別に画像保存」を最"
                                            "後まで行うと正しく作り直されます。");
        // As the opening does: the killed export's lock is taken over, then its folder swept.
        QVERIFY(
            !mf::anotherCopyWorksIn({p.state.saveFolder, mf::exportFolderOf(p.state.saveFolder)}));
        QVERIFY(mf::removeStaleExportTemporaries(p.state.saveFolder));
        QStringList left = p.exported();
        left.removeOne(mf::kExportMarkName);
        for (const QString &name : left)
            QVERIFY2(whole.contains(name), qPrintable(name));
        ScriptedPrompter opening;
        mf::reportUnfinishedExport(p.state, opening);
        QCOMPARE(opening.texts(), QStringList{told});

        p.fakes.prompter = ScriptedPrompter();
        QCOMPARE(p.exportOrders(), int(mf::ExportOk));
        QCOMPARE(p.fakes.prompter.texts(), QStringList{told});
        QCOMPARE(p.exported(), whole);
    }
};

MF_REGISTER_TEST(KilledNumberingTest)
#include "tst_killednumbering.moc"
