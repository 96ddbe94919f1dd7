#include "project/DesktopOpen.h"

#include "project/Messages.h"

namespace mf {

bool openOrTell(Shell &shell, Prompter &prompter, const QString &path, const QString &caption)
{
    if (shell.open(path))
        return true;
    prompter.inform(msg::cannotOpenPath.arg(path), caption);
    return false;
}

} // namespace mf
