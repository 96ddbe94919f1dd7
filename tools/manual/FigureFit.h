#pragma once
// Keeps pictures with the text before them: a picture that does not fit below that text
// moves to the next page and leaves the rest of the page empty. When that is a fifth of a
// page or more, the picture (with its caption) is made smaller to stay, down to 70 %, so
// that the windows' text stays legible; a picture that would need more keeps its size.
// Keeps a heading with what follows it, as a book does: a heading whose text (the first two
// lines, or a table's first two rows) would start on the next page goes there too.

#include <QMap>
#include <QSet>
#include <QTextDocument>

namespace manual {

class FigureFit {
public:
    // Gives the pictures of a freshly laid out document the sizes found so far, and the
    // headings moved so far their page breaks.
    void apply(QTextDocument &doc) const;
    // Looks at the paginated layout for one heading to move, or one picture to make smaller
    // (or to give its size back to); false when there is none. Called after apply() until it
    // returns false.
    bool step(const QTextDocument &doc, qreal pageHeight);
    // The picture's scale, by its number among the pictures outside tables.
    qreal scale(int picture) const { return m_scales.value(picture, 1.0); }
    // Whether the heading, by its number among the headings, starts a new page.
    bool movesToNextPage(int heading) const { return m_movedHeadings.contains(heading); }

private:
    bool keepHeadingWithNext(const QTextDocument &doc, qreal pageHeight);
    bool fitPicture(const QTextDocument &doc, qreal pageHeight);

    QMap<int, qreal> m_scales;
    QSet<int> m_givenUp;
    QSet<int> m_movedHeadings;
};

} // namespace manual
