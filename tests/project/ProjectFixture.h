#pragma once
// Helpers shared by the project tests.

#include "Fakes.h"
#include "project/ProjectState.h"

#include <QStringList>

namespace projecttest {

// A state as the start-up leaves it: caption set, program folder ending with "/".
inline void started(mf::ProjectState &state, const QString &programFolder)
{
    state.programFolder = programFolder.endsWith(u'/') ? programFolder : programFolder + u'/';
    state.titleText = mf::kTitleText;
}

// Lists one folder with the given counts (subfolders, files, direct, all) in grid and table.
inline void putRow(mf::ProjectState &state, const QString &path, const QStringList &counts,
                   const QString &include = QStringLiteral("0"), const QString &start = {},
                   const QString &end = {})
{
    const int row = ++state.folders.folderCount;
    state.grid.rows[row] = {QString::number(row),
                            path,
                            {},
                            counts[0],
                            counts[1],
                            counts[2],
                            counts[3],
                            include,
                            start,
                            end};
    mf::FolderEntry &e = state.folders.entries[row - 1];
    e = {counts[0].toInt(),
         0,
         counts[1].toInt(),
         counts[2].toInt(),
         counts[3].toInt(),
         0,
         0,
         0,
         path};
}

inline QString listedPaths(const mf::ProjectState &state)
{
    QStringList out;
    for (int r = 1; r <= state.folders.folderCount; ++r)
        out.append(state.grid.cell(r, mf::ColPath));
    return out.join(u',');
}

inline bool allCaptioned(const ScriptedPrompter &prompter, const QString &caption)
{
    for (const RecordedBox &b : prompter.boxes) {
        if (b.caption != caption)
            return false;
    }
    return true;
}

} // namespace projecttest
