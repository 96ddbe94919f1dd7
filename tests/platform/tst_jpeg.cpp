#include "JpegFiles.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/Jpeg.h"

#include <QTemporaryDir>
#include <QTest>

#include <turbojpeg.h>

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

// A copy of a JPEG whose first frame header claims another size (and, when marker is not
// 0, another frame type). The scan data stays that of the original.
QByteArray withFrame(QByteArray jpeg, int width, int height, int marker = 0)
{
    qsizetype i = 2;
    while (i + 9 < jpeg.size() && uchar(jpeg[i]) == 0xFF) {
        const uchar m = uchar(jpeg[i + 1]);
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            if (marker)
                jpeg[i + 1] = char(marker);
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width);
            return jpeg;
        }
        i += 2 + (uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]));
    }
    qFatal("no frame header");
}

// A small progressive JPEG from TurboJPEG's own encoder: 3 components (YCbCr) or 4 (CMYK).
QByteArray progressiveJpeg(bool cmyk)
{
    const int w = 64, h = 48, channels = cmyk ? 4 : 3;
    QByteArray pixels(w * h * channels, char(0x80));
    tjhandle handle = tjInitCompress();
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle, reinterpret_cast<const unsigned char *>(pixels.constData()), w,
                    w * channels, h, cmyk ? TJPF_CMYK : TJPF_BGR, &buffer, &size, TJSAMP_420, 90,
                    TJFLAG_PROGRESSIVE) != 0)
        qFatal("cannot encode");
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    tjFree(buffer);
    tjDestroy(handle);
    return out;
}

// A JPEG carrying an APP1 Exif segment whose TIFF block is tiff (the segment length is
// taken from it unless length is given).
QByteArray withExif(const QByteArray &tiff, int length = -1)
{
    const QByteArray jpeg = testfiles::readFile(testfiles::photo(1));
    if (length < 0)
        length = int(tiff.size()) + 8;
    QByteArray app1("\xFF\xE1", 2);
    app1 += char(length >> 8);
    app1 += char(length);
    app1 += QByteArray("Exif\0\0", 6) + tiff;
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

// A TIFF block whose first IFD holds one entry: tag, type, count and value (a SHORT).
QByteArray tiffBlock(bool bigEndian, int tag, int type, int count, int value)
{
    QByteArray t;
    const auto put = [&](quint32 v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            t += char(bigEndian ? v >> (8 * (bytes - 1 - k)) : v >> (8 * k));
    };
    t += bigEndian ? "MM" : "II";
    put(42, 2);
    put(8, 4);
    put(1, 2);
    put(tag, 2);
    put(type, 2);
    put(count, 4);
    put(value, 2);
    put(0, 2);
    put(0, 4);
    return t;
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

    // Every file libjpeg decodes loads, through the same scaled decoding, with libjpeg's own
    // pixels; a warning that loses no pixel passes, data that ends early or is corrupt does
    // not. reference: the file whose plain libjpeg decode the result must equal.
    void whatLibjpegDecodes_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<QByteArray>("reference"); // empty: refused as damaged
        using S = QList<QSize>;
        const QByteArray turned = jpegfiles::encode(203, 150, S{{1, 4}, {1, 1}, {1, 1}});
        const QByteArray common = jpegfiles::encode(203, 150, S{{2, 2}, {1, 1}, {1, 1}});
        const QByteArray wide = jpegfiles::encode(203, 150, S{{4, 2}, {1, 1}, {1, 1}});
        const QByteArray mixed = jpegfiles::encode(203, 150, S{{2, 2}, {2, 1}, {1, 2}});
        const QByteArray none;
        QTest::newRow("4:1:1 turned a quarter, 1x4") << turned << turned;
        QTest::newRow("4x2") << wide << wide;
        QTest::newRow("per component 2x2/2x1/1x2") << mixed << mixed;
        QTest::newRow("4:2:0") << common << common;
        QTest::newRow("stray bytes before the end marker")
            << jpegfiles::strayBytesBeforeEnd(common) << common;
        QTest::newRow("stray bytes before the end marker, 1x4")
            << jpegfiles::strayBytesBeforeEnd(turned) << turned;
        QTest::newRow("truncated") << jpegfiles::truncated(common) << none;
        QTest::newRow("truncated, 1x4") << jpegfiles::truncated(turned) << none;
        QTest::newRow("marker in the data") << jpegfiles::markerInData(common) << none;
    }
    void whatLibjpegDecodes()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(QByteArray, reference);
        QTemporaryDir dir;
        const QString path = dir.filePath("odd.jpg");
        testfiles::writeFile(path, jpeg);
        mf::JpegInfo info;
        QCOMPARE(mf::readJpegInfo(path, &info), int(mf::JpegOk));
        QCOMPARE(QSize(info.width, info.height), QSize(203, 150));
        // Full size, and a thumbnail's 1/4 scale (51 x 38 is the smallest that covers 40 x 30).
        for (int d : {1, 4}) {
            QImage image(3, 3, QImage::Format_BGR888);
            const int rc = mf::decodeJpeg(path, &image, d == 1 ? 0 : 40, d == 1 ? 0 : 30);
            if (reference.isEmpty()) {
                QCOMPARE(rc, int(mf::JpegDamaged));
                QCOMPARE(image.size(), QSize(3, 3));
                continue;
            }
            QCOMPARE(rc, int(mf::JpegOk));
            const QImage expected = jpegfiles::decode(reference, d);
            QCOMPARE(image.size(), expected.size());
            QVERIFY2(image == expected, qPrintable(QStringLiteral("scale 1/%1").arg(d)));
        }
    }

    // A progressive frame makes libjpeg keep every DCT coefficient of the image (2 bytes
    // per pixel and component) until the last scan, even for a thumbnail: beyond the budget
    // it is refused from the header alone, whatever the wanted size.
    void progressiveFramesWithinBudget_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<int>("result");
        const QByteArray progressive =
            testfiles::readFile(testfiles::testdata("damaged/progressive.jpg"));
        const QByteArray baseline = testfiles::readFile(testfiles::photo(1));
        QVERIFY(!progressive.isEmpty() && !baseline.isEmpty());
        const int ok = mf::JpegOk, tooLarge = mf::JpegTooLarge;
        QTest::newRow("progressive 14000 x 14000")
            << withFrame(progressive, 14000, 14000) << tooLarge;
        QTest::newRow("progressive camera size 6000 x 4000")
            << withFrame(progressive, 6000, 4000) << ok;
        QTest::newRow("arithmetic progressive (SOF10) 14000 x 14000")
            << withFrame(progressive, 14000, 14000, 0xCA) << tooLarge;
        // 9000 x 9000: 486 MB of coefficients for 3 components, 648 MB for 4.
        QTest::newRow("progressive YCbCr 9000 x 9000")
            << withFrame(progressiveJpeg(false), 9000, 9000) << ok;
        QTest::newRow("progressive CMYK 9000 x 9000")
            << withFrame(progressiveJpeg(true), 9000, 9000) << tooLarge;
        QTest::newRow("baseline 14000 x 14000 streams") << withFrame(baseline, 14000, 14000) << ok;
    }
    void progressiveFramesWithinBudget()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.jpg");
        testfiles::writeFile(path, jpeg);
        mf::JpegInfo info;
        QCOMPARE(mf::readJpegInfo(path, &info), result);
        if (result == mf::JpegTooLarge) {
            QImage image;
            QCOMPARE(mf::decodeJpeg(path, &image, 64, 48), int(mf::JpegTooLarge));
            QCOMPARE(mf::decodeJpegData(jpeg, &image), int(mf::JpegTooLarge));
        }
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

    void exifOrientation_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<int>("orientation");
        const QByteArray intel = tiffBlock(false, 0x0112, 3, 1, 6);
        QTest::newRow("little-endian 6") << withExif(intel) << 6;
        QTest::newRow("big-endian 8") << withExif(tiffBlock(true, 0x0112, 3, 1, 8)) << 8;
        QTest::newRow("no exif") << testfiles::readFile(testfiles::photo(1)) << 1;
        QTest::newRow("value 9") << withExif(tiffBlock(false, 0x0112, 3, 1, 9)) << 1;
        QTest::newRow("other tag") << withExif(tiffBlock(false, 0x0110, 3, 1, 6)) << 1;
        QTest::newRow("LONG type") << withExif(tiffBlock(false, 0x0112, 4, 1, 6)) << 1;
        QTest::newRow("bad byte order") << withExif("XX" + intel.mid(2)) << 1;
        QByteArray farIfd = intel;
        farIfd[4] = char(0xF0), farIfd[7] = char(0x7F);
        QTest::newRow("IFD offset past the block") << withExif(farIfd) << 1;
        QByteArray manyEntries = intel;
        manyEntries[8] = char(0xFF), manyEntries[9] = char(0xFF);
        manyEntries[10] = 0; // the first entry is no longer the tag
        QTest::newRow("entry count past the block") << withExif(manyEntries) << 1;
        QTest::newRow("entry cut by the segment") << withExif(intel, 8 + 14) << 1;
        QTest::newRow("segment past the file") << withExif(intel).left(30) << 1;
    }
    void exifOrientation()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(int, orientation);
        QCOMPARE(mf::readExifOrientation(jpeg), orientation);
    }

    // Where the stored top corners of a 3 x 2 raster end up once it is turned upright.
    void orientedImage_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<QPoint>("topRight");
        QTest::newRow("1") << 1 << QPoint(0, 0) << QPoint(2, 0);
        QTest::newRow("2 mirrored") << 2 << QPoint(2, 0) << QPoint(0, 0);
        QTest::newRow("3 half turn") << 3 << QPoint(2, 1) << QPoint(0, 1);
        QTest::newRow("4 flipped") << 4 << QPoint(0, 1) << QPoint(2, 1);
        QTest::newRow("5 transposed") << 5 << QPoint(0, 0) << QPoint(0, 2);
        QTest::newRow("6 clockwise") << 6 << QPoint(1, 0) << QPoint(1, 2);
        QTest::newRow("7 transversed") << 7 << QPoint(1, 2) << QPoint(1, 0);
        QTest::newRow("8 anticlockwise") << 8 << QPoint(0, 2) << QPoint(0, 0);
        QTest::newRow("0 invalid") << 0 << QPoint(0, 0) << QPoint(2, 0);
    }
    void orientedImage()
    {
        QFETCH(int, orientation);
        QFETCH(QPoint, topLeft);
        QFETCH(QPoint, topRight);
        QImage stored(3, 2, QImage::Format_BGR888);
        stored.fill(Qt::black);
        stored.setPixel(0, 0, qRgb(255, 0, 0));
        stored.setPixel(2, 0, qRgb(0, 0, 255));
        const QImage upright = mf::orientedImage(stored, orientation);
        QCOMPARE(upright.format(), QImage::Format_BGR888);
        QCOMPARE(upright.size(), mf::orientedSize(stored.size(), orientation));
        QCOMPARE(upright.size(), orientation >= 5 ? QSize(2, 3) : QSize(3, 2));
        QCOMPARE(upright.pixel(topLeft), qRgb(255, 0, 0));
        QCOMPARE(upright.pixel(topRight), qRgb(0, 0, 255));
    }
};

MF_REGISTER_TEST(JpegTest)
#include "tst_jpeg.moc"
