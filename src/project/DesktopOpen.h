#pragma once
// Opening what a command wrote or found (a folder, a text, the manual) with the application
// the desktop associates with it.

#include "platform/FileSystem.h"
#include "platform/Services.h"

#include <QStringList>

#include <functional>

namespace mf {

// Opens path. Where the desktop has nothing to open it with, the operator is told which file or
// folder it was, so that they can open it by hand. False when it was not opened.
bool openOrTell(Shell &shell, Prompter &prompter, const QString &path, const QString &caption);

// How a run that wrote into folder ends. A studio empties the camera cards or takes the drive
// to the lab as soon as a run says it is done, so flush puts what was written onto the disk
// first: on a worker thread, as it can take seconds, while the window keeps answering (pumped
// here) and status shows msg::writingToDisk (an empty text clears it). Then, when the disk did
// not confirm it, the operator is told; settle, when given, runs either way (it learns whether
// the flush went through and says whether the run went well); and only when both went well is
// each of open opened, in order. True when they did.
bool finishOnDisk(Services &services, const QString &caption, const QString &folder,
                  const std::function<bool(const QString &folder)> &flush,
                  const std::function<void(const QString &status)> &status, const QStringList &open,
                  const std::function<bool(bool flushed)> &settle = {});

} // namespace mf
