#include "project/FolderLocks.h"

namespace mf {

std::unique_ptr<FolderLock> claimProgramFolder(const QString &programFolder, const QString &caption,
                                               Prompter &prompter)
{
    auto lock = std::make_unique<FolderLock>(programFolder, kProgramLockName);
    if (lock->status() == FolderLock::Busy) {
        prompter.inform(msg::alreadyRunning, caption);
        return nullptr;
    }
    return lock;
}

std::unique_ptr<FolderLock> lockSaveFolder(const QString &saveFolder, const QString &caption,
                                           Prompter &prompter)
{
    auto lock = std::make_unique<FolderLock>(saveFolder, kSaveFolderLockName);
    if (lock->status() == FolderLock::Busy) {
        prompter.inform(
            msg::saveFolderInUse.arg(saveFolder, lock->holderHost(), kSaveFolderLockName), caption);
        return nullptr;
    }
    return lock;
}

} // namespace mf
