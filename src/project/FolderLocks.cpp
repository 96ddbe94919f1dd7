#include "project/FolderLocks.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QFileInfo>
#include <QSysInfo>

namespace mf {

std::unique_ptr<FolderLock> claimProgramFolder(const QString &programFolder, const QString &caption,
                                               Prompter &prompter)
{
    auto lock = std::make_unique<FolderLock>(programFolder, kProgramLockName);
    if (lock->status() == FolderLock::Busy) {
        // A lock of this PC belongs to a copy that is still running; another PC's can also be
        // one left in a shared or restored folder, which only the operator can judge.
        const QString host = lock->holderHost();
        if (host.isEmpty() || host == QSysInfo::machineHostName())
            prompter.inform(msg::alreadyRunning, caption);
        else
            prompter.inform(msg::programFolderInUse.arg(programFolder, host,
                                                        joinPath(programFolder, kProgramLockName)),
                            caption);
        return nullptr;
    }
    return lock;
}

std::unique_ptr<SaveFolderLock> lockSaveFolder(const QString &saveFolder,
                                               const QString &writeFolder, const QString &caption,
                                               Prompter &prompter)
{
    auto locks = std::make_unique<SaveFolderLock>();
    QStringList folders{saveFolder};
    if (!writeFolder.isEmpty() && isEnterableDir(writeFolder))
        folders.append(writeFolder);
    for (const QString &folder : folders) {
        auto lock = std::make_unique<FolderLock>(folder, kSaveFolderLockName);
        if (lock->status() == FolderLock::Busy) {
            const QString file = folder == saveFolder ? kSaveFolderLockName
                                                      : QFileInfo(folder).fileName() + kSeparator +
                                                            kSaveFolderLockName;
            prompter.inform(msg::saveFolderInUse.arg(saveFolder, lock->holderHost(), file),
                            caption);
            return nullptr;
        }
        if (lock->status() == FolderLock::Held)
            locks->held.push_back(std::move(lock));
    }
    if (locks->held.empty() &&
        prompter.ask(msg::saveFolderUnlockable.arg(kSaveFolderLockName, saveFolder), caption,
                     Buttons::YesNo, true) != Answer::Yes)
        return nullptr;
    return locks;
}

bool anotherCopyWorksIn(const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (isEnterableDir(folder) &&
            FolderLock(folder, kSaveFolderLockName).status() == FolderLock::Busy)
            return true;
    }
    return false;
}

} // namespace mf
