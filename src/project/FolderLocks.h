#pragma once
// One copy of the program per program folder, and one numbering or export per save folder
// at a time: two copies writing the same files lose each other's work.

#include "platform/FolderLock.h"
#include "platform/ProgramFolder.h"
#include "platform/Services.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace mf {

inline const QString kProgramLockName = programFileName(programfile::kProgramLock);
// Beside the photo folders, where an operator at another PC looks for what holds the folder.
inline const QString kSaveFolderLockName = QStringLiteral("Velmora使用中.lock");

// Taken at start for the whole run. Null after telling the operator that another copy runs
// on this program folder (naming the PC and the lock file when it is another PC's): the
// program then ends.
std::unique_ptr<FolderLock> claimProgramFolder(const QString &programFolder, const QString &caption,
                                               Prompter &prompter);

// The locks a numbering or an export holds while it writes; none when the operator chose to go
// on where no lock could be made.
struct SaveFolderLock {
    std::vector<std::unique_ptr<FolderLock>> held;
};

// Taken by numbering and the export while they write: in the save folder, and in writeFolder,
// the folder below it that the run writes (when it exists). A copy at a PC that may write only
// that folder then still sees this run, and this run sees its. Null after telling the operator
// that another copy works there, or when no lock could be made anywhere and the operator chose
// not to go on without one.
std::unique_ptr<SaveFolderLock> lockSaveFolder(const QString &saveFolder,
                                               const QString &writeFolder, const QString &caption,
                                               Prompter &prompter);

// True when another copy holds the lock of one of the folders: its run is still going.
bool anotherCopyWorksIn(const QStringList &folders);

namespace msg {
inline const QString alreadyRunning =
    QStringLiteral("既に起動しています。\n同時に２つ起動する事は出来ません。");
inline const QString programFolderInUse = QStringLiteral(
    "このプログラムフォルダは他のパソコンで使用中なので起動出来ません。\n%1\n使用中のパソコン　%2"
    "\n\nそのパソコンでVelmoraを終了してからもう一度起動してください。そのパソコンで使用して"
    "いないのにこのメッセージが表示される場合（バックアップから戻したフォルダなど）は、"
    "「%3」を削除してください。");
inline const QString saveFolderInUse = QStringLiteral(
    "以下の保存先フォルダは他で作業中なので使用出来ません。\n%1\n作業中のパソコン　%2"
    "\n\n作業が終わってからもう一度行ってください。作業中でないのにこのメッセージが"
    "表示される場合は、保存先フォルダの「%3」を削除してください。");
inline const QString saveFolderUnlockable = QStringLiteral(
    "以下の保存先フォルダに使用中の印「%1」を作成出来ません。\n%2\n他のパソコンが同じ保存先"
    "フォルダで作業していても分からないので、同時に作業すると写真が失われます。\n\n他のパソコン"
    "でこの保存先フォルダを使用していない事を確かめてから「はい」を選んでください。\nこのまま"
    "続行しますか？");
} // namespace msg

} // namespace mf
