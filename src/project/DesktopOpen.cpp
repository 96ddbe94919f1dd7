#include "project/DesktopOpen.h"

#include "project/Messages.h"

#include <chrono>
#include <future>

namespace mf {

namespace {

// How often the window takes its events while the disk is being written: well under the
// quarter second after which a window that does not answer looks frozen.
constexpr std::chrono::milliseconds kFlushPumpInterval{20};

} // namespace

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
    while (flushing.wait_for(kFlushPumpInterval) != std::future_status::ready)
        services.pump.processPendingEvents();
    const bool flushed = flushing.get();
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
