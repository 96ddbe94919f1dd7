#pragma once
// The order CSV file: one line per order, 104 comma-separated fields (orderer number, count,
// unit price, total, photo cells 1..100), Shift-JIS, CR LF after every line, no quoting.
// The loader also reads the file as spreadsheets save it back (OrderFileText.h).

#include "orders/OrderFileChooser.h"
#include "orders/OrderTable.h"
#include "platform/Services.h"
#include "project/ProjectState.h"

#include <QByteArray>

namespace mf {

// A line is read with this buffer. Every line a save writes is far shorter (at most about
// 1200 bytes), so a longer line is damage and refuses the file instead of being split into
// phantom orders.
inline constexpr int kOrderLineBuffer = 2048;
// A file with more than this is not an order file (2000 of the longest lines fit 4 MB).
inline constexpr qint64 kOrderFileMaxBytes = 16 * 1024 * 1024;

enum SaveOrdersResult {
    SaveOrdersOk = 0,
    SaveOrdersCancelled = -1, // the save dialog was cancelled: nothing written
    SaveOrdersDeclined = -2,  // the confirmation was answered No: nothing written
    SaveOrdersFailed =
        -3, // not written (or no file name): the old file is unchanged, still unsaved
};

// The "保存" button and the save prompts: asks where and whether, writes rows
// 1..orderCount atomically. Only after the file is complete on disk are saved set and
// orderFilePath changed to the target.
int SaveOrderFile(OrderTable &table, const ProjectState &project, Prompter &prompter,
                  OrderFileChooser &chooser);

enum LoadOrdersResult {
    LoadOrdersOk = 0,
    LoadOrdersStopped = -1,    // the operator answered No to a question
    LoadOrdersCannotOpen = -2, // "注文ファイルを開けません。" shown
    LoadOrdersRefused = -3,    // the file exceeds the table or is damaged; a message names it
    LoadOrdersNoFile = -4,     // LoadProjectOrderFile only: the project has no order file
};

// Fills the table from the file. On success the rows are replaced and saved is cleared when
// a line needed a correction (count or total disagreeing) or when lines that held a number
// were not loaded as orders; those are named in one message after the load. On any failure
// the table is left exactly as it was (callers then reset it). The callers set
// orderFilePath and saved first.
int LoadOrderFile(OrderTable &table, const QString &path, const ProjectState &project,
                  Prompter &prompter);

// For a project reopened from the history, after the table was reset: associates the table
// with DefaultOrderFilePath and loads it when it exists.
int LoadProjectOrderFile(OrderTable &table, const ProjectState &project, Prompter &prompter);

// Asks "注文内容が変更されていますが保存しますか？" (Yes/No/Cancel) when the table holds
// unsaved orders. True when the caller may go on and drop the table: No, or Yes followed by
// a save that succeeded. For the main window's new project, reopen and quit.
bool SettleUnsavedOrders(OrderTable &table, const ProjectState &project, Prompter &prompter,
                         OrderFileChooser &chooser);

// The file's bytes for rows 1..orderCount. False when a text cannot be written in
// Shift-JIS (the entry takes digits only, so only a damaged table gets there).
bool encodeOrderFile(const OrderTable &table, QByteArray *out);

namespace msg {
inline const QString orderFileExists = QStringLiteral(
    "既に注文ファイルが存在します。別名で保存しますか？\n\nプロジェクト名と違う別名で保存した"
    "場合は次回 [csvから読み込み]ボタンで読み込む事が出来ます。\n\n%1");
inline const QString orderFileConfirm =
    QStringLiteral("注文データを以下のファイルに保存します。\nよろしいですか？\n%1");
inline const QString orderFileNotSaved = QStringLiteral("注文ファイルを保存出来ませんでした。");
// The default file is named after the project in the program folder: a name holding "/" or
// ".." would put it somewhere else.
inline const QString orderFileBadProjectName =
    QStringLiteral("プロジェクト名がファイル名として使えないので、注文ファイルを保存出来ません。\n"
                   "プロジェクト名が空でないか、「/」、改行、タブやShift-JISで表せない文字が"
                   "含まれていないか確認してください。");
inline const QString orderFileSaved = QStringLiteral("以下の注文ファイルを保存しました。\n\n%1");
inline const QString orderSaveFolderNotCreated =
    QStringLiteral("保存先フォルダを作成出来ませんが続行しますか？。\n%1");
inline const QString orderSaveFolderNotEnterable =
    QStringLiteral("保存先フォルダが存在しないか、移動出来ませんが続行しますか？");
inline const QString orderFileCannotOpen = QStringLiteral("注文ファイルを開けません。");
inline const QString orderMismatch =
    QStringLiteral("%1番の注文者の金額又は枚数の計算が合いませんが続行しますか？");
inline const QString unsavedOrders = QStringLiteral("注文内容が変更されていますが保存しますか？");
// Refusals of files that do not fit the table or that no save writes.
inline const QString orderLineTooManyPhotos =
    QStringLiteral("注文ファイルの%1行目に写真番号が100個を超えて書かれているので読み込めません。");
inline const QString orderFileTooManyOrders =
    QStringLiteral("注文ファイルの%1行目で注文が2000件を超えるので読み込めません。");
inline const QString orderLineTooLong =
    QStringLiteral("注文ファイルの%1行目が長過ぎるので読み込めません。");
inline const QString orderLineCrOnly =
    QStringLiteral("注文ファイルの%1行目に改行コードがCRだけの行区切りがあるので読み込めません。");
inline const QString orderNumberTooLarge =
    QStringLiteral("注文ファイルの%1行目に大き過ぎる数字があるので読み込めません。");
inline const QString orderNegativePrice =
    QStringLiteral("注文ファイルの%1行目の単価がマイナスの値なので読み込めません。");
inline const QString orderFileTooLarge =
    QStringLiteral("注文ファイルが大き過ぎるので読み込めません。");
// Lines that held a number but were no order; the first 20 line numbers, then the count.
inline const QString orderLinesNotRead =
    QStringLiteral("注文ファイルの以下の行は注文として読み込めませんでした：%1行目");
inline const QString orderLinesNotReadMany =
    QStringLiteral("注文ファイルの以下の行は注文として読み込めませんでした：%1, …行目（全%2行）");
// Orders loaded from lines with a photo cell that is not one number ("5-8", "12a"): the cell
// was read as its leading digits, or skipped.
inline const QString orderLinesBadPhoto =
    QStringLiteral("注文ファイルの以下の行に数字として読めない写真番号があります：%1行目");
inline const QString orderLinesBadPhotoMany = QStringLiteral(
    "注文ファイルの以下の行に数字として読めない写真番号があります：%1, …行目（全%2行）");
// Files that are no order file at all.
inline const QString orderFileWorkbook =
    QStringLiteral("注文ファイルが表計算ソフトのブック（.xlsx、.ods等）なので読み込めません。\n"
                   "表計算ソフトでCSV形式で保存してから読み込んでください。");
inline const QString orderFileSemicolons =
    QStringLiteral("注文ファイルがセミコロン区切りなので読み込めません。\n"
                   "カンマ区切りかタブ区切りのCSV形式で保存してから読み込んでください。");
inline const QString orderFileNotText = QStringLiteral(
    "注文ファイルがカンマ区切りやタブ区切りのテキストファイルではないので読み込めません。");
inline const QString orderFileReadError =
    QStringLiteral("注文ファイルを最後まで読めなかったので読み込めません。");
} // namespace msg

} // namespace mf
