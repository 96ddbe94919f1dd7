#pragma once
// What Qt's PDF writer leaves out of a book: the outline (bookmarks) and links inside the
// document. Added by rewriting the PDF Qt wrote.

#include <QByteArray>
#include <QList>
#include <QString>

namespace manual {

struct PdfHeading {
    QString title;
    int level = 1;  // 1 (a chapter) or 2 (a section of the last chapter)
    int page = 0;   // from 0
    qreal top = 0;  // points from the top of the page
    QString anchor; // links to "#anchor" lead here; may be empty
};

// Adds the headings as the outline, opened when the PDF is, makes every link to
// "#anchor" (which Qt writes as a web link) go to its heading, and rebuilds the
// cross-reference table. False, with a reason in *error, when the PDF does not have the
// simple shape Qt writes (one xref table, a catalog, the pages in one /Kids list), or a
// link names no heading.
bool addOutlineAndLinks(QByteArray &pdf, const QList<PdfHeading> &headings, QString *error);

} // namespace manual
