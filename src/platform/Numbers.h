#pragma once
// Text to number the way the C library's atol reads it, without its undefined overflow.

#include <QByteArray>
#include <QString>

namespace mf {

// Leading blanks skipped, an optional sign, then decimal digits up to the first non-digit;
// 0 when there are no digits. Values beyond the int range saturate at INT_MIN / INT_MAX.
int parseAtol(QStringView text);
int parseAtol(const QByteArray &text);

} // namespace mf
