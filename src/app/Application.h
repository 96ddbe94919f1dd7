#pragma once
// Start-up of the program: the toolkit, fonts, translations and the long-lived windows.

#include "project/ProjectCommands.h"

#include <QFont>
#include <QIcon>
#include <QString>

class QApplication;

namespace mf {

// The one font of every window and message box: the forms name no font of their own, only
// the fixed-pitch fields name theirs (its family; the size is this one).
QFont windowFont();

// Substitutes the Windows font names the windows ask for, gives the application its window
// font, and loads the Japanese texts of the standard buttons. Call once after the
// application object exists.
void setUpLocalisation(QApplication &app);

// The icon of every window: the same drawing as the one installed for the desktop menu.
QIcon applicationIcon();

// The folder of outputFmt.def, the work log and the project files.
QString programFolderForThisRun();

// Where the manual is looked for when the program folder has none: beside the executable
// (a portable install whose program folder moved to the per-user data folder) and in the
// installed shared data.
ManualFolders manualFoldersForThisRun();

} // namespace mf
