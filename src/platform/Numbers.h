#pragma once
// Text to number: the one reading of a number as studios write it (readNumber), used by the
// order file, the order entry and every number field, and the atol reading of the files
// whose format is read that way, without its undefined overflow.

#include <QByteArray>
#include <QString>

#include <optional>

namespace mf {

// Leading blanks skipped, an optional sign, then decimal digits up to the first non-digit;
// 0 when there are no digits. Values beyond the int range saturate at INT_MIN / INT_MAX.
int parseAtol(QStringView text);
int parseAtol(const QByteArray &text);
// The same reading in 64 bits, where the value's size saturates at limit: for amounts that
// must not wrap.
qint64 parseAtol(QStringView text, qint64 limit);
qint64 parseAtol(const QByteArray &text, qint64 limit);

// The text with the full-width digits ０ to ９ written as 0 to 9, and nothing else changed. An
// input method types full-width digits, and a pasted text may hold them: where a typed number
// is taken without a word, it must be the number the operator sees.
QString halfWidthDigits(QString text);

// Whether a yen sign may stand before the number and 円 after it.
enum class NumberForm { Plain, Yen };

// The number in a text as studios write one, typed or saved by a spreadsheet: digits 0-9 or
// ０-９ (mixed too), optionally in groups of three after a first group of one to three, each
// group after "," or "，"; an optional sign before them; blanks (ASCII or the full-width
// space) around it all. NumberForm::Yen also takes a yen sign before the number ("\" as
// Shift-JIS shows it, "¥", "￥") and "円" after it. Anything else, an empty text too, is not a
// number. Values past about 9.2e17 saturate, so that every caller's range check refuses them.
std::optional<qint64> readNumber(QStringView text, NumberForm form = NumberForm::Plain);

// The number a field shows: readNumber's value when the text is a number, otherwise the
// leading digits as parseAtol reads them (full-width counted), for a field read without a word.
int parseTypedNumber(const QString &text);

} // namespace mf
