#include "orders/OrderHooksBinding.h"

#include "orders/OrderFile.h"

namespace mf {

OrderHooks MakeOrderHooks(OrderTable &table, const ProjectState &project, Prompter &prompter,
                          std::function<void()> afterReset, std::function<void()> clearExportTable)
{
    OrderHooks hooks;
    hooks.orderCount = [&table] { return table.orderCount; };
    hooks.resetOrders = [&table, afterReset] {
        ResetOrders(table);
        if (afterReset)
            afterReset();
    };
    // The main window knows only -1 for "nothing loaded", and resets the table on it.
    hooks.loadProjectOrderFile = [&table, &project, &prompter] {
        return LoadProjectOrderFile(table, project, prompter) == LoadOrdersOk ? 0 : -1;
    };
    hooks.clearExportTable = clearExportTable ? std::move(clearExportTable) : [] {};
    return hooks;
}

} // namespace mf
