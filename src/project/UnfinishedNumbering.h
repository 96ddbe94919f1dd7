#pragma once
// The mark a numbering run leaves in the numbered photo folder until a save records the
// numbers it gave. A run that is killed, or whose numbers are never saved, leaves photos that
// no project file knows: appending would then number the same photos a second time. The mark
// is how the next numbering and the next opening of the project notice.

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
// session's own run, not saved yet, is not an interruption. A mark is stale, and removed, when
// the numbered photos are exactly those the listed folders' ranges give: the save went
// through before the run could remove it, the folder list check has repaired the project, or
// the operator removed the photos that were never saved.
UnfinishedNumbering findUnfinishedNumbering(const ProjectState &state);

// "301～350、400": numbers in ascending order, runs of consecutive numbers joined.
QString numberRangesText(const QList<int> &ascending);

} // namespace mf
