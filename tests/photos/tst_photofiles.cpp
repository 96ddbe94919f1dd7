#include "TestFiles.h"
#include "TestRegistry.h"
#include "photos/PhotoFiles.h"

#include <QTemporaryDir>
#include <QTest>

class PhotoFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Which files are photos, and which photos start as a JPEG image.
    void photoRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("photo");
        QTest::addColumn<bool>("jpeg");
        const QByteArray jfif("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10);
        const QByteArray macMetadata = QByteArray("\x00\x05\x16\x07\x00\x02\x00\x00", 8) +
                                       QByteArray("Mac OS X        ") + QByteArray(4000, '\0');
        QTest::newRow("camera name") << "IMG_0001.JPG" << jfif << true << true;
        QTest::newRow("mixed case") << "b.Jpg" << jfif << true << true;
        QTest::newRow("tables before the frame")
            << "c.jpg" << QByteArray("\xFF\xD8\xFF\xDB\x00\x84", 6) << true << true;
        QTest::newRow("AppleDouble") << "._IMG_0001.JPG" << macMetadata << false << false;
        QTest::newRow("hidden") << ".IMG_0003.JPG" << jfif << false << true;
        QTest::newRow("jpeg spelled out") << "d.jpeg" << jfif << false << true;
        QTest::newRow("jpg inside the name") << "e.jpg.txt" << jfif << false << true;
        QTest::newRow("blank after the extension") << "f.jpg " << jfif << false << true;
        QTest::newRow("decomposed name")
            << QStringLiteral("か\u3099っこう.jpg") << jfif << true << true;
        QTest::newRow("PNG renamed")
            << "phone.jpg" << QByteArray("\x89PNG\r\n\x1a\n", 8) << true << false;
        QTest::newRow("empty") << "cut.jpg" << QByteArray() << true << false;
        QTest::newRow("start of image only")
            << "g.jpg" << QByteArray("\xFF\xD8", 2) << true << false;
    }
    void photoRule()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, head);
        QFETCH(bool, photo);
        QFETCH(bool, jpeg);
        QTemporaryDir dir;
        testfiles::writeFile(dir.filePath(name), head);
        QCOMPARE(mf::isPhotoName(name), photo);
        QCOMPARE(mf::photoNames(dir.path()).contains(name), photo);
        QCOMPARE(mf::fileStartsAsJpeg(dir.filePath(name)), jpeg);
    }

    // A folder named like a photo is no photo; a folder or a missing file does not start
    // as a JPEG.
    void foldersAreNoPhotos()
    {
        QTemporaryDir dir;
        testfiles::writeFile(dir.filePath("album.jpg/IMG_0001.JPG"), "\xFF\xD8\xFF");
        testfiles::writeFile(dir.filePath("IMG_0002.JPG"), "\xFF\xD8\xFF");
        QCOMPARE(mf::photoNames(dir.path()), QStringList{"IMG_0002.JPG"});
        QVERIFY(!mf::fileStartsAsJpeg(dir.filePath("album.jpg")));
        QVERIFY(!mf::fileStartsAsJpeg(dir.filePath("missing.jpg")));
    }
};

MF_REGISTER_TEST(PhotoFilesTest)
#include "tst_photofiles.moc"
