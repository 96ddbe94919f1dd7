#pragma once
// JPEG through TurboJPEG, and through plain libjpeg for the files TurboJPEG will not take.
// Decoded rasters are 24-bit BGR (QImage::Format_BGR888).

#include <QByteArray>
#include <QImage>
#include <QString>

namespace mf {

enum JpegResult {
    JpegOk = 0,
    JpegCannotOpen = -1,
    JpegNotJpeg = -2,  // no valid header: empty, text, or not a baseline/progressive JPEG
    JpegTooLarge = -3, // the header claims more pixels than any camera makes, or more
                       // memory than a progressive decode may take
    JpegDamaged = -4,  // the decoder failed or warned (truncated or corrupt data)
    JpegEncodeFailed = -5,
};

// Frames claiming more than this many pixels are refused before anything is allocated.
inline constexpr qint64 kMaxJpegPixels = 200'000'000;
// A progressive frame makes libjpeg hold every DCT coefficient of the whole image (two
// bytes per pixel and component) until the last scan, even for a thumbnail. Frames whose
// coefficients would need more than this are refused from the header alone.
inline constexpr qint64 kMaxJpegCoefficientBytes = 512LL * 1024 * 1024;
// Files larger than this are refused without being read: no camera JPEG comes close.
inline constexpr qint64 kMaxJpegFileBytes = 512LL * 1024 * 1024;

struct JpegInfo {
    int width = 0; // as stored, before the orientation is applied
    int height = 0;
    int orientation = 1; // EXIF orientation 1 to 8; 1 (as stored) when absent or unreadable
};

// Reads only the header.
int readJpegInfo(const QString &path, JpegInfo *info);

// The EXIF orientation (1 to 8) of the JPEG bytes: the tag of the first IFD of the first
// Exif APP1 segment. 1 when there is none or the block is damaged; never reads outside data.
int readExifOrientation(const QByteArray &jpeg);

// Orientations 5 to 8 turn the picture by a quarter: width and height change places.
inline bool orientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}
QSize orientedSize(QSize stored, int orientation);

// The raster turned as the orientation tag asks, so that it is shown upright. Orientation
// 1 and values outside 1 to 8 return the raster itself. A null result means no memory.
QImage orientedImage(const QImage &stored, int orientation);

// Decodes at full size (minWidth = minHeight = 0) or, to save time and memory, at the
// smallest DCT scale (1/8, 1/4, 1/2 ...) whose result is still at least minWidth wide and
// minHeight high. Every sampling that libjpeg decodes loads, also per-component factors
// such as 1x4 (a 4:1:1 photo turned a quarter). Greyscale and CMYK files come out as colour.
// A decoder warning about lost pixels (a truncated file, corrupt data) counts as a failure:
// a grey-filled photo must never pass. Stray bytes before a marker lose none and pass.
int decodeJpeg(const QString &path, QImage *out, int minWidth = 0, int minHeight = 0);
int decodeJpegData(const QByteArray &data, QImage *out, int minWidth = 0, int minHeight = 0);

// Encodes a raster at quality 0 to 100 (4:2:0, baseline).
int encodeJpeg(const QImage &image, int quality, QByteArray *out);

} // namespace mf
