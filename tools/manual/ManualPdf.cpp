#include "ManualPdf.h"
#include "ManualText.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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
    doc.setHtml(joinJapaneseLines(html));
    // What the HTML would print as "など フォルダ名": a line break the joining missed, or a
    // space typed in a Japanese sentence.
    if (const QStringList spaces = spacesBetweenJapanese(doc.toPlainText()); !spaces.isEmpty()) {
        *error = QStringLiteral("a half-width space between Japanese characters in the text: ") +
                 spaces.join(QStringLiteral(" | "));
        return false;
    }

    const QRect paintRect = writer.pageLayout().paintRectPixels(kResolution);
    const int footerHeight = mmToPixels(kFooterMm);
    const QSizeF pageSize(paintRect.width(), paintRect.height() - footerHeight);
    doc.setPageSize(pageSize);

    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("cannot write %1").arg(pdfPath);
        return false;
    }
    QFont footerFont(font);
    footerFont.setPointSizeF(8);
    const int pages = doc.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        const QRectF visible(0, page * pageSize.height(), pageSize.width(), pageSize.height());
        painter.translate(0, -visible.top());
        painter.setClipRect(visible);
        doc.drawContents(&painter, visible);
        painter.restore();

        // The title page carries no footer.
        if (page == 0)
            continue;
        const QRectF footer(0, paintRect.height() - footerHeight * 0.6, pageSize.width(),
                            footerHeight * 0.6);
        painter.setPen(QColor(120, 120, 120));
        painter.drawLine(QPointF(0, footer.top()), QPointF(pageSize.width(), footer.top()));
        painter.setPen(Qt::black);
        painter.setFont(footerFont);
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Velmora 説明書"));
        painter.drawText(
            footer, Qt::AlignRight | Qt::AlignBottom,
            QStringLiteral("%1 / %2").arg(QString::number(page + 1), QString::number(pages)));
    }
    if (!painter.end()) {
        *error = QStringLiteral("cannot finish %1").arg(pdfPath);
        return false;
    }
    QByteArray bytes = pdf.data();
    if (!makeReproducible(bytes, date)) {
        *error =
            QStringLiteral("the PDF's dates or id were not found; it would not be reproducible");
        return false;
    }
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

} // namespace manual
