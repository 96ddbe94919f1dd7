#include "project/FolderRepair.h"

#include "photos/NumberedPhotos.h"
#include "photos/PhotoFiles.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "project/FolderList.h"
#include "project/ProjectFile.h"
#include "project/WorkLog.h"

#include <QSet>

#include <algorithm>

namespace mf {

namespace {

// Room for a line with two paths of the longest length a path may have.
constexpr int kLogLineBuffer = 16384;
// Far above the largest real log (a line per photo, photo numbers below 100000).
constexpr qint64 kMaxLogBytes = 256 * 1024 * 1024;

QString fmt(const QString &templ, const QList<FormatArg> &args)
{
    QString out;
    if (formatChecked(templ, args, &out) == FormatOk)
        return out;
    // Our own fault, which the tests fail on; the operator still reads the values.
    qWarning("folder list check: a message template does not fit its arguments: %s",
             qUtf8Printable(templ));
    out = templ;
    for (const FormatArg &arg : args)
        out += u'\n' + (std::holds_alternative<int>(arg) ? QString::number(std::get<int>(arg))
                                                         : std::get<QString>(arg));
    return out;
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(kSeparator) + 1);
}

struct LogContent {
    QList<SourceRun> runs;
    QSet<QString> targetNames;
    bool increasing = true;
};

// Reads the runs of an opened log. FolderCheckStopped when the operator stops at a line that
// cannot be read.
int readRuns(LineReader &reader, const QString &logPath, const QString &sequenceFolder,
             const QString &caption, Prompter &prompter, LogContent *content)
{
    QString previousFolder;
    bool first = true;
    int lastNumber = 0;
    int lineNumber = 0;
    int skippedSoFar = 0;
    QByteArray raw;
    while (reader.readLine(&raw)) {
        lineNumber += 1 + reader.skippedLines() - skippedSoFar;
        skippedSoFar = reader.skippedLines();
        chopOneLineEnd(&raw);
        if (raw.isEmpty())
            continue;
        ConversionLogLine line;
        if (!parseConversionLogLine(fromCp932(raw), sequenceFolder, &line)) {
            if (prompter.ask(fmt(msg::repairNoSource, {logPath, lineNumber}), caption,
                             Buttons::YesNo) == Answer::Yes)
                return FolderCheckStopped;
            continue;
        }
        if (!first && line.number <= lastNumber)
            content->increasing = false;
        lastNumber = line.number;
        content->targetNames.insert(fileNameOf(line.target));
        const QString folder = sourceFolderOfPath(line.source);
        if (first || folder != previousFolder) {
            content->runs.append({1, line.number, line.number, folder});
            previousFolder = folder;
            first = false;
        } else {
            content->runs.last().runCount += 1;
            content->runs.last().runEnd = line.number;
        }
    }
    // A line too long to read has no run, so the photos it names make the log untrusted.
    return FolderCheckDone;
}

bool isUnder(const QString &folder, const QString &top)
{
    if (folder == top)
        return true;
    return folder.startsWith(top.endsWith(kSeparator) ? top : top + kSeparator);
}

// True when the log describes exactly what the project file says: every numbered folder in list
// order, with its subfolders where they are taken, and the same first and last numbers. Such a
// project was numbered by this program and needs no repair.
bool logAgrees(const FolderTable &table, const QList<SourceRun> &runs)
{
    qsizetype k = 0;
    for (int i = 0; i < table.folderCount; ++i) {
        const FolderEntry &e = table.entries[i];
        if (e.startNumber == 0 && e.endNumber == 0)
            continue;
        if (k >= runs.size())
            return false;
        const int start = runs[k].runStart;
        if (e.includeSubfolders) {
            if (!isUnder(runs[k].runFolder, e.path))
                return false;
            while (k + 1 < runs.size() && isUnder(runs[k + 1].runFolder, e.path))
                ++k;
        } else if (runs[k].runFolder != e.path) {
            return false;
        }
        if (start != e.startNumber || runs[k].runEnd != e.endNumber)
            return false;
        ++k;
    }
    return k == runs.size();
}

// The log names every numbered photo, counts up and has no gaps inside a run.
bool logMatchesFiles(const LogContent &log, const QString &sequenceFolder)
{
    if (!log.increasing)
        return false;
    for (const SourceRun &run : log.runs) {
        if (qint64(run.runEnd) - run.runStart + 1 != run.runCount)
            return false;
    }
    for (const QString &name : photoNames(sequenceFolder)) {
        if (!log.targetNames.contains(name))
            return false;
    }
    return true;
}

// True when the log numbered photos of the folder (or, where its subfolders are taken, of a
// folder below it): a numbering killed before its save leaves such a folder listed without
// numbers.
bool logCovers(const FolderEntry &e, const QList<SourceRun> &runs)
{
    return std::any_of(runs.begin(), runs.end(), [&e](const SourceRun &r) {
        return e.includeSubfolders ? isUnder(r.runFolder, e.path) : r.runFolder == e.path;
    });
}

// The repaired project file: a line per run, then the listed folders that were never numbered
// and that the log does not cover (those it covers are the runs already written).
// False unless every line reads back as it was meant.
bool repairedContent(const FolderTable &table, const QList<SourceRun> &runs, QByteArray *out)
{
    QList<ProjectLine> lines;
    for (const SourceRun &r : runs)
        lines.append(
            {0, r.runCount, r.runCount, r.runCount, false, r.runStart, r.runEnd, r.runFolder});
    for (int i = 0; i < table.folderCount; ++i) {
        const FolderEntry &e = table.entries[i];
        if (e.startNumber == 0 && e.endNumber == 0 && !logCovers(e, runs))
            lines.append({e.subfolderCount, e.totalFileCount, e.directJpegCount, e.allJpegCount,
                          e.includeSubfolders != 0, 0, 0, e.path});
    }
    if (lines.size() > kMaxFolders)
        return false;
    out->clear();
    for (const ProjectLine &l : lines) {
        QByteArray bytes;
        const QString text =
            QStringLiteral("%1,%2,%3,%4,%5,%6,%7,")
                .arg(QString::number(l.subfolderCount), QString::number(l.totalFileCount),
                     QString::number(l.directJpegCount), QString::number(l.allJpegCount),
                     QString::number(l.include ? 1 : 0), QString::number(l.startNumber),
                     QString::number(l.endNumber)) +
            l.path;
        if (!encodeCp932(text, &bytes))
            return false;
        bytes += "\r\n";
        ProjectLine back;
        if (!parseProjectLine(bytes, &back) || back.path != l.path ||
            back.startNumber != l.startNumber || back.endNumber != l.endNumber)
            return false;
        out->append(bytes);
    }
    return true;
}

QString backupCandidate(const QString &projectFile, int underscores)
{
    const qsizetype cut = projectFile.lastIndexOf(kSeparator) + 1;
    return projectFile.left(cut) + QString(underscores, u'_') + projectFile.mid(cut);
}

// Only the last entry of each project name is examined.
bool isLatestOfItsName(const QList<HistoryEntry> &history, qsizetype j)
{
    for (qsizetype i = j + 1; i < history.size(); ++i) {
        if (history[i].projectName == history[j].projectName)
            return false;
    }
    return true;
}

int unnumberedFolders(const FolderTable &table)
{
    int unnumbered = 0;
    for (int i = 0; i < table.folderCount; ++i) {
        if (table.entries[i].startNumber == 0 && table.entries[i].endNumber == 0)
            ++unnumbered;
    }
    return unnumbered;
}

QString runMemo(const SourceRun &run)
{
    return QStringLiteral("%1,%2,%3")
        .arg(QString::number(run.runStart), QString::number(run.runEnd), run.runFolder);
}

// The check of every project in the work log, with the operator's answers and the counts so far.
class FolderListCheck {
public:
    FolderListCheck(const QString &caption, Prompter &prompter)
        : caption_(caption), prompter_(prompter)
    {}

    // Checks one project and repairs its project file where the operator agrees. False when the
    // whole check ends here; result.code says why.
    bool checkProject(const HistoryEntry &entry)
    {
        FolderTable table;
        const int read = ReadProjectFile(table, entry.projectFile);
        const bool projectFileUnreadable =
            read == ProjectFileTooLarge ||
            (read == ProjectFileCannotOpen && pathExists(entry.projectFile));
        QString seq;
        qint64 jpegs = 0;
        if (!findNumberedPhotos(entry, &seq, &jpegs) || countsVouchFor(entry, table, jpegs))
            return true;
        const QString logPath = seq + kSeparator + kConversionLogName;
        if (!pathExists(logPath))
            return true;
        LogContent log;
        result.code = readLog(logPath, seq, &log);
        if (result.code != FolderCheckDone)
            return false;
        if (logCallsForRepair(entry, table, log.runs, logPath) &&
            repairIsSafe(entry, projectFileUnreadable, log, seq, logPath)) {
            QByteArray content;
            if (!repairedContent(table, log.runs, &content)) {
                inform(fmt(msg::repairUnreadableResult, {entry.projectName}));
                ++result.untrusted;
            } else if (prompter_.ask(fmt(msg::repairAsk, {entry.projectName}), caption_,
                                     Buttons::YesNo, true) == Answer::Yes) {
                rewriteProjectFile(entry.projectFile, content);
            }
        }
        return true;
    }

    // The closing message: nothing needed, or how many projects were repaired, failed or left.
    void reportRepairs()
    {
        if (result.repaired == 0 && result.failed == 0 && result.untrusted == 0) {
            inform(msg::repairNoneNeeded);
            return;
        }
        QStringList summary;
        if (result.repaired > 0)
            summary.append(fmt(msg::repairCount, {result.repaired}));
        if (result.failed > 0)
            summary.append(fmt(msg::repairFailedCount, {result.failed}));
        if (result.untrusted > 0)
            summary.append(fmt(msg::repairUntrustedCount, {result.untrusted}));
        inform(summary.join(u'\n'));
    }

    FolderCheckResult result;

private:
    void inform(const QString &text) { prompter_.inform(text, caption_); }

    // The project's numbered photo folder and how many photos it holds; false, after telling
    // the operator why, when there is nothing to check.
    bool findNumberedPhotos(const HistoryEntry &entry, QString *seq, qint64 *jpegs)
    {
        if (!isEnterableDir(entry.saveFolder)) {
            inform(fmt(msg::repairNoSaveFolder, {entry.projectName, entry.saveFolder}));
            return false;
        }
        *seq = withTrailingSeparator(entry.saveFolder) + kSequenceFolderName;
        if (!isEnterableDir(*seq)) {
            inform(fmt(msg::repairNoSequenceFolder, {entry.projectName, *seq}));
            return false;
        }
        ScanCounts counts;
        ScanFolder(*seq, counts);
        *jpegs = counts.jpegs;
        if (counts.jpegs <= 0) {
            inform(fmt(msg::repairNoJpegs, {entry.projectName, *seq}));
            return false;
        }
        return true;
    }

    // True when the project file's photo counts match the folder and the operator skips it.
    bool countsVouchFor(const HistoryEntry &entry, const FolderTable &table, qint64 jpegs)
    {
        // Counts come from a file that may have been edited by hand: a sum in int could wrap
        // round to the number of photos present.
        qint64 allSum = 0;
        qint64 directSum = 0;
        for (int i = 0; i < table.folderCount; ++i) {
            allSum += table.entries[i].allJpegCount;
            directSum += table.entries[i].directJpegCount;
        }
        const QString *quick = jpegs == allSum      ? &msg::repairAllCountSame
                               : jpegs == directSum ? &msg::repairDirectCountSame
                                                    : nullptr;
        return quick && prompter_.ask(fmt(*quick, {entry.projectName}), caption_, Buttons::YesNo) ==
                            Answer::Yes;
    }

    int readLog(const QString &logPath, const QString &seq, LogContent *log)
    {
        LineReader reader(kLogLineBuffer, LongLines::Skip, kMaxLogBytes);
        if (!reader.open(logPath)) {
            inform(fmt(msg::repairLogCannotOpen, {logPath}));
            return FolderCheckLogUnreadable;
        }
        result.memo.append(logPath);
        if (readRuns(reader, logPath, seq, caption_, prompter_, log) == FolderCheckStopped)
            return FolderCheckStopped;
        // A repair from the runs before a failed read would write a wrong project file.
        if (reader.readFailed()) {
            inform(fmt(msg::repairLogCannotOpen, {logPath}));
            return FolderCheckLogUnreadable;
        }
        // A log cut at the size cap does not describe all the photos.
        if (reader.stoppedAtCap())
            log->increasing = false;
        return FolderCheckDone;
    }

    // Compares the project file with the log's runs, telling the operator what differs.
    bool logCallsForRepair(const HistoryEntry &entry, const FolderTable &table,
                           const QList<SourceRun> &runs, const QString &logPath)
    {
        if (logAgrees(table, runs)) {
            for (const SourceRun &run : runs)
                result.memo.append(runMemo(run));
            return false;
        }
        const int runCount = int(runs.size());
        const int unnumbered = unnumberedFolders(table);
        if (runCount != table.folderCount - unnumbered) {
            inform(fmt(msg::repairCountDiffers,
                       {logPath, entry.projectFile, table.folderCount, unnumbered, runCount}));
            return runCount >= 1;
        }
        bool repair = false;
        bool expanded = false;
        for (int k = 0; k < runCount; ++k) {
            const SourceRun &run = runs[k];
            const FolderEntry &e = table.entries[k];
            result.memo.append(runMemo(run));
            if (e.includeSubfolders) {
                const bool tooMany = runCount > 200;
                inform(fmt(tooMany ? msg::repairTooManyToExpand : msg::repairExpanded,
                           {entry.projectFile}));
                repair = repair || !tooMany;
                expanded = true;
            } else if (e.path == run.runFolder) {
                if ((e.startNumber > 0 && e.startNumber != run.runStart) ||
                    (e.endNumber > 0 && e.endNumber != run.runEnd))
                    repair = true;
            } else {
                repair = true;
            }
            if (repair && !expanded) {
                inform(fmt(msg::repairDataDiffers,
                           {logPath, entry.projectFile, e.startNumber, e.endNumber, e.path,
                            run.runStart, run.runEnd, run.runFolder}));
                break;
            }
        }
        return repair;
    }

    // A repair rewrites what later steps rely on: only from a log that still describes the
    // numbered photos and from a project file that was read whole.
    bool repairIsSafe(const HistoryEntry &entry, bool projectFileUnreadable, const LogContent &log,
                      const QString &seq, const QString &logPath)
    {
        if (!logMatchesFiles(log, seq)) {
            inform(fmt(msg::repairLogMismatch, {entry.projectName, logPath}));
            ++result.untrusted;
            return false;
        }
        if (projectFileUnreadable) {
            inform(fmt(msg::repairProjectFileUnreadable, {entry.projectName, entry.projectFile}));
            ++result.untrusted;
            return false;
        }
        return true;
    }

    // The old file is copied to a free underscore name first (never replacing anything), then
    // the project file is replaced in one step.
    void rewriteProjectFile(const QString &projectFile, const QByteArray &content)
    {
        QString backup;
        if (isFile(projectFile)) {
            CopyResult copied = CopyResult::TargetExists;
            for (int underscores = 1; copied == CopyResult::TargetExists && underscores < 1000;
                 ++underscores) {
                backup = backupCandidate(projectFile, underscores);
                if (!pathExists(backup))
                    copied = copyFile(projectFile, backup);
            }
            if (copied != CopyResult::Copied) {
                inform(fmt(msg::repairCannotRename, {projectFile}));
                ++result.failed;
                return;
            }
        }
        if (!saveFileAtomically(projectFile, content)) {
            if (!backup.isEmpty())
                removeFile(backup);
            inform(fmt(msg::repairCannotSave, {projectFile}));
            ++result.failed;
            return;
        }
        ++result.repaired;
        if (!backup.isEmpty()) {
            inform(fmt(msg::repairRenamed, {projectFile, backup}));
            inform(fmt(msg::repairSavedWithBackup, {projectFile, backup}));
        } else {
            inform(fmt(msg::repairSaved, {projectFile}));
        }
    }

    const QString &caption_;
    Prompter &prompter_;
};

} // namespace

bool parseConversionLogLine(const QString &line, const QString &sequenceFolder,
                            ConversionLogLine *out)
{
    if (!line.startsWith(u'['))
        return false;
    const qsizetype close = line.indexOf(QStringLiteral("] "));
    if (close < 2)
        return false;
    bool ok = false;
    const QStringView digits = QStringView(line).mid(1, close - 1);
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
    }
    const int number = digits.toInt(&ok);
    if (!ok)
        return false;
    const qsizetype from = close + 2;
    qsizetype split =
        line.lastIndexOf(QStringLiteral(", ") + withTrailingSeparator(sequenceFolder));
    if (split < from)
        split = line.lastIndexOf(QStringLiteral(", /"));
    if (split <= from)
        return false;
    out->number = number;
    out->source = line.mid(from, split - from);
    out->target = line.mid(split + 2);
    return true;
}

QString cameraFileOf(const QString &sequenceFolder, int number)
{
    LineReader reader(kLogLineBuffer, LongLines::Skip, kMaxLogBytes);
    if (!reader.open(joinPath(sequenceFolder, kConversionLogName)))
        return {};
    QString camera;
    QByteArray raw;
    while (reader.readLine(&raw)) {
        chopOneLineEnd(&raw);
        ConversionLogLine line;
        if (parseConversionLogLine(fromCp932(raw), sequenceFolder, &line) && line.number == number)
            camera = line.source;
    }
    // A later line may name the photo again: the last one read is not known to be the last.
    return reader.readFailed() ? QString() : camera;
}

QString sourceFolderOfPath(const QString &path)
{
    const qsizetype cut = path.lastIndexOf(kSeparator);
    if (cut <= 0)
        return cut == 0 ? QString(kSeparator) : QString();
    return path.left(cut);
}

FolderCheckResult CheckFolderLists(const QString &programFolder, const QString &caption,
                                   Prompter &prompter)
{
    FolderListCheck check(caption, prompter);
    QList<HistoryEntry> history;
    if (isEnterableDir(programFolder))
        readWorkLog(joinPath(programFolder, kWorkLogName), &history, kHistorySlots);
    if (history.isEmpty()) {
        prompter.inform(msg::noProjectHistory, caption);
        return check.result;
    }
    for (qsizetype j = 0; j < history.size(); ++j) {
        if (isLatestOfItsName(history, j) && !check.checkProject(history[j]))
            return check.result;
    }
    check.reportRepairs();
    return check.result;
}

} // namespace mf
