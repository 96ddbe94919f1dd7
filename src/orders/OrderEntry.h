#pragma once
// The order entry window's operations on the table and on its input group, so that the
// window only shows texts and forwards events.

#include "orders/OrderFileChooser.h"
#include "orders/OrderTable.h"
#include "platform/Services.h"
#include "project/ProjectState.h"

#include <QString>

#include <array>

namespace mf {

inline constexpr int kInputRows = 20;
inline constexpr int kInputColumns = 5;
// Field lengths: nine digits keep a price and a photo number inside 32 bits, and ten take
// every positive 32-bit orderer number. The window sets them as the fields' maximum length.
inline constexpr int kOrdererMaxChars = 10;
inline constexpr int kPriceMaxChars = 9;
inline constexpr int kPhotoCellMaxChars = 9;
inline constexpr int kPriceDelayMs = 5000;

// The input group: the texts of its fields and of the 20 x 5 photo cells, and its modes.
struct OrderInput {
    QString ordererText;                                    // Edit1
    QString priceText;                                      // Edit2, kept from order to order
    std::array<QString, kInputRows * kInputColumns> photos; // cell k: row k/5+1, column k%5+1
    QString countText = QStringLiteral("0");                // Edit3
    QString totalText = QStringLiteral("0");                // Edit4
    bool editing = false; // "更新": a row is loaded for correction
    int currentRow = 1;   // the table row last selected
    int inputRow = 1;     // the input cell last selected
    int inputColumn = 1;
    bool priceChanged = false;
    bool listBusy = false;

    // Row 1..20, column 1..5.
    QString &cell(int row, int column) { return photos[std::size_t((row - 1) * 5 + column - 1)]; }
    const QString &cell(int row, int column) const
    {
        return photos[std::size_t((row - 1) * 5 + column - 1)];
    }
    // The button caption: "入力", or "更新" while editing ("中止" is shown only then).
    QString enterCaption() const;
};

// Every showing of the window: empty orderer, counts "0", cells cleared, new entry mode,
// input cell 1, 1. The price and the table stay.
void ShowEntry(OrderInput &input);

// After every change of an input cell: count of filled cells and count x price.
void RecountInput(OrderInput &input);

enum EnterResult {
    EnterOk = 0,
    EnterNoOrderer = -1,
    EnterNoPrice = -2,
    EnterOrdererNotDigits = -3,
    EnterPriceNotDigits = -4,
    EnterPhotoNotDigits = -5,
    EnterOrdererInvalid = -6,
    EnterFieldTooLong = -7, // a text longer than its field allows
    EnterTableFull = -8,    // a 2001st order
};

// "入力" / "更新": checks the fields in order, the first failing check shows its message and
// changes nothing. Otherwise writes the row (appended, or the row being corrected), with the
// total computed as count x unit price, clears the input group but the price, clears saved.
int EnterOrder(OrderTable &table, OrderInput &input, Prompter &prompter, const QString &caption);

// A row of the table was selected: leaves correction mode, and loads an order for
// correction when the row holds one.
void SelectOrder(const OrderTable &table, OrderInput &input, int row);

// "中止": leaves correction mode with the input group emptied (the price stays).
void CancelEdit(OrderInput &input);

// Move the current order up or down, or delete it. False when the current row does not
// allow it (nothing changed). A change clears saved; currentRow follows the order (after
// a delete: the same row, or the row above when the last order was deleted).
bool MoveOrderUp(OrderTable &table, OrderInput &input);
bool MoveOrderDown(OrderTable &table, OrderInput &input);
bool DeleteOrder(OrderTable &table, OrderInput &input);

// The price field was entered: no pending change; the window stops its price timer.
void PriceEntered(OrderInput &input);
// The price text changed: a change is pending; the window starts its 5 s single-shot timer
// when it is not already running (later keystrokes do not restart it).
void PriceChanged(OrderInput &input);

enum ApplyPriceResult {
    PriceNothingPending = 0, // no change since the field was entered or last applied
    PriceApplied = 1,        // every order got the new price
    PriceNotApplied = 2,     // declined, no orders, or a price that is not a number
};

// The price field was left, or the timer fired (the window stops the timer): offers to apply
// a changed price to every order, recomputes the total field; clears priceChanged.
int ApplyPrice(OrderTable &table, OrderInput &input, Prompter &prompter, const QString &caption);

enum LoadCommandResult {
    LoadCommandLoaded = 0,
    LoadCommandCancelled = -1, // Cancel to the save question, a failed save, or no file chosen
    LoadCommandFailed = -2,    // the load failed: the table is empty and without a file
};

// ".csvから読み込み": settles unsaved orders, asks for the file, replaces the table by it.
int LoadOrdersCommand(OrderTable &table, OrderInput &input, const ProjectState &project,
                      Prompter &prompter, OrderFileChooser &chooser);

// ResetOrders of the window: the table, and the input group back to new entry.
void ResetOrdersAndInput(OrderTable &table, OrderInput &input);

// Closing the window: asks about unsaved orders. True when the window may hide (Yes closes
// even when the save did not happen: nothing is dropped, the table stays in memory).
bool ConfirmClose(OrderTable &table, const ProjectState &project, Prompter &prompter,
                  OrderFileChooser &chooser);

namespace msg {
inline const QString ordererMissing = QStringLiteral("注文者番号が未入力です。");
inline const QString priceMissing = QStringLiteral("写真１枚の値段が未入力です。");
inline const QString ordererNotDigits =
    QStringLiteral("注文者番号に数字以外の文字が入力されています。");
inline const QString priceNotDigits =
    QStringLiteral("写真１枚の値段に数字以外の文字が入力されています。");
inline const QString photoNotDigits =
    QStringLiteral("写真番号に数字以外の文字が入力されています。");
inline const QString ordererInvalid =
    QStringLiteral("注文者番号に無効な数字又は数字以外の文字が入力されています。");
inline const QString orderFieldTooLong =
    QStringLiteral("注文者番号は10桁まで、写真１枚の値段と写真番号は9桁までで入力してください。");
inline const QString orderTableFull =
    QStringLiteral("注文は2000件までしか入力出来ません。\n新しい注文を入力する事は出来ません。");
inline const QString applyPrice =
    QStringLiteral("写真一枚の価格が%1円に変更されました。全注文に反映しますか？");
} // namespace msg

} // namespace mf
