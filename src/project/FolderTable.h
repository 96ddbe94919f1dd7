#pragma once
// The source folders of a project: the scan results per folder, and the grid texts that
// the main window shows (the grid row is the authority for the path, the include flag,
// the number range and the saved counts).

#include <QString>

#include <array>

namespace mf {

inline constexpr int kFolderSlots = 210;
inline constexpr int kMaxFolders = 200;
inline constexpr int kGridRows = 200;
inline constexpr int kGridColumns = 10;

// Grid columns.
enum GridColumn {
    ColNumber = 0,
    ColPath = 1,
    ColCheck = 2,
    ColSubfolders = 3,
    ColFiles = 4,
    ColDirectJpegs = 5,
    ColAllJpegs = 6,
    ColInclude = 7,
    ColStart = 8,
    ColEnd = 9,
};

struct FolderEntry {
    int subfolderCount = 0;
    int includeSubfolders = 0;
    int totalFileCount = 0;
    int directJpegCount = 0;
    int allJpegCount = 0;
    int changed = 0;
    int startNumber = 0;
    int endNumber = 0;
    QString path;
};

struct FolderTable {
    std::array<FolderEntry, kFolderSlots> entries{};
    int folderCount = 0;

    void clear()
    {
        entries.fill(FolderEntry{});
        folderCount = 0;
    }
};

using GridRow = std::array<QString, kGridColumns>;

// Row 0 holds the headings, rows 1 to 200 the folders.
struct FolderGrid {
    std::array<GridRow, kGridRows + 1> rows{};
    std::array<int, kGridColumns> widths{};
    bool ready = false; // headings, widths and row numbers set up

    const QString &cell(int row, int col) const { return rows[row][col]; }
    void setCell(int row, int col, const QString &text) { rows[row][col] = text; }
    bool isNumbered(int row) const
    {
        return row >= 1 && row <= kGridRows && !rows[row][ColStart].isEmpty();
    }
    // Empties columns 1 to 9 of every folder row.
    void clearFolderRows()
    {
        for (int r = 1; r <= kGridRows; ++r)
            for (int c = 1; c < kGridColumns; ++c)
                rows[r][c].clear();
    }
};

} // namespace mf
