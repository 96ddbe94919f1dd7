#pragma once
// One copy of the program per program folder, and one numbering or export per save folder
// at a time: two copies writing the same files lose each other's work.

#include "platform/FolderLock.h"
#include "platform/Services.h"

#include <memory>

namespace mf {

inline const QString kProgramLockName = QStringLiteral("marrowfold.lock");
// Beside the photo folders, where an operator at another PC looks for what holds the folder.
inline const QString kSaveFolderLockName = QStringLiteral("Velmora使用中.lock");

// Taken at start for the whole run. Null after telling the operator that another copy runs
// on this program folder: the program then ends.
std::unique_ptr<FolderLock> claimProgramFolder(const QString &programFolder, const QString &caption,
                                               Prompter &prompter);

// Taken by numbering and the export while they write. Null after telling the operator that
// another copy works in the folder. A folder where no lock file can be made is not locked:
// the run's own writes then fail there and say so.
std::unique_ptr<FolderLock> lockSaveFolder(const QString &saveFolder, const QString &caption,
                                           Prompter &prompter);

namespace msg {
inline const QString alreadyRunning =
    QStringLiteral("既に起動しています。\n同時に２つ起動する事は出来ません。");
inline const QString saveFolderInUse = QStringLiteral(
    "以下の保存先フォルダは他で作業中なので使用出来ません。\n%1\n作業中のパソコン　%2"
    "\n\n作業が終わってからもう一度行ってください。作業中でないのにこのメッセージが"
    "表示される場合は、保存先フォルダの「%3」を削除してください。");
} // namespace msg

} // namespace mf
