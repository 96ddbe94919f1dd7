#include "orders/OrderFileText.h"

#include "orders/OrderTable.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"

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

// The characters of a UTF-16 text as the Shift-JIS bytes the loader reads: "¥" as the byte
// 5C that Shift-JIS shows as a yen sign, a character Shift-JIS lacks as "？", still text that
// is not a number.
QByteArray orderBytesOfUtf16(QByteArrayView text, bool bigEndian)
{
    QStringDecoder decoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    QString decoded = decoder.decode(text);
    decoded.replace(QChar(0x00A5), QLatin1Char('\\'));
    QByteArray out;
    if (encodeCp932(decoded, &out))
        return out;
    out.reserve(decoded.size() * 2);
    for (const QChar c : decoded) {
        QByteArray bytes;
        out.append(encodeCp932(QString(c), &bytes) ? bytes : QByteArray("\x81\x48", 2));
    }
    return out;
}

// How the first bytes of a file tell what it is. UTF-16 without a byte-order mark shows as
// NUL bytes at every other place where the text is ASCII.
enum class Sniffed { Text, Utf16LE, Utf16BE, Utf16LENoMark, Utf16BENoMark, Workbook, Binary };

Sniffed sniff(QByteArrayView head)
{
    if (head.startsWith(QByteArrayView("\xFF\xFE", 2)))
        return Sniffed::Utf16LE;
    if (head.startsWith(QByteArrayView("\xFE\xFF", 2)))
        return Sniffed::Utf16BE;
    // Zip (.xlsx, .ods) and the older compound document (.xls).
    if (head.startsWith("PK\x03\x04") || head.startsWith("\xD0\xCF\x11\xE0"))
        return Sniffed::Workbook;
    qsizetype evenNuls = 0, oddNuls = 0;
    for (qsizetype i = 0; i < head.size(); ++i) {
        if (head[i] == '\0')
            ++(i % 2 == 0 ? evenNuls : oddNuls);
    }
    // A stray NUL in a text is damage the loader reads past, as it always did.
    if (evenNuls + oddNuls == 0 || (evenNuls + oddNuls) * 8 < head.size())
        return Sniffed::Text;
    // Some characters have a NUL half too ("一" is 4E 00 in little-endian order): the side
    // where nearly all of them are tells the byte order.
    if (oddNuls > 4 * evenNuls)
        return Sniffed::Utf16LENoMark;
    if (evenNuls > 4 * oddNuls)
        return Sniffed::Utf16BENoMark;
    return Sniffed::Binary;
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
// are one number with thousands separators, a yen sign or 円 included.
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
    if (!orderFieldNumber(text, NumberForm::Yen))
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
    constexpr qint64 kSniffBytes = 512;
    const QByteArray head = file.read(kSniffBytes);
    if (file.error() != QFileDevice::NoError)
        return OrderTextOpen::ReadError;
    const Sniffed kind = sniff(head);
    switch (kind) {
    case Sniffed::Text:
        file.close();
        return reader.open(path) ? OrderTextOpen::Ready : OrderTextOpen::CannotOpen;
    case Sniffed::Workbook: return OrderTextOpen::Workbook;
    case Sniffed::Binary: return OrderTextOpen::NotText;
    default: break;
    }
    // One byte more than allowed tells a file that is too large.
    const bool marked = kind == Sniffed::Utf16LE || kind == Sniffed::Utf16BE;
    QByteArray text = head.mid(marked ? 2 : 0);
    text += file.read(maxBytes + 1 - head.size());
    if (file.error() != QFileDevice::NoError)
        return OrderTextOpen::ReadError;
    if (text.size() + (marked ? 2 : 0) > maxBytes)
        return OrderTextOpen::TooLarge;
    const bool big = kind == Sniffed::Utf16BE || kind == Sniffed::Utf16BENoMark;
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

std::optional<qint64> orderFieldNumber(const QByteArray &field, NumberForm form)
{
    if (const std::optional<qint64> n = readNumber(fromCp932(field), form))
        return n;
    // Spreadsheets also save UTF-8, with or without a byte-order mark.
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(field);
    if (utf8.hasError())
        return std::nullopt;
    return readNumber(text, form);
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
