#include "sheets/PhotoOps.h"

#include <algorithm>
#include <array>

namespace mf {

namespace {

int cropTo(QImage &photo, const QRect &rect)
{
    QImage cropped = photo.copy(rect);
    if (cropped.isNull())
        return PhotoOpNoMemory;
    photo = std::move(cropped);
    return PhotoOpDone;
}

// The weights of one target pixel's span in one direction: source pixels first ... last,
// the first weighing firstWeight, the last lastWeight (also when it is the only one), the
// ones between 100 hundredths.
struct Span {
    int first = 0;
    int last = 0;
    qint64 firstWeight = 0;
    qint64 lastWeight = 0;
    qint64 weight(int i) const { return i == last ? lastWeight : i == first ? firstWeight : 100; }
};

// Target pixel t of the span in hundredths: [t * sw * 100 / dw, (t * 100 + 100) * sw / dw - 1].
// The horizontal ratio serves both directions, so a row span may run past the last source
// row (limit - 1): it is cut there, and a span that starts past it takes the last row
// alone with the span's whole weight, so that the bottom row is not left black.
Span spanOf(int t, qint64 sw, qint64 dw, int limit)
{
    const qint64 a = t * sw * 100 / dw;
    const qint64 b = (t * qint64(100) + 100) * sw / dw - 1;
    Span s;
    s.first = int(a / 100);
    s.last = int(std::min<qint64>(b / 100, limit - 1));
    if (s.first > limit - 1) {
        s.first = s.last = limit - 1;
        s.firstWeight = s.lastWeight = b - a;
        return s;
    }
    s.firstWeight = s.first * qint64(100) + 100 - a;
    s.lastWeight = b - s.last * qint64(100);
    return s;
}

struct Bgr {
    int b, g, r;
};

inline Bgr pixelAt(const QImage &image, int x, int y)
{
    const uchar *p = image.constScanLine(y) + qsizetype(x) * 3;
    return {p[0], p[1], p[2]};
}

// The weights favour blue over red; the sharpening depends on exactly these.
inline int intensity(int r, int g, int b)
{
    return (28 * r + 77 * g + 151 * b) / 255;
}

} // namespace

bool IsLRatio(int w, int h)
{
    if (w <= 0 || h <= 0)
        return false;
    const qint64 larger = w >= h ? w : h, smaller = w >= h ? h : w;
    return larger * 100 / smaller == 142;
}

QSize LRatioTarget(int w, int h)
{
    if (w <= 0 || h <= 0)
        return {w, h};
    const qint64 W = w, H = h;
    if (w >= h) {
        if (W * 100 / H >= 142)
            return {int(H * 127 / 89), h};
        return {w, int(W * 89 / 127)};
    }
    if (H * 100 / W < 142)
        return {int(H * 89 / 127), h};
    return {w, int(W * 127 / 89)};
}

int CropCenteredRect(QSize photo, int tw, int th, QRect *rect)
{
    const int width = photo.width(), height = photo.height();
    // A side below 1 would make an empty raster that nothing downstream can draw.
    if (tw > width || th > height || tw < 1 || th < 1)
        return PhotoOpNotApplicable;
    const qint64 W = width, H = height;
    int left = 0, top = 0;
    const bool keepWidth = tw < th ? th * W < tw * H : !(tw * H < th * W);
    if (keepWidth) {
        tw = width;
        top = (height - th) / 2;
    } else {
        th = height;
        left = (width - tw) / 2;
    }
    if (tw > kMaxCropSide || th > kMaxCropSide)
        return PhotoOpTooLarge;
    *rect = QRect(left, top, tw, th);
    return PhotoOpDone;
}

int CutEdgesRect(QSize photo, int dpi, QRect *rect)
{
    const qint64 c = qint64(dpi) * 20 / 254;
    const qint64 tw = photo.width() - c, th = photo.height() - c;
    if (tw > photo.width() || th > photo.height() || tw < 1 || th < 1)
        return PhotoOpNotApplicable;
    if (tw > kMaxCropSide || th > kMaxCropSide)
        return PhotoOpTooLarge;
    *rect = QRect(int((photo.width() - tw) / 2), int((photo.height() - th) / 2), int(tw), int(th));
    return PhotoOpDone;
}

int CutEdges(QImage &photo, int dpi)
{
    QRect rect;
    const int rc = CutEdgesRect(photo.size(), dpi, &rect);
    return rc != PhotoOpDone ? rc : cropTo(photo, rect);
}

int CropCentered(QImage &photo, int tw, int th)
{
    QRect rect;
    const int rc = CropCenteredRect(photo.size(), tw, th, &rect);
    return rc != PhotoOpDone ? rc : cropTo(photo, rect);
}

bool HighQualityApplies(int sw, int sh, int dw, int dh)
{
    if (sw < 1 || sh < 1 || dw < 1 || dh < 1)
        return false;
    const qint64 ratioDiff = qint64(sw) * 100 / sh - qint64(dw) * 100 / dh;
    if (ratioDiff < -3 || ratioDiff > 3)
        return false;
    if (sw == dw && sh == dh)
        return false;
    if (sw > kMaxHighQualitySource || sh > kMaxHighQualitySource)
        return false;
    if (dw > kMaxHighQualityResult || dh > kMaxHighQualityResult)
        return false;
    if (qint64(dw) * 100 < sw || qint64(dh) * 100 < sh)
        return false;
    return sw > dw && sh > dh;
}

namespace {

bool isStopped(const std::atomic<bool> *stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

// The first pass of the high-quality reduction: area averaging in hundredths of a source
// pixel, into a dw x dh picture.
int averageAreas(const QImage &photo, int dw, int dh, const std::atomic<bool> *stop,
                 QImage *averaged)
{
    const int sw = photo.width(), sh = photo.height();
    *averaged = QImage(dw, dh, QImage::Format_BGR888);
    if (averaged->isNull())
        return PhotoOpNoMemory;
    const qint64 k = qint64(sw) * 100 / dw;
    const qint64 n = k * k;
    std::array<Span, kMaxHighQualityResult> columns;
    for (int x = 0; x < dw; ++x)
        columns[x] = spanOf(x, sw, dw, sw);
    for (int y = 0; y < dh; ++y) {
        if (isStopped(stop))
            return PhotoOpStopped;
        const Span rows = spanOf(y, sw, dw, sh);
        uchar *out = averaged->scanLine(y);
        for (int x = 0; x < dw; ++x, out += 3) {
            const Span &cols = columns[x];
            qint64 sum[3] = {0, 0, 0};
            for (int iy = rows.first; iy <= rows.last; ++iy) {
                const uchar *p = photo.constScanLine(iy) + qsizetype(cols.first) * 3;
                qint64 row[3] = {0, 0, 0};
                for (int ix = cols.first; ix <= cols.last; ++ix, p += 3) {
                    const qint64 w = cols.weight(ix);
                    row[0] += p[0] * w;
                    row[1] += p[1] * w;
                    row[2] += p[2] * w;
                }
                const qint64 w = rows.weight(iy);
                for (int c = 0; c < 3; ++c)
                    sum[c] += row[c] * w;
            }
            for (int c = 0; c < 3; ++c)
                out[c] = uchar(std::min<qint64>(sum[c] / n, 255));
        }
    }
    return PhotoOpDone;
}

// The second pass: each inner pixel's intensity is pushed away from its neighbours' blurred
// intensity by half the difference; the border is copied.
int sharpen(const QImage &averaged, const std::atomic<bool> *stop, QImage *sharpened)
{
    const int dw = averaged.width(), dh = averaged.height();
    *sharpened = QImage(dw, dh, QImage::Format_BGR888);
    if (sharpened->isNull())
        return PhotoOpNoMemory;
    static constexpr int kBlur[3][3] = {{1, 2, 1}, {2, 0, 2}, {1, 2, 1}};
    for (int y = 0; y < dh; ++y) {
        if (isStopped(stop))
            return PhotoOpStopped;
        uchar *out = sharpened->scanLine(y);
        for (int x = 0; x < dw; ++x, out += 3) {
            const Bgr p = pixelAt(averaged, x, y);
            if (x == 0 || y == 0 || x == dw - 1 || y == dh - 1) {
                out[0] = uchar(p.b), out[1] = uchar(p.g), out[2] = uchar(p.r);
                continue;
            }
            int bb = 0, bg = 0, br = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    const Bgr q = pixelAt(averaged, x + i, y + j);
                    const int w = kBlur[j + 1][i + 1];
                    bb += q.b * w, bg += q.g * w, br += q.r * w;
                }
            bb /= 12, bg /= 12, br /= 12;
            const int I = intensity(p.r, p.g, p.b);
            if (I == 0) {
                out[0] = out[1] = out[2] = 0;
                continue;
            }
            const int sharp = I - (intensity(br, bg, bb) - I) / 2;
            out[0] = uchar(std::clamp(p.b * sharp / I, 0, 255));
            out[1] = uchar(std::clamp(p.g * sharp / I, 0, 255));
            out[2] = uchar(std::clamp(p.r * sharp / I, 0, 255));
        }
    }
    return PhotoOpDone;
}

} // namespace

int ReduceHighQuality(QImage &photo, int dw, int dh, const std::atomic<bool> *stop)
{
    if (photo.format() != QImage::Format_BGR888)
        return PhotoOpNotApplicable;
    if (!HighQualityApplies(photo.width(), photo.height(), dw, dh))
        return PhotoOpNotApplicable;
    QImage averaged, sharpened;
    if (const int rc = averageAreas(photo, dw, dh, stop, &averaged); rc != PhotoOpDone)
        return rc;
    if (const int rc = sharpen(averaged, stop, &sharpened); rc != PhotoOpDone)
        return rc;
    photo = std::move(sharpened);
    return PhotoOpDone;
}

} // namespace mf
