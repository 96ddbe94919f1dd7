// The order CSV file, loaded for a project whose save folder exists. A file that loads is saved
// again and must load back as the same table without a question or a line left unread.
#include "FuzzPrompter.h"
#include "FuzzTarget.h"

#include "orders/OrderFile.h"

#include <memory>

MF_FUZZ_TARGET(orderfile)
{
    const QString path = mf::fuzz::scratchPath(QStringLiteral("orders.csv"));
    if (!mf::fuzz::writeScratch(path, mf::fuzz::bytesOf(data, size)))
        return 0;
    static auto project = std::make_unique<mf::ProjectState>();
    static auto table = std::make_unique<mf::OrderTable>();
    static auto back = std::make_unique<mf::OrderTable>();
    project->programFolder = mf::fuzz::scratchFolder() + QLatin1Char('/');
    project->projectName = QStringLiteral("orders");
    // The loader first makes sure the save folder exists; without one it asks and every
    // input stops before its first line.
    project->saveFolder = mf::fuzz::scratchFolder();
    mf::ResetOrders(*table);
    mf::fuzz::AlternatingPrompter prompter;
    if (mf::LoadOrderFile(*table, path, *project, prompter) != mf::LoadOrdersOk)
        return 0;
    MF_FUZZ_CHECK(table->orderCount >= 0 && table->orderCount <= mf::kMaxOrders);

    QByteArray saved;
    if (!mf::encodeOrderFile(*table, &saved))
        return 0;
    const QString again = mf::fuzz::scratchPath(QStringLiteral("orders-again.csv"));
    if (!mf::fuzz::writeScratch(again, saved))
        return 0;
    mf::ResetOrders(*back);
    mf::fuzz::YesPrompter yes;
    MF_FUZZ_CHECK(mf::LoadOrderFile(*back, again, *project, yes) == mf::LoadOrdersOk);
    MF_FUZZ_CHECK(back->orderCount == table->orderCount);
    // Nothing was corrected and no line was left unread: the table matches its file.
    MF_FUZZ_CHECK(back->saved);
    for (int r = 1; r <= table->orderCount && r <= back->orderCount; ++r)
        for (int c = mf::ColOrderer; c < mf::ColFirstPhoto + mf::kPhotosPerOrder; ++c)
            MF_FUZZ_CHECK(back->row(r).cell(c) == table->row(r).cell(c));
    if (table->orderCount > 0)
        mf::fuzz::readerSucceeded();
    return 0;
}
