#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "numbering/Sequence.h"
#include "photos/NumberedPhotos.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemSeams.h"
#include "project/FolderList.h"
#include "project/ProjectFields.h"

#include <QDir>
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
};

MF_REGISTER_TEST(KilledNumberingTest)
#include "tst_killednumbering.moc"
