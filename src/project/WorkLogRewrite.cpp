#include "project/WorkLogRewrite.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFile.h"
#include "project/WorkLog.h"

#include <QFile>

namespace mf {

namespace {
// The most a line of the log may take, its line end included, and still be read.
constexpr int kLineRoom = kWorkLogLineBuffer - 1;

} // namespace

bool readWorkLogRecords(const QString &path, WorkLogView *view, int maxRecords)
{
    *view = WorkLogView{};
    QFile file(path);
    // A log too large to read whole is left alone rather than rewritten from a part of it.
    if (!isFile(path) || !file.open(QIODevice::ReadOnly) || file.size() > kMaxWorkLogBytes)
        return false;
    // Read in pieces: asking for the whole cap at once reserves 64 MB for a log of a few KB.
    QByteArray data;
    constexpr qint64 kPiece = 64 * 1024;
    while (data.size() <= kMaxWorkLogBytes) {
        const qsizetype had = data.size();
        data.resize(had + kPiece);
        const qint64 got = readFilePiece(file, data.data() + had, kPiece);
        // A read that fails is not the end of the log: rewritten from the part before it, the
        // log would lose every record after it.
        if (got < 0)
            return false;
        data.resize(had + got);
        if (got == 0)
            break;
    }
    if (data.size() > kMaxWorkLogBytes)
        return false;

    // The same lines and records as readWorkLog sees, read in text mode with its buffer, but
    // the bytes of each line are kept for the rewrite.
    WorkLogRecord current;
    int field = 0;
    qsizetype pos = 0;
    qsizetype recordStart = 0;
    auto close = [&] {
        view->records.append(std::move(current));
        current = WorkLogRecord{};
        field = 0;
    };
    while (pos < data.size() && view->records.size() < maxRecords) {
        const qsizetype lineEnd = data.indexOf('\n', pos);
        const qsizetype next = lineEnd < 0 ? data.size() : lineEnd + 1;
        QByteArray line = data.mid(pos, next - pos);
        if (line.endsWith("\r\n"))
            line.remove(line.size() - 2, 1);
        // A line too long for the reader's buffer counts as an empty field in its place.
        const bool tooLong = line.size() > kLineRoom;
        const QByteArray taken = tooLong ? QByteArray() : line;
        if (field == 4 && !taken.startsWith(kSchoolCodeKey)) {
            close();
            recordStart = pos;
            if (view->records.size() >= maxRecords)
                break;
        }
        if (taken.size() > 1) {
            QByteArray text = taken;
            chopOneLineEnd(&text);
            storeWorkLogField(current.entry, field, text);
        }
        chopOneLineEnd(&line);
        // A last line of one byte without its line end reads as empty; written back with a
        // line end it would read as text, so it is written back empty.
        if (!tooLong && taken.size() <= 1)
            line.clear();
        current.lines.append(line);
        pos = next;
        if (++field == 5) {
            current.endsFile = lineEnd < 0;
            close();
            recordStart = pos;
        }
    }
    if (field == 4 && pos == data.size()) {
        current.endsFile = !data.endsWith('\n');
        close();
        recordStart = pos;
    }
    view->rest = data.mid(recordStart);
    return true;
}

QByteArray workLogWithout(const WorkLogView &view, const QList<bool> &marked)
{
    QByteArray out;
    for (qsizetype i = 0; i < view.records.size(); ++i) {
        if (i < marked.size() && marked[i])
            continue;
        const WorkLogRecord &record = view.records[i];
        QList<QByteArray> lines = record.lines.mid(0, 4);
        const QByteArray code =
            record.lines.size() > 4 ? record.lines[4].mid(kSchoolCodeKey.size()) : QByteArray();
        // A last line that fills the reader's room is read whole only where the file ends
        // without a line end; given one, it would be too long and its field lost. Such a line
        // stays the last of the log as it was found, a four-line record without a code line.
        const bool openEnd = record.endsFile && view.rest.isEmpty();
        if (!(openEnd && record.lines.size() == 4 && lines[3].size() >= kLineRoom))
            lines.append(kSchoolCodeKey + schoolCodeOfStored(code));
        for (qsizetype j = 0; j < lines.size(); ++j) {
            out += lines[j];
            if (!(openEnd && j == lines.size() - 1 && lines[j].size() >= kLineRoom))
                out += "\r\n";
        }
    }
    return out + view.rest;
}

void LoadHistoryView(ManagedHistory &history, const QString &programFolder, Clock &clock)
{
    history = ManagedHistory{};
    if (isEnterableDir(programFolder))
        readWorkLogRecords(joinPath(programFolder, kWorkLogName), &history.log);
    history.marked = QList<bool>(history.count(), false);
    history.lastSelectionMs = clock.tick();
}

void ToggleDeleteMark(ManagedHistory &history, int row)
{
    if (row < 1 || row > history.count())
        return;
    history.marked[row - 1] = !history.marked[row - 1];
    history.modified = true;
}

bool selectHistoryCell(ManagedHistory &history, Clock &clock, int row, int column)
{
    // The second click of a double click must not undo the first.
    if (clock.tick() < history.lastSelectionMs + kSelectionRepeatMs && row == history.selectedRow)
        return false;
    history.selectedRow = row;
    if (column == 2)
        ToggleDeleteMark(history, row);
    history.lastSelectionMs = clock.tick();
    return true;
}

bool RewriteWorkLog(ManagedHistory &history, const QString &programFolder, const QString &caption,
                    Prompter &prompter)
{
    if (!isEnterableDir(programFolder)) {
        prompter.inform(msg::programFolderMissing, caption);
        return false;
    }
    const QString log = joinPath(programFolder, kWorkLogName);

    // Every backup is history nothing else holds: a taken name is passed over, never replaced,
    // even one taken while the copy was made. The copy appears whole or not at all, so a prune
    // killed half way leaves no cut backup where the history was meant to be kept.
    CopyResult backup = CopyResult::TargetExists;
    for (int n = 0; n <= kMaxWorkLogBackupNumber && backup == CopyResult::TargetExists; ++n)
        backup =
            copyFile(log, joinPath(programFolder, programFileName(programfile::kWorkLogBackup, n)));
    if (backup != CopyResult::Copied) {
        prompter.inform(msg::workLogBackupFailed, caption);
        return false;
    }
    if (history.count() <= 0) {
        prompter.inform(msg::noWorkLogRecords, caption);
        return false;
    }
    if (!saveFileAtomically(log, workLogWithout(history.log, history.marked))) {
        prompter.inform(msg::workLogWriteFailed, caption);
        return false;
    }
    history.modified = false;
    return true;
}

} // namespace mf
