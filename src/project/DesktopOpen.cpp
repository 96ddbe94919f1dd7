#include "project/DesktopOpen.h"

#include "project/Messages.h"

#include <future>

namespace mf {

bool openOrTell(Shell &shell, Prompter &prompter, const QString &path, const QString &caption)
{
    if (shell.open(path))
        return true;
    prompter.inform(msg::cannotOpenPath.arg(path), caption);
    return false;
}

bool finishOnDisk(Services &services, const QString &caption, const QString &folder,
                  const std::function<bool(const QString &folder)> &flush,
                  const std::function<void(const QString &status)> &status, const QStringList &open,
                  const std::function<bool(bool flushed)> &settle)
{
    if (status)
        status(msg::writingToDisk);
    // The run is still marked as running, so what the operator does meanwhile is refused or
    // waits as during the copies; Esc has no photo left to stop before.
    std::future<bool> flushing =
        std::async(std::launch::async, [&flush, &folder] { return flush(folder); });
    const bool flushed = awaitPumping(flushing, services.pump);
    if (status)
        status(QString());
    if (!flushed)
        services.prompter.inform(msg::notOnDisk.arg(folder), caption);
    const bool wentWell = settle ? settle(flushed) : true;
    if (!flushed || !wentWell)
        return false;
    for (const QString &path : open)
        openOrTell(services.shell, services.prompter, path, caption);
    return true;
}

} // namespace mf
