#pragma once
// Operations on one photo raster (QImage::Format_BGR888) before it is drawn into its cell of
// a sample sheet: cutting the edges, trimming to the L-size proportion (89 x 127 mm) and the
// exact high-quality reduction. Each changes the raster in place and leaves it unchanged
// when it does not apply. All divisions truncate toward zero, as the layout relies on the
// exact sizes and offsets they give.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>

namespace mf {

enum PhotoOpResult {
    PhotoOpDone = 0,
    PhotoOpNotApplicable = -1, // the photo is left as it was
    PhotoOpStopped = -2,       // the stop request came during the reduction
    PhotoOpTooLarge = -3,      // a side of the crop exceeds kMaxCropSide
    PhotoOpNoMemory = -5,      // a raster could not be allocated; the photo is unchanged
};

// Photos smaller than 64 pixels in either direction are refused. The refusal message
// still names 640 x 480, the size the studio asks photographers for; 64 only keeps out
// files that cannot be a photo at all (icons, broken exports).
inline constexpr int kMinPhotoSide = 64;
// No crop is made wider or higher than this.
inline constexpr int kMaxCropSide = 18724;
// The high-quality reduction takes sources up to this size and gives results up to
// kMaxHighQualityResult in each direction.
inline constexpr int kMaxHighQualitySource = 4998;
inline constexpr int kMaxHighQualityResult = 1600;

namespace msg {
inline const QString photoNotLoadable =
    QStringLiteral("画像ファイルを読み込めませんでした。\n読み込める画像サイズは縦横2048×1576ピクセ"
                   "ル以下です。\n%1\n");
inline const QString photoTooSmall =
    QStringLiteral("画像サイズは縦横640×480ピクセル以上です。\n%1\n");
// Shown with kMaxHighQualityResult for both %d.
inline const QString HighQualityNotice =
    QStringLiteral("高画質での縮小は縮小後サイズが右のサイズ以下の場合のみ有効になります。(幅 %d "
                   "pix  高さ%d pix )");
} // namespace msg

// True when the photo already has the L-size proportion: long side * 100 / short side is
// exactly 142.
bool IsLRatio(int w, int h);
// The size after trimming to the L-size proportion: one side stays, the other is
// shortened, the orientation is kept. Meant for photos where IsLRatio is false.
QSize LRatioTarget(int w, int h);

// The centred rectangle CropCentered cuts out of a photo of the given size (which side
// stays whole is decided again from the proportions). PhotoOpNotApplicable when the target
// does not fit the photo, PhotoOpTooLarge beyond kMaxCropSide.
int CropCenteredRect(QSize photo, int tw, int th, QRect *rect);
// The rectangle CutEdges keeps: 2 mm of page pixels at dpi less in each direction, the
// odd pixel going to the right and bottom edges.
int CutEdgesRect(QSize photo, int dpi, QRect *rect);

// Cuts 1 mm (of page pixels at dpi) off every edge.
int CutEdges(QImage &photo, int dpi);
// Cuts the centred tw x th (or, when the proportions ask for it, a full-width or
// full-height) rectangle out of the photo.
int CropCentered(QImage &photo, int tw, int th);

// Whether ReduceHighQuality would reduce a sw x sh photo to dw x dh: proportions within
// 3 hundredths, sizes within the limits, at most 1/100, and strictly smaller each way.
bool HighQualityApplies(int sw, int sh, int dw, int dh);
// Area averaging in hundredths of a source pixel, then a sharpening by the neighbours'
// intensity; the photo becomes exactly dw x dh. PhotoOpNotApplicable (unchanged) when
// HighQualityApplies is false, PhotoOpStopped (unchanged) when *stop is set, which is read
// once per target row. stop may be null.
int ReduceHighQuality(QImage &photo, int dw, int dh, const std::atomic<bool> *stop);

} // namespace mf
