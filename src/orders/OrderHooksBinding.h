#pragma once
// Connects the main window's project to the order table: the order count its guards read,
// the reset of new project and reopen, and the loading of a reopened project's order file.

#include "orders/OrderTable.h"
#include "platform/Services.h"
#include "project/ProjectState.h"

#include <functional>

namespace mf {

// Hooks over table for the project state that will hold them (the state is read when a
// hook runs, so the project's current name and folders count). afterReset, when given, runs
// after each reset of the table (the entry window clears its input group there);
// clearExportTable empties the per-order export window's table.
OrderHooks MakeOrderHooks(OrderTable &table, const ProjectState &project, Prompter &prompter,
                          std::function<void()> afterReset = {},
                          std::function<void()> clearExportTable = {});

} // namespace mf
