#include "PageFill.h"

namespace manual {

namespace {

constexpr qreal kMinFill = 0.5;
// Lighter than this counts as paper: anti-aliasing leaves faint grey next to the text.
constexpr int kPaperGrey = 245;

bool rowIsBlank(const QImage &image, int y)
{
    const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
        if (qGray(row[x]) < kPaperGrey)
            return false;
    }
    return true;
}

} // namespace

qreal pageFill(const QImage &page)
{
    if (page.isNull())
        return 0;
    const QImage image = page.convertToFormat(QImage::Format_RGB32);
    for (int y = image.height() - 1; y >= 0; --y) {
        if (!rowIsBlank(image, y))
            return qreal(y + 1) / image.height();
    }
    return 0;
}

QList<int> underfilledPages(const QList<qreal> &fills, const QSet<int> &chapterFirstPages)
{
    QList<int> pages;
    for (int page = 0; page + 1 < fills.size(); ++page) {
        // An empty page is never right, whatever follows it.
        if (fills.at(page) == 0 ||
            (fills.at(page) < kMinFill && !chapterFirstPages.contains(page + 1)))
            pages << page;
    }
    return pages;
}

} // namespace manual
