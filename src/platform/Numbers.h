#pragma once
// Text to number the way the C library's atol reads it, without its undefined overflow.

#include <QByteArray>
#include <QString>

namespace mf {

// Leading blanks skipped, an optional sign, then decimal digits up to the first non-digit;
// 0 when there are no digits. Values beyond the int range saturate at INT_MIN / INT_MAX.
int parseAtol(QStringView text);
int parseAtol(const QByteArray &text);

// The text with the full-width digits ０ to ９ written as 0 to 9, and nothing else changed. An
// input method types full-width digits, and a pasted text may hold them: where a typed number
// is taken without a word, it must be the number the operator sees.
QString halfWidthDigits(QString text);

// parseAtol of a typed text, full-width digits counted as digits.
int parseTypedNumber(const QString &text);

} // namespace mf
