#pragma once
// The order list "<base>_注文リスト.txt": one line per order and the grand totals, written
// beside the order file (or in the program folder, named after the project) and opened.

#include "orders/OrderEntry.h"
#include "orders/OrderTable.h"
#include "platform/Services.h"
#include "project/ProjectState.h"

#include <QByteArray>
#include <QString>

namespace mf {

// Where the list of this table goes.
QString orderListPath(const OrderTable &table, const ProjectState &project);

// The list's bytes: header, one line per order, hyphens, totals (64-bit sums).
QByteArray orderListBytes(const OrderTable &table);

enum OrderListResult {
    OrderListOk = 0,
    OrderListBusy = -1, // a list is being written: nothing done
    OrderListFailed = -2, // "注文リストを保存出来ませんでした。" shown; an old list is unchanged
    OrderListBadName = -3, // no order file, and the project name cannot name the list
};

// "リストの出力": writes the list atomically and opens it with the shell.
int WriteOrderList(const OrderTable &table, OrderInput &input, const ProjectState &project,
                   Prompter &prompter, Shell &shell);

namespace msg {
inline const QString orderListNotSaved = QStringLiteral("注文リストを保存出来ませんでした。");
inline const QString orderListBadProjectName =
    QStringLiteral("プロジェクト名がファイル名として使えないので、注文リストを保存出来ません。\n"
                   "プロジェクト名が空でないか、「/」、改行、タブやShift-JISで表せない文字が"
                   "含まれていないか確認してください。");
} // namespace msg

} // namespace mf
