#include "orders/OrderFileText.h"

#include "orders/OrderTable.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace mf {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The blanks atol skips.
bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

QByteArray orderBytesOfUtf16(QByteArrayView text, bool bigEndian)
{
    QStringDecoder decoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    const QString decoded = decoder.decode(text);
    QByteArray out;
    out.reserve(decoded.size());
    for (const QChar c : decoded) {
        if (c.unicode() < 0x80)
            out.append(char(c.unicode()));
        else
            out.append("\x81\x48", 2); // "？"
    }
    return out;
}

// Where a number with thousands separators that starts text ends (after blanks and a sign:
// one to three digits, then groups of "," and three digits), or 0 when text does not start
// with one. "1,2000" and "1,200,5" are not such numbers: what follows the last group must be
// neither a digit nor a comma.
qsizetype groupedNumberEnd(const QByteArray &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    const qsizetype digitsFrom = i;
    while (i < n && isDigit(text[i]))
        ++i;
    if (i == digitsFrom || i - digitsFrom > 3)
        return 0;
    int groups = 0;
    while (i + 3 < n && text[i] == ',' && isDigit(text[i + 1]) && isDigit(text[i + 2]) &&
           isDigit(text[i + 3])) {
        i += 4;
        ++groups;
    }
    if (groups == 0 || (i < n && (isDigit(text[i]) || text[i] == ',')))
        return 0;
    return i;
}

struct Piece {
    QByteArray text;
    bool quoted = false;
    bool endsAtTab = false;
};

// Cuts a line into pieces at the commas and TABs outside double quotes; *end is where the
// line's content ends (its first CR, LF or 0x1A, or its size).
QList<Piece> piecesOf(const QByteArray &line, qsizetype *end)
{
    QList<Piece> pieces(1);
    bool inQuotes = false;
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\r' || c == '\n' || c == '\x1a')
            break;
        Piece &piece = pieces.back();
        if (inQuotes) {
            if (c != '"')
                piece.text.append(c);
            else if (i + 1 < line.size() && line[i + 1] == '"')
                piece.text.append(line[++i]);
            else
                inQuotes = false;
        } else if (c == ',' || c == '\t') {
            piece.endsAtTab = c == '\t';
            pieces.append(Piece{});
        } else if (c == '"' && piece.text.isEmpty() && !piece.quoted) {
            piece.quoted = inQuotes = true;
        } else {
            piece.text.append(c);
        }
    }
    *end = i;
    return pieces;
}

// In a line separated by TABs: the pieces first..last (up to a TAB) joined again when they
// are one number with thousands separators.
bool joinsToGroupedNumber(const QList<Piece> &pieces, qsizetype first, qsizetype last,
                          QByteArray *joined)
{
    QByteArray text;
    for (qsizetype k = first; k <= last; ++k) {
        if (pieces[k].quoted)
            return false;
        if (k > first)
            text += ',';
        text += pieces[k].text;
    }
    if (groupedNumberEnd(text) == 0)
        return false;
    *joined = text;
    return true;
}

} // namespace

OrderTextOpen openOrderText(LineReader &reader, const QString &path, qint64 maxBytes)
{
    QFile file;
    if (!openRegularFile(path, &file))
        return OrderTextOpen::CannotOpen;
    const QByteArray mark = file.read(2);
    const bool little = mark == QByteArrayView("\xFF\xFE", 2);
    const bool big = mark == QByteArrayView("\xFE\xFF", 2);
    if (!little && !big) {
        file.close();
        return reader.open(path) ? OrderTextOpen::Ready : OrderTextOpen::CannotOpen;
    }
    // One byte more than allowed tells a file that is too large.
    const QByteArray text = file.read(maxBytes - 1);
    if (mark.size() + text.size() > maxBytes)
        return OrderTextOpen::TooLarge;
    reader.openBytes(orderBytesOfUtf16(text, big));
    return OrderTextOpen::Ready;
}

void skipUtf8Bom(QByteArray *firstLine)
{
    if (firstLine->startsWith("\xEF\xBB\xBF"))
        firstLine->remove(0, 3);
}

OrderLineFields splitOrderLine(const QByteArray &line)
{
    OrderLineFields out;
    qsizetype end = 0;
    const QList<Piece> pieces = piecesOf(line, &end);
    const bool byTabs =
        std::any_of(pieces.begin(), pieces.end(), [](const Piece &p) { return p.endsAtTab; });
    for (qsizetype first = 0; first < pieces.size();) {
        qsizetype last = first;
        while (byTabs && last + 1 < pieces.size() && !pieces[last].endsAtTab)
            ++last;
        QByteArray joined;
        if (last > first && joinsToGroupedNumber(pieces, first, last, &joined)) {
            out.fields.append(joined);
        } else {
            for (qsizetype k = first; k <= last; ++k)
                out.fields.append(pieces[k].text);
        }
        first = last + 1;
    }
    if (end < line.size() && line[end] == '\r') {
        for (qsizetype j = end + 1; j < line.size(); ++j) {
            if (line[j] != '\r' && line[j] != '\n' && line[j] != '\x1a') {
                out.moreAfterCr = true;
                break;
            }
        }
    }
    return out;
}

qint64 orderFieldValue(const QByteArray &field)
{
    const qsizetype end = groupedNumberEnd(field);
    if (end == 0)
        return parseAmount(field);
    QByteArray digits = field.left(end);
    digits.replace(',', QByteArray());
    return parseAmount(digits);
}

bool isHeadingField(const QByteArray &field)
{
    if (field.trimmed().isEmpty())
        return false;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (isDigit(char(c)))
            return false;
        if (isCp932LeadByte(c) && i + 1 < field.size()) {
            const auto trail = static_cast<unsigned char>(field[++i]);
            if (c == 0x82 && trail >= 0x4F && trail <= 0x58) // "０".."９"
                return false;
        }
    }
    return true;
}

} // namespace mf
