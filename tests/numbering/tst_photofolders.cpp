#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "numbering/Sequence.h"
#include "project/FolderList.h"
#include "project/ProjectFields.h"
#include "project/UnfinishedNumbering.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// What a camera card or a share brings, from the folder list to the conversion log: which
// files are counted and numbered, how the log names them, and what the operator is told.
class PhotoFoldersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void folderContents_data()
    {
        QTest::addColumn<QString>("folderName");
        // "name=kind": jpeg (a camera photo), png, empty, mac (AppleDouble metadata); "name/"
        // a folder.
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("counted");         // -1: the folder is refused
        QTest::addColumn<QStringList>("logged");  // the source names, in number order
        QTest::addColumn<QStringList>("notJpeg"); // "number name" of each file told as no JPEG
        QTest::addColumn<QString>("refusedFor");  // the character named, or "mac"

        const QString school = QStringLiteral("運動会");
        QTest::newRow("ordinary") << school
                                  << QStringList{"IMG_0001.JPG=jpeg", "IMG_0002.jpg=jpeg",
                                                 "Thumbs.db=empty"}
                                  << 2 << QStringList{"IMG_0001.JPG", "IMG_0002.jpg"}
                                  << QStringList() << QString();
        QTest::newRow("AppleDouble beside each photo")
            << school
            << QStringList{"._IMG_0001.JPG=mac", "._IMG_0002.JPG=mac", "IMG_0001.JPG=jpeg",
                           "IMG_0002.JPG=jpeg"}
            << 2 << QStringList{"IMG_0001.JPG", "IMG_0002.JPG"} << QStringList() << QString();
        QTest::newRow("hidden photo")
            << school << QStringList{".IMG_0003.JPG=jpeg", "IMG_0004.JPG=jpeg"} << 1
            << QStringList{"IMG_0004.JPG"} << QStringList() << QString();
        QTest::newRow("folder named like a photo")
            << school << QStringList{"album.jpg/", "IMG_0001.JPG=jpeg"} << 1
            << QStringList{"IMG_0001.JPG"} << QStringList() << QString();
        QTest::newRow("PNG named .jpg")
            << school << QStringList{"IMG_0001.JPG=jpeg", "PHONE.jpg=png", "Z.jpg=png"} << 3
            << QStringList{"IMG_0001.JPG", "PHONE.jpg", "Z.jpg"}
            << QStringList{"0002 PHONE.jpg", "0003 Z.jpg"} << QString();
        QTest::newRow("0-byte file")
            << school << QStringList{"CUT.JPG=empty", "IMG_0002.JPG=jpeg"} << 2
            << QStringList{"CUT.JPG", "IMG_0002.JPG"} << QStringList{"0001 CUT.JPG"} << QString();
        QTest::newRow("file named on a Mac")
            << school << QStringList{QStringLiteral("か\u3099っこう.jpg=jpeg"), "IMG_0001.JPG=jpeg"}
            << 2 << QStringList{"IMG_0001.JPG", QStringLiteral("がっこう.jpg")} << QStringList()
            << QString();
        QTest::newRow("folder named on a Mac")
            << QStringLiteral("か\u3099っこう") << QStringList{"IMG_0001.JPG=jpeg"} << -1
            << QStringList() << QStringList() << "mac";
        QTest::newRow("emoji folder")
            << QStringLiteral("運動会\U0001F4F7") << QStringList{"IMG_0001.JPG=jpeg"} << -1
            << QStringList() << QStringList() << QStringLiteral("\U0001F4F7");
    }
    void folderContents()
    {
        QFETCH(QString, folderName);
        QFETCH(QStringList, entries);
        QFETCH(int, counted);
        QFETCH(QStringList, logged);
        QFETCH(QStringList, notJpeg);
        QFETCH(QString, refusedFor);

        QTemporaryDir dir;
        const QString folder = dir.filePath(folderName);
        QVERIFY(QDir().mkpath(folder));
        for (const QString &entry : entries)
            makeEntry(folder, entry);

        FakeServices fakes;
        mf::ProjectState state;
        state.titleText = mf::kTitleText;
        mf::setupGrid(state);
        mf::setProjectName(state, "event");
        mf::setSaveFolder(state, dir.filePath("save"));
        const bool added = mf::AddFolder(state, fakes.prompter, folder);
        QCOMPARE(added, counted >= 0);
        if (!added) {
            const QString expected =
                refusedFor == "mac"
                    ? mf::msg::pathWrittenByMac.arg(folderName, folder)
                    : mf::msg::pathCharNotStorable.arg(folderName, refusedFor, folder);
            QCOMPARE(fakes.prompter.texts(), QStringList{expected});
            QCOMPARE(state.folderCount(), 0);
            return;
        }
        QCOMPARE(state.grid.cell(1, mf::ColDirectJpegs), QString::number(counted));
        QCOMPARE(state.grid.cell(1, mf::ColAllJpegs), QString::number(counted));

        mf::SequenceHooks hooks;
        hooks.askStartNumber = [](int) { return 1; };
        hooks.saveProject = [&state] { return mf::numberingSaved(state), 0; };
        hooks.flushToDisk = [](const QString &) { return true; };
        QCOMPARE(mf::CreateSequentialFiles(state, fakes.services, hooks), 0);

        const QString seq = mf::sequenceFolder(state);
        QByteArray log;
        for (int n = 1; n <= logged.size(); ++n) {
            const QString target = seq + QString::asprintf("/%04d.jpg", n);
            QVERIFY(QFile::exists(target));
            log += testfiles::sjis(QString::asprintf("[%04d] ", n) + folder + u'/' + logged[n - 1] +
                                   ", " + target) +
                   "\r\n";
        }
        QVERIFY(!QFile::exists(seq + QString::asprintf("/%04d.jpg", int(logged.size()) + 1)));
        QCOMPARE(testfiles::readFile(seq + u'/' + mf::kConversionLogName), log);
        QCOMPARE(state.grid.cell(1, mf::ColEnd), QString::number(logged.size()));

        QStringList told;
        for (const QString &line : notJpeg)
            told.append(u'[' + line.section(u' ', 0, 0) + "] " + folder + u'/' +
                        line.section(u' ', 1));
        QCOMPARE(fakes.prompter.texts(),
                 told.isEmpty() ? QStringList()
                                : QStringList{mf::msg::notJpegImages.arg(told.join(u'\n'))});
    }

private:
    static void makeEntry(const QString &folder, const QString &entry)
    {
        if (entry.endsWith(u'/')) {
            QVERIFY(QDir().mkpath(folder + u'/' + entry));
            return;
        }
        const QString name = entry.section(u'=', 0, 0);
        const QString kind = entry.section(u'=', 1);
        QByteArray bytes;
        if (kind == "jpeg")
            bytes = testfiles::readFile(testfiles::photo(1));
        else if (kind == "png")
            bytes = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + QByteArray(2000, 'p');
        else if (kind == "mac")
            bytes =
                QByteArray("\0\x05\x16\x07\0\x02\0\0Mac OS X        ", 24) + QByteArray(4072, '\0');
        testfiles::writeFile(folder + u'/' + name, bytes);
    }
};

MF_REGISTER_TEST(PhotoFoldersTest)
#include "tst_photofolders.moc"
