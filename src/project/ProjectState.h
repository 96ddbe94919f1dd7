#pragma once
// The state the main window owns: the current project, its folder list and grid texts,
// the history, and the flags. Windows show it; operations change it.

#include "project/FolderTable.h"
#include "project/History.h"
#include "project/OutputFormat.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <functional>

namespace mf {

inline const QString kTitleText = QStringLiteral("Velmora\u3000");
inline constexpr int kThumbWidth = 64;
inline constexpr int kThumbHeight = 48;

// What the order subsystem offers the project. Until orders exist there are none.
struct OrderHooks {
    std::function<int()> orderCount = [] { return 0; };
    std::function<void()> resetOrders = [] {};
    // Loads the order file of the project just opened; -1 when there is none to load.
    std::function<int()> loadProjectOrderFile = [] { return -1; };
    std::function<void()> clearExportTable = [] {};
};

struct RowButtons {
    bool moveUp = true;
    bool moveDown = true;
    bool remove = true;
};

struct Thumbnails {
    QImage first; // 64 x 48, window face colour where no photo is drawn
    QImage last;
    bool visible = true;
};

struct ProjectState {
    QString programFolder; // ends with a separator
    QString titleText;     // empty until the start-up has read outputFmt.def

    // The three text fields of the main window.
    QString saveFolder;  // Edit1
    QString projectName; // Edit2
    QString schoolCode;  // Edit3
    QString filePrefix;
    QString workFolder;
    QString orderFilePath;
    // The mark of this session's numbering run while no save has recorded its numbers.
    QString numberingMark;

    HistoryTable history;
    FolderTable folders;
    FolderGrid grid;
    OutputFormatSettings outputFormat;

    int selectedRow = 1;
    int selectedColumn = 1;
    quint64 lastSelectTime = 0;
    int currentHistoryIndex = -1;
    bool dirty = false;
    bool busy = false;
    bool abortRequested = false;
    bool sampleWindowOpen = false;

    RowButtons buttons;
    Thumbnails thumbnails;
    QColor faceColour = QColor(240, 240, 240);
    OrderHooks orders;

    int folderCount() const { return folders.folderCount; }
    int orderCount() const { return orders.orderCount ? orders.orderCount() : 0; }
};

} // namespace mf
