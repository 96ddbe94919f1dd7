#pragma once
// The mark a numbering run leaves in the numbered photo folder until a save records the
// numbers it gave. A run that is killed, or whose numbers are never saved, leaves photos that
// no project file knows: appending would then number the same photos a second time. The mark
// is how the next numbering and the next opening of the project notice.

#include "platform/Services.h"
#include "project/ProjectState.h"

namespace mf {

// A text, so that it is never taken for a photo, and named so that an operator who finds it
// in the folder knows what it means.
inline const QString kNumberingMarkName = QStringLiteral("連番ファイル作成中.txt");

QString numberingMarkPath(const QString &saveFolder);

// Marks the numbered folder of the state's save folder before the first copy. False when the
// mark cannot be written (the folder then takes no copies either).
bool markNumberingStarted(ProjectState &state);

// After a save: the numbers of this session's run are now in a project file of this save
// folder. The mark goes only once the record is on the disk (recordOnDisk) and the numbered
// folder holds exactly the photos the saved ranges give; otherwise it stays, and is no longer
// this session's own: the next numbering or opening says the run did not finish. A save into
// another save folder leaves the mark where it is.
void numberingSaved(ProjectState &state, bool recordOnDisk = true);

struct UnfinishedNumbering {
    bool unfinished = false;
    QString unsavedNumbers; // the photo numbers present that no listed folder's range holds
    QString missingNumbers; // the numbers of the saved ranges whose photo is not there
    // The start number with which a rebuild gives every listed folder the range it has now
    // (every folder numbered in list order without gaps, unchanged, every photo numbered);
    // 0 when a rebuild would give other numbers.
    int sameNumbersFrom = 0;
};

// Whether the save folder carries the mark of a past run that was not saved. The mark of this
// session's own run, not saved yet, is not an interruption. A mark is stale, and deleted here,
// when the numbered photos are exactly those the listed folders' ranges give: the save went
// through before the run could remove it, the folder list check has repaired the project, or
// the operator removed the photos that were never saved.
UnfinishedNumbering findUnfinishedNumberingClearingStaleMark(const ProjectState &state);

enum class UnfinishedChoice {
    None,    // no unfinished numbering: the usual questions follow
    Rebuild, // the operator chose to number everything again
    Refused, // told, or the operator declined: nothing may be appended now
};

// What to do about a past numbering of the save folder that was not saved (its photos are in
// the numbered folder, its numbers in no project file). Without orders the operator is asked
// to rebuild; with orders, which rule a rebuild out, told which numbers are unsaved.
UnfinishedChoice settleUnfinishedNumbering(const ProjectState &state, Prompter &prompter);

// The same when a project has just been opened (from the history list, the one way a project
// is opened), unless another copy is numbering or exporting into its save folder right now
// (its run is not unfinished, only still going).
UnfinishedChoice checkUnfinishedNumberingOnOpen(const ProjectState &state, Prompter &prompter);

// "301～350、400": numbers in ascending order, runs of consecutive numbers joined.
QString numberRangesText(const QList<int> &ascending);

namespace msg {
inline const QString numberingUnfinishedRebuild =
    QStringLiteral("前回の連番ファイルの作成が完了していません。\n連番フォルダの写真の番号がプロジ"
                   "ェクトに保存されていないので、このまま追加すると同じ写真に２つの番号が付きま"
                   "す。\n連番ファイルを新規に作り直しますか？");
inline const QString numberingUnfinishedOrders =
    QStringLiteral("前回の連番ファイルの作成が完了していません。\n注文が入力されているので連番ファ"
                   "イルを作り直す事は出来ません。\n連番フォルダにありますがプロジェクトに保存さ"
                   "れていない番号　%1\nプロジェクトに保存されていますが連番フォルダにない番号　"
                   "%2\n\n保存されていない番号の写真を連番フォルダから削除し、ない番号の写真を元"
                   "の番号のファイル名で連番フォルダに戻してから、もう一度連番ファイルの作成を行っ"
                   "てください。");
// With orders, when a rebuild gives every photo the number it had.
inline const QString numberingUnfinishedSameNumbers =
    QStringLiteral("前回の連番ファイルの作成が完了していません。\n連番フォルダにありますがプロジ"
                   "ェクトに保存されていない番号　%1\nプロジェクトに保存されていますが連番フォル"
                   "ダにない番号　%2\n\n注文が入力されていますが、同じコピー元画像フォルダから"
                   "開始番号%3で作り直すと、どの写真にも保存されている番号と同じ番号が付きます。"
                   "\n連番ファイルを開始番号%3で作り直しますか？");
inline const QString numberingNoUnsavedNumbers = QStringLiteral("なし");
} // namespace msg

} // namespace mf
