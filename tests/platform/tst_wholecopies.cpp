#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemSeams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>

#include <unistd.h>

using mf::CopyResult;
using testfiles::readFile;
using testfiles::writeFile;

namespace {

// What the stand-in for copy_file_range does: copy pieces of at most kPiece bytes for the
// first `pieces` calls, then fail with `error` (0 on the first call when error is 0).
constexpr size_t kPiece = 4096;
int g_pieces = 0;
int g_error = 0;
int g_calls = 0;

ssize_t injectedRangeCopy(int in, int out, size_t length)
{
    if (++g_calls > g_pieces) {
        errno = g_error;
        return g_error == 0 ? 0 : -1;
    }
    return ::copy_file_range(in, nullptr, out, nullptr, std::min(length, kPiece), 0);
}

ssize_t smallPieces(int in, int out, size_t length)
{
    return ::copy_file_range(in, nullptr, out, nullptr, std::min(length, kPiece), 0);
}

// The stand-in for readdir: fails with EIO after two entries, or leaves a stale EIO in errno
// after every entry it returns.
bool g_failRead = false;
int g_entries = 0;

dirent *injectedReadDir(DIR *dir)
{
    if (g_failRead && ++g_entries > 2) {
        errno = EIO;
        return nullptr;
    }
    dirent *e = ::readdir(dir);
    if (e && !g_failRead)
        errno = EIO;
    return e;
}

// Ends the process at the g_killAt-th point of a copy, as a kill -9 would.
int g_killAt = 0;
int g_points = 0;

void killAtChosenPoint(mf::seams::CopyPoint)
{
    if (++g_points == g_killAt)
        ::kill(::getpid(), SIGKILL);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

struct SeamReset {
    ~SeamReset()
    {
        mf::seams::setRangeCopyCall(nullptr);
        mf::seams::setReadDirCall(nullptr);
        mf::setRangeCopyEnabled(true);
    }
};

} // namespace

class WholeCopiesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The kernel copy fails before its first byte where a plain copy works (a sandbox, a
    // share): the copy is made the ordinary way, and that pair of file systems is not asked
    // again. A real error, or one after bytes were written, fails the copy.
    void kernelCopyFallback_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("first");  // CopyResult of the first copy
        QTest::addColumn<int>("second"); // and of a second one between the same folders
        QTest::addColumn<int>("calls");  // calls of copy_file_range for both
        const int copied = int(CopyResult::Copied), failed = int(CopyResult::Failed);
        const QList<QPair<const char *, int>> unavailable = {
            {"ENOSYS", ENOSYS}, {"EXDEV", EXDEV},   {"EINVAL", EINVAL}, {"EOPNOTSUPP", EOPNOTSUPP},
            {"EPERM", EPERM},   {"EACCES", EACCES}, {"EBADF", EBADF},   {"ETXTBSY", ETXTBSY},
            {"ENOTTY", ENOTTY}, {"ENOENT", ENOENT}, {"0 bytes", 0}};
        for (const auto &[name, error] : unavailable)
            QTest::addRow("%s", name) << error << 0 << copied << copied << 1;
        QTest::newRow("EIO") << EIO << 0 << failed << failed << 2;
        QTest::newRow("ENOSPC") << ENOSPC << 0 << failed << failed << 2;
        QTest::newRow("EPERM after the first piece") << EPERM << 1 << failed << copied << 3;
    }
    void kernelCopyFallback()
    {
        QFETCH(int, error);
        QFETCH(int, pieces);
        const SeamReset reset;
        QTemporaryDir dir;
        QByteArray photo;
        for (int i = 0; i < 3000; ++i)
            photo += QByteArray::number(i);
        writeFile(dir.filePath("src/photo.jpg"), photo);
        QDir().mkpath(dir.filePath("dst"));
        mf::seams::setRangeCopyCall(injectedRangeCopy);
        g_error = error;
        g_pieces = pieces;
        g_calls = 0;
        QTEST(int(mf::copyFile(dir.filePath("src/photo.jpg"), dir.filePath("dst/0001.jpg"))),
              "first");
        QTEST(int(mf::copyFile(dir.filePath("src/photo.jpg"), dir.filePath("dst/0002.jpg"))),
              "second");
        QTEST(g_calls, "calls");
        // A copy is there whole or not at all, and nothing else is.
        for (const QString &name : filesIn(dir.filePath("dst")))
            QCOMPARE(readFile(dir.filePath("dst/" + name)), photo);
    }

    // A folder read that fails half way is not the end of the folder: listing and emptying
    // fail. A stale errno at the true end is no failure.
    void folderReadError_data()
    {
        QTest::addColumn<bool>("failRead");
        QTest::newRow("read fails after two entries") << true;
        QTest::newRow("stale errno at the end") << false;
    }
    void folderReadError()
    {
        QFETCH(bool, failRead);
        const SeamReset reset;
        QTemporaryDir dir;
        const QStringList names{"0001.jpg", "0002.jpg", "0003.jpg", "0004.jpg"};
        for (const QString &name : names)
            writeFile(dir.filePath("pages/" + name), "x");
        mf::seams::setReadDirCall(injectedReadDir);
        g_failRead = failRead;
        g_entries = 0;
        bool readError = !failRead;
        const QList<mf::DirEntry> entries =
            mf::listEntries(dir.filePath("pages"), nullptr, &readError);
        QCOMPARE(readError, failRead);
        QCOMPARE(entries.size(), failRead ? 0 : names.size());
        g_entries = 0;
        QCOMPARE(mf::ClearFolder(dir.filePath("pages")), failRead ? -1 : 0);
        mf::seams::setReadDirCall(nullptr);
        QCOMPARE(filesIn(dir.filePath("pages")), failRead ? names : QStringList());
    }

    // Only what an interrupted copy or save of our own files left goes.
    void staleTemporaries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::newRow("copy") << ".mfcopy-a9Z0bY.part" << true;
        QTest::newRow("copy, five characters") << ".mfcopy-a9Z0b.part" << false;
        QTest::newRow("copy, a sign") << ".mfcopy-a9Z0b-.part" << false;
        QTest::newRow("copy, other end") << ".mfcopy-a9Z0bY.jpg" << false;
        QTest::newRow("save of our file") << "own.txt.Qw3rTy" << true;
        QTest::newRow("save of another file") << "other.txt.Qw3rTy" << false;
        QTest::newRow("save, seven characters") << "own.txt.Qw3rTy7" << false;
        QTest::newRow("save, no dot") << "own.txtQw3rTy" << false;
        QTest::newRow("our file itself") << "own.txt" << false;
        QTest::newRow("a photo") << "0001.jpg" << false;
        QTest::newRow("a folder named like a copy") << ".mfcopy-a9Z0bY.part/" << false;
    }
    void staleTemporaries()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (name.endsWith(u'/'))
            QDir().mkpath(path);
        else
            writeFile(path, "x");
        QVERIFY(mf::removeStaleTemporaries(
            dir.path(), [](QStringView n) { return n == QLatin1String("own.txt"); }));
        QCOMPARE(!QFileInfo::exists(path), removed);
        QVERIFY(!mf::removeStaleTemporaries(dir.filePath("missing")));
    }

    // A copy killed at any point leaves the target whole or as it was, never cut; the
    // temporary it may leave has the copy temporary's name.
    void killedCopyLeavesNoCutFile_data()
    {
        QTest::addColumn<bool>("ranged");
        QTest::addColumn<bool>("replace");
        for (bool ranged : {true, false}) {
            const char *way = ranged ? "in the kernel" : "ordinary";
            QTest::addRow("new target, %s", way) << ranged << false;
            QTest::addRow("replacing, %s", way) << ranged << true;
        }
    }
    void killedCopyLeavesNoCutFile()
    {
        QFETCH(bool, ranged);
        QFETCH(bool, replace);
        QTemporaryDir dir;
        const QByteArray photo(5 * kPiece + 100, 'p'), old("old");
        writeFile(dir.filePath("photo.jpg"), photo);
        const QString target = dir.filePath("out/0001.jpg");
        int kills = 0;
        for (g_killAt = 1;; ++g_killAt) {
            QDir(dir.filePath("out")).removeRecursively();
            if (replace)
                writeFile(target, old);
            else
                QDir().mkpath(dir.filePath("out"));
            const int rc = testfiles::runInChild([&] {
                mf::setRangeCopyEnabled(ranged);
                mf::seams::setRangeCopyCall(smallPieces);
                g_points = 0;
                mf::seams::setCopyPointHook(killAtChosenPoint);
                return int(mf::copyFile(dir.filePath("photo.jpg"), target, replace));
            });
            if (rc != -1) {
                QCOMPARE(rc, int(CopyResult::Copied));
                break;
            }
            ++kills;
            const QByteArray found = readFile(target);
            QVERIFY2(found == photo || found == (replace ? old : QByteArray()),
                     qPrintable(QStringLiteral("cut at point %1").arg(g_killAt)));
            for (const QString &name : filesIn(dir.filePath("out")))
                QVERIFY(name == QLatin1String("0001.jpg") || mf::isCopyTemporaryName(name));
            QVERIFY(mf::removeStaleTemporaries(dir.filePath("out")));
            QCOMPARE(filesIn(dir.filePath("out")).size(), QFileInfo::exists(target) ? 1 : 0);
        }
        // Created, a piece at a time (the ordinary copy takes it in one), whole, renamed.
        QCOMPARE(kills, ranged ? 9 : 4);
        QCOMPARE(readFile(target), photo);
    }
};

MF_REGISTER_TEST(WholeCopiesTest)
#include "tst_wholecopies.moc"
