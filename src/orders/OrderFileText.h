#pragma once
// Reading the text of an order file as the program writes it and as spreadsheets save it
// back: a UTF-8 byte-order mark, UTF-16 "Unicode text", fields in double quotes and prices
// with thousands separators.

#include "platform/Numbers.h"
#include "platform/TextFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace mf {

enum class OrderTextOpen {
    Ready,
    CannotOpen,
    TooLarge,
    ReadError, // the file could not be read to its end
    Workbook,  // a spreadsheet's own file (.xlsx, .ods, .xls), not its CSV
    NotText,   // NUL bytes that are no UTF-16 text
};

// Opens path for line reading. A UTF-16 file (byte-order mark FF FE or FE FF, or without one,
// told by its NUL bytes) of at most maxBytes is decoded first and given to the reader in
// Shift-JIS, as a Shift-JIS file would give it: "¥" as the yen sign 5C, a character that
// Shift-JIS lacks as "？", still text that is not a number.
OrderTextOpen openOrderText(LineReader &reader, const QString &path, qint64 maxBytes);

// Removes the UTF-8 byte-order mark that spreadsheets put before the first line.
void skipUtf8Bom(QByteArray *firstLine);

// One line split into its fields. A field ends at ",", TAB, CR, LF or 0x1A, and the line
// at the first CR, LF or 0x1A. A field that begins with a double quote runs to the closing
// quote, commas and TABs included, with "" read as one quote. In a line separated by TABs,
// a piece between two TABs that is a number with thousands separators ("1,200", "¥1,200") is
// one field: spreadsheets save a formatted price that way without quotes.
struct OrderLineFields {
    QList<QByteArray> fields;
    bool moreAfterCr = false; // data after a CR: the file separates lines by CR alone
};
OrderLineFields splitOrderLine(const QByteArray &line);

// The number a field holds (readNumber), its bytes read as Shift-JIS or else as UTF-8.
std::optional<qint64> orderFieldNumber(const QByteArray &field, NumberForm form);

// True for the first field of a heading row ("注文者No."): text without any digit, ASCII or
// full-width, where an orderer number would stand.
bool isHeadingField(const QByteArray &field);

} // namespace mf
