#pragma once
// What a program that was killed half way leaves in its program folder and in a project's
// folders, and clearing it away at the next start and the next opening of the project.

#include <QString>

namespace mf {

// Removes the temporaries that interrupted copies and atomic saves left in the program folder
// (of the files it keeps there: isSavedWholeProgramFileName). Run at start, while no save of ours
// is under way.
void removeStaleProgramTemporaries(const QString &programFolder);

// Removes the temporaries that interrupted copies and saves left in the folders a project's
// runs write below its save folder: the numbered photos, the export with its orderers' folders
// and the sample sheet pages. Nothing while another copy works in the save folder: its
// temporaries are copies under way.
void removeStaleProjectTemporaries(const QString &saveFolder);

} // namespace mf
