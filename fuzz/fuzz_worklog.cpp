// The work log as the history reads it; every entry read is written as a record and must
// read back as the same entry.
#include "FuzzTarget.h"

#include "project/WorkLog.h"

namespace {

bool sameEntry(const mf::HistoryEntry &a, const mf::HistoryEntry &b)
{
    return a.projectName == b.projectName && a.savedAt == b.savedAt &&
           a.projectFile == b.projectFile && a.saveFolder == b.saveFolder &&
           a.schoolCode == b.schoolCode;
}

} // namespace

MF_FUZZ_TARGET(worklog)
{
    const QString path = mf::fuzz::scratchPath(QStringLiteral("work_log.txt"));
    if (!mf::fuzz::writeScratch(path, mf::fuzz::bytesOf(data, size)))
        return 0;
    QList<mf::HistoryEntry> entries;
    bool tooLarge = false;
    MF_FUZZ_CHECK(mf::readWorkLog(path, &entries, mf::kHistorySlots, &tooLarge));
    MF_FUZZ_CHECK(entries.size() <= mf::kHistorySlots);

    const QString again = mf::fuzz::scratchPath(QStringLiteral("work_log_again.txt"));
    for (const mf::HistoryEntry &entry : entries) {
        QByteArray record;
        if (!mf::workLogRecord(entry, &record))
            continue;
        if (!mf::fuzz::writeScratch(again, record))
            return 0;
        QList<mf::HistoryEntry> back;
        MF_FUZZ_CHECK(mf::readWorkLog(again, &back));
        MF_FUZZ_CHECK(back.size() == 1 && sameEntry(back[0], entry));
    }
    if (!entries.isEmpty())
        mf::fuzz::readerSucceeded();
    return 0;
}
