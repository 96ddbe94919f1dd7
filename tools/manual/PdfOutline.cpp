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

} // namespace

bool addOutlineAndLinks(QByteArray &pdf, const QList<PdfHeading> &headings, QString *error)
{
    auto failWith = [error](const QString &why) {
        *error = why;
        return false;
    };
    // The objects, found through the one cross-reference table at the end.
    const qsizetype xrefAt = pdf.lastIndexOf("\nxref\n") + 1;
    const qsizetype trailerAt = pdf.indexOf("trailer", xrefAt);
    if (xrefAt <= 0 || trailerAt < 0)
        return failWith(QStringLiteral("no cross-reference table"));
    const QList<QByteArray> lines = pdf.mid(xrefAt, trailerAt - xrefAt).split('\n');
    const QList<QByteArray> range = lines.value(1).trimmed().split(' ');
    const int count = range.value(1).toInt();
    if (range.value(0) != "0" || count < 2 || lines.size() < count + 2)
        return failWith(QStringLiteral("an unexpected cross-reference table"));
    QMap<qsizetype, int> byOffset; // offset -> object number
    for (int n = 1; n < count; ++n) {
        const QList<QByteArray> entry = lines.at(n + 2).trimmed().split(' ');
        if (entry.value(2) == "n")
            byOffset.insert(entry.value(0).toLongLong(), n);
    }
    if (byOffset.isEmpty())
        return failWith(QStringLiteral("no objects"));
    QMap<int, QByteArray> objects;
    for (auto it = byOffset.cbegin(); it != byOffset.cend(); ++it) {
        const auto next = std::next(it);
        const qsizetype end = next == byOffset.cend() ? xrefAt : next.key();
        objects.insert(it.value(), pdf.mid(it.key(), end - it.key()));
        if (!objects.value(it.value()).startsWith(QByteArray::number(it.value()) + " 0 obj"))
            return failWith(
                QStringLiteral("object %1 is not where the table says").arg(it.value()));
    }
    const QByteArray header = pdf.left(byOffset.firstKey());
    const QByteArray trailer = pdf.mid(trailerAt);

    static const QRegularExpression rootRe(QStringLiteral("/Root (\\d+) 0 R"));
    static const QRegularExpression infoRe(QStringLiteral("/Info (\\d+) 0 R"));
    static const QRegularExpression pagesRe(QStringLiteral("/Pages (\\d+) 0 R"));
    static const QRegularExpression kidsRe(QStringLiteral("/Kids\\s*\\[([^\\]]*)\\]"));
    static const QRegularExpression refRe(QStringLiteral("(\\d+) 0 R"));
    static const QRegularExpression mediaRe(
        QStringLiteral("/MediaBox \\[\\s*[-\\d.]+\\s+[-\\d.]+\\s+[-\\d.]+\\s+([-\\d.]+)"));
    const QString trailerText = QString::fromLatin1(trailer);
    const int root = rootRe.match(trailerText).captured(1).toInt();
    const QRegularExpressionMatch info = infoRe.match(trailerText);
    const QString catalog = QString::fromLatin1(objects.value(root));
    const int pagesObject = pagesRe.match(catalog).captured(1).toInt();
    const QRegularExpressionMatch kids =
        kidsRe.match(QString::fromLatin1(objects.value(pagesObject)));
    if (!root || !pagesObject || !kids.hasMatch())
        return failWith(QStringLiteral("no catalog or page list"));
    QList<int> pages;
    for (const QRegularExpressionMatch &m : refRe.globalMatch(kids.captured(1)))
        pages << m.captured(1).toInt();
    const qreal pageHeight =
        mediaRe.match(QString::fromLatin1(objects.value(pages.value(0)))).captured(1).toDouble();
    if (pages.isEmpty() || pageHeight <= 0)
        return failWith(QStringLiteral("no pages"));

    auto destination = [&](const PdfHeading &h) {
        const int page = std::clamp(h.page, 0, int(pages.size()) - 1);
        return "[" + ref(pages.at(page)) + " /XYZ 0 " + number(pageHeight - h.top) + " null]";
    };

    // Qt writes a link as a web address: one to "#anchor" becomes a jump to its heading.
    static const QRegularExpression uriRe(QStringLiteral("/S /URI\\s*/URI \\(#([^()\\\\]*)\\)"));
    for (auto it = objects.begin(); it != objects.end(); ++it) {
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
                    QStringLiteral("a link to #%1, which no heading has").arg(m.captured(1)));
            rewritten += text.mid(from, m.capturedStart(0) - from);
            rewritten +=
                QStringLiteral("/S /GoTo\n/D ") + QString::fromLatin1(destination(*target));
            from = m.capturedEnd(0);
        }
        rewritten += text.mid(from);
        it.value() = rewritten.toLatin1();
    }

    // The outline: the chapters, each with its sections (shown closed).
    int next = count;
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
                          "\n/Dest " + destination(headings.at(i)) + '\n';
        if (at > 0)
            text += "/Prev " + ref(numbers.at(siblings.at(at - 1))) + '\n';
        if (at + 1 < siblings.size())
            text += "/Next " + ref(numbers.at(siblings.at(at + 1))) + '\n';
        const QList<qsizetype> children = sections.value(i);
        if (!children.isEmpty())
            text += "/First " + ref(numbers.at(children.first())) + "\n/Last " +
                    ref(numbers.at(children.last())) + "\n/Count -" +
                    QByteArray::number(children.size()) + '\n';
        objects.insert(numbers.at(i), text + ">>\nendobj\n");
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
    objects.insert(outlineRoot, outline + ">>\nendobj\n");

    QByteArray &catalogObject = objects[root];
    const qsizetype close = catalogObject.lastIndexOf(">>");
    if (close < 0)
        return failWith(QStringLiteral("an unexpected catalog"));
    catalogObject.insert(close, "/Outlines " + ref(outlineRoot) + "\n/PageMode /UseOutlines\n");

    // Written again in the same order, with the new objects at the end.
    QByteArray out = header;
    QMap<int, qsizetype> offsets;
    QList<int> order(byOffset.cbegin(), byOffset.cend());
    for (int n = count; n < next; ++n)
        order << n;
    for (const int n : order) {
        offsets.insert(n, out.size());
        out += objects.value(n);
    }
    const qsizetype newXref = out.size();
    out += "xref\n0 " + QByteArray::number(next) + "\n0000000000 65535 f \n";
    for (int n = 1; n < next; ++n) {
        if (offsets.contains(n))
            out += QByteArray::number(offsets.value(n)).rightJustified(10, '0') + " 00000 n \n";
        else
            out += "0000000000 65535 f \n";
    }
    out += "trailer\n<<\n/Size " + QByteArray::number(next) + '\n';
    if (info.hasMatch())
        out += "/Info " + ref(info.captured(1).toInt()) + '\n';
    out += "/Root " + ref(root) + "\n>>\nstartxref\n" + QByteArray::number(newXref) + "\n%%EOF\n";
    pdf = out;
    return true;
}

} // namespace manual
