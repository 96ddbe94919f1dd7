#pragma once
// The geometry and drawing of one sample sheet page: cells, frames, number labels, the title
// and the page number. Pages are 24-bit rasters (Format_BGR888); text is drawn in the font
// "ＭＳ ゴシック" at a pixel height, black, on a transparent background.

#include "sheets/OutputSize.h"
#include "sheets/TitleSettings.h"

#include <QImage>
#include <QRect>
#include <QString>

namespace mf {

// Halving a signed value truncates toward zero, as every division of the layout does.
inline constexpr int half(qint64 v)
{
    return int(v / 2);
}

// The top-left corner of cell (column, row), both from 0.
QPoint cellOrigin(const OutputSize &size, int column, int row);

// Width of a text at a pixel height; 0 for an empty text or a height below 1.
int textWidth(const QString &text, int pixelHeight);

// Where the number label of a photo goes. X, Y: top-left of the drawn photo (with the inset
// already added), W x H: its drawn size. Rectangles are left, top, right and bottom with the
// right and bottom edges outside, as the page is filled.
enum class NumberPosition { TopLeft = 0, BottomRight = 1 };
struct LabelBoxes {
    QRect box;  // filled white
    QRect text; // where the label is drawn
};
LabelBoxes labelBoxes(int x, int y, int w, int h, int boxWidth, int labelWidth, int fontHeight,
                      NumberPosition position, bool framed);

// The label of photo n ("%s%d", or "%d" without a prefix) and the text whose width makes its
// box: the label and a "D", or "D%sD" for a label of one byte.
QString numberLabel(const QString &prefix, int number);
QString labelBoxText(const QString &label);

// Checks that the title and the page number fit the top margin and the printable width. An
// empty text when they fit, otherwise the message to show. pagesOutput is the count of pages
// saved in the series so far.
QString checkTitleFits(const OutputSize &size, const TitleSettings &title, int pagesOutput);
// The same with the measured widths of the title (t) and of the page number test text (p).
QString titleFitProblem(const OutputSize &size, const TitleSettings &title, qint64 t, qint64 p);

// The rectangles of the title and of the page number of page pagesOutput + 1.
QRect titleRect(const OutputSize &size, const TitleSettings &title);
QString pageNumberText(const TitleSettings &title, int pagesOutput);
QRect pageNumberRect(const OutputSize &size, const TitleSettings &title, int pagesOutput);

// Drawing on a page. Everything is clipped to the page.
void fillWhite(QImage &page, const QRect &rect);
void drawFrame(QImage &page, const QRect &rect); // 1 pixel, black, on the rect's inner edge
void drawText(QImage &page, const QRect &rect, const QString &text, int pixelHeight);
// Copies a photo raster onto the page at the given point.
void placeImage(QImage &page, const QImage &photo, QPoint at);

// The page as the preview shows it: scaled so that its longer side is at most 2480 pixels.
QImage previewImage(const QImage &page);

namespace msg {
inline const QString titleTooHigh = QStringLiteral("上余白が小さいのでタイトルを表示出来ません。");
inline const QString titleTooWide =
    QStringLiteral("用紙幅が足りないのでタイトルを表示出来ません。");
inline const QString pageNumberTooHigh =
    QStringLiteral("上余白が小さいのでページ番号を表示出来ません。");
inline const QString pageNumberTooWide =
    QStringLiteral("用紙幅が足りないのでページ番号を表示出来ません。");
} // namespace msg

} // namespace mf
