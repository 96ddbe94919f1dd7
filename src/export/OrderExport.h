#pragma once
// The per-order export: one folder per orderer (or one flat folder) under the save folder,
// holding a copy of every ordered photo that is not handed out as a sample print, named by
// the templates of outputFmt.def, and the two texts that say who gets which sample print.

#include "export/ExportSettings.h"
#include "orders/OrderTable.h"
#include "platform/FileSystem.h"
#include "platform/Services.h"
#include "project/Messages.h"
#include "project/ProjectState.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <vector>

namespace mf {

inline const QString kExportFolderName = QStringLiteral("注文別画像フォルダ");
inline const QString kSampleListName = QStringLiteral("サンプル指定.txt");
inline const QString kOrdererSampleListName = QStringLiteral("注文者別サンプル指定.txt");
// In the export folder from before it is emptied until the disk holds the whole export: an
// export that was killed or stopped is noticed at the next opening and the next export.
inline const QString kExportMarkName = QStringLiteral("注文別画像保存中.txt");

// What a run keeps between its steps; the export window shows and sets parts of it.
struct ExportState {
    bool abortExport = false; // the stop button or Esc; read after every pump
    bool exportBusy = false;
    QStringList errorList;
    QStringList ordererSampleList;
    std::vector<int> sampleOwner; // orderer given the sample print of photo p, 0: none yet
    int samplesTaken = 0;
};

struct ExportJob {
    const ProjectState &project;
    const OrderTable &table;
    ExportSettings settings;
    Services &services;
    // Shows row r of the window's table as the one being copied.
    std::function<void(int row)> showRow = [](int) {};
    // Prints copied (or given up) so far out of all the run copies, for a progress bar.
    std::function<void(int done, int total)> showProgress = [](int, int) {};
    // Puts the copies and texts on the disk before the run says it is done.
    std::function<bool(const QString &folder)> flushToDisk = flushFileSystem;
    // Shows a status text while the copies go onto the disk; an empty text clears it.
    std::function<void(const QString &status)> diskStatus = [](const QString &) {};
};

enum ExportResult {
    ExportOk = 0,
    ExportRefused = -1,     // a setting, the order check or the export folder said no
    ExportBadTemplate = -2, // a name would not fit or would leave the export folder
    ExportStopped = -3,     // stopped by the operator or after a failed copy
    ExportIncomplete = -4,  // ran to its end, but some prints are missing or a text failed
};

QString exportFolderOf(const QString &saveFolder);

// Empties every entry and gives the orderer list its four heading lines.
void StartSampleLists(ExportState &state, const QString &projectName, const QDateTime &now);

// Creates the export folder where it is missing, marks it and empties it. 0, or -1 after a
// message.
int PrepareExportFolder(const ProjectState &project, Prompter &prompter);

QString exportMarkPath(const QString &saveFolder);

// Removes the temporaries that an interrupted export left in the export folder and its
// orderers' folders. False when a folder could not be read whole or a temporary stayed.
bool removeStaleExportTemporaries(const QString &saveFolder);

// Tells the operator when the last export into the project's save folder did not finish,
// unless another copy is exporting there right now.
void reportUnfinishedExport(const ProjectState &project, Prompter &prompter);

// The whole command: settings, order check, then (unless checkOnly) names, folder, copies,
// texts and the opening of the results.
int RunExport(ExportJob &job, ExportState &state, bool checkOnly);

// The texts' bytes, Shift-JIS with CR LF. False when a text cannot be written in Shift-JIS.
bool encodeSampleList(const ExportState &state, const QString &heading, int columns,
                      QByteArray *out);
bool encodeOrdererSampleList(const ExportState &state, QByteArray *out);

namespace msg {
inline const QString exportCannotClear = QStringLiteral(
    "注文別画像ファイルが削除出来ません。\nネットワークドライブの場合は書き込み禁止に"
    "なっていないか確認してください。");
inline const QString exportCannotCreate = QStringLiteral("注文別画像フォルダを作成出来ません。");
inline const QString exportAborted = QStringLiteral("中止しました。");
inline const QString ordererFolderCannotCreatePath =
    QStringLiteral("学生用フォルダを作成出来ません。\n%1");
inline const QString ordererFolderCannotCreate = QStringLiteral("学生用フォルダを作成出来ません。");
inline const QString outputFormatBroken =
    QStringLiteral("ファイル出力フォーマットファイル　outputFmt.def　に異常があります。\nインストー"
                   "ルＣＤからファイルを上書きコピーしてください。");
inline const QString exportCopyFailed =
    QStringLiteral("%1　が連番フォルダに見つかりません。\n学生No.%2\n\n処理を続行しますか？");
// The photo is there but its copy could not be written (a full disk, a folder gone read-only).
inline const QString exportCopyNotWritten = QStringLiteral(
    "%1　を\n%2　に書き込めませんでした。\n学生No.%3\n\nディスクの空き容量が足りないか、"
    "書き込み禁止になっていないか確認してください。\n処理を続行しますか？");
// A school code that would lead the photo names into another folder: the code is to blame,
// not outputFmt.def.
inline const QString exportBadSchoolCode =
    QStringLiteral("ロットNo.「%1」にファイル名として使用出来ない文字が含まれているので、"
                   "注文別画像を保存出来ません。\nロットNo.を確認してください。");
inline const QString exportDeletePartial =
    QStringLiteral("作成中の注文別画像フォルダを削除しますか？");
// All repeat names of one photo are taken: overwriting one would lose a print.
inline const QString exportRepeatsExhausted =
    QStringLiteral("同じ名前のファイルが9999個を超えるので保存出来ません。\n%1");
inline const QString exportCannotMark = QStringLiteral(
    "注文別画像フォルダに書き込み出来ません。\nネットワークドライブの場合は書き込み禁止に"
    "なっていないか確認してください。\n%1");
inline const QString exportUnfinished = QStringLiteral(
    "前回の注文別画像保存が完了していません。\n%1\n注文別画像フォルダの写真や"
    "サンプル指定が足りない可能性があります。もう一度「注文別に画像保存」を最後まで行うと"
    "正しく作り直されます。");
inline const QString exportTextNotSaved =
    QStringLiteral("以下のファイルを保存出来ませんでした。\n%1");
} // namespace msg

} // namespace mf
