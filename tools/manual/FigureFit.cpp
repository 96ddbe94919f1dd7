#include "FigureFit.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>

namespace manual {

namespace {

// A picture that does not fit below the text before it moves to the next page and leaves
// the rest of the page empty. When that is a fifth of a page or more, the picture (with its
// caption) is made smaller to stay, but no smaller than this: the windows' text must stay
// legible.
constexpr qreal kMinFigureScale = 0.7;
constexpr qreal kEmptyPageShare = 0.2;
// What starts this near the top of a page starts the page: moving it would not help.
constexpr qreal kPageTopShare = 0.05;

// The pictures of the text (not those in tables, as on the title page), in order.
QList<int> figurePositions(const QTextDocument &doc)
{
    QList<int> positions;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (QTextCursor(b).currentTable())
            continue;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat())
                positions << it.fragment().position();
        }
    }
    return positions;
}

// The headings of the text, in order.
QList<QTextBlock> headingBlocks(const QTextDocument &doc)
{
    QList<QTextBlock> headings;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() > 0 && !QTextCursor(b).currentTable())
            headings << b;
    }
    return headings;
}

// Where a line of a block is printed. A line pushed to the next page stays in its block,
// which then starts on the page before: the line, not the block, tells the page.
qreal lineTop(const QTextDocument &doc, const QTextBlock &block, int line)
{
    const qreal top = doc.documentLayout()->blockBoundingRect(block).top();
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return top;
    return top + layout->lineAt(std::min(line, layout->lineCount() - 1)).y();
}

// The page on which the start of what follows a heading ends: its second line, or a
// table's second row. A heading alone with less than that at the foot of a page looks lost.
int pageOfStart(const QTextDocument &doc, const QTextBlock &block, qreal pageHeight)
{
    if (QTextTable *table = QTextCursor(block).currentTable()) {
        const QTextTableCell cell = table->cellAt(std::min(1, table->rows() - 1), 0);
        return int(lineTop(doc, cell.firstCursorPosition().block(), 0) / pageHeight);
    }
    return int(lineTop(doc, block, 1) / pageHeight);
}

qreal bottomOf(const QTextDocument &doc, const QTextBlock &block)
{
    if (QTextTable *table = QTextCursor(block).currentTable())
        return doc.documentLayout()->frameBoundingRect(table).bottom();
    return doc.documentLayout()->blockBoundingRect(block).bottom();
}

} // namespace

void FigureFit::apply(QTextDocument &doc) const
{
    const QList<int> positions = figurePositions(doc);
    for (auto it = m_scales.cbegin(); it != m_scales.cend(); ++it) {
        QTextCursor cursor(&doc);
        cursor.setPosition(positions.value(it.key()));
        cursor.setPosition(positions.value(it.key()) + 1, QTextCursor::KeepAnchor);
        QTextImageFormat format = cursor.charFormat().toImageFormat();
        if (!format.isValid() || format.width() <= 0)
            continue;
        format.setWidth(format.width() * it.value());
        if (format.height() > 0)
            format.setHeight(format.height() * it.value());
        cursor.setCharFormat(format);
    }
    const QList<QTextBlock> headings = headingBlocks(doc);
    for (int heading : m_movedHeadings) {
        if (heading >= headings.size())
            continue;
        QTextBlockFormat format;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(headings.at(heading)).mergeBlockFormat(format);
    }
    // Changed in place, the layout is redone only in part: the blocks between an earlier
    // page break and a resized picture kept no lines and were missing from the PDF.
    doc.markContentsDirty(0, doc.characterCount());
}

bool FigureFit::step(const QTextDocument &doc, qreal pageHeight)
{
    // A moved heading moves what follows it, pictures too: headings first.
    return keepHeadingWithNext(doc, pageHeight) || fitPicture(doc, pageHeight);
}

bool FigureFit::keepHeadingWithNext(const QTextDocument &doc, qreal pageHeight)
{
    const QList<QTextBlock> headings = headingBlocks(doc);
    for (int i = 0; i < headings.size(); ++i) {
        const QTextBlock heading = headings.at(i);
        if (m_movedHeadings.contains(i) || !heading.next().isValid())
            continue;
        const qreal top = lineTop(doc, heading, 0);
        const int page = int(top / pageHeight);
        if (top - page * pageHeight <= pageHeight * kPageTopShare)
            continue;
        if (pageOfStart(doc, heading.next(), pageHeight) > page) {
            m_movedHeadings.insert(i);
            return true;
        }
    }
    return false;
}

bool FigureFit::fitPicture(const QTextDocument &doc, qreal pageHeight)
{
    const QList<int> positions = figurePositions(doc);
    for (int i = 0; i < positions.size(); ++i) {
        if (m_givenUp.contains(i))
            continue;
        const QTextBlock block = doc.findBlock(positions.at(i));
        // A line pushed to the next page stays in its block, which then starts on the page
        // before: the picture's line tells where it is printed.
        const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
        if (!block.layout() || block.layout()->lineCount() < 1)
            continue;
        const QTextLine line = block.layout()->lineAt(0);
        const qreal pictureTop = rect.top() + line.y();
        const int page = int(pictureTop / pageHeight);
        const qreal pageTop = page * pageHeight;
        const QTextBlock next = block.next();
        // A caption is the smaller text right after a picture.
        const bool captioned = next.isValid() && !next.begin().atEnd() &&
                               next.begin().fragment().charFormat().fontPointSize() < 10 &&
                               !next.begin().fragment().charFormat().isImageFormat();
        // A picture made smaller that now stays, but without all of its caption: a little
        // smaller.
        if (captioned && m_scales.contains(i) && next.layout() && next.layout()->lineCount() > 0 &&
            int((doc.documentLayout()->blockBoundingRect(next).top() +
                 next.layout()->lineAt(next.layout()->lineCount() - 1).y()) /
                pageHeight) > page) {
            const qreal smaller = m_scales.value(i) * 0.96;
            if (smaller < kMinFigureScale) {
                m_givenUp.insert(i);
                m_scales.remove(i);
            } else {
                m_scales.insert(i, smaller);
            }
            return true;
        }
        if (page == 0 || pictureTop - pageTop > pageHeight * kPageTopShare ||
            !block.previous().isValid())
            continue;
        const qreal free = pageTop - bottomOf(doc, block.previous());
        if (free < pageHeight * kEmptyPageShare)
            continue;
        // (The block's own rectangle does not grow with a pushed line; the line's height is
        // the picture's.)
        qreal needed = line.height() + block.blockFormat().bottomMargin();
        if (captioned) // it goes along
            needed += doc.documentLayout()->blockBoundingRect(next).height();
        const qreal scale = m_scales.value(i, 1.0) * free / needed * 0.97;
        if (scale < kMinFigureScale || scale >= m_scales.value(i, 1.0)) {
            m_givenUp.insert(i);
            if (m_scales.remove(i))
                return true;
            continue;
        }
        m_scales.insert(i, scale);
        return true;
    }
    return false;
}

} // namespace manual
