#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/Jpeg.h"
#include "sheets/CellImage.h"
#include "sheets/PhotoOps.h"

#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {

// The high-quality reduction written out plainly, packed pixels and all, to hold the
// optimised one to bit-exact results. Without mendBottom a row span starting below the
// last source row sums nothing and comes out black.
QImage referenceReduction(const QImage &photo, int dw, int dh, bool mendBottom)
{
    const qint64 sw = photo.width(), sh = photo.height();
    std::vector<qint64> src(sw * sh), dst(qint64(dw) * dh);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            const QRgb c = photo.pixel(x, y);
            src[y * sw + x] = qRed(c) * 65536 + qGreen(c) * 256 + qBlue(c);
        }
    const qint64 k = sw * 100 / dw, n = k * k;
    for (qint64 yt = 0; yt < dh; ++yt)
        for (qint64 xt = 0; xt < dw; ++xt) {
            const qint64 x0 = xt * sw * 100 / dw, x1 = (xt * 100 + 100) * sw / dw - 1;
            const qint64 y0 = yt * sw * 100 / dw, y1 = (yt * 100 + 100) * sw / dw - 1;
            qint64 ix0 = x0 / 100, ix1 = std::min(x1 / 100, sw - 1);
            qint64 iy0 = y0 / 100, iy1 = std::min(y1 / 100, sh - 1);
            const bool pastBottom = mendBottom && iy0 > sh - 1;
            if (pastBottom)
                iy0 = sh - 1;
            qint64 sum[3] = {0, 0, 0};
            for (qint64 iy = iy0; iy <= iy1; ++iy) {
                const qint64 wy = pastBottom  ? y1 - y0
                                  : iy == iy1 ? y1 - iy1 * 100
                                  : iy == iy0 ? iy0 * 100 + 100 - y0
                                              : 100;
                for (qint64 ix = ix0; ix <= ix1; ++ix) {
                    const qint64 wx = ix == ix1   ? x1 - ix1 * 100
                                      : ix == ix0 ? ix0 * 100 + 100 - x0
                                                  : 100;
                    const qint64 p = src[iy * sw + ix];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += (p >> (16 - 8 * c) & 255) * wx * wy;
                }
            }
            qint64 packed = 0;
            for (int c = 0; c < 3; ++c)
                packed = packed * 256 + std::min<qint64>(sum[c] / n, 255);
            dst[yt * dw + xt] = packed;
        }
    QImage out(dw, dh, QImage::Format_BGR888);
    const auto ch = [&](int x, int y, int c) {
        return int(dst[qint64(y) * dw + x] >> (16 - 8 * c) & 255);
    };
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            int v[3] = {ch(x, y, 0), ch(x, y, 1), ch(x, y, 2)}; // R, G, B
            if (x > 0 && y > 0 && x < dw - 1 && y < dh - 1) {
                int blur[3];
                for (int c = 0; c < 3; ++c)
                    blur[c] = (ch(x - 1, y - 1, c) + 2 * ch(x, y - 1, c) + ch(x + 1, y - 1, c) +
                               2 * ch(x - 1, y, c) + 2 * ch(x + 1, y, c) + ch(x - 1, y + 1, c) +
                               2 * ch(x, y + 1, c) + ch(x + 1, y + 1, c)) /
                              12;
                const int i = (28 * v[0] + 77 * v[1] + 151 * v[2]) / 255;
                const int ib = (28 * blur[0] + 77 * blur[1] + 151 * blur[2]) / 255;
                for (int c = 0; c < 3; ++c)
                    v[c] = i == 0 ? 0 : std::clamp(v[c] * (i - (ib - i) / 2) / i, 0, 255);
            }
            out.setPixel(x, y, qRgb(v[0], v[1], v[2]));
        }
    return out;
}

// A raster whose every pixel tells where it came from.
QImage patterned(int w, int h)
{
    QImage image(w, h, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) * 16 + (y >> 8)));
    return image;
}

// A copy of a JPEG carrying an EXIF orientation tag (little-endian TIFF, one entry).
QByteArray withOrientation(const QByteArray &jpeg, int orientation)
{
    const char tiff[] = {
        'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, char(orientation),
        0,   0,   0,  0, 0, 0, 0};
    QByteArray app1 = QByteArray("\xFF\xE1\0\0Exif\0\0", 10) + QByteArray(tiff, sizeof tiff);
    app1[2] = char((app1.size() - 2) >> 8);
    app1[3] = char(app1.size() - 2);
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

QString writeJpeg(const QTemporaryDir &dir, const QString &name, const QImage &image,
                  int orientation = 1)
{
    QByteArray data;
    if (mf::encodeJpeg(image, 90, &data) != mf::JpegOk)
        qFatal("cannot encode");
    const QString path = dir.filePath(name);
    testfiles::writeFile(path, orientation == 1 ? data : withOrientation(data, orientation));
    return path;
}

double meanAbsDifference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width() * 3; ++x)
            sum += std::abs(a.constScanLine(y)[x] - b.constScanLine(y)[x]);
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

class PhotoOpsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lRatio_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<bool>("isL");
        QTest::addColumn<QSize>("target");
        QTest::newRow("r 142") << QSize(1500, 1056) << true << QSize();
        QTest::newRow("r 142 portrait") << QSize(1056, 1500) << true << QSize();
        QTest::newRow("r 133 keeps width") << QSize(1600, 1200) << false << QSize(1600, 1121);
        QTest::newRow("r 150 keeps height") << QSize(3000, 2000) << false << QSize(2853, 2000);
        QTest::newRow("square") << QSize(1000, 1000) << false << QSize(1000, 700);
        QTest::newRow("portrait r 150") << QSize(1200, 1800) << false << QSize(1200, 1712);
        QTest::newRow("portrait r 130") << QSize(1000, 1300) << false << QSize(911, 1300);
        QTest::newRow("no height") << QSize(100, 0) << false << QSize(100, 0);
    }
    void lRatio()
    {
        QFETCH(QSize, photo);
        QFETCH(bool, isL);
        QFETCH(QSize, target);
        QCOMPARE(mf::IsLRatio(photo.width(), photo.height()), isL);
        if (!isL)
            QCOMPARE(mf::LRatioTarget(photo.width(), photo.height()), target);
    }

    void crops_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QSize>("arg"); // dpi as width for a cut
        QTest::addColumn<int>("result");
        QTest::addColumn<QRect>("kept");
        const int done = mf::PhotoOpDone, no = mf::PhotoOpNotApplicable;
        const int tooLarge = mf::PhotoOpTooLarge;
        QTest::newRow("cut 300 dpi: 11 left, 12 right")
            << true << QSize(4000, 3000) << QSize(300, 0) << done << QRect(11, 11, 3977, 2977);
        QTest::newRow("cut negative dpi")
            << true << QSize(400, 300) << QSize(-300, 0) << no << QRect();
        QTest::newRow("cut wider than photo")
            << true << QSize(64, 64) << QSize(1200, 0) << no << QRect();
        QTest::newRow("cut beyond crop limit")
            << true << QSize(20000, 70) << QSize(300, 0) << tooLarge << QRect();
        QTest::newRow("trim keeps width")
            << false << QSize(1600, 1200) << QSize(1600, 1121) << done << QRect(0, 39, 1600, 1121);
        QTest::newRow("trim portrait keeps width")
            << false << QSize(1200, 1800) << QSize(1200, 1712) << done << QRect(0, 44, 1200, 1712);
        QTest::newRow("proportion keeps height")
            << false << QSize(1000, 600) << QSize(800, 600) << done << QRect(100, 0, 800, 600);
        QTest::newRow("proportion keeps width")
            << false << QSize(1000, 600) << QSize(1000, 500) << done << QRect(0, 50, 1000, 500);
        QTest::newRow("target taller")
            << false << QSize(1000, 600) << QSize(800, 601) << no << QRect();
        QTest::newRow("empty target") << false << QSize(1000, 600) << QSize(0, 0) << no << QRect();
        QTest::newRow("beyond crop limit")
            << false << QSize(20000, 70) << QSize(19000, 70) << tooLarge << QRect();
    }
    void crops()
    {
        QFETCH(bool, cut);
        QFETCH(QSize, photo);
        QFETCH(QSize, arg);
        QFETCH(int, result);
        QFETCH(QRect, kept);
        const QImage original = patterned(photo.width(), photo.height());
        QImage image = original;
        QCOMPARE(cut ? mf::CutEdges(image, arg.width())
                     : mf::CropCentered(image, arg.width(), arg.height()),
                 result);
        QCOMPARE(image.format(), QImage::Format_BGR888);
        QVERIFY(image == (result == mf::PhotoOpDone ? original.copy(kept) : original));
    }

    void reductionNotApplicableLeavesPhoto_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QSize>("target");
        QTest::newRow("same size") << QSize(400, 300) << QSize(400, 300);
        QTest::newRow("larger") << QSize(400, 300) << QSize(800, 600);
        QTest::newRow("one side equal") << QSize(400, 300) << QSize(400, 299);
        QTest::newRow("proportion off by 4") << QSize(400, 300) << QSize(200, 155);
        QTest::newRow("below 1/100") << QSize(2000, 2000) << QSize(19, 19);
        QTest::newRow("source 5000 wide") << QSize(5000, 64) << QSize(2500, 32);
        QTest::newRow("result 1601 wide") << QSize(3202, 64) << QSize(1601, 32);
        QTest::newRow("drawn height 0") << QSize(400, 300) << QSize(200, 0);
        QTest::newRow("drawn 0 x 0") << QSize(400, 300) << QSize(0, 0);
    }
    void reductionNotApplicableLeavesPhoto()
    {
        QFETCH(QSize, photo);
        QFETCH(QSize, target);
        const QImage original = patterned(photo.width(), photo.height());
        QImage image = original;
        QCOMPARE(mf::ReduceHighQuality(image, target.width(), target.height(), nullptr),
                 int(mf::PhotoOpNotApplicable));
        QVERIFY(image == original);
    }

    void uniformAreaLosesOneHundredth()
    {
        // k = 200: each target pixel weighs 2 x 2 source pixels, but the last column and row
        // of every span only 99 hundredths.
        QImage image(400, 300, QImage::Format_BGR888);
        image.fill(QColor(200, 200, 200));
        const QImage reference = referenceReduction(image, 200, 150, false);
        QCOMPARE(mf::ReduceHighQuality(image, 200, 150, nullptr), int(mf::PhotoOpDone));
        QVERIFY(image == reference);
        QCOMPARE(image.pixel(0, 0), qRgb(198, 198, 198));
        QCOMPARE(image.pixel(100, 75), qRgb(198, 198, 198));
    }

    void reductionMatchesReference_data()
    {
        QTest::addColumn<int>("photo");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<int>("mendedRows"); // at the bottom, where the plain rule leaves black
        QTest::newRow("landscape to a cell") << 1 << QSize(785, 523) << 0;
        QTest::newRow("landscape small") << 7 << QSize(300, 200) << 0;
        QTest::newRow("portrait to a cell") << 5 << QSize(373, 560) << 0;
        QTest::newRow("portrait past the last row") << 10 << QSize(300, 451) << 1;
    }
    void reductionMatchesReference()
    {
        QFETCH(int, photo);
        QFETCH(QSize, target);
        QFETCH(int, mendedRows);
        QImage image;
        QCOMPARE(mf::decodeJpeg(testfiles::photo(photo), &image), int(mf::JpegOk));
        const QImage mended = referenceReduction(image, target.width(), target.height(), true);
        const QImage plain = referenceReduction(image, target.width(), target.height(), false);
        QCOMPARE(mf::ReduceHighQuality(image, target.width(), target.height(), nullptr),
                 int(mf::PhotoOpDone));
        QVERIFY(image == mended);
        // The mend touches the rows past the source and, through the sharpening, the row above.
        const int same = target.height() - (mendedRows ? mendedRows + 1 : 0);
        QVERIFY(image.copy(0, 0, target.width(), same) == plain.copy(0, 0, target.width(), same));
        if (mendedRows) {
            QCOMPARE(plain.pixel(target.width() / 2, target.height() - 1), qRgb(0, 0, 0));
            QVERIFY(image.pixel(target.width() / 2, target.height() - 1) != qRgb(0, 0, 0));
        }
    }

    void stopRequestLeavesPhoto()
    {
        const QImage original = patterned(400, 300);
        QImage image = original;
        const std::atomic<bool> stop{true};
        QCOMPARE(mf::ReduceHighQuality(image, 200, 150, &stop), int(mf::PhotoOpStopped));
        QVERIFY(image == original);
    }

    void damagedFilesGiveTheirResult_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("result");
        QTest::newRow("empty") << "empty.jpg" << int(mf::CellNotLoadable);
        QTest::newRow("text") << "not_a_jpeg.jpg" << int(mf::CellNotLoadable);
        QTest::newRow("truncated") << "truncated.jpg" << int(mf::CellNotLoadable);
        QTest::newRow("huge header") << "huge_dimensions_header.jpg" << int(mf::CellNotLoadable);
        QTest::newRow("missing") << "missing.jpg" << int(mf::CellNotLoadable);
        QTest::newRow("48 x 32") << "too_small_48x32.jpg" << int(mf::CellTooSmall);
        QTest::newRow("grey") << "gray.jpg" << int(mf::CellOk);
        QTest::newRow("cmyk") << "cmyk.jpg" << int(mf::CellOk);
    }
    void damagedFilesGiveTheirResult()
    {
        QFETCH(QString, file);
        QFETCH(int, result);
        QTemporaryDir dir;
        mf::CellRequest request;
        request.path = dir.filePath(file);
        if (file != "missing.jpg")
            testfiles::copyShared(testfiles::testdata("damaged/" + file), request.path);
        request.cellWidth = 785;
        request.cellHeight = 560;
        for (const bool highQuality : {false, true}) {
            request.highQuality = highQuality;
            const mf::CellImage cell = mf::MakeCell(request, nullptr);
            QCOMPARE(cell.result, result);
            QCOMPARE(cell.image.isNull(), result != mf::CellOk);
        }
    }

    // Sizes and offsets in a 785 x 560 cell, and the picture against the photo turned,
    // cropped and scaled at full size.
    void cellPlacement_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<QRect>("drawn"); // offset and size
        QTest::addColumn<QRect>("crop");  // in the upright photo
        QTest::newRow("landscape") << QSize(3000, 2000) << 1 << false << false
                                   << QRect(0, 18, 785, 523) << QRect(0, 0, 3000, 2000);
        QTest::newRow("portrait") << QSize(2000, 3000) << 1 << false << false
                                  << QRect(206, 0, 373, 560) << QRect(0, 0, 2000, 3000);
        QTest::newRow("cut") << QSize(3000, 2000) << 1 << true << false << QRect(0, 19, 785, 521)
                             << QRect(11, 11, 2977, 1977);
        QTest::newRow("trim") << QSize(3000, 2000) << 1 << false << true << QRect(0, 5, 785, 550)
                              << QRect(73, 0, 2853, 2000);
        for (int o = 2; o <= 8; ++o) {
            const bool side = o >= 5;
            QTest::addRow("orientation %d, cut and trim", o)
                << QSize(1600, 1000) << o << true << true
                << (side ? QRect(196, 0, 392, 560) : QRect(0, 5, 785, 550))
                << (side ? QRect(11, 102, 977, 1394) : QRect(102, 11, 1394, 977));
        }
    }
    void cellPlacement()
    {
        QFETCH(QSize, photo);
        QFETCH(int, orientation);
        QFETCH(bool, cut);
        QFETCH(bool, trim);
        QFETCH(QRect, drawn);
        QFETCH(QRect, crop);
        QImage source;
        QCOMPARE(mf::decodeJpeg(testfiles::photo(3), &source), int(mf::JpegOk));
        source = source.scaled(photo, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_BGR888);
        QTemporaryDir dir;
        mf::CellRequest request;
        request.path = writeJpeg(dir, "p.jpg", source, orientation);
        request.cellWidth = 785;
        request.cellHeight = 560;
        request.cutEdges = cut;
        request.lTrim = trim;
        const mf::CellImage cell = mf::MakeCell(request, nullptr);
        QCOMPARE(cell.result, int(mf::CellOk));
        QCOMPARE(QRect(cell.offsetX, cell.offsetY, cell.drawnWidth, cell.drawnHeight), drawn);
        QCOMPARE(cell.image.size(), drawn.size());
        QCOMPARE(cell.image.format(), QImage::Format_BGR888);
        QImage decoded;
        QCOMPARE(mf::decodeJpeg(request.path, &decoded), int(mf::JpegOk));
        const QImage expected =
            mf::orientedImage(decoded, orientation)
                .copy(crop)
                .scaled(drawn.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double difference = meanAbsDifference(cell.image, expected);
        QVERIFY2(difference < 4, qPrintable(QString::number(difference)));
    }

    void exifOrientationSixComesOutUpright()
    {
        QTemporaryDir dir;
        mf::CellRequest request;
        request.path = testfiles::copyShared(testfiles::testdata("damaged/exif_orientation_6.jpg"),
                                             dir.filePath("e.jpg"));
        request.cellWidth = 785;
        request.cellHeight = 560;
        mf::CellImage cell = mf::MakeCell(request, nullptr);
        QCOMPARE(QRect(cell.offsetX, cell.offsetY, cell.drawnWidth, cell.drawnHeight),
                 QRect(206, 0, 373, 560));
        request.upright = false;
        cell = mf::MakeCell(request, nullptr);
        QCOMPARE(QRect(cell.offsetX, cell.offsetY, cell.drawnWidth, cell.drawnHeight),
                 QRect(0, 18, 785, 523));
    }

    void highQualityCellIsTheExactReduction_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("cut");
        QTest::newRow("as stored") << 1 << false;
        QTest::newRow("turned, cut") << 8 << true;
    }
    void highQualityCellIsTheExactReduction()
    {
        QFETCH(int, orientation);
        QFETCH(bool, cut);
        QImage source;
        QCOMPARE(mf::decodeJpeg(testfiles::photo(2), &source), int(mf::JpegOk));
        QTemporaryDir dir;
        mf::CellRequest request;
        request.path = writeJpeg(dir, "p.jpg", source, orientation);
        request.cellWidth = 560;
        request.cellHeight = 785;
        request.cutEdges = cut;
        request.highQuality = true;
        const mf::CellImage cell = mf::MakeCell(request, nullptr);
        QCOMPARE(cell.result, int(mf::CellOk));
        QImage expected;
        QCOMPARE(mf::decodeJpeg(request.path, &expected), int(mf::JpegOk));
        expected = mf::orientedImage(expected, orientation);
        if (cut)
            QCOMPARE(mf::CutEdges(expected, request.dpi), int(mf::PhotoOpDone));
        QCOMPARE(mf::ReduceHighQuality(expected, cell.drawnWidth, cell.drawnHeight, nullptr),
                 int(mf::PhotoOpDone));
        QVERIFY(cell.image == expected);

        const std::atomic<bool> stop{true};
        QCOMPARE(mf::MakeCell(request, &stop).result, int(mf::CellStopped));
    }
};

MF_REGISTER_TEST(PhotoOpsTest)
#include "tst_photoops.moc"
