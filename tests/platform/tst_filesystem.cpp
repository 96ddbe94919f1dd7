#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using testfiles::readFile;
using testfiles::writeFile;

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
        QCOMPARE(mf::listJpegNames(dir.path()),
                 QStringList({"10.jpg", "9.jpg", "a.jpg", "B.JPG", "b.jpg", "C.jpg"}));
        QVERIFY(mf::listEntries(dir.filePath("missing")).isEmpty());
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

    void failedCopyLeavesNothingBehind()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("dst"), "old");
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
};

MF_REGISTER_TEST(FileSystemTest)
#include "tst_filesystem.moc"
