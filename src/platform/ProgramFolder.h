#pragma once
// Where the program keeps outputFmt.def, the work log and the project files.

#include <QString>

namespace mf {

// The executable's folder when it holds outputFmt.def and may be written (the build tree
// and a portable install). Otherwise the per-user data folder, which is created and, when
// it has no outputFmt.def yet, seeded with the copy beside the executable when there is
// one (a read-only portable install), else with the one installed in installedDataFolder.
// The result ends with a separator.
QString resolveProgramFolder(const QString &executableFolder, const QString &userDataFolder,
                             const QString &installedDataFolder);

} // namespace mf
