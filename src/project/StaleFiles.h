#pragma once
// What a program that was killed half way leaves in its program folder, and clearing it away
// at the next start.

#include <QString>
#include <QStringView>

namespace mf {

// The names of the files the program replaces whole in its program folder: the work log and
// its backups, the project files, order files and order lists (kept there by default), title
// data, and the window preferences.
bool isProgramFolderFileName(QStringView name);

// Removes the temporaries that interrupted copies and atomic saves of those files left in the
// program folder. Run at start, while no save of ours is under way.
void removeStaleProgramTemporaries(const QString &programFolder);

} // namespace mf
