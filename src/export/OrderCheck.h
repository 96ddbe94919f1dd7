#pragma once
// The order check before an export: every row of the order table against the bounds and the
// numbered photos present. Reads files, writes nothing.

#include "orders/OrderTable.h"

#include <QStringList>

namespace mf {

// The check stops once more errors than this were found.
inline constexpr int kMaxCheckErrors = 40;

// Replaces *errors with the findings for rows 1..orderCount (all rows, whatever range is
// exported) and returns the number of errors. When the limit stops the check the list ends
// with a line holding one blank and the closing line.
int CheckOrders(const OrderTable &table, const QString &saveFolder, const QString &filePrefix,
                QStringList *errors);

namespace msg {
inline const QString checkBadOrderer =
    QStringLiteral("%1行目に無効な注文者番号[ %2 ] が入力されています。");
inline const QString checkBadCount =
    QStringLiteral("%1行目に無効な注文枚数[ %2 ] が入力されています。");
inline const QString checkBadPhoto =
    QStringLiteral("%1行目の%2枚目に無効な注文番号[ %3 ]が入力されています。");
inline const QString checkMissingPhoto =
    QStringLiteral("%1行目　%2枚目の注文番号[ %3 ]は連番ファイルが存在しません。");
inline const QString checkTooManyErrors =
    QStringLiteral("入力エラーが40を超えています。エラーチェックを中断しました。");
inline const QString checkNoErrors = QStringLiteral("入力エラーはありませんでした。");
} // namespace msg

} // namespace mf
