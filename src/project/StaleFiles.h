#pragma once
// What a program that was killed half way leaves in its program folder and in a project's
// folders, and clearing it away at the next start and the next opening of the project.

#include <QString>

namespace mf {

// Removes the temporaries that interrupted copies and atomic saves (of the files it replaces
// whole: isSavedWholeProgramFileName) left in the program folder. Run at start, while no save
// of ours is under way. False when the folder could not be read whole or a temporary stayed:
// nothing tells the operator (the next start sweeps again), but nothing takes it as done.
bool removeStaleProgramTemporaries(const QString &programFolder);

// Removes the temporaries that interrupted copies left in the project's numbered folder. The
// export and the sample sheets sweep their own folders (removeStaleExportTemporaries,
// removeStalePageTemporaries); the main window sweeps all three when it opens a project, unless
// another copy works there (its temporaries are copies under way). Each is true only when its
// folder was swept whole (one that does not exist holds nothing); the next opening sweeps again,
// and each numbering and sample sheet run sweeps its own folder before it writes.
bool removeStaleNumberingTemporaries(const QString &saveFolder);

} // namespace mf
