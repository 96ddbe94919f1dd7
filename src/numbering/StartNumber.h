#pragma once
// The start number dialog's logic: the proposal it shows and the result it hands back.

#include <QString>

namespace mf {

inline constexpr int kStartCancelled = -2;
inline constexpr int kStartInvalid = -1;

// The text proposed for the highest existing number n: n + 1, never above 4999.
QString startNumberProposal(int highest);

// The result for the field's text: -2 for cancel (also a typed "-2"), -1 for anything that
// is not a positive number, otherwise the number.
int startNumberResult(const QString &text);

} // namespace mf
