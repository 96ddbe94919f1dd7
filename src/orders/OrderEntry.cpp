#include "orders/OrderEntry.h"

#include "orders/OrderFile.h"
#include "platform/Numbers.h"

#include <climits>
#include <utility>

namespace mf {

namespace {

// ASCII digits only: a full-width digit would read as 0 and store a wrong number.
bool isDigits(const QString &text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

void clearCells(OrderInput &input)
{
    for (QString &c : input.photos)
        c.clear();
}

void leaveEditing(OrderInput &input)
{
    input.editing = false;
    clearCells(input);
}

// Back to new entry with an empty group; the price stays for the next order.
void resetGroup(OrderInput &input)
{
    leaveEditing(input);
    input.ordererText.clear();
    input.countText.clear();
    input.totalText.clear();
    input.inputRow = 1;
    input.inputColumn = 1;
}

int filledCells(const OrderInput &input)
{
    int n = 0;
    for (const QString &c : input.photos)
        n += c.isEmpty() ? 0 : 1;
    return n;
}

} // namespace

QString OrderInput::enterCaption() const
{
    return editing ? QStringLiteral("更新") : QStringLiteral("入力");
}

void ShowEntry(OrderInput &input)
{
    input.ordererText.clear();
    input.countText = QStringLiteral("0");
    input.totalText = QStringLiteral("0");
    clearCells(input);
    input.editing = false;
    input.listBusy = false;
    input.inputRow = 1;
    input.inputColumn = 1;
}

void RecountInput(OrderInput &input)
{
    const int count = filledCells(input);
    input.countText = QString::number(count);
    input.totalText = QString::number(qint64(count) * parseTypedNumber(input.priceText));
}

int EnterOrder(OrderTable &table, OrderInput &input, Prompter &prompter, const QString &caption)
{
    auto refuse = [&](const QString &text, EnterResult result) {
        prompter.inform(text, caption);
        return result;
    };
    if (input.ordererText.isEmpty())
        return refuse(msg::ordererMissing, EnterNoOrderer);
    if (input.priceText.isEmpty())
        return refuse(msg::priceMissing, EnterNoPrice);
    if (!isDigits(input.ordererText))
        return refuse(msg::ordererNotDigits, EnterOrdererNotDigits);
    if (!isDigits(input.priceText))
        return refuse(msg::priceNotDigits, EnterPriceNotDigits);
    for (const QString &c : input.photos) {
        if (!isDigits(c))
            return refuse(msg::photoNotDigits, EnterPhotoNotDigits);
    }
    const qint64 orderer = parseAmount(input.ordererText);
    if (orderer < 1 || orderer > INT_MAX)
        return refuse(msg::ordererInvalid, EnterOrdererInvalid);
    bool tooLong =
        input.ordererText.size() > kOrdererMaxChars || input.priceText.size() > kPriceMaxChars;
    for (const QString &c : input.photos)
        tooLong = tooLong || c.size() > kPhotoCellMaxChars;
    if (tooLong)
        return refuse(msg::orderFieldTooLong, EnterFieldTooLong);

    // A correction whose row no longer holds an order (the table was reset or reloaded
    // under it) is entered as a new order rather than written past the last one.
    const bool update =
        input.editing && input.currentRow >= 1 && input.currentRow <= table.orderCount;
    if (!update && table.isFull())
        return refuse(msg::orderTableFull, EnterTableFull);

    Order &row = table.row(update ? input.currentRow : table.orderCount + 1);
    row.clear();
    row.ordererNumber = input.ordererText;
    row.unitPrice = input.priceText;
    int count = 0;
    for (const QString &c : input.photos) {
        if (!c.isEmpty())
            row.photoNumbers[std::size_t(count++)] = c;
    }
    row.photoCount = QString::number(count);
    // Computed, never taken from the total field: that text can belong to another order.
    row.total = QString::number(qint64(count) * parseAtol(input.priceText));
    if (!update)
        ++table.orderCount;
    resetGroup(input);
    table.saved = false;
    return EnterOk;
}

void SelectOrder(const OrderTable &table, OrderInput &input, int row)
{
    input.currentRow = row;
    if (input.editing)
        leaveEditing(input);
    if (row < 1 || row > table.orderCount)
        return;
    const Order &o = table.row(row);
    clearCells(input);
    input.editing = true;
    input.ordererText = o.ordererNumber;
    input.countText = o.photoCount;
    input.priceText = o.unitPrice;
    input.totalText = o.total;
    for (int k = 0; k < kPhotosPerOrder; ++k)
        input.photos[std::size_t(k)] = o.photoNumbers[std::size_t(k)];
}

void CancelEdit(OrderInput &input)
{
    if (input.editing)
        resetGroup(input);
}

bool MoveOrderUp(OrderTable &table, OrderInput &input)
{
    const int r = input.currentRow;
    if (r <= 1 || r > table.orderCount)
        return false;
    std::swap(table.row(r - 1), table.row(r));
    input.currentRow = r - 1;
    table.saved = false;
    return true;
}

bool MoveOrderDown(OrderTable &table, OrderInput &input)
{
    const int r = input.currentRow;
    if (r <= 0 || r >= table.orderCount)
        return false;
    std::swap(table.row(r), table.row(r + 1));
    input.currentRow = r + 1;
    table.saved = false;
    return true;
}

bool DeleteOrder(OrderTable &table, OrderInput &input)
{
    const int r = input.currentRow;
    if (r < 1 || r > table.orderCount)
        return false;
    for (int i = r; i < table.orderCount; ++i)
        table.row(i) = std::move(table.row(i + 1));
    table.row(table.orderCount).clear();
    if (r == table.orderCount && r > 1)
        input.currentRow = r - 1;
    --table.orderCount;
    table.saved = false;
    CancelEdit(input);
    return true;
}

void PriceEntered(OrderInput &input)
{
    input.priceChanged = false;
}

void PriceChanged(OrderInput &input)
{
    input.priceChanged = true;
}

int ApplyPrice(OrderTable &table, OrderInput &input, Prompter &prompter, const QString &caption)
{
    if (!input.priceChanged)
        return PriceNothingPending;
    input.priceChanged = false;
    // Only a number may go to every order: a too long one, or one with other characters,
    // would read as something else than what the operator sees. Full-width digits are the
    // digits the operator typed.
    const QString priceText = halfWidthDigits(input.priceText);
    const bool usable =
        priceText.isEmpty() || (isDigits(priceText) && priceText.size() <= kPriceMaxChars);
    const int price = parseAtol(priceText);
    int result = PriceNotApplied;
    if (table.orderCount > 0 && price >= 0 && usable &&
        prompter.ask(msg::applyPrice.arg(price), caption, Buttons::YesNo) == Answer::Yes) {
        for (int r = 1; r <= table.orderCount; ++r) {
            Order &o = table.row(r);
            o.total = QString::number(qint64(price) * parseAtol(o.photoCount));
            o.unitPrice = QString::number(price);
        }
        table.saved = false;
        result = PriceApplied;
    }
    input.totalText = QString::number(qint64(parseAtol(input.countText)) * price);
    return result;
}

void ResetOrdersAndInput(OrderTable &table, OrderInput &input)
{
    ResetOrders(table);
    resetGroup(input);
}

int LoadOrdersCommand(OrderTable &table, OrderInput &input, const ProjectState &project,
                      Prompter &prompter, OrderFileChooser &chooser)
{
    // Unlike closing, loading drops the table: it goes on only after a save that happened.
    if (!SettleUnsavedOrders(table, project, prompter, chooser))
        return LoadCommandCancelled;
    const QString path = chooser.chooseOrderFileToOpen(project.programFolder);
    if (path.isEmpty())
        return LoadCommandCancelled;
    ResetOrdersAndInput(table, input);
    table.orderFilePath = path;
    table.saved = true;
    if (LoadOrderFile(table, path, project, prompter) != LoadOrdersOk) {
        ResetOrdersAndInput(table, input);
        return LoadCommandFailed;
    }
    return LoadCommandLoaded;
}

bool ConfirmClose(OrderTable &table, const ProjectState &project, Prompter &prompter,
                  OrderFileChooser &chooser)
{
    if (table.orderCount < 1 || table.saved)
        return true;
    switch (prompter.ask(msg::unsavedOrders, project.titleText, Buttons::YesNoCancel)) {
    case Answer::Yes: SaveOrderFile(table, project, prompter, chooser); return true;
    case Answer::No: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

} // namespace mf
