#include "orders/OrderEntry.h"

#include "orders/OrderFile.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

namespace mf {

namespace {

// A typed field's number as every number of the window is read; a sign is no digit here, as
// no orderer, price or photo number is negative. Empty text is no number.
std::optional<qint64> typedNumber(const QString &text, NumberForm form)
{
    if (text.contains(u'-') || text.contains(u'+'))
        return std::nullopt;
    return readNumber(text, form);
}

// The price as the running total, the entry and the price question all read it: 0 when the
// field holds no number.
qint64 typedPrice(const QString &text)
{
    return typedNumber(text, NumberForm::Yen).value_or(0);
}

// The field lengths bound the digits, not the separators or the yen sign around them.
int digitCount(const QString &text)
{
    const QString digits = halfWidthDigits(text);
    return int(std::count_if(digits.begin(), digits.end(),
                             [](QChar c) { return c >= u'0' && c <= u'9'; }));
}

// What the table keeps: the text as typed when it is plain digits (leading zeros included),
// otherwise the number it shows, so that every reader of the table and of the saved file
// sees the same number.
QString storedNumber(const QString &text, qint64 value)
{
    const bool plain =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return plain ? text : QString::number(value);
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
    input.totalText = QString::number(qint64(count) * typedPrice(input.priceText));
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
    const std::optional<qint64> orderer = typedNumber(input.ordererText, NumberForm::Plain);
    if (!orderer)
        return refuse(msg::ordererNotDigits, EnterOrdererNotDigits);
    const std::optional<qint64> price = typedNumber(input.priceText, NumberForm::Yen);
    if (!price)
        return refuse(msg::priceNotDigits, EnterPriceNotDigits);
    for (const QString &c : input.photos) {
        if (!c.isEmpty() && !typedNumber(c, NumberForm::Plain))
            return refuse(msg::photoNotDigits, EnterPhotoNotDigits);
    }
    if (*orderer < 1 || *orderer > INT_MAX)
        return refuse(msg::ordererInvalid, EnterOrdererInvalid);
    bool tooLong = digitCount(input.ordererText) > kOrdererMaxChars ||
                   digitCount(input.priceText) > kPriceMaxChars;
    for (const QString &c : input.photos)
        tooLong = tooLong || digitCount(c) > kPhotoCellMaxChars;
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
    row.ordererNumber = storedNumber(input.ordererText, *orderer);
    row.unitPrice = storedNumber(input.priceText, *price);
    int count = 0;
    for (const QString &c : input.photos) {
        if (!c.isEmpty())
            row.photoNumbers[std::size_t(count++)] = storedNumber(c, *readNumber(c));
    }
    row.photoCount = QString::number(count);
    // Computed, never taken from the total field: that text can belong to another order.
    row.total = QString::number(qint64(count) * *price);
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
    // would read as something else than what the operator sees.
    const QString &priceText = input.priceText;
    const bool usable = priceText.isEmpty() || (typedNumber(priceText, NumberForm::Yen) &&
                                                digitCount(priceText) <= kPriceMaxChars);
    const qint64 price = typedPrice(priceText);
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
