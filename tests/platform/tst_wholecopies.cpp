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
        // The sweep of interrupted copies is not done when the folder was not read to its end;
        // a folder that is not there has nothing to sweep.
        g_entries = 0;
        QCOMPARE(mf::removeStaleTemporaries(dir.filePath("pages")), !failRead);
        QVERIFY(mf::removeStaleTemporaries(dir.filePath("none")));
        mf::seams::setReadDirCall(nullptr);
        QCOMPARE(filesIn(dir.filePath("pages")), failRead ? names : QStringList());
    }
};

MF_REGISTER_TEST(WholeCopiesTest)
#include "tst_wholecopies.moc"
