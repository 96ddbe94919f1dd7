// Placeholders while the order operations are written.
#include "orders/OrderEntry.h"
#include "orders/OrderFile.h"
#include "orders/OrderHooksBinding.h"
#include "orders/OrderList.h"

namespace mf {
QString Order::cell(int) const
{
    return {};
}
bool Order::isEmpty() const
{
    return true;
}
void Order::clear() {}
void ResetOrders(OrderTable &) {}
QString DefaultOrderFilePath(const QString &, const QString &)
{
    return {};
}
qint64 sumOfPhotoCounts(const OrderTable &)
{
    return 0;
}
qint64 sumOfTotals(const OrderTable &)
{
    return 0;
}
QString orderColumnHeading(int)
{
    return {};
}
int orderColumnWidth(int)
{
    return 0;
}
int SaveOrderFile(OrderTable &, const ProjectState &, Prompter &, OrderFileChooser &)
{
    return SaveOrdersFailed;
}
int LoadOrderFile(OrderTable &, const QString &, const ProjectState &, Prompter &)
{
    return LoadOrdersCannotOpen;
}
int LoadProjectOrderFile(OrderTable &, const ProjectState &, Prompter &)
{
    return LoadOrdersNoFile;
}
bool SettleUnsavedOrders(OrderTable &, const ProjectState &, Prompter &, OrderFileChooser &)
{
    return false;
}
bool encodeOrderFile(const OrderTable &, QByteArray *)
{
    return false;
}
QString OrderInput::enterCaption() const
{
    return {};
}
void ShowEntry(OrderInput &) {}
void RecountInput(OrderInput &) {}
int EnterOrder(OrderTable &, OrderInput &, Prompter &, const QString &)
{
    return EnterTableFull;
}
void SelectOrder(const OrderTable &, OrderInput &, int) {}
void CancelEdit(OrderInput &) {}
bool MoveOrderUp(OrderTable &, OrderInput &)
{
    return false;
}
bool MoveOrderDown(OrderTable &, OrderInput &)
{
    return false;
}
bool DeleteOrder(OrderTable &, OrderInput &)
{
    return false;
}
void PriceEntered(OrderInput &) {}
void PriceChanged(OrderInput &) {}
int ApplyPrice(OrderTable &, OrderInput &, Prompter &, const QString &)
{
    return PriceNothingPending;
}
int LoadOrdersCommand(OrderTable &, OrderInput &, const ProjectState &, Prompter &,
                      OrderFileChooser &)
{
    return LoadCommandCancelled;
}
void ResetOrdersAndInput(OrderTable &, OrderInput &) {}
bool ConfirmClose(OrderTable &, const ProjectState &, Prompter &, OrderFileChooser &)
{
    return true;
}
QString orderListPath(const OrderTable &, const ProjectState &)
{
    return {};
}
QByteArray orderListBytes(const OrderTable &)
{
    return {};
}
int WriteOrderList(const OrderTable &, OrderInput &, const ProjectState &, Prompter &, Shell &)
{
    return OrderListFailed;
}
OrderHooks MakeOrderHooks(OrderTable &, const ProjectState &, Prompter &, std::function<void()>,
                          std::function<void()>)
{
    return {};
}
} // namespace mf
