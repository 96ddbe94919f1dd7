#pragma once
// The day of a studio as the benchmarks run it: the project, its orders and its sample sheets.

#include "BenchServices.h"
#include "orders/OrderTable.h"
#include "project/FolderList.h"
#include "project/ProjectFields.h"
#include "sheets/PageFile.h"
#include "sheets/SheetRun.h"

#include <functional>
#include <memory>

namespace bench {

// The project of the day in save, numbered from the camera folder.
inline std::unique_ptr<mf::ProjectState> projectOf(const QString &save, const QString &camera,
                                                   mf::Prompter &prompter)
{
    auto state = std::make_unique<mf::ProjectState>();
    state->titleText = mf::kTitleText;
    mf::setupGrid(*state);
    mf::setProjectName(*state, QStringLiteral("studioday"));
    mf::setSaveFolder(*state, save);
    mf::AddFolder(*state, prompter, camera);
    return state;
}

// 2 orders per 10 photos: orderers 2b + 1 and 2b + 2 both order photos 10b + 1 ... 10b + 10,
// for every whole block of ten.
inline void fillOrders(mf::OrderTable &table, int photos)
{
    mf::ResetOrders(table);
    for (int m = 1; m <= photos / 10 * 2 && m <= mf::kMaxOrders; ++m) {
        mf::Order &o = table.row(++table.orderCount);
        o.ordererNumber = QString::number(m);
        const int first = (m - 1) / 2 * 10 + 1;
        o.photoCount = QStringLiteral("10");
        for (int k = 0; k < 10; ++k)
            o.photoNumbers[std::size_t(k)] = QString::number(first + k);
    }
}

inline int runSheets(const QString &save, mf::Services &services,
                     const std::function<bool(const QString &)> &flush = mf::flushFileSystem)
{
    mf::OutputSizeTable sizes;
    sizes.sizes[0] = mf::builtInOutputSize();
    sizes.count = 1;
    mf::SheetRunState state;
    mf::SheetHooks hooks;
    hooks.options = [] {
        mf::SheetOptions o;
        o.continuous = true;
        o.quality = 40;
        return o;
    };
    hooks.titleSettings = [] { return mf::TitleSettings{}; };
    hooks.previewPauseMs = 0;
    hooks.flushToDisk = flush;
    return mf::RunSampleSheets(sizes, {save, QString(), 1, mf::kTitleText}, state, services,
                               hooks) == mf::SheetRunResult::Complete
               ? 0
               : 1;
}

} // namespace bench
