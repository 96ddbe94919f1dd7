#pragma once
// Shared by the project file harnesses: saved lines shown in the grid as reopening shows them,
// saved again, and compared with what was read.

#include "project/ProjectFile.h"

#include <QList>

#include <memory>

namespace mf::fuzz {

// The project file a save writes after reopening lines; false when a path cannot be written
// (bytes that did not decode).
inline bool savedAgain(const QList<ProjectLine> &lines, QByteArray *content)
{
    static auto state = std::make_unique<ProjectState>();
    state->folders.folderCount = int(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        showProjectLine(state->grid.rows[i + 1], int(i + 1), lines[i]);
    return projectFileContent(*state, content);
}

// A line read back from the saved file: the same, but numbers below 1, shown as empty cells,
// are saved as 0.
inline bool sameAfterSave(const ProjectLine &read, const ProjectLine &back)
{
    return back.subfolderCount == read.subfolderCount &&
           back.totalFileCount == read.totalFileCount &&
           back.directJpegCount == read.directJpegCount && back.allJpegCount == read.allJpegCount &&
           back.include == read.include && back.startNumber == qMax(read.startNumber, 0) &&
           back.endNumber == qMax(read.endNumber, 0) && back.path == read.path;
}

} // namespace mf::fuzz
