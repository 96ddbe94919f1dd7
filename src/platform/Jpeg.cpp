#include "platform/Jpeg.h"

#include <QFile>

#include <turbojpeg.h>

#include <memory>

namespace mf {

namespace {

struct TjDeleter {
    void operator()(void *handle) const
    {
        if (handle)
            tjDestroy(handle);
    }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

int readWholeFile(const QString &path, QByteArray *data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JpegCannotOpen;
    const qint64 size = file.size();
    if (size > kMaxJpegFileBytes)
        return JpegTooLarge;
    *data = file.readAll();
    if (data->size() != size)
        return JpegCannotOpen;
    return JpegOk;
}

struct FrameHeader {
    int marker = 0;
    int components = 0;
};

bool isProgressiveFrame(int marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE; // SOF2/6/10/14
}

// Walks the marker segments from SOI to the first frame header (SOFn). False when there is
// none before the scan data or the end of the bytes. Bytes between segments are skipped up
// to the next marker, as libjpeg does.
bool findFrameHeader(const unsigned char *p, qsizetype n, FrameHeader *frame)
{
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    qsizetype i = 2;
    for (;;) {
        while (i < n && p[i] != 0xFF)
            ++i;
        while (i < n && p[i] == 0xFF) // fill bytes
            ++i;
        if (i >= n)
            return false;
        const unsigned char m = p[i++];
        if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD7))
            continue; // no segment follows
        if (m == 0xD8 || m == 0xD9 || m == 0xDA)
            return false; // SOI, EOI or SOS before any frame
        if (i + 2 > n)
            return false;
        const int length = p[i] << 8 | p[i + 1]; // counts its own two bytes
        if (length < 2)
            return false;
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            // length, precision, height, width, component count
            if (length < 8 || i + 8 > n)
                return false;
            frame->marker = m;
            frame->components = p[i + 7];
            return true;
        }
        i += length;
    }
}

int readHeader(tjhandle handle, const QByteArray &data, int *w, int *h, int *subsamp, int *cs)
{
    if (data.size() < 4)
        return JpegNotJpeg;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    if (tjDecompressHeader3(handle, bytes, static_cast<unsigned long>(data.size()), w, h, subsamp,
                            cs) != 0)
        return JpegNotJpeg;
    if (*w <= 0 || *h <= 0)
        return JpegNotJpeg;
    if (static_cast<qint64>(*w) * *h > kMaxJpegPixels)
        return JpegTooLarge;
    FrameHeader frame;
    if (findFrameHeader(bytes, data.size(), &frame) && isProgressiveFrame(frame.marker) &&
        static_cast<qint64>(*w) * *h * frame.components * 2 > kMaxJpegCoefficientBytes)
        return JpegTooLarge;
    return JpegOk;
}

// Adobe writes CMYK inverted: each stored value is 255 minus the ink.
QImage cmykToBgr(const unsigned char *cmyk, int w, int h)
{
    QImage image(w, h, QImage::Format_BGR888);
    if (image.isNull())
        return image;
    for (int y = 0; y < h; ++y) {
        const unsigned char *src = cmyk + static_cast<qsizetype>(y) * w * 4;
        uchar *dst = image.scanLine(y);
        for (int x = 0; x < w; ++x, src += 4, dst += 3) {
            const int k = src[3];
            dst[0] = static_cast<uchar>(src[2] * k / 255); // blue from yellow
            dst[1] = static_cast<uchar>(src[1] * k / 255); // green from magenta
            dst[2] = static_cast<uchar>(src[0] * k / 255); // red from cyan
        }
    }
    return image;
}

} // namespace

int readJpegInfo(const QString &path, JpegInfo *info)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JpegCannotOpen;
    // The frame header sits within the first few hundred kilobytes unless the EXIF
    // thumbnail is unusually large; read the whole file only when needed.
    QByteArray data = file.read(1024 * 1024);
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return JpegDamaged;
    int w = 0, h = 0, subsamp = 0, cs = 0;
    int rc = readHeader(handle.get(), data, &w, &h, &subsamp, &cs);
    if (rc == JpegNotJpeg && !file.atEnd()) {
        file.close();
        rc = readWholeFile(path, &data);
        if (rc == JpegOk)
            rc = readHeader(handle.get(), data, &w, &h, &subsamp, &cs);
    }
    if (rc != JpegOk)
        return rc;
    info->width = w;
    info->height = h;
    return JpegOk;
}

int decodeJpeg(const QString &path, QImage *out, int minWidth, int minHeight)
{
    QByteArray data;
    int rc = readWholeFile(path, &data);
    if (rc != JpegOk)
        return rc;
    return decodeJpegData(data, out, minWidth, minHeight);
}

int decodeJpegData(const QByteArray &data, QImage *out, int minWidth, int minHeight)
{
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return JpegDamaged;
    int w = 0, h = 0, subsamp = 0, cs = 0;
    int rc = readHeader(handle.get(), data, &w, &h, &subsamp, &cs);
    if (rc != JpegOk)
        return rc;

    // Smallest scale whose result still covers the wanted size. TurboJPEG lists its
    // factors from the largest down.
    int scaledW = w, scaledH = h;
    if (minWidth > 0 || minHeight > 0) {
        int count = 0;
        tjscalingfactor *factors = tjGetScalingFactors(&count);
        for (int i = 0; factors && i < count; ++i) {
            const tjscalingfactor f = factors[i];
            // 1/2, 1/4 and 1/8 have fast reduced inverse DCTs; the other factors save little.
            if (f.num != 1)
                continue;
            const int sw = TJSCALED(w, f), sh = TJSCALED(h, f);
            if (sw >= minWidth && sh >= minHeight &&
                sw * static_cast<qint64>(sh) < scaledW * static_cast<qint64>(scaledH)) {
                scaledW = sw;
                scaledH = sh;
            }
        }
    }

    const int flags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const auto size = static_cast<unsigned long>(data.size());
    if (cs == TJCS_CMYK || cs == TJCS_YCCK) {
        std::unique_ptr<unsigned char[]> cmyk(
            new (std::nothrow) unsigned char[static_cast<size_t>(scaledW) * scaledH * 4]);
        if (!cmyk)
            return JpegTooLarge;
        if (tjDecompress2(handle.get(), bytes, size, cmyk.get(), scaledW, scaledW * 4, scaledH,
                          TJPF_CMYK, flags) != 0)
            return JpegDamaged;
        QImage image = cmykToBgr(cmyk.get(), scaledW, scaledH);
        if (image.isNull())
            return JpegTooLarge;
        *out = std::move(image);
        return JpegOk;
    }
    QImage image(scaledW, scaledH, QImage::Format_BGR888);
    if (image.isNull())
        return JpegTooLarge;
    if (tjDecompress2(handle.get(), bytes, size, image.bits(), scaledW,
                      static_cast<int>(image.bytesPerLine()), scaledH, TJPF_BGR, flags) != 0)
        return JpegDamaged;
    *out = std::move(image);
    return JpegOk;
}

int encodeJpeg(const QImage &image, int quality, QByteArray *out)
{
    if (image.isNull() || quality < 0 || quality > 100)
        return JpegEncodeFailed;
    const QImage bgr = image.format() == QImage::Format_BGR888
                           ? image
                           : image.convertToFormat(QImage::Format_BGR888);
    TjHandle handle(tjInitCompress());
    if (!handle)
        return JpegEncodeFailed;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    // libjpeg takes quality 1 to 100; 0 is read as the lowest it has.
    const int q = quality < 1 ? 1 : quality;
    if (tjCompress2(handle.get(), bgr.constBits(), bgr.width(),
                    static_cast<int>(bgr.bytesPerLine()), bgr.height(), TJPF_BGR, &buffer, &size,
                    TJSAMP_420, q, 0) != 0) {
        tjFree(buffer);
        return JpegEncodeFailed;
    }
    *out = QByteArray(reinterpret_cast<const char *>(buffer), static_cast<qsizetype>(size));
    tjFree(buffer);
    return JpegOk;
}

} // namespace mf
