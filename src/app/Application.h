#pragma once
// Start-up of the program: the toolkit, fonts, translations and the long-lived windows.

#include <QString>

class QApplication;

namespace mf {

// Substitutes the Windows font names the windows ask for, and loads the Japanese texts of
// the standard buttons. Call once after the application object exists.
void setUpLocalisation(QApplication &app);

// The folder of outputFmt.def, the work log and the project files.
QString programFolderForThisRun();

} // namespace mf
