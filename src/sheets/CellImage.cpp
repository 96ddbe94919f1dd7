#include "sheets/CellImage.h"

#include "platform/Jpeg.h"
#include "sheets/PhotoOps.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace mf {

namespace {

// Where the photo goes: the part of the upright full-size photo that is shown, and the
// size and place it is drawn at inside the cell.
struct CellPlan {
    QRect crop;
    bool trimmed = false;
    QSize trimTarget; // what CropCentered is asked for when trimmed
    int drawnWidth = 1;
    int drawnHeight = 1;
    int offsetX = 0;
    int offsetY = 0;
};

int planCell(QSize full, const CellRequest &request, CellPlan *plan)
{
    QRect rect(QPoint(0, 0), full);
    QRect cut;
    // A cut that does not fit is skipped: the photo is drawn uncut.
    if (request.cutEdges && CutEdgesRect(full, request.dpi, &cut) == PhotoOpDone)
        rect = cut;
    int w = rect.width(), h = rect.height();
    if (request.lTrim && !IsLRatio(w, h)) {
        const QSize target = LRatioTarget(w, h);
        QRect trim;
        if (CropCenteredRect(rect.size(), target.width(), target.height(), &trim) != PhotoOpDone)
            return CellCropFailed;
        plan->trimmed = true;
        plan->trimTarget = target;
        rect = trim.translated(rect.topLeft());
        // The proportion the photo is fitted with is the trim target's.
        w = target.width();
        h = target.height();
    }
    plan->crop = rect;

    const qint64 cw = request.cellWidth, ch = request.cellHeight;
    qint64 dw, dh, ox = 0, oy = 0;
    if (cw * h < w * ch) {
        dw = cw;
        dh = cw * h / w;
        oy = (ch - dh) / 2;
    } else {
        dh = ch;
        dw = ch * w / h;
        ox = (cw - dw) / 2;
    }
    // A sliver of a photo in a small cell still gets a line of pixels rather than an
    // empty raster.
    plan->drawnWidth = int(std::max<qint64>(dw, 1));
    plan->drawnHeight = int(std::max<qint64>(dh, 1));
    plan->offsetX = int(ox);
    plan->offsetY = int(oy);
    return CellOk;
}

// The stored (as decoded) rectangle of a rectangle of the upright photo.
QRect storedRect(const QRect &r, QSize stored, int orientation)
{
    const int sw = stored.width(), sh = stored.height();
    const int left = r.x(), top = r.y(), right = r.x() + r.width(), bottom = r.y() + r.height();
    switch (orientation) {
    case 2: return QRect(sw - right, top, r.width(), r.height());
    case 3: return QRect(sw - right, sh - bottom, r.width(), r.height());
    case 4: return QRect(left, sh - bottom, r.width(), r.height());
    case 5: return QRect(top, left, r.height(), r.width());
    case 6: return QRect(top, sh - right, r.height(), r.width());
    case 7: return QRect(sw - bottom, sh - right, r.height(), r.width());
    case 8: return QRect(sw - bottom, left, r.height(), r.width());
    default: return r;
    }
}

// The source pixels of each target pixel in one direction and their weights in 1/1024,
// summing to exactly 1024 so that a flat area stays flat.
struct Taps {
    std::vector<int> first;  // per target pixel
    std::vector<int> count;  // per target pixel
    std::vector<int> offset; // per target pixel, into weights
    std::vector<int> weights;
};

constexpr int kWeightBits = 10;
constexpr int kWeightOne = 1 << kWeightBits;

Taps makeTaps(double start, double end, int targets, int limit)
{
    Taps taps;
    taps.first.resize(targets);
    taps.count.resize(targets);
    taps.offset.resize(targets);
    taps.weights.reserve(size_t(targets) * (size_t(std::ceil((end - start) / targets)) + 2));
    const double step = (end - start) / targets;
    for (int t = 0; t < targets; ++t) {
        const double a = std::clamp(start + t * step, 0.0, double(limit));
        const double b = std::clamp(start + (t + 1) * step, 0.0, double(limit));
        int first = std::min(int(std::floor(a)), limit - 1);
        int last = std::clamp(int(std::ceil(b)) - 1, first, limit - 1);
        taps.first[t] = first;
        taps.offset[t] = int(taps.weights.size());
        if (b - a <= 1e-9) {
            taps.count[t] = 1;
            taps.weights.push_back(kWeightOne);
            continue;
        }
        // Rounding errors go to the heaviest tap, where they matter least.
        int sum = 0;
        size_t largest = taps.weights.size();
        for (int j = first; j <= last; ++j) {
            const double overlap = std::min(b, j + 1.0) - std::max(a, double(j));
            const int w = int(std::lround(std::max(overlap, 0.0) / (b - a) * kWeightOne));
            if (j == first || w > taps.weights[largest])
                largest = taps.weights.size();
            taps.weights.push_back(w);
            sum += w;
        }
        taps.weights[largest] += kWeightOne - sum;
        taps.count[t] = last - first + 1;
    }
    return taps;
}

// Area averaging (a box filter with fractional edge weights) of the source rectangle
// (in pixels of source, fractions allowed) down to dw x dh. Null when out of memory.
QImage boxReduce(const QImage &source, const QRectF &from, int dw, int dh)
{
    QImage out(dw, dh, QImage::Format_BGR888);
    if (out.isNull())
        return out;
    const Taps cols = makeTaps(from.left(), from.right(), dw, source.width());
    const Taps rows = makeTaps(from.top(), from.bottom(), dh, source.height());
    std::vector<quint32> line(size_t(dw) * 3); // one source row reduced horizontally
    std::vector<quint32> sum(size_t(dw) * 3);
    int lineRow = -1;
    for (int y = 0; y < dh; ++y) {
        std::fill(sum.begin(), sum.end(), 0u);
        for (int i = 0; i < rows.count[y]; ++i) {
            const int sy = rows.first[y] + i;
            if (sy != lineRow) {
                const uchar *src = source.constScanLine(sy);
                quint32 *l = line.data();
                for (int x = 0; x < dw; ++x, l += 3) {
                    const uchar *p = src + qsizetype(cols.first[x]) * 3;
                    const int *w = cols.weights.data() + cols.offset[x];
                    quint32 b = 0, g = 0, r = 0;
                    for (int n = cols.count[x]; n > 0; --n, p += 3, ++w) {
                        b += p[0] * quint32(*w);
                        g += p[1] * quint32(*w);
                        r += p[2] * quint32(*w);
                    }
                    l[0] = b, l[1] = g, l[2] = r;
                }
                lineRow = sy;
            }
            const quint32 w = quint32(rows.weights[rows.offset[y] + i]);
            for (size_t k = 0; k < sum.size(); ++k)
                sum[k] += line[k] * w;
        }
        uchar *o = out.scanLine(y);
        constexpr quint32 half = 1u << (2 * kWeightBits - 1);
        for (size_t k = 0; k < sum.size(); ++k)
            o[k] = uchar(std::min<quint32>((sum[k] + half) >> (2 * kWeightBits), 255));
    }
    return out;
}

// The drawn image straight from the file: decoded at the smallest DCT scale at which the
// crop still covers the drawn size, reduced by area averaging, then turned upright (the
// reduction is the same either way round, and turning the small result is cheaper).
int fastCell(const CellRequest &request, const JpegInfo &info, int orientation,
             const CellPlan &plan, QImage *result)
{
    const QSize stored(info.width, info.height);
    const QRect crop = storedRect(plan.crop, stored, orientation);
    const QSize drawn =
        orientedSize(QSize(plan.drawnWidth, plan.drawnHeight), orientation); // stored way round
    int d = 8;
    while (d > 1 && (qint64(crop.width()) < qint64(drawn.width()) * d ||
                     qint64(crop.height()) < qint64(drawn.height()) * d))
        d /= 2;
    QImage decoded;
    if (decodeJpeg(request.path, &decoded, (info.width + d - 1) / d, (info.height + d - 1) / d) !=
        JpegOk)
        return CellNotLoadable;
    // A scaled pixel stands for d x d stored pixels (the last row and column for fewer).
    double fx = 1.0 / d, fy = 1.0 / d;
    if (decoded.width() != (info.width + d - 1) / d ||
        decoded.height() != (info.height + d - 1) / d) {
        fx = double(decoded.width()) / info.width;
        fy = double(decoded.height()) / info.height;
    }
    const QRectF from(crop.x() * fx, crop.y() * fy, crop.width() * fx, crop.height() * fy);
    QImage reduced = boxReduce(decoded, from, drawn.width(), drawn.height());
    decoded = QImage();
    if (reduced.isNull())
        return CellNoMemory;
    reduced = orientedImage(reduced, orientation);
    if (reduced.isNull())
        return CellNoMemory;
    *result = std::move(reduced);
    return CellOk;
}

// The exact high-quality reduction, from the full-size photo.
int highQualityCell(const CellRequest &request, int orientation, const CellPlan &plan,
                    const std::atomic<bool> *stop, QImage *result)
{
    QImage photo;
    if (decodeJpeg(request.path, &photo) != JpegOk)
        return CellNotLoadable;
    photo = orientedImage(photo, orientation);
    if (photo.isNull())
        return CellNoMemory;
    if (request.cutEdges && CutEdges(photo, request.dpi) == PhotoOpNoMemory)
        return CellNoMemory;
    if (plan.trimmed) {
        const int rc = CropCentered(photo, plan.trimTarget.width(), plan.trimTarget.height());
        if (rc == PhotoOpNoMemory)
            return CellNoMemory;
        if (rc != PhotoOpDone)
            return CellCropFailed;
    }
    switch (ReduceHighQuality(photo, plan.drawnWidth, plan.drawnHeight, stop)) {
    case PhotoOpDone: *result = std::move(photo); return CellOk;
    case PhotoOpStopped: return CellStopped;
    case PhotoOpNoMemory: return CellNoMemory;
    default: break;
    }
    // Not applicable after all: the ordinary reduction of what is in memory.
    *result = boxReduce(photo, QRectF(photo.rect()), plan.drawnWidth, plan.drawnHeight);
    return result->isNull() ? CellNoMemory : CellOk;
}

CellImage makeCell(const CellRequest &request, const std::atomic<bool> *stop)
{
    CellImage cell;
    JpegInfo info;
    if (readJpegInfo(request.path, &info) != JpegOk) {
        cell.result = CellNotLoadable;
        return cell;
    }
    if (info.width < kMinPhotoSide || info.height < kMinPhotoSide) {
        // Only a photo that loads is "too small"; a tiny one costs nothing to decode.
        QImage probe;
        cell.result = decodeJpeg(request.path, &probe) == JpegOk ? CellTooSmall : CellNotLoadable;
        return cell;
    }
    const int orientation = request.upright ? info.orientation : 1;
    const QSize full = orientedSize(QSize(info.width, info.height), orientation);
    CellPlan plan;
    cell.result = planCell(full, request, &plan);
    if (cell.result != CellOk)
        return cell;
    QImage image;
    if (request.highQuality && HighQualityApplies(plan.crop.width(), plan.crop.height(),
                                                  plan.drawnWidth, plan.drawnHeight))
        cell.result = highQualityCell(request, orientation, plan, stop, &image);
    else
        cell.result = fastCell(request, info, orientation, plan, &image);
    if (cell.result != CellOk)
        return cell;
    cell.image = std::move(image);
    cell.drawnWidth = plan.drawnWidth;
    cell.drawnHeight = plan.drawnHeight;
    cell.offsetX = plan.offsetX;
    cell.offsetY = plan.offsetY;
    return cell;
}

} // namespace

CellImage MakeCell(const CellRequest &request, const std::atomic<bool> *stop)
{
    // Qt containers and std::vector report exhaustion by throwing; it must not leave the
    // worker thread.
    try {
        return makeCell(request, stop);
    } catch (const std::bad_alloc &) {
        CellImage cell;
        cell.result = CellNoMemory;
        return cell;
    }
}

} // namespace mf
