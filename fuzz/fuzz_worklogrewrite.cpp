// The management window's reading of the work log and its rewrite without marked records.
// The rewrite must read back with every unmarked record first, in order and unchanged (a
// record without its "scode=" line gains an empty one).
#include "FuzzTarget.h"

#include "project/WorkLogRewrite.h"

MF_FUZZ_TARGET(worklogrewrite)
{
    if (size < 1)
        return 0;
    const quint8 markBits = data[0];
    const QString path = mf::fuzz::scratchPath(QStringLiteral("work_log.txt"));
    if (!mf::fuzz::writeScratch(path, mf::fuzz::bytesOf(data + 1, size - 1)))
        return 0;
    mf::WorkLogView view;
    if (!mf::readWorkLogRecords(path, &view))
        return 0;
    MF_FUZZ_CHECK(view.records.size() <= mf::kHistorySlots);

    QList<bool> marked;
    int kept = 0;
    for (qsizetype i = 0; i < view.records.size(); ++i) {
        marked.append((markBits >> (i % 8)) & 1);
        kept += marked.last() ? 0 : 1;
    }
    const QByteArray rewritten = mf::workLogWithout(view, marked);
    if (!mf::fuzz::writeScratch(path, rewritten))
        return 0;
    mf::WorkLogView back;
    MF_FUZZ_CHECK(mf::readWorkLogRecords(path, &back));
    MF_FUZZ_CHECK(back.records.size() >= qMin(kept, int(mf::kHistorySlots)));
    qsizetype j = 0;
    for (qsizetype i = 0; i < view.records.size() && j < back.records.size(); ++i) {
        if (marked[i])
            continue;
        const mf::WorkLogRecord &was = view.records[i];
        const mf::WorkLogRecord &now = back.records[j++];
        MF_FUZZ_CHECK(now.lines.size() == 5);
        for (int k = 0; k < 4 && k < now.lines.size(); ++k)
            MF_FUZZ_CHECK(now.lines[k] == was.lines[k]);
        MF_FUZZ_CHECK(now.entry.projectName == was.entry.projectName &&
                      now.entry.savedAt == was.entry.savedAt &&
                      now.entry.projectFile == was.entry.projectFile &&
                      now.entry.saveFolder == was.entry.saveFolder &&
                      now.entry.schoolCode == was.entry.schoolCode);
    }
    if (!view.records.isEmpty())
        mf::fuzz::readerSucceeded();
    return 0;
}
