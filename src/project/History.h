#pragma once
// The project history read from the work log, and the project files.

#include <QString>

#include <array>

namespace mf {

inline constexpr int kHistorySlots = 1000;

struct HistoryEntry {
    QString projectName;
    QString savedAt;
    QString projectFile;
    QString saveFolder;
    QString schoolCode;
};

// Slot i is item i of the history list, whose text is historyItemText(entries[i]).
struct HistoryTable {
    std::array<HistoryEntry, kHistorySlots> entries{};
    int count = 0;

    void clear()
    {
        entries.fill(HistoryEntry{});
        count = 0;
    }
};

inline QString historyItemText(const HistoryEntry &e)
{
    return QStringLiteral("%1 (%2)").arg(e.projectName, e.savedAt);
}

} // namespace mf
