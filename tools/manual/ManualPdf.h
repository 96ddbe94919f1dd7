#pragma once
// Lays the manual's HTML out on A4 pages and writes them as a PDF.

#include <QDateTime>
#include <QImage>
#include <QMap>
#include <QString>

namespace manual {

// html may refer to the images by their keys (<img src="main.png">). The first block up to
// an element with "page-break-after: always" is the title page, which carries no page
// number. Line breaks inside Japanese sentences are joined; a half-width space left between
// Japanese characters fails it. `date` is written as the PDF's creation and change date, and
// the same input gives the same bytes. Returns false, with a reason in *error, when the PDF
// could not be written.
bool writeManualPdf(const QString &html, const QMap<QString, QImage> &images, const QDateTime &date,
                    const QString &pdfPath, QString *error);

} // namespace manual
