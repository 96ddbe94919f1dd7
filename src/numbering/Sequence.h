#pragma once
// Sequential numbering: copying the source photos into the sequential-number folder under
// the file prefix and a photo number, with the conversion log.

#include "photos/NumberedPhotos.h"
#include "platform/FileSystem.h"
#include "platform/Services.h"
#include "project/Messages.h"
#include "project/ProjectState.h"
#include "project/UnfinishedNumbering.h"

#include <functional>

namespace mf {

inline constexpr int kStartNumberLimit = 4999;

QString sequenceFolder(const ProjectState &state);

enum SequenceResult { SequenceOk = 0, SequenceStopped = -1 };

// Copies the photos of folder (and of its subfolders where include is set) into the work
// folder, numbering from lastNumber + 1. -1 when stopped by Esc or by the operator after a
// failed copy.
// unlogged, when given, counts the copies whose conversion log line could not be written;
// notJpeg, when given, receives "[number] source" for each copy that is not a JPEG image.
int CopyFolderToSequence(ProjectState &state, Services &services, const QString &folder,
                         bool include, int &lastNumber, int *unlogged = nullptr,
                         QStringList *notJpeg = nullptr);

// What the numbering command needs of the windows.
struct SequenceHooks {
    // Shows the start number dialog with the highest existing number; returns its result.
    std::function<int(int highest)> askStartNumber;
    std::function<void(bool busy)> setBusyCursor = [](bool) {};
    // Called after a row got its numbers, so the window shows the progress.
    std::function<void(int row)> rowDone = [](int) {};
    // The project save at the end.
    std::function<int()> saveProject;
    // Puts the copies and the log on the disk before the folder is shown as done: the camera
    // cards are emptied next.
    std::function<bool(const QString &folder)> flushToDisk = flushFileSystem;
    // Shows a status text while the copies go onto the disk; an empty text clears it.
    std::function<void(const QString &status)> diskStatus = [](const QString &) {};
    // The operator has already chosen to rebuild an unfinished numbering (when the project
    // was opened): no second question.
    bool rebuildAgreed = false;
};

// BitBtn6Click: the whole numbering command. Returns 0 when the copy ran to its end,
// a negative value when it ended early, -3 when the disk did not take the copies whole.
int CreateSequentialFiles(ProjectState &state, Services &services, const SequenceHooks &hooks);

namespace msg {
inline const QString ordersContinue =
    QStringLiteral("既に注文が入力されていますが処理を続行しますか？");
inline const QString ordersAppendOnly =
    QStringLiteral("注文が入力されている場合は追加のみ可能ですがよろしいですか？");
inline const QString rebuildOrAppend =
    QStringLiteral("既に連番ファイルが作成されています。\n新規に作り直す場合は「はい」を、追加する"
                   "場合は「いいえ」を選んでください。");
inline const QString noJpegsAll =
    QStringLiteral("%1列目　コピーされるJpegファイルがありません。\n");
inline const QString noJpegsDirect =
    QStringLiteral("%1列目　コピーされる直下Jpegファイルがありません。\n");
inline const QString startInvalid = QStringLiteral("連番の開始番号が無効な値です。");
inline const QString startTooHigh = QStringLiteral("連番の開始番号が4999以上の値です。");
inline const QString startBelowExisting =
    QStringLiteral("連番の開始番号が既存の番号より小さい値です。");
inline const QString sourcesChanged =
    QStringLiteral("コピー元画像フォルダに変更があるので新規に作り直す事ができません。");
inline const QString cannotDeleteSequence =
    QStringLiteral("連番ファイルが削除出来ません。\nネットワークドライブの場合は書き込み禁止になっ"
                   "ていないか確認してください。");
inline const QString noSourceFolders = QStringLiteral("コピー元画像フォルダが選択されていません。");
inline const QString copyStopped =
    QStringLiteral("以下のフォルダが正常にコピー出来ませんでした。処理を中断します。\n\n%1");
inline const QString logNotWritten = QStringLiteral(
    "連番ファイル変換ログに記録出来なかったコピーがあります。\nディスクの空きと接続を"
    "確認してください。\n%1");
inline const QString notJpegImages = QStringLiteral(
    "以下の写真はJPEG画像ではないので、写真サンプルの作成がこの番号で止まります。\n（別の形式の"
    "画像、空のファイル、読み込みに失敗したファイルなど）\n元の画像ファイルを確認して、JPEG画像と"
    "差し替えてください。\n\n%1");
inline const QString copyFailedContinue =
    QStringLiteral("%1 から %2 のコピーが失敗しました。コピー作業を続行しますか？");
inline const QString unloggableName = QStringLiteral(
    "%1列目　Shift-JISで表せない文字を含むファイル名があるので変換ログに記録出来ません。\n%2\n");
inline const QString undecodableName =
    QStringLiteral("%1列目　名前の文字コードが正しくないファイルまたはフォルダがあるのでコピー出来"
                   "ません。名前を直してください。\n%2\n");
inline const QString cannotMarkSequence =
    QStringLiteral("連番フォルダに書き込み出来ません。\nネットワークドライブの場合は書き込み禁止"
                   "になっていないか確認してください。\n%1");
inline const QString unloggableFolder =
    QStringLiteral("連番フォルダのパスにShift-"
                   "JISで表せない文字が含まれているので変換ログに記録出来ません。\n%1\n");
} // namespace msg

} // namespace mf
