#include "PdfOutline.h"

#include <QMap>
#include <QRegularExpression>

#include <algorithm>

namespace manual {

namespace {

// A text string for the outline: UTF-16BE with its byte order mark, in hex.
QByteArray pdfString(const QString &text)
{
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex + '>';
}

QByteArray ref(int number)
{
    return QByteArray::number(number) + " 0 R";
}

QByteArray number(qreal value)
{
    return QByteArray::number(value, 'f', 2);
}

bool failWith(QString *error, const QString &why)
{
    *error = why;
    return false;
}

// The PDF as Qt wrote it, taken apart into its objects.
struct PdfObjects {
    QByteArray header;             // what comes before the first object
    QMap<int, QByteArray> objects; // by number
    QList<int> order;              // the numbers in the order of the file
    int count = 0;                 // the cross-reference table's size: the first free number
    int root = 0;                  // the catalog
    int info = 0;                  // the document information, 0 when there is none
    QList<int> pages;
    qreal pageHeight = 0;
};

// Splits the PDF at the offsets of its one cross-reference table. False, with a reason in
// *error, when it does not have that shape.
bool splitObjects(const QByteArray &pdf, PdfObjects *out, QString *error)
{
    const qsizetype xrefAt = pdf.lastIndexOf("\nxref\n") + 1;
    const qsizetype trailerAt = pdf.indexOf("trailer", xrefAt);
    if (xrefAt <= 0 || trailerAt < 0)
        return failWith(error, QStringLiteral("no cross-reference table"));
    const QList<QByteArray> lines = pdf.mid(xrefAt, trailerAt - xrefAt).split('\n');
    const QList<QByteArray> range = lines.value(1).trimmed().split(' ');
    out->count = range.value(1).toInt();
    if (range.value(0) != "0" || out->count < 2 || lines.size() < out->count + 2)
        return failWith(error, QStringLiteral("an unexpected cross-reference table"));
    QMap<qsizetype, int> byOffset; // offset -> object number
    for (int n = 1; n < out->count; ++n) {
        const QList<QByteArray> entry = lines.at(n + 2).trimmed().split(' ');
        if (entry.value(2) == "n")
            byOffset.insert(entry.value(0).toLongLong(), n);
    }
    if (byOffset.isEmpty())
        return failWith(error, QStringLiteral("no objects"));
    for (auto it = byOffset.cbegin(); it != byOffset.cend(); ++it) {
        const auto next = std::next(it);
        const qsizetype end = next == byOffset.cend() ? xrefAt : next.key();
        out->objects.insert(it.value(), pdf.mid(it.key(), end - it.key()));
        if (!out->objects.value(it.value()).startsWith(QByteArray::number(it.value()) + " 0 obj"))
            return failWith(
                error, QStringLiteral("object %1 is not where the table says").arg(it.value()));
    }
    out->header = pdf.left(byOffset.firstKey());
    out->order = QList<int>(byOffset.cbegin(), byOffset.cend());

    static const QRegularExpression rootRe(QStringLiteral("/Root (\\d+) 0 R"));
    static const QRegularExpression infoRe(QStringLiteral("/Info (\\d+) 0 R"));
    const QString trailer = QString::fromLatin1(pdf.mid(trailerAt));
    out->root = rootRe.match(trailer).captured(1).toInt();
    out->info = infoRe.match(trailer).captured(1).toInt();
    return true;
}

// The pages, through the catalog's page list, and their height. False, with a reason in
// *error, when there are none.
bool findPages(PdfObjects &pdf, QString *error)
{
    static const QRegularExpression pagesRe(QStringLiteral("/Pages (\\d+) 0 R"));
    static const QRegularExpression kidsRe(QStringLiteral("/Kids\\s*\\[([^\\]]*)\\]"));
    static const QRegularExpression refRe(QStringLiteral("(\\d+) 0 R"));
    static const QRegularExpression mediaRe(
        QStringLiteral("/MediaBox \\[\\s*[-\\d.]+\\s+[-\\d.]+\\s+[-\\d.]+\\s+([-\\d.]+)"));
    const QString catalog = QString::fromLatin1(pdf.objects.value(pdf.root));
    const int pagesObject = pagesRe.match(catalog).captured(1).toInt();
    const QRegularExpressionMatch kids =
        kidsRe.match(QString::fromLatin1(pdf.objects.value(pagesObject)));
    if (!pdf.root || !pagesObject || !kids.hasMatch())
        return failWith(error, QStringLiteral("no catalog or page list"));
    for (const QRegularExpressionMatch &m : refRe.globalMatch(kids.captured(1)))
        pdf.pages << m.captured(1).toInt();
    pdf.pageHeight = mediaRe.match(QString::fromLatin1(pdf.objects.value(pdf.pages.value(0))))
                         .captured(1)
                         .toDouble();
    if (pdf.pages.isEmpty() || pdf.pageHeight <= 0)
        return failWith(error, QStringLiteral("no pages"));
    return true;
}

// Where a jump to the heading lands: its page, at its top.
QByteArray destination(const PdfObjects &pdf, const PdfHeading &h)
{
    const int page = std::clamp(h.page, 0, int(pdf.pages.size()) - 1);
    return "[" + ref(pdf.pages.at(page)) + " /XYZ 0 " + number(pdf.pageHeight - h.top) + " null]";
}

// Qt writes a link as a web address: one to "#anchor" becomes a jump to its heading. False,
// with a reason in *error, for a link that no heading has.
bool linkHeadings(PdfObjects &pdf, const QList<PdfHeading> &headings, QString *error)
{
    static const QRegularExpression uriRe(QStringLiteral("/S /URI\\s*/URI \\(#([^()\\\\]*)\\)"));
    for (auto it = pdf.objects.begin(); it != pdf.objects.end(); ++it) {
        if (!it.value().contains("/URI (#"))
            continue;
        QString text = QString::fromLatin1(it.value());
        QString rewritten;
        qsizetype from = 0;
        for (const QRegularExpressionMatch &m : uriRe.globalMatch(text)) {
            const auto target =
                std::find_if(headings.cbegin(), headings.cend(),
                             [&](const PdfHeading &h) { return h.anchor == m.captured(1); });
            if (target == headings.cend())
                return failWith(
                    error,
                    QStringLiteral("a link to #%1, which no heading has").arg(m.captured(1)));
            rewritten += text.mid(from, m.capturedStart(0) - from);
            rewritten +=
                QStringLiteral("/S /GoTo\n/D ") + QString::fromLatin1(destination(pdf, *target));
            from = m.capturedEnd(0);
        }
        rewritten += text.mid(from);
        it.value() = rewritten.toLatin1();
    }
    return true;
}

// Adds the outline: the chapters, each with its sections (shown closed), as new objects after
// the last. Returns the number of the outline's root.
int addOutline(PdfObjects &pdf, const QList<PdfHeading> &headings)
{
    int next = pdf.count;
    const int outlineRoot = next++;
    QList<int> numbers;
    for (qsizetype i = 0; i < headings.size(); ++i)
        numbers << next++;
    QList<qsizetype> chapters;
    QMap<qsizetype, QList<qsizetype>> sections;
    for (qsizetype i = 0; i < headings.size(); ++i) {
        if (headings.at(i).level == 1 || chapters.isEmpty())
            chapters << i;
        else
            sections[chapters.last()] << i;
    }
    auto item = [&](qsizetype i, int parent, const QList<qsizetype> &siblings, qsizetype at) {
        QByteArray text = QByteArray::number(numbers.at(i)) + " 0 obj\n<<\n/Title " +
                          pdfString(headings.at(i).title) + "\n/Parent " + ref(parent) +
                          "\n/Dest " + destination(pdf, headings.at(i)) + '\n';
        if (at > 0)
            text += "/Prev " + ref(numbers.at(siblings.at(at - 1))) + '\n';
        if (at + 1 < siblings.size())
            text += "/Next " + ref(numbers.at(siblings.at(at + 1))) + '\n';
        const QList<qsizetype> children = sections.value(i);
        if (!children.isEmpty())
            text += "/First " + ref(numbers.at(children.first())) + "\n/Last " +
                    ref(numbers.at(children.last())) + "\n/Count -" +
                    QByteArray::number(children.size()) + '\n';
        pdf.objects.insert(numbers.at(i), text + ">>\nendobj\n");
    };
    for (qsizetype c = 0; c < chapters.size(); ++c) {
        item(chapters.at(c), outlineRoot, chapters, c);
        const QList<qsizetype> children = sections.value(chapters.at(c));
        for (qsizetype s = 0; s < children.size(); ++s)
            item(children.at(s), numbers.at(chapters.at(c)), children, s);
    }
    QByteArray outline = QByteArray::number(outlineRoot) + " 0 obj\n<<\n/Type /Outlines\n";
    if (!chapters.isEmpty())
        outline += "/First " + ref(numbers.at(chapters.first())) + "\n/Last " +
                   ref(numbers.at(chapters.last())) + "\n/Count " +
                   QByteArray::number(chapters.size()) + '\n';
    pdf.objects.insert(outlineRoot, outline + ">>\nendobj\n");
    for (int n = pdf.count; n < next; ++n)
        pdf.order << n;
    pdf.count = next;
    return outlineRoot;
}

// The objects written again in their order, with a new cross-reference table.
QByteArray joinObjects(const PdfObjects &pdf)
{
    QByteArray out = pdf.header;
    QMap<int, qsizetype> offsets;
    for (const int n : pdf.order) {
        offsets.insert(n, out.size());
        out += pdf.objects.value(n);
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(pdf.count) + "\n0000000000 65535 f \n";
    for (int n = 1; n < pdf.count; ++n) {
        if (offsets.contains(n))
            out += QByteArray::number(offsets.value(n)).rightJustified(10, '0') + " 00000 n \n";
        else
            out += "0000000000 65535 f \n";
    }
    out += "trailer\n<<\n/Size " + QByteArray::number(pdf.count) + '\n';
    if (pdf.info)
        out += "/Info " + ref(pdf.info) + '\n';
    out += "/Root " + ref(pdf.root) + "\n>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

} // namespace

bool addOutlineAndLinks(QByteArray &pdf, const QList<PdfHeading> &headings, QString *error)
{
    PdfObjects objects;
    if (!splitObjects(pdf, &objects, error) || !findPages(objects, error) ||
        !linkHeadings(objects, headings, error))
        return false;
    const int outlineRoot = addOutline(objects, headings);
    QByteArray &catalog = objects.objects[objects.root];
    const qsizetype close = catalog.lastIndexOf(">>");
    if (close < 0)
        return failWith(error, QStringLiteral("an unexpected catalog"));
    catalog.insert(close, "/Outlines " + ref(outlineRoot) + "\n/PageMode /UseOutlines\n");
    pdf = joinObjects(objects);
    return true;
}

} // namespace manual
