#include "TestFiles.h"
#include "TestRegistry.h"
#include "photos/PhotoFiles.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemSeams.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testfiles::readFile;
using testfiles::writeFile;

namespace {

// Creates a file whose name is the given bytes, whatever they are, and the folders a
// relative name passes through.
void writeRawName(const QString &folder, const QByteArray &name)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0755);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "x", 1), ssize_t(1));
    ::close(fd);
}

// Stand-ins for futimens and fchmod that fail with g_attributeError.
int g_attributeError = 0;
int failingTimesCall(int, const struct timespec *)
{
    errno = g_attributeError;
    return -1;
}
int failingModeCall(int, mode_t)
{
    errno = g_attributeError;
    return -1;
}

// Picks the way copies are made for one test, and puts the usual way back after it.
struct RangeCopyGuard {
    explicit RangeCopyGuard(bool ranged) { mf::setRangeCopyEnabled(ranged); }
    ~RangeCopyGuard()
    {
        mf::setRangeCopyEnabled(true);
        mf::seams::setFileTimesCall(nullptr);
        mf::seams::setFileModeCall(nullptr);
    }
};

} // namespace

class FileSystemTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listingOrderIsStable()
    {
        QTemporaryDir dir;
        for (const char *name : {"b.jpg", "B.JPG", "a.jpg", "C.jpg", "_x", "10.jpg", "9.jpg"})
            writeFile(dir.filePath(QString::fromLatin1(name)), "x");
        QDir(dir.path()).mkdir("Sub");
        QStringList names;
        for (const mf::DirEntry &e : mf::listEntries(dir.path()))
            names.append(e.name + (e.isDir ? "/" : ""));
        // By name ignoring ASCII case, ties by the exact name (upper case first).
        QCOMPARE(names, QStringList(
                            {"10.jpg", "9.jpg", "_x", "a.jpg", "B.JPG", "b.jpg", "C.jpg", "Sub/"}));
        QCOMPARE(mf::photoNames(dir.path()),
                 QStringList({"10.jpg", "9.jpg", "a.jpg", "B.JPG", "b.jpg", "C.jpg"}));
        QVERIFY(mf::listEntries(dir.filePath("missing")).isEmpty());
    }

    // Names in another encoding (Shift-JIS from a zip made on Windows) cannot be opened
    // through a QString: they are reported, never listed under a mangled name or dropped.
    void undecodableNamesAreReported()
    {
        QTemporaryDir dir;
        for (const char *name : {"b.jpg", "A.jpg", "c.jpg"})
            writeFile(dir.filePath(QString::fromLatin1(name)), "x");
        writeFile(dir.filePath(QStringLiteral("テスト.jpg")), "x"); // UTF-8: an ordinary name
        writeRawName(dir.path(), "\x83\x65\x83\x58\x83\x67.jpg");   // テスト in Shift-JIS
        writeRawName(dir.path(), "\x95\x5c.jpg");                   // 表 in Shift-JIS
        QVERIFY(QDir(dir.path()).mkdir(QString::fromLatin1("\xe9t\xe9"))); // stays valid UTF-8
        QVERIFY(::mkdir((QFile::encodeName(dir.path()) + "/sub\xff").constData(), 0755) == 0);

        QStringList undecodable{"stale"};
        QStringList names;
        for (const mf::DirEntry &e : mf::listEntries(dir.path(), &undecodable))
            names.append(e.name + (e.isDir ? "/" : ""));
        QCOMPARE(names, QStringList({"A.jpg", "b.jpg", "c.jpg", QStringLiteral("été/"),
                                     QStringLiteral("テスト.jpg")}));
        const QString bad(QChar(0xFFFD));
        QCOMPARE(undecodable,
                 QStringList({"sub" + bad, bad + "\\.jpg", bad + "e" + bad + "X" + bad + "g.jpg"}));
        QCOMPARE(mf::photoNames(dir.path()),
                 QStringList({"A.jpg", "b.jpg", "c.jpg", QStringLiteral("テスト.jpg")}));
        QVERIFY(mf::listEntries(dir.filePath("missing"), &undecodable).isEmpty());
        QVERIFY(undecodable.isEmpty());
    }

    void linkToParentIsNotEntered()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("a");
        QVERIFY(QFile::link(dir.path(), dir.filePath("a/loop")));
        const QList<mf::DirEntry> entries = mf::listEntries(dir.filePath("a"));
        QCOMPARE(entries.size(), 1);
        QVERIFY(!entries[0].isDir);
    }

    void clearFolder_data()
    {
        QTest::addColumn<QByteArrayList>("files"); // raw paths below the folder
        QTest::addColumn<QString>("readOnly");     // a subfolder nothing may be removed from
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("left"); // what stays directly in the folder
        // Shift-JIS names from a zip made on Windows: テスト.jpg in 0012, a folder named 表.
        QTest::newRow("any depth, names that are not UTF-8")
            << QByteArrayList{"a.txt", "sub/deeper/b.jpg", "0012/\x83\x65\x83\x58\x83\x67.jpg",
                              "\x95\x5c/x.jpg", "\x95\x5c.jpg"}
            << "" << 0 << QStringList();
        QTest::newRow("read-only subfolder")
            << QByteArrayList{"0012/b.jpg"} << "0012" << -1 << QStringList{"0012", "link"};
    }
    void clearFolder()
    {
        QFETCH(QByteArrayList, files);
        QFETCH(QString, readOnly);
        QTemporaryDir dir;
        const QString folder = dir.filePath("x");
        for (const QByteArray &file : files)
            writeRawName(folder, file);
        // A link to a folder outside: the link goes, what it points to stays.
        writeFile(dir.filePath("outside/keep.jpg"), "x");
        QVERIFY(QFile::link(dir.filePath("outside"), folder + "/link"));
        // Root may remove anything, so a read-only folder is cleared as an ordinary user.
        const QString locked = folder + "/" + readOnly;
        if (!readOnly.isEmpty()) {
            QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755));
            QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
            QFile::setPermissions(locked, QFileDevice::Permissions(0x5555));
        }
        const int rc = testfiles::runInChild([&] {
            if (!readOnly.isEmpty() && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return 10;
            return -mf::ClearFolder(folder);
        });
        if (!readOnly.isEmpty())
            QFile::setPermissions(locked, QFileDevice::Permissions(0x7755));
        if (rc == 10)
            QSKIP("cannot clear as an ordinary user here");
        QTEST(-rc, "result");
        QStringList left; // undecodable names are reported apart, never dropped
        for (const mf::DirEntry &e : mf::listEntries(folder, &left))
            left.append(e.name);
        QTEST(left, "left");
        if (!readOnly.isEmpty())
            QVERIFY(QFile::exists(locked + "/b.jpg"));
        QCOMPARE(readFile(dir.filePath("outside/keep.jpg")), QByteArray("x"));
        QCOMPARE(mf::ClearFolder(dir.filePath("missing")), 0);
    }

    void copyNeverReplacesUnlessAsked()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("src"), "new");
        writeFile(dir.filePath("dst"), "old");
        QCOMPARE(mf::copyFile(dir.filePath("src"), dir.filePath("dst")),
                 mf::CopyResult::TargetExists);
        QCOMPARE(readFile(dir.filePath("dst")), QByteArray("old"));
        QCOMPARE(mf::copyFile(dir.filePath("src"), dir.filePath("dst"), true),
                 mf::CopyResult::Copied);
        QCOMPARE(readFile(dir.filePath("dst")), QByteArray("new"));
        QCOMPARE(mf::copyFile(dir.filePath("src"), dir.filePath("fresh")), mf::CopyResult::Copied);
    }

    // Both ways of copying: inside the kernel, and the ordinary copy it falls back to. Setting
    // the time or the permissions may fail: a file system that cannot hold them keeps the copy
    // without them, a drive error fails it and leaves the target as it was.
    void copyKeepsModificationTime_data()
    {
        QTest::addColumn<bool>("ranged");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<QString>("failingCall"); // futimens or fchmod, failing with `error`
        QTest::addColumn<int>("error");
        for (bool ranged : {true, false}) {
            const char *way = ranged ? "in the kernel" : "ordinary";
            QTest::addRow("new target, %s", way) << ranged << false << false << QString() << 0;
            QTest::addRow("replace an existing target, %s", way)
                << ranged << true << true << QString() << 0;
            QTest::addRow("replace, no target yet, %s", way)
                << ranged << true << false << QString() << 0;
        }
        QTest::newRow("time refused by a share")
            << true << false << false << QString("futimens") << EPERM;
        QTest::newRow("mode refused by FAT") << false << true << true << QString("fchmod") << EPERM;
        QTest::newRow("drive error setting the time")
            << true << true << true << QString("futimens") << EIO;
        QTest::newRow("drive error setting the mode")
            << false << false << false << QString("fchmod") << EIO;
    }
    void copyKeepsModificationTime()
    {
        QFETCH(bool, ranged);
        QFETCH(bool, replace);
        QFETCH(bool, targetExists);
        QFETCH(QString, failingCall);
        QFETCH(int, error);
        const RangeCopyGuard way(ranged);
        g_attributeError = error;
        if (failingCall == "futimens")
            mf::seams::setFileTimesCall(failingTimesCall);
        if (failingCall == "fchmod")
            mf::seams::setFileModeCall(failingModeCall);
        QTemporaryDir dir;
        const QString source = dir.filePath("photo.jpg"), target = dir.filePath("0001.jpg");
        writeFile(source, "photo");
        const QDateTime taken(QDate(2019, 10, 5), QTime(9, 30, 15, 250), Qt::UTC);
        {
            QFile f(source);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(taken, QFileDevice::FileModificationTime));
        }
        if (targetExists)
            writeFile(target, "old");
        if (error == EIO) {
            QCOMPARE(mf::copyFile(source, target, replace), mf::CopyResult::Failed);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList({"0001.jpg", "photo.jpg"}).mid(targetExists ? 0 : 1));
            QCOMPARE(readFile(target), targetExists ? QByteArray("old") : QByteArray());
            return;
        }
        QCOMPARE(mf::copyFile(source, target, replace), mf::CopyResult::Copied);
        QCOMPARE(readFile(target), QByteArray("photo"));
        QCOMPARE(QFileInfo(target).lastModified().toUTC() == taken, failingCall != "futimens");
    }

    void failedCopyLeavesNothingBehind_data()
    {
        QTest::addColumn<bool>("ranged");
        QTest::newRow("in the kernel") << true;
        QTest::newRow("ordinary") << false;
    }
    void failedCopyLeavesNothingBehind()
    {
        QFETCH(bool, ranged);
        const RangeCopyGuard way(ranged);
        QTemporaryDir dir;
        writeFile(dir.filePath("dst"), "old");
        // A full disk half way through a copy, new target or replacement.
        writeFile(dir.filePath("big"), QByteArray(64 * 1024, 'x'));
        QCOMPARE(testfiles::runWithFileSizeLimit(
                     4096,
                     [&] {
                         return int(mf::copyFile(dir.filePath("big"), dir.filePath("new"))) * 3 +
                                int(mf::copyFile(dir.filePath("big"), dir.filePath("dst"), true));
                     }),
                 int(mf::CopyResult::Failed) * 4);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"big", "dst"}));
        QVERIFY(QFile::remove(dir.filePath("big")));
        QCOMPARE(mf::copyFile(dir.filePath("missing"), dir.filePath("new")),
                 mf::CopyResult::Failed);
        QVERIFY(!QFileInfo::exists(dir.filePath("new")));
        // A failed replacement keeps the file it would have replaced.
        QCOMPARE(mf::copyFile(dir.filePath("missing"), dir.filePath("dst"), true),
                 mf::CopyResult::Failed);
        QCOMPARE(readFile(dir.filePath("dst")), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"dst"}));
    }

    void copyOfReadOnlyFileIsMadeWritable()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("ro.jpg"), "photo");
        QFile::setPermissions(dir.filePath("ro.jpg"), QFile::ReadOwner | QFile::ReadGroup);
        QCOMPARE(mf::copyFile(dir.filePath("ro.jpg"), dir.filePath("copy.jpg")),
                 mf::CopyResult::Copied);
        QVERIFY(mf::makeWritable(dir.filePath("copy.jpg")));
        QVERIFY(QFile::permissions(dir.filePath("copy.jpg")) & QFile::WriteOwner);
    }

    void folderHelpers()
    {
        QTemporaryDir dir;
        const QString deep = dir.filePath("a/b/c");
        QVERIFY(mf::makePath(deep));
        QVERIFY(mf::isEnterableDir(deep));
        QVERIFY(!mf::isEnterableDir(dir.filePath("a/missing")));
        writeFile(dir.filePath("file"), "x");
        QVERIFY(!mf::isEnterableDir(dir.filePath("file")));
        QVERIFY(!mf::removeEmptyDir(dir.filePath("a"))); // not empty
        QVERIFY(mf::removeEmptyDir(deep));
        QVERIFY(mf::removeFile(dir.filePath("file")));
        QVERIFY(!mf::removeFile(dir.filePath("file")));
        QVERIFY(mf::flushFileSystem(dir.path()));
        QVERIFY(!mf::flushFileSystem(dir.filePath("a/missing")));
    }

    void programFolderRule()
    {
        QTemporaryDir dir;
        const QString exe = dir.filePath("bin"), user = dir.filePath("user"),
                      share = dir.filePath("share");
        QDir().mkpath(exe);
        writeFile(share + "/outputFmt.def", "installed");

        // No outputFmt.def beside the executable: the user folder, seeded from share.
        QCOMPARE(mf::resolveProgramFolder(exe, user, share), user + "/");
        QCOMPARE(readFile(user + "/outputFmt.def"), QByteArray("installed"));
        // An edited copy in the user folder is never overwritten by the seed.
        writeFile(user + "/outputFmt.def", "edited");
        QCOMPARE(mf::resolveProgramFolder(exe, user, share), user + "/");
        QCOMPARE(readFile(user + "/outputFmt.def"), QByteArray("edited"));

        // A portable install: the executable's folder itself.
        writeFile(exe + "/outputFmt.def", "portable");
        QCOMPARE(mf::resolveProgramFolder(exe, user, share), exe + "/");
    }

    // A program folder that holds outputFmt.def but may not be written (an install on a
    // read-only share) hands over to the per-user folder, seeded with the copy beside the
    // executable. The rule runs in a child as an ordinary user, since root may write anywhere.
    void readOnlyProgramFolderSeedsUserFolder_data()
    {
        QTest::addColumn<bool>("besideExe");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QByteArray>("seeded"); // empty: no outputFmt.def in the user folder
        QTest::newRow("copy beside the executable wins")
            << true << true << QByteArray("beside the executable");
        QTest::newRow("only beside the executable")
            << true << false << QByteArray("beside the executable");
        QTest::newRow("only the installed copy") << false << true << QByteArray("installed");
        QTest::newRow("none") << false << false << QByteArray();
    }
    void readOnlyProgramFolderSeedsUserFolder()
    {
        QFETCH(bool, besideExe);
        QFETCH(bool, installed);
        QFETCH(QByteArray, seeded);
        QTemporaryDir dir;
        const QString exe = dir.filePath("bin"), user = dir.filePath("home/user"),
                      share = dir.filePath("share");
        QDir().mkpath(exe);
        QDir().mkpath(share);
        QDir().mkpath(dir.filePath("home"));
        if (besideExe)
            writeFile(exe + "/outputFmt.def", "beside the executable");
        if (installed)
            writeFile(share + "/outputFmt.def", "installed");
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(dir.filePath("home")).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(exe).constData(), 0555) == 0);

        const int rc = testfiles::runInChild([&] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return 10;
            if (QFileInfo(exe).isWritable())
                return 11;
            const QString folder = mf::resolveProgramFolder(exe, user, share);
            return folder == user + "/" ? 0 : folder == exe + "/" ? 1 : 2;
        });
        if (rc == 10 || rc == 11)
            QSKIP("cannot make a folder read-only for this process");
        QCOMPARE(rc, 0);
        QCOMPARE(readFile(user + "/outputFmt.def"), seeded);
        QCOMPARE(QFileInfo::exists(user + "/outputFmt.def"), !seeded.isEmpty());
    }
};

MF_REGISTER_TEST(FileSystemTest)
#include "tst_filesystem.moc"
