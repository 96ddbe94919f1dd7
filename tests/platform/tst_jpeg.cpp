#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/Jpeg.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Mean of each channel (blue, green, red) over a BGR raster.
std::array<double, 3> meanBgr(const QImage &image)
{
    std::array<double, 3> sum{0, 0, 0};
    for (int y = 0; y < image.height(); ++y) {
        const uchar *p = image.constScanLine(y);
        for (int x = 0; x < image.width() * 3; ++x)
            sum[x % 3] += p[x];
    }
    const double n = double(image.width()) * image.height();
    return {sum[0] / n, sum[1] / n, sum[2] / n};
}

} // namespace

class JpegTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void damagedFilesAreRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("result");
        QTest::newRow("empty") << "empty.jpg" << int(mf::JpegNotJpeg);
        QTest::newRow("text") << "not_a_jpeg.jpg" << int(mf::JpegNotJpeg);
        QTest::newRow("truncated") << "truncated.jpg" << int(mf::JpegDamaged);
        QTest::newRow("huge header") << "huge_dimensions_header.jpg" << int(mf::JpegTooLarge);
        QTest::newRow("missing") << "no_such_file.jpg" << int(mf::JpegCannotOpen);
    }
    void damagedFilesAreRefused()
    {
        QFETCH(QString, file);
        QFETCH(int, result);
        const QString path = testfiles::testdata("damaged/" + file);
        QImage image(3, 3, QImage::Format_BGR888);
        QCOMPARE(mf::decodeJpeg(path, &image), result);
        QCOMPARE(image.size(), QSize(3, 3)); // the caller's raster is left alone
        QCOMPARE(mf::decodeJpeg(path, &image, 64, 48), result);
    }

    void validVariantsDecodeToColour_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("grey") << "damaged/gray.jpg" << QSize(800, 534);
        QTest::newRow("cmyk") << "damaged/cmyk.jpg" << QSize(800, 534);
        QTest::newRow("progressive") << "damaged/progressive.jpg" << QSize(800, 534);
        QTest::newRow("exif") << "damaged/exif_orientation_6.jpg" << QSize(800, 534);
        QTest::newRow("tiny") << "damaged/too_small_48x32.jpg" << QSize(48, 32);
        QTest::newRow("portrait photo") << "photos/photo05.jpg" << QSize(1067, 1600);
    }
    void validVariantsDecodeToColour()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QImage image;
        QCOMPARE(mf::decodeJpeg(testfiles::testdata(file), &image), int(mf::JpegOk));
        QCOMPARE(image.format(), QImage::Format_BGR888);
        QCOMPARE(image.size(), size);
        mf::JpegInfo info;
        QCOMPARE(mf::readJpegInfo(testfiles::testdata(file), &info), int(mf::JpegOk));
        QCOMPARE(QSize(info.width, info.height), size);
    }

    void cmykColoursMatchTheRgbOriginal()
    {
        // cmyk.jpg and progressive.jpg hold the same picture: inverted or swapped channels
        // would move the means far apart.
        QImage cmyk, rgb;
        QCOMPARE(mf::decodeJpeg(testfiles::testdata("damaged/cmyk.jpg"), &cmyk), int(mf::JpegOk));
        QCOMPARE(mf::decodeJpeg(testfiles::testdata("damaged/progressive.jpg"), &rgb),
                 int(mf::JpegOk));
        const auto a = meanBgr(cmyk), b = meanBgr(rgb);
        for (int c = 0; c < 3; ++c)
            QVERIFY2(std::abs(a[c] - b[c]) < 25, qPrintable(QString::number(a[c] - b[c])));
    }

    void scaledDecodeIsSmallestCoveringScale_data()
    {
        QTest::addColumn<int>("minW");
        QTest::addColumn<int>("minH");
        QTest::addColumn<QSize>("size");
        QTest::newRow("thumbnail") << 64 << 48 << QSize(200, 134); // 1/8 of 1600 x 1067
        QTest::newRow("quarter") << 300 << 200 << QSize(400, 267);
        QTest::newRow("half") << 500 << 0 << QSize(800, 534);
        QTest::newRow("full") << 1000 << 0 << QSize(1600, 1067);
        QTest::newRow("larger than photo") << 3000 << 3000 << QSize(1600, 1067);
    }
    void scaledDecodeIsSmallestCoveringScale()
    {
        QFETCH(int, minW);
        QFETCH(int, minH);
        QFETCH(QSize, size);
        QImage image;
        QCOMPARE(mf::decodeJpeg(testfiles::photo(1), &image, minW, minH), int(mf::JpegOk));
        QCOMPARE(image.size(), size);
    }

    void encodeRoundTrip_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("result");
        QTest::newRow("0") << 0 << int(mf::JpegOk);
        QTest::newRow("50") << 50 << int(mf::JpegOk);
        QTest::newRow("100") << 100 << int(mf::JpegOk);
        QTest::newRow("101") << 101 << int(mf::JpegEncodeFailed);
        QTest::newRow("-1") << -1 << int(mf::JpegEncodeFailed);
    }
    void encodeRoundTrip()
    {
        QFETCH(int, quality);
        QFETCH(int, result);
        QImage image(120, 80, QImage::Format_BGR888);
        image.fill(QColor(200, 40, 10));
        QByteArray data;
        QCOMPARE(mf::encodeJpeg(image, quality, &data), result);
        if (result != mf::JpegOk)
            return;
        QImage back;
        QCOMPARE(mf::decodeJpegData(data, &back), int(mf::JpegOk));
        QCOMPARE(back.size(), image.size());
        const QColor centre = back.pixelColor(60, 40);
        if (quality >= 50)
            QVERIFY(std::abs(centre.red() - 200) < 30 && std::abs(centre.blue() - 10) < 30);
    }

    void higherQualityGivesLargerFiles()
    {
        QImage photo;
        QCOMPARE(mf::decodeJpeg(testfiles::photo(3), &photo, 400, 0), int(mf::JpegOk));
        QByteArray low, high;
        QCOMPARE(mf::encodeJpeg(photo, 10, &low), int(mf::JpegOk));
        QCOMPARE(mf::encodeJpeg(photo, 95, &high), int(mf::JpegOk));
        QVERIFY(high.size() > 2 * low.size());
    }
};

MF_REGISTER_TEST(JpegTest)
#include "tst_jpeg.moc"
