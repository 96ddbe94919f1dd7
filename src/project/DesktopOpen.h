#pragma once
// Opening what a command wrote or found (a folder, a text, the manual) with the application
// the desktop associates with it.

#include "platform/Services.h"

namespace mf {

// Opens path. Where the desktop has nothing to open it with, the operator is told which file or
// folder it was, so that they can open it by hand. False when it was not opened.
bool openOrTell(Shell &shell, Prompter &prompter, const QString &path, const QString &caption);

} // namespace mf
