#include "project/UnfinishedNumbering.h"

#include "photos/NumberedPhotos.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "project/FolderLocks.h"

#include <algorithm>

namespace mf {

namespace {

struct Range {
    int first = 0;
    int last = 0;
};

// The ranges of the numbered rows, sorted and merged; rows given no number ("0") have none.
QList<Range> savedRanges(const ProjectState &state)
{
    QList<Range> ranges;
    for (int r = 1; r <= state.folders.folderCount; ++r) {
        if (!state.grid.isNumbered(r))
            continue;
        const int first = parseAtol(state.grid.cell(r, ColStart));
        const int last = parseAtol(state.grid.cell(r, ColEnd));
        if (first >= 1 && last >= first)
            ranges.append({first, std::min(last, kPhotoNumberLimit)});
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const Range &a, const Range &b) { return a.first < b.first; });
    QList<Range> merged;
    for (const Range &r : ranges) {
        if (!merged.isEmpty() && r.first <= merged.last().last + 1)
            merged.last().last = std::max(merged.last().last, r.last);
        else
            merged.append(r);
    }
    return merged;
}

bool inRanges(const QList<Range> &ranges, int n)
{
    return std::any_of(ranges.begin(), ranges.end(),
                       [n](const Range &r) { return n >= r.first && n <= r.last; });
}

// The numbered folder against the project's ranges.
struct Comparison {
    QList<int> unsaved; // present, in no range
    QList<int> missing; // in a range, not present
};

Comparison compareWithProject(const ProjectState &state)
{
    const QList<Range> saved = savedRanges(state);
    QList<int> present;
    for (const NumberedPhoto &p :
         numberedPhotos(sequenceFolderOf(state.saveFolder), state.filePrefix)) {
        if (present.isEmpty() || present.last() != p.number)
            present.append(p.number);
    }
    Comparison c;
    for (int n : present) {
        if (!inRanges(saved, n))
            c.unsaved.append(n);
    }
    for (const Range &r : saved) {
        for (int n = r.first; n <= r.last; ++n) {
            if (!std::binary_search(present.begin(), present.end(), n))
                c.missing.append(n);
        }
    }
    return c;
}

// A rebuild numbers every listed folder in list order from its start number, each with all
// its photos: it gives the saved numbers again only where that is how they were given.
int startGivingSameNumbers(const ProjectState &state)
{
    int start = 0;
    int next = 0;
    bool unnumberedBefore = false;
    for (int r = 1; r <= state.folders.folderCount; ++r) {
        if (state.folders.entries[r - 1].changed == 1)
            return 0;
        if (!state.grid.isNumbered(r)) {
            unnumberedBefore = true;
            continue;
        }
        const GridRow &cells = state.grid.rows[r];
        const int first = parseAtol(cells[ColStart]);
        const int last = parseAtol(cells[ColEnd]);
        const bool include = cells[ColInclude] == QLatin1String("1");
        const int photos = parseAtol(include ? cells[ColAllJpegs] : cells[ColDirectJpegs]);
        if (unnumberedBefore || first < 1 || last - first + 1 != photos ||
            (next != 0 && first != next))
            return 0;
        if (start == 0)
            start = first;
        next = last + 1;
    }
    return start;
}

} // namespace

QString numberingMarkPath(const QString &saveFolder)
{
    return joinPath(sequenceFolderOf(saveFolder), kNumberingMarkName);
}

bool markNumberingStarted(ProjectState &state)
{
    const QString path = numberingMarkPath(state.saveFolder);
    QByteArray text;
    encodeCp932(QStringLiteral("連番ファイルの作成中です。プロジェクトが保存されると削除されます。"
                               "\r\n"),
                &text);
    if (!saveFileAtomically(path, text))
        return false;
    state.numberingMark = path;
    return true;
}

void numberingSaved(ProjectState &state, bool recordOnDisk)
{
    if (state.numberingMark.isEmpty() || state.numberingMark != numberingMarkPath(state.saveFolder))
        return;
    const Comparison c = compareWithProject(state);
    if (recordOnDisk && c.unsaved.isEmpty() && c.missing.isEmpty())
        removeFile(state.numberingMark);
    state.numberingMark.clear();
}

UnfinishedNumbering findUnfinishedNumberingClearingStaleMark(const ProjectState &state)
{
    UnfinishedNumbering found;
    if (state.saveFolder.isEmpty())
        return found;
    const QString mark = numberingMarkPath(state.saveFolder);
    if (mark == state.numberingMark || !isFile(mark))
        return found;

    const Comparison c = compareWithProject(state);
    if (c.unsaved.isEmpty() && c.missing.isEmpty()) {
        removeFile(mark);
        return found;
    }
    found.unfinished = true;
    found.unsavedNumbers = numberRangesText(c.unsaved);
    found.missingNumbers = numberRangesText(c.missing);
    found.sameNumbersFrom = startGivingSameNumbers(state);
    return found;
}

UnfinishedChoice settleUnfinishedNumbering(const ProjectState &state, Prompter &prompter)
{
    const UnfinishedNumbering found = findUnfinishedNumberingClearingStaleMark(state);
    if (!found.unfinished)
        return UnfinishedChoice::None;
    if (state.orderCount() >= 1) {
        const auto orNone = [](const QString &numbers) {
            return numbers.isEmpty() ? msg::numberingNoUnsavedNumbers : numbers;
        };
        // The orders name photos by number: only a rebuild that gives every photo the number
        // it had keeps them right.
        if (found.sameNumbersFrom > 0)
            return prompter.ask(msg::numberingUnfinishedSameNumbers.arg(
                                    orNone(found.unsavedNumbers), orNone(found.missingNumbers),
                                    QString::number(found.sameNumbersFrom)),
                                state.titleText, Buttons::YesNo) == Answer::Yes
                       ? UnfinishedChoice::Rebuild
                       : UnfinishedChoice::Refused;
        prompter.inform(msg::numberingUnfinishedOrders.arg(orNone(found.unsavedNumbers),
                                                           orNone(found.missingNumbers)),
                        state.titleText);
        return UnfinishedChoice::Refused;
    }
    return prompter.ask(msg::numberingUnfinishedRebuild, state.titleText, Buttons::YesNo) ==
                   Answer::Yes
               ? UnfinishedChoice::Rebuild
               : UnfinishedChoice::Refused;
}

UnfinishedChoice checkUnfinishedNumberingOnOpen(const ProjectState &state, Prompter &prompter)
{
    if (state.saveFolder.isEmpty() || !isFile(numberingMarkPath(state.saveFolder)))
        return UnfinishedChoice::None;
    if (anotherCopyWorksIn({state.saveFolder, sequenceFolderOf(state.saveFolder)}))
        return UnfinishedChoice::None;
    return settleUnfinishedNumbering(state, prompter);
}

QString numberRangesText(const QList<int> &ascending)
{
    QStringList parts;
    for (qsizetype i = 0; i < ascending.size();) {
        qsizetype j = i;
        while (j + 1 < ascending.size() && ascending[j + 1] == ascending[j] + 1)
            ++j;
        parts.append(j == i
                         ? QString::number(ascending[i])
                         : QString::number(ascending[i]) + u'～' + QString::number(ascending[j]));
        i = j + 1;
    }
    return parts.join(u'、');
}

} // namespace mf
