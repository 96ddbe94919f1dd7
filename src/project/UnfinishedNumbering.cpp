#include "project/UnfinishedNumbering.h"

#include "photos/NumberedPhotos.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

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

void numberingSaved(ProjectState &state)
{
    if (state.numberingMark.isEmpty() || state.numberingMark != numberingMarkPath(state.saveFolder))
        return;
    removeFile(state.numberingMark);
    state.numberingMark.clear();
}

UnfinishedNumbering findUnfinishedNumbering(const ProjectState &state)
{
    UnfinishedNumbering found;
    if (state.saveFolder.isEmpty())
        return found;
    const QString mark = numberingMarkPath(state.saveFolder);
    if (mark == state.numberingMark || !isFile(mark))
        return found;

    const QList<Range> saved = savedRanges(state);
    qint64 savedCount = 0;
    for (const Range &r : saved)
        savedCount += r.last - r.first + 1;
    QList<int> present;
    for (const NumberedPhoto &p :
         numberedPhotos(sequenceFolderOf(state.saveFolder), state.filePrefix)) {
        if (present.isEmpty() || present.last() != p.number)
            present.append(p.number);
    }
    QList<int> unsaved;
    for (int n : present) {
        if (!inRanges(saved, n))
            unsaved.append(n);
    }
    if (unsaved.isEmpty() && present.size() == savedCount) {
        removeFile(mark);
        return found;
    }
    found.unfinished = true;
    found.unsavedNumbers = numberRangesText(unsaved);
    return found;
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
