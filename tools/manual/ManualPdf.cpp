#include "ManualPdf.h"
#include "FigureFit.h"
#include "ManualText.h"
#include "PageFill.h"
#include "PdfOutline.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

namespace manual {

namespace {

// High enough that the screenshots, placed at about 150 dpi, keep every pixel; the text is
// vector anyway.
constexpr int kResolution = 300;
// Millimetres. The bottom margin holds the footer line.
const QMarginsF kMargins(20, 18, 20, 14);
constexpr qreal kFooterMm = 8;

int mmToPixels(qreal mm)
{
    return int(mm * kResolution / 25.4 + 0.5);
}

// Where the generated table of contents goes, after the heading 目次.
const QString kContentsMarker = QStringLiteral("<!-- contents -->");
const QString kContentsTitle = QStringLiteral("目次");

// The chapter (h2) and section (h3) headings of the laid-out document and where they are
// printed. The chapters after the contents get the anchors the contents link to.
QList<PdfHeading> headingsOf(const QTextDocument &doc, qreal pageHeight)
{
    QList<PdfHeading> found;
    bool afterContents = false;
    int chapter = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int level = b.blockFormat().headingLevel();
        if (level != 2 && level != 3)
            continue;
        const QRectF rect = doc.documentLayout()->blockBoundingRect(b);
        PdfHeading h;
        h.title = b.text().trimmed();
        h.level = level - 1;
        h.page = int(rect.top() / pageHeight);
        // A little above the heading, so that a jump shows it whole.
        const qreal inPage = std::max<qreal>(0, rect.top() - h.page * pageHeight - 30);
        h.top = kMargins.top() * 72 / 25.4 + inPage * 72 / kResolution;
        if (level == 2 && afterContents)
            h.anchor = QStringLiteral("chapter-%1").arg(++chapter);
        if (level == 2 && h.title == kContentsTitle)
            afterContents = true;
        found << h;
    }
    return found;
}

// The contents: each chapter with the page number printed in the footer, linked to it.
QString contentsHtml(const QList<PdfHeading> &headings)
{
    QString html = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\">");
    for (const PdfHeading &h : headings) {
        if (h.anchor.isEmpty())
            continue;
        html += QStringLiteral("<tr><td><a href=\"#%1\" style=\"color: #000000; "
                               "text-decoration: none\">%2</a></td>"
                               "<td align=\"right\" width=\"12%\">%3</td></tr>")
                    .arg(h.anchor, h.title.toHtmlEscaped(), QString::number(h.page + 1));
    }
    return html + QStringLiteral("</table>");
}

// Draws one page of the paginated document, as the PDF prints it.
void drawPage(QPainter &painter, QTextDocument &doc, const QSizeF &pageSize, int page)
{
    painter.save();
    const QRectF visible(0, page * pageSize.height(), pageSize.width(), pageSize.height());
    painter.translate(0, -visible.top());
    painter.setClipRect(visible);
    doc.drawContents(&painter, visible);
    painter.restore();
}

// No page but a chapter's last is less than half full, measured on each page drawn as the
// PDF prints it (small: only the lowest row that is not white counts).
bool checkPageFill(QTextDocument &doc, const QSizeF &pageSize, const QList<PdfHeading> &headings,
                   QString *error)
{
    constexpr qreal kScale = 0.125;
    QList<qreal> fills;
    for (int page = 0; page < doc.pageCount(); ++page) {
        QImage image((pageSize * kScale).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(kScale, kScale);
        drawPage(painter, doc, pageSize, page);
        painter.end();
        fills << pageFill(image);
    }
    QSet<int> chapterFirstPages;
    for (const PdfHeading &h : headings) {
        if (h.level == 1)
            chapterFirstPages << h.page;
    }
    const QList<int> underfilled = underfilledPages(fills, chapterFirstPages);
    if (underfilled.isEmpty())
        return true;
    QStringList pages;
    for (int page : underfilled) {
        pages << QStringLiteral("page %1 is %2 % full")
                     .arg(QString::number(page + 1), QString::number(qRound(fills.at(page) * 100)));
    }
    *error = QStringLiteral("only a chapter's last page may be less than half full, but ") +
             pages.join(QStringLiteral(", "));
    return false;
}

// Lays the text out on pages of pageSize, with the contents' page numbers, and fits the
// pictures to their pages. The contents' page numbers are those of a layout that holds the
// contents: laid out again until they stay (the second time, as every number has as many
// lines). False, with a reason in *error, when they do not settle.
bool layOut(QTextDocument &doc, const QString &html, const QSizeF &pageSize,
            QList<PdfHeading> *headings, QString *error)
{
    const QString prepared = joinJapaneseLines(html);
    QString contents;
    FigureFit figures;
    for (int fix = 0;; ++fix) {
        for (int pass = 0;; ++pass) {
            const QString next = contentsHtml(*headings);
            if (pass > 0 && next == contents)
                break;
            if (pass == 4) {
                *error = QStringLiteral("the contents' page numbers do not settle");
                return false;
            }
            contents = next;
            doc.setHtml(QString(prepared).replace(kContentsMarker, contents));
            figures.apply(doc);
            *headings = headingsOf(doc, pageSize.height());
        }
        // Each heading is moved once, each picture fixed or given up at most a few times.
        if (fix == 60 || !figures.step(doc, pageSize.height()))
            return true;
    }
}

// The footer of every page but the title page: a line, the manual's name and the page number.
void drawFooter(QPainter &painter, const QRectF &footer, const QFont &font, int page, int pages)
{
    painter.setPen(QColor(120, 120, 120));
    painter.drawLine(QPointF(0, footer.top()), QPointF(footer.width(), footer.top()));
    painter.setPen(Qt::black);
    painter.setFont(font);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Velmora 説明書"));
    painter.drawText(
        footer, Qt::AlignRight | Qt::AlignBottom,
        QStringLiteral("%1 / %2").arg(QString::number(page + 1), QString::number(pages)));
}

// Prints the laid-out pages through the writer, each with its footer below pageSize.
bool printPages(QPdfWriter &writer, QTextDocument &doc, const QSizeF &pageSize,
                const QRectF &footer, const QFont &footerFont, const QString &pdfPath,
                QString *error)
{
    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("cannot write %1").arg(pdfPath);
        return false;
    }
    const int pages = doc.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        drawPage(painter, doc, pageSize, page);
        // The title page carries no footer.
        if (page > 0)
            drawFooter(painter, footer, footerFont, page, pages);
    }
    if (!painter.end()) {
        *error = QStringLiteral("cannot finish %1").arg(pdfPath);
        return false;
    }
    return true;
}

bool saveBytes(const QByteArray &bytes, const QString &pdfPath, QString *error)
{
    QFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = QStringLiteral("cannot write %1").arg(pdfPath);
        return false;
    }
    file.close();
    if (QFileInfo(pdfPath).size() <= 0) {
        *error = QStringLiteral("%1 is empty").arg(pdfPath);
        return false;
    }
    return true;
}

} // namespace

bool writeManualPdf(const QString &html, const QMap<QString, QImage> &images, const QDateTime &date,
                    const QString &pdfPath, QString *error)
{
    // Written in memory first: the bytes are made reproducible before the file exists.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMargins,
                                     QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Velmora 説明書"));
    writer.setCreator(QStringLiteral("Marrowfold"));

    QTextDocument doc;
    // Laid out for the PDF itself, not the screen: font metrics and line breaks are then the
    // ones printed, and image widths given in CSS pixels are scaled to the page.
    doc.documentLayout()->setPaintDevice(&writer);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    for (auto it = images.cbegin(); it != images.cend(); ++it)
        doc.addResource(QTextDocument::ImageResource, QUrl(it.key()), it.value());
    const QRect paintRect = writer.pageLayout().paintRectPixels(kResolution);
    const int footerHeight = mmToPixels(kFooterMm);
    const QSizeF pageSize(paintRect.width(), paintRect.height() - footerHeight);
    doc.setPageSize(pageSize);

    QList<PdfHeading> headings;
    if (!layOut(doc, html, pageSize, &headings, error))
        return false;
    // What the HTML would print as "など フォルダ名": a line break the joining missed, or a
    // space typed in a Japanese sentence.
    if (const QStringList spaces = spacesBetweenJapanese(doc.toPlainText()); !spaces.isEmpty()) {
        *error = QStringLiteral("a half-width space between Japanese characters in the text: ") +
                 spaces.join(QStringLiteral(" | "));
        return false;
    }
    if (!checkPageFill(doc, pageSize, headings, error))
        return false;

    QFont footerFont(font);
    footerFont.setPointSizeF(8);
    const QRectF footer(0, paintRect.height() - footerHeight * 0.6, pageSize.width(),
                        footerHeight * 0.6);
    if (!printPages(writer, doc, pageSize, footer, footerFont, pdfPath, error))
        return false;
    QByteArray bytes = pdf.data();
    if (!addOutlineAndLinks(bytes, headings, error))
        return false;
    if (!makeReproducible(bytes, date)) {
        *error =
            QStringLiteral("the PDF's dates or id were not found; it would not be reproducible");
        return false;
    }
    return saveBytes(bytes, pdfPath, error);
}

} // namespace manual
