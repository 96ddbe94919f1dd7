#include "platform/Jpeg.h"

#include "platform/FileSystem.h"

#include <QFile>

#include <turbojpeg.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <memory>

#include <jpeglib.h>

#include <jerror.h> // the message codes of the warnings

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
    QFile file;
    if (!openRegularFile(path, &file))
        return JpegCannotOpen;
    const qint64 size = file.size();
    if (size > kMaxJpegFileBytes)
        return JpegTooLarge;
    *data = file.readAll();
    if (data->size() != size)
        return JpegCannotOpen;
    return JpegOk;
}

// The start-of-frame segment (SOFn) as found among the marker segments: which coding it names,
// and how many colour components it has.
struct StartOfFrame {
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
bool findStartOfFrame(const unsigned char *p, qsizetype n, StartOfFrame *sof)
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
            sof->marker = m;
            sof->components = p[i + 7];
            return true;
        }
        i += length;
    }
}

// Reads an unsigned integer of `bytes` bytes in the TIFF block's byte order.
quint32 tiffValue(const unsigned char *p, int bytes, bool bigEndian)
{
    quint32 v = 0;
    for (int k = 0; k < bytes; ++k)
        v = bigEndian ? (v << 8 | p[k]) : (v | quint32(p[k]) << (8 * k));
    return v;
}

// The orientation tag in a TIFF block (the body of an Exif APP1 segment after "Exif\0\0").
// Every offset comes from the file, so each is checked against the block before use.
int tiffOrientation(const unsigned char *t, qsizetype n)
{
    if (n < 8)
        return 1;
    bool bigEndian;
    if (t[0] == 'I' && t[1] == 'I')
        bigEndian = false;
    else if (t[0] == 'M' && t[1] == 'M')
        bigEndian = true;
    else
        return 1;
    if (tiffValue(t + 2, 2, bigEndian) != 42)
        return 1;
    const qint64 ifd = tiffValue(t + 4, 4, bigEndian);
    if (ifd + 2 > n)
        return 1;
    const int entries = int(tiffValue(t + ifd, 2, bigEndian));
    for (int e = 0; e < entries; ++e) {
        const qint64 entry = ifd + 2 + qint64(e) * 12;
        if (entry + 12 > n)
            return 1;
        if (tiffValue(t + entry, 2, bigEndian) != 0x0112)
            continue;
        const quint32 type = tiffValue(t + entry + 2, 2, bigEndian);
        const quint32 count = tiffValue(t + entry + 4, 4, bigEndian);
        if (type != 3 || count < 1) // SHORT, held in the entry itself
            return 1;
        const int value = int(tiffValue(t + entry + 8, 2, bigEndian));
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

// What the decoders need to know of a picture before decoding it.
struct PictureHeader {
    int width = 0;
    int height = 0;
    bool cmyk = false;      // four components: decoded as CMYK, then converted
    bool plainOnly = false; // TurboJPEG has no name for its sampling: only plain libjpeg takes it
};

// Progressive files with more scans than this are refused: each scan costs a pass over the
// whole image, and no camera writes more than a dozen.
constexpr int kMaxScans = 500;

// Plain libjpeg, for what TurboJPEG will not take: sampling factors it cannot classify (a
// 4:1:1 photo turned losslessly has 1x4), and files it stopped on at a warning, since it
// cannot say which warning that was. Errors and harmful warnings jump back to the setjmp of
// the function that called libjpeg; nothing between holds an object with a destructor.
struct PlainJpeg {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};

    PlainJpeg()
    {
        cinfo.err = jpeg_std_error(&errors);
        errors.error_exit = fail;
        errors.emit_message = message;
        errors.output_message = [](j_common_ptr) {}; // never on the terminal
        progress.progress_monitor = monitor;
        cinfo.client_data = this; // kept by jpeg_create_decompress
    }
    // Also when creating it failed half way: libjpeg then left nothing to free.
    ~PlainJpeg() { jpeg_destroy_decompress(&cinfo); }
    PlainJpeg(const PlainJpeg &) = delete;
    PlainJpeg &operator=(const PlainJpeg &) = delete;

    [[noreturn]] static void fail(j_common_ptr c)
    {
        std::longjmp(static_cast<PlainJpeg *>(c->client_data)->jump, 1);
    }
    static void message(j_common_ptr c, int level)
    {
        if (level < 0 && !warningLosesNoPixel(c->err->msg_code))
            fail(c);
    }
    static void monitor(j_common_ptr c)
    {
        if (reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans)
            fail(c);
    }
    // Stray bytes before a marker are skipped whole after the data they follow was decoded,
    // and an unknown JFIF revision is only a header field. Every other warning (data that
    // ends early, a bad code, a lost restart) means pixels made up by the decoder.
    static bool warningLosesNoPixel(int code)
    {
        return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR;
    }
};

bool plainHeader(PlainJpeg &jpeg, const QByteArray &data)
{
    if (setjmp(jpeg.jump))
        return false;
    jpeg_create_decompress(&jpeg.cinfo);
    jpeg.cinfo.progress = &jpeg.progress;
    jpeg_mem_src(&jpeg.cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&jpeg.cinfo, TRUE);
    return true;
}

// Decodes into rows of stride bytes at pixels, sized for the output dimensions.
bool plainScanlines(PlainJpeg &jpeg, unsigned char *pixels, qsizetype stride)
{
    if (setjmp(jpeg.jump))
        return false;
    jpeg_start_decompress(&jpeg.cinfo);
    while (jpeg.cinfo.output_scanline < jpeg.cinfo.output_height) {
        JSAMPROW row = pixels + qsizetype(jpeg.cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&jpeg.cinfo, &row, 1);
    }
    // Reads on to the end marker: stray bytes or a cut file show up only here.
    jpeg_finish_decompress(&jpeg.cinfo);
    return true;
}

bool plainOutputSize(PlainJpeg &jpeg)
{
    if (setjmp(jpeg.jump))
        return false;
    jpeg_calc_output_dimensions(&jpeg.cinfo);
    return true;
}

int readHeader(tjhandle handle, const QByteArray &data, PictureHeader *picture)
{
    if (data.size() < 4)
        return JpegNotJpeg;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    int w = 0, h = 0, subsamp = 0, cs = 0;
    if (tjDecompressHeader3(handle, bytes, static_cast<unsigned long>(data.size()), &w, &h,
                            &subsamp, &cs) == 0) {
        *picture = {w, h, cs == TJCS_CMYK || cs == TJCS_YCCK, false};
    } else {
        PlainJpeg jpeg;
        if (!plainHeader(jpeg, data))
            return JpegNotJpeg;
        const J_COLOR_SPACE space = jpeg.cinfo.jpeg_color_space;
        *picture = {int(jpeg.cinfo.image_width), int(jpeg.cinfo.image_height),
                    space == JCS_CMYK || space == JCS_YCCK, true};
    }
    if (picture->width <= 0 || picture->height <= 0)
        return JpegNotJpeg;
    if (static_cast<qint64>(picture->width) * picture->height > kMaxJpegPixels)
        return JpegTooLarge;
    StartOfFrame sof;
    if (findStartOfFrame(bytes, data.size(), &sof) && isProgressiveFrame(sof.marker) &&
        static_cast<qint64>(picture->width) * picture->height * sof.components * 2 >
            kMaxJpegCoefficientBytes)
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

int readExifOrientation(const QByteArray &jpeg)
{
    const auto *p = reinterpret_cast<const unsigned char *>(jpeg.constData());
    const qsizetype n = jpeg.size();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return 1;
    qsizetype i = 2;
    for (;;) {
        while (i < n && p[i] != 0xFF)
            ++i;
        while (i < n && p[i] == 0xFF)
            ++i;
        if (i >= n)
            return 1;
        const unsigned char m = p[i++];
        if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD7))
            continue;
        if (m == 0xD8 || m == 0xD9 || m == 0xDA || (m >= 0xC0 && m <= 0xCF))
            return 1; // the metadata segments come before the frame
        if (i + 2 > n)
            return 1;
        const int length = p[i] << 8 | p[i + 1];
        if (length < 2)
            return 1;
        // A segment cut short by the end of the bytes is read as far as it goes.
        const qsizetype body = std::min<qsizetype>(length - 2, n - i - 2);
        static const char exif[] = {'E', 'x', 'i', 'f', 0, 0};
        if (m == 0xE1 && body >= 6 && std::memcmp(p + i + 2, exif, 6) == 0)
            return tiffOrientation(p + i + 8, body - 6);
        i += length;
    }
}

QSize orientedSize(QSize stored, int orientation)
{
    return orientationSwapsSides(orientation) ? stored.transposed() : stored;
}

QImage orientedImage(const QImage &stored, int orientation)
{
    if (orientation < 2 || orientation > 8 || stored.isNull())
        return stored;
    const QImage src = stored.format() == QImage::Format_BGR888
                           ? stored
                           : stored.convertToFormat(QImage::Format_BGR888);
    if (src.isNull())
        return src;
    const int w = src.width(), h = src.height();
    const QSize size = orientedSize(src.size(), orientation);
    QImage out(size, QImage::Format_BGR888);
    if (out.isNull())
        return out;
    // Output pixel (X, Y) comes from source (x0 + X * xStepX + Y * xStepY, y0 + ...): a
    // corner to start from and the source steps of one output column and one output row.
    int x0 = 0, y0 = 0, xX = 1, yX = 0, xY = 0, yY = 1;
    switch (orientation) {
    case 2: x0 = w - 1, xX = -1; break;                         // mirrored
    case 3: x0 = w - 1, y0 = h - 1, xX = -1, yY = -1; break;    // turned half
    case 4: y0 = h - 1, yY = -1; break;                         // upside down mirrored
    case 5: xX = 0, yX = 1, xY = 1, yY = 0; break;              // transposed
    case 6: y0 = h - 1, xX = 0, yX = -1, xY = 1, yY = 0; break; // shown turned clockwise
    case 7: x0 = w - 1, y0 = h - 1, xX = 0, yX = -1, xY = -1, yY = 0; break; // transversed
    case 8: x0 = w - 1, xX = 0, yX = 1, xY = -1, yY = 0; break; // shown turned anticlockwise
    }
    const qsizetype bpl = src.bytesPerLine();
    const qsizetype stepX = qsizetype(xX) * 3 + qsizetype(yX) * bpl;
    const qsizetype stepY = qsizetype(xY) * 3 + qsizetype(yY) * bpl;
    const uchar *origin = src.constBits() + qsizetype(y0) * bpl + qsizetype(x0) * 3;
    for (int Y = 0; Y < size.height(); ++Y) {
        const uchar *s = origin + Y * stepY;
        uchar *d = out.scanLine(Y);
        for (int X = 0; X < size.width(); ++X, s += stepX, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    return out;
}

int readJpegInfo(const QString &path, JpegInfo *info)
{
    QFile file;
    if (!openRegularFile(path, &file))
        return JpegCannotOpen;
    // The frame header sits within the first few hundred kilobytes unless the EXIF
    // thumbnail is unusually large; read the whole file only when needed.
    QByteArray data = file.read(1024 * 1024);
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return JpegDamaged;
    PictureHeader picture;
    int rc = readHeader(handle.get(), data, &picture);
    if (rc == JpegNotJpeg && !file.atEnd()) {
        file.close();
        rc = readWholeFile(path, &data);
        if (rc == JpegOk)
            rc = readHeader(handle.get(), data, &picture);
    }
    if (rc != JpegOk)
        return rc;
    info->width = picture.width;
    info->height = picture.height;
    info->orientation = readExifOrientation(data);
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

namespace {

// The smallest DCT scale (1/8, 1/4, 1/2; 1 for full size) whose result is still at least
// minWidth x minHeight: the denominator. Both decoders round scaled sides up.
int scaleDenominator(const PictureHeader &picture, int minWidth, int minHeight)
{
    if (minWidth <= 0 && minHeight <= 0)
        return 1;
    for (int d = 8; d > 1; d /= 2) {
        if ((picture.width + d - 1) / d >= minWidth && (picture.height + d - 1) / d >= minHeight)
            return d;
    }
    return 1;
}

// Decodes a w x h picture into a BGR raster: fill(pixels, bytesPerLine) writes the
// decoder's rows, into a CMYK buffer that is then converted when the picture is CMYK. Returns
// what fill returned when it failed.
template <typename Fill> int decodeToBgr(int w, int h, bool cmyk, Fill fill, QImage *out)
{
    QImage image;
    if (cmyk) {
        std::unique_ptr<unsigned char[]> buffer(
            new (std::nothrow) unsigned char[static_cast<size_t>(w) * h * 4]);
        if (!buffer)
            return JpegTooLarge;
        if (const int r = fill(buffer.get(), qsizetype(w) * 4); r != JpegOk)
            return r;
        image = cmykToBgr(buffer.get(), w, h);
    } else {
        image = QImage(w, h, QImage::Format_BGR888);
        if (!image.isNull()) {
            if (const int r = fill(image.bits(), image.bytesPerLine()); r != JpegOk)
                return r;
        }
    }
    if (image.isNull())
        return JpegTooLarge;
    *out = std::move(image);
    return JpegOk;
}

// *stoppedAtWarning tells a file TurboJPEG stopped on at a warning, which plain libjpeg is to
// judge, from one it found damaged (both return JpegDamaged).
int turboDecode(tjhandle handle, const QByteArray &data, const PictureHeader &picture, int d,
                QImage *out, bool *stoppedAtWarning)
{
    *stoppedAtWarning = false;
    const tjscalingfactor scale{1, d};
    const int w = TJSCALED(picture.width, scale), h = TJSCALED(picture.height, scale);
    const int flags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const auto size = static_cast<unsigned long>(data.size());
    const int format = picture.cmyk ? TJPF_CMYK : TJPF_BGR;
    return decodeToBgr(
        w, h, picture.cmyk,
        [&](unsigned char *pixels, qsizetype bytesPerLine) {
            if (tjDecompress2(handle, bytes, size, pixels, w, int(bytesPerLine), h, format,
                              flags) == 0)
                return int(JpegOk);
            *stoppedAtWarning = tjGetErrorCode(handle) == TJERR_WARNING;
            return int(JpegDamaged);
        },
        out);
}

// The same decode through plain libjpeg (same IDCT and upsampling defaults as TurboJPEG).
int plainDecode(const QByteArray &data, const PictureHeader &picture, int d, QImage *out)
{
    PlainJpeg jpeg;
    if (!plainHeader(jpeg, data))
        return JpegNotJpeg;
    jpeg.cinfo.out_color_space = picture.cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg.cinfo.scale_num = 1;
    jpeg.cinfo.scale_denom = static_cast<unsigned>(d);
    if (!plainOutputSize(jpeg))
        return JpegDamaged;
    const int w = int(jpeg.cinfo.output_width), h = int(jpeg.cinfo.output_height);
    return decodeToBgr(
        w, h, picture.cmyk,
        [&](unsigned char *pixels, qsizetype bytesPerLine) {
            return plainScanlines(jpeg, pixels, bytesPerLine) ? int(JpegOk) : int(JpegDamaged);
        },
        out);
}

} // namespace

int decodeJpegData(const QByteArray &data, QImage *out, int minWidth, int minHeight)
{
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return JpegDamaged;
    PictureHeader picture;
    const int rc = readHeader(handle.get(), data, &picture);
    if (rc != JpegOk)
        return rc;
    const int d = scaleDenominator(picture, minWidth, minHeight);
    // The common samplings take TurboJPEG's faster way; the rest, and a file it stopped on
    // at a warning, go to plain libjpeg, which tells a harmless warning from lost pixels.
    if (!picture.plainOnly) {
        bool stoppedAtWarning = false;
        const int turbo = turboDecode(handle.get(), data, picture, d, out, &stoppedAtWarning);
        if (!stoppedAtWarning)
            return turbo;
    }
    return plainDecode(data, picture, d, out);
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
