#include "sheets/PageLayout.h"

#include "platform/Codec.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cstring>

namespace mf {

namespace {

const QString kFontFamily = QStringLiteral("ＭＳ ゴシック");

QFont sheetFont(int pixelHeight)
{
    QFont font(kFontFamily);
    font.setPixelSize(pixelHeight);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

int byteLength(const QString &text)
{
    return storedByteLength(text);
}

} // namespace

QPoint cellOrigin(const OutputSize &size, int column, int row)
{
    const qint64 x = size.leftMargin + qint64(size.photoWidth + ColumnGap(size)) * column;
    const qint64 y = size.topMargin + qint64(size.photoHeight + RowGap(size)) * row;
    return {int(x), int(y)};
}

int textWidth(const QString &text, int pixelHeight)
{
    if (text.isEmpty() || pixelHeight < 1)
        return 0;
    return QFontMetrics(sheetFont(pixelHeight)).horizontalAdvance(text);
}

LabelBoxes labelBoxes(int x, int y, int w, int h, int boxWidth, int labelWidth, int fontHeight,
                      NumberPosition position, bool framed)
{
    const int b = boxWidth, f = fontHeight;
    const int centring = half(qint64(b) - labelWidth);
    LabelBoxes out;
    auto rect = [](int l, int t, int r, int bt) {
        return QRect(QPoint(l, t), QPoint(r - 1, bt - 1));
    };
    if (position == NumberPosition::TopLeft) {
        out.box = framed ? rect(x + 1, y + 1, x + b, y + f) : rect(x, y, x + b, y + f);
        const int top = framed ? y + 1 : y;
        out.text = rect(x + centring, top, x + centring + labelWidth, y + f);
    } else {
        out.box = framed ? rect(x + w - b, y + h - 2 - f, x + w - 1, y + h - 1)
                         : rect(x + w - b, y + h - f, x + w + 1, y + h + 1);
        const int bottom = framed ? y + h - 1 : y + h + 1;
        out.text = rect(x + w - centring - labelWidth, y + h - f, x + w - centring, bottom);
    }
    return out;
}

QString numberLabel(const QString &prefix, int number)
{
    return prefix + QString::number(number);
}

QString labelBoxText(const QString &label)
{
    if (byteLength(label) == 1)
        return QLatin1Char('D') + label + QLatin1Char('D');
    return label + QLatin1Char('D');
}

QString checkTitleFits(const OutputSize &size, const TitleSettings &title, int pagesOutput)
{
    const qint64 t = title.showTitle ? textWidth(title.title, title.titleFontHeight) : 0;
    const QString test =
        title.pageLabel + QString::number(qint64(pagesOutput) + title.pageOffset + 1);
    const qint64 p = title.showPageNumber ? textWidth(test, title.pageFontHeight) : 0;
    return titleFitProblem(size, title, t, p);
}

QString titleFitProblem(const OutputSize &size, const TitleSettings &title, qint64 t, qint64 p)
{
    const qint64 printable = qint64(size.paperWidth) - size.rightMargin - size.leftMargin;
    if (title.showTitle) {
        if (title.titleFontHeight > size.topMargin)
            return msg::titleTooHigh;
        if (printable < t)
            return msg::titleTooWide;
    } else {
        t = 0;
    }
    if (title.showPageNumber) {
        if (title.pageFontHeight > size.topMargin)
            return msg::pageNumberTooHigh;
        const bool fits = title.titleAlign == TitleAlign::Centre ? half(t) + p <= half(printable)
                                                                 : t + p <= printable;
        if (!fits)
            return msg::pageNumberTooWide;
    }
    return {};
}

QRect titleRect(const OutputSize &size, const TitleSettings &title)
{
    const int ht = title.titleFontHeight;
    const int top = half(qint64(size.topMargin) - ht);
    const int t = textWidth(title.title, ht);
    qint64 left = size.leftMargin;
    if (title.titleAlign == TitleAlign::Centre)
        left = size.leftMargin +
               half(qint64(size.paperWidth) - size.rightMargin - size.leftMargin - t);
    else if (title.titleAlign == TitleAlign::Right)
        left = qint64(size.paperWidth) - size.rightMargin - t;
    return {int(left), top, t, ht};
}

QString pageNumberText(const TitleSettings &title, int pagesOutput)
{
    return title.pageLabel + QString::number(qint64(pagesOutput) + title.pageOffset + 1) +
           title.pageSuffix;
}

QRect pageNumberRect(const OutputSize &size, const TitleSettings &title, int pagesOutput)
{
    const int hp = title.pageFontHeight, ht = title.titleFontHeight;
    const int p = textWidth(pageNumberText(title, pagesOutput), hp);
    qint64 top;
    if (title.showTitle && hp <= ht)
        top = std::max<qint64>(0, half(qint64(size.topMargin) - ht) + qint64(ht) - hp);
    else
        top = half(qint64(size.topMargin) - hp);
    const qint64 printable = qint64(size.paperWidth) - size.rightMargin - size.leftMargin;
    const qint64 rightAligned = qint64(size.paperWidth) - size.rightMargin - p;
    qint64 left = rightAligned;
    if (title.titleAlign == TitleAlign::Right)
        left = size.leftMargin;
    else if (title.titleAlign == TitleAlign::Centre && title.showTitle &&
             printable < qint64(byteLength(title.title)) * hp / 2 + p)
        left = size.leftMargin;
    return {int(left), int(top), p, hp};
}

void fillWhite(QImage &page, const QRect &rect)
{
    const QRect r = rect.intersected(page.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memset(page.scanLine(y) + qsizetype(r.left()) * 3, 0xFF, qsizetype(r.width()) * 3);
}

void drawFrame(QImage &page, const QRect &rect)
{
    if (rect.isEmpty())
        return;
    const QRect edges[] = {QRect(rect.left(), rect.top(), rect.width(), 1),
                           QRect(rect.left(), rect.bottom(), rect.width(), 1),
                           QRect(rect.left(), rect.top(), 1, rect.height()),
                           QRect(rect.right(), rect.top(), 1, rect.height())};
    for (const QRect &edge : edges) {
        const QRect r = edge.intersected(page.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memset(page.scanLine(y) + qsizetype(r.left()) * 3, 0, qsizetype(r.width()) * 3);
    }
}

void drawText(QImage &page, const QRect &rect, const QString &text, int pixelHeight)
{
    if (text.isEmpty() || pixelHeight < 1)
        return;
    QPainter painter(&page);
    painter.setClipRect(page.rect());
    painter.setFont(sheetFont(pixelHeight));
    painter.setPen(Qt::black);
    painter.drawText(QRect(rect.left(), rect.top(), std::max(rect.width(), 1) + pixelHeight * 2,
                           pixelHeight * 2),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, text);
}

void placeImage(QImage &page, const QImage &photo, QPoint at)
{
    const QRect target = QRect(at, photo.size()).intersected(page.rect());
    if (target.isEmpty() || photo.format() != QImage::Format_BGR888)
        return;
    const int sx = target.left() - at.x(), sy = target.top() - at.y();
    for (int y = 0; y < target.height(); ++y)
        std::memcpy(page.scanLine(target.top() + y) + qsizetype(target.left()) * 3,
                    photo.constScanLine(sy + y) + qsizetype(sx) * 3, qsizetype(target.width()) * 3);
}

QImage previewImage(const QImage &page)
{
    constexpr int limit = 2480;
    const int w = page.width(), h = page.height();
    if (w <= limit && h <= limit)
        return page;
    const QSize scaled =
        h < w ? QSize(limit, int(qint64(h) * limit / w)) : QSize(int(qint64(w) * limit / h), limit);
    return page.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace mf
