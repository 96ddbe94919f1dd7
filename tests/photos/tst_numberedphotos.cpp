#include "TestFiles.h"
#include "TestRegistry.h"
#include "photos/NumberedPhotos.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class NumberedPhotosTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Only names numbering writes count: prefix, four or more digits, ".jpg", below 100000.
    void numbers_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("four digits")
            << "12_" << QStringList{"12_0012.jpg", "12_0001.jpg"} << QList<int>{1, 12};
        QTest::newRow("five digits read whole")
            << "12_" << QStringList{"12_9999.jpg", "12_10000.jpg"} << QList<int>{9999, 10000};
        QTest::newRow("no prefix") << "" << QStringList{"0007.jpg", "0003.jpg"} << QList<int>{3, 7};
        QTest::newRow("camera date name")
            << "" << QStringList{"20240501.jpg", "0004.jpg"} << QList<int>{4};
        QTest::newRow("limit") << "" << QStringList{"99999.jpg", "100000.jpg"} << QList<int>{99999};
        QTest::newRow("other prefix")
            << "12_" << QStringList{"IMG_1234.jpg", "0005.jpg"} << QList<int>{};
        QTest::newRow("prefix missing") << "" << QStringList{"12_0005.jpg"} << QList<int>{};
        QTest::newRow("three digits") << "" << QStringList{"123.jpg", "a_0001.jpg"} << QList<int>{};
        QTest::newRow("upper-case extension")
            << "12_" << QStringList{"12_0005.JPG"} << QList<int>{};
        QTest::newRow("sign or blank")
            << "" << QStringList{"-0123.jpg", " 0123.jpg", "+0123.jpg"} << QList<int>{};
        QTest::newRow("zero") << "" << QStringList{"0000.jpg", "00000.jpg"} << QList<int>{};
        QTest::newRow("other extension")
            << "" << QStringList{"0001.jpeg", "0002.jpg.txt"} << QList<int>{};
        QTest::newRow("what a killed copy or save left")
            << "" << QStringList{".mfcopy-a9Z0bY.part", "0001.jpg.a9Z0bY", "0002.jpg"}
            << QList<int>{2};
        QTest::newRow("folder named like a photo")
            << "" << QStringList{"0009.jpg/"} << QList<int>{};
    }
    void numbers()
    {
        QFETCH(QString, prefix);
        QFETCH(QStringList, files);
        QFETCH(QList<int>, numbers);
        QTemporaryDir tmp;
        const QString folder = mf::sequenceFolderOf(tmp.path());
        QCOMPARE(folder, tmp.path() + QStringLiteral("/連番フォルダ"));
        QDir().mkpath(folder);
        for (const QString &f : files) {
            if (f.endsWith(u'/'))
                QDir().mkpath(folder + u'/' + f);
            else
                testfiles::writeFile(folder + u'/' + f, {});
        }
        QList<int> found;
        for (const mf::NumberedPhoto &p : mf::numberedPhotos(folder, prefix)) {
            QCOMPARE(p.path, mf::sequentialFilePath(folder, prefix, p.number));
            found.append(p.number);
        }
        QCOMPARE(found, numbers);
        QCOMPARE(mf::highestPhotoNumberIn(folder, prefix), numbers.isEmpty() ? 0 : numbers.last());
    }

    void missingFolder()
    {
        QTemporaryDir tmp;
        QCOMPARE(mf::highestPhotoNumberIn(tmp.filePath("none"), ""), 0);
        QCOMPARE(mf::sequentialFilePath("/s", "12_", 10001), QStringLiteral("/s/12_10001.jpg"));
    }
};

MF_REGISTER_TEST(NumberedPhotosTest)
#include "tst_numberedphotos.moc"
