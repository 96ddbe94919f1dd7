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

// Removes the temporaries that interrupted copies and saves left in the folders a project's
// runs write below its save folder: the numbered photos, the export with its orderers' folders
// and the sample sheet pages. Nothing while another copy works in the save folder: its
// temporaries are copies under way. True only when every folder was swept whole (one that does
// not exist holds nothing); false when another copy works there, a folder could not be read to
// its end or a temporary stayed. The next opening sweeps again, and each numbering and sample
// sheet run sweeps its own folder before it writes.
bool removeStaleProjectTemporaries(const QString &saveFolder);

} // namespace mf
