#pragma once
// How full the manual's pages are, measured on their rendering: a book leaves no page but a
// chapter's last less than half full.

#include <QImage>
#include <QList>
#include <QSet>

namespace manual {

// The share of the page's height down to its lowest row that is not white (0 for a blank
// page). The page is its text area, without margins and footer.
qreal pageFill(const QImage &page);

// The pages (counted from 0) less than half full that are not a chapter's last, that is, not
// the page before a chapter's first and not the last page; and every empty page.
QList<int> underfilledPages(const QList<qreal> &fills, const QSet<int> &chapterFirstPages);

} // namespace manual
