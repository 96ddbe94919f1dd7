#include "numbering/Sequence.h"

#include "photos/PhotoFiles.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "project/DesktopOpen.h"
#include "project/FolderList.h"
#include "project/FolderLocks.h"
#include "project/ProjectFields.h"
#include "project/StaleFiles.h"
#include "project/UnfinishedNumbering.h"

#include <QFileInfo>

#include <optional>

namespace mf {

namespace {

// How the conversion log spells a source path. A name a Mac wrote keeps voiced kana as a base
// letter and a separate mark, which Shift-JIS lacks; the composed spelling reads the same and
// fits. A path that fits as it is stays byte for byte what is on the disk.
QString loggedSpelling(const QString &path)
{
    return fitsCp932(path) ? path : path.normalized(QString::NormalizationForm_C);
}

// The first entry below folder that numbering cannot handle: a name that is not valid text
// (it cannot be copied, and its photo would be left out unseen), or a photo whose path the
// Shift-JIS conversion log could not record. An empty path when there is none.
struct UnsafeEntry {
    QString path;
    bool undecodable = false;
};

UnsafeEntry firstUnsafeEntry(const QString &folder, bool include, const OwnFolders &own)
{
    QStringList undecodable;
    const QList<DirEntry> entries = listEntries(folder, &undecodable);
    if (!undecodable.isEmpty())
        return {joinPath(folder, undecodable.first()), true};
    for (const DirEntry &e : entries) {
        const QString path = joinPath(folder, e.name);
        if (e.isDir) {
            if (include && !own.skips(path)) {
                UnsafeEntry bad = firstUnsafeEntry(path, include, own);
                if (!bad.path.isEmpty())
                    return bad;
            }
        } else if (isPhotoName(e.name) && !fitsCp932(loggedSpelling(path))) {
            return {path, false};
        }
    }
    return {};
}

// Makes sure a folder exists; false after telling the operator when it cannot be made.
bool ensureFolder(const ProjectState &state, Prompter &prompter, const QString &folder)
{
    if (isEnterableDir(folder))
        return true;
    if (!makePath(folder)) {
        prompter.inform(msg::cannotCreateSaveFolderPath.arg(folder), state.titleText);
        return false;
    }
    if (!isEnterableDir(folder)) {
        prompter.inform(msg::cannotCreateSaveFolder, state.titleText);
        return false;
    }
    return true;
}

enum class Mode { Rebuild, Append };

} // namespace

QString sequenceFolder(const ProjectState &state)
{
    return sequenceFolderOf(state.saveFolder);
}

namespace {

int copyTree(ProjectState &state, Services &services, const QString &folder, bool include,
             int &lastNumber, const OwnFolders &own, int *unlogged, QStringList *notJpeg)
{
    bool readError = false;
    const QList<DirEntry> entries = listEntries(folder, nullptr, &readError);
    if (readError) // the photos after the failed read would be left out unseen
        return SequenceStopped;
    const QString logPath = joinPath(state.workFolder, kConversionLogName);
    for (const DirEntry &e : entries) {
        services.pump.processPendingEvents();
        if (state.abortRequested)
            return SequenceStopped;
        const QString source = joinPath(folder, e.name);
        if (e.isDir) {
            if (include && !own.skips(source) &&
                copyTree(state, services, source, include, lastNumber, own, unlogged, notJpeg) ==
                    SequenceStopped)
                return SequenceStopped;
            continue;
        }
        if (!isPhotoName(e.name))
            continue;
        const QString target =
            sequentialFilePath(state.workFolder, state.filePrefix, lastNumber + 1);
        if (copyFile(source, target) == CopyResult::Copied) {
            makeWritable(target);
            lastNumber += 1;
            const QString number = QString::asprintf("%04d", lastNumber);
            const QString logged = loggedSpelling(source);
            const QString line = QStringLiteral("[%1] %2, %3").arg(number, logged, target);
            QByteArray record;
            if (!encodeCp932(line, &record) || !appendRecord(logPath, record + "\r\n"))
                ++*unlogged; // told once the run has ended
            // A few bytes of the copy, so that the operator hears now, not at the sheets.
            if (notJpeg && !fileStartsAsJpeg(target))
                notJpeg->append(QStringLiteral("[%1] %2").arg(number, logged));
        } else if (services.prompter.ask(msg::copyFailedContinue.arg(source, target),
                                         state.titleText, Buttons::YesNo) != Answer::Yes) {
            return SequenceStopped;
        }
    }
    return SequenceOk;
}

} // namespace

int CopyFolderToSequence(ProjectState &state, Services &services, const QString &folder,
                         bool include, int &lastNumber, int *unlogged, QStringList *notJpeg)
{
    state.abortRequested = false;
    int ignored = 0;
    return copyTree(state, services, folder, include, lastNumber, OwnFolders(state.saveFolder),
                    unlogged ? unlogged : &ignored, notJpeg);
}

namespace {

struct ModeChoice {
    Mode mode = Mode::Rebuild;
    int fixedStart = 0; // the start number a rebuild must take to keep the ordered numbers
};

// Rebuild or append, as the operator chooses; nothing when the operator declined or was told
// why nothing may be numbered now.
std::optional<ModeChoice> chooseMode(const ProjectState &state, Prompter &prompter,
                                     const SequenceHooks &hooks, int highest)
{
    const QString &caption = state.titleText;
    const bool orders = state.orderCount() >= 1;
    // With orders, a rebuild must give the numbers the orders name.
    const int sameNumbersFrom =
        orders ? findUnfinishedNumberingClearingStaleMark(state).sameNumbersFrom : 0;
    const UnfinishedChoice unfinished = hooks.rebuildAgreed && (!orders || sameNumbersFrom > 0)
                                            ? UnfinishedChoice::Rebuild
                                            : settleUnfinishedNumbering(state, prompter);
    if (unfinished == UnfinishedChoice::Refused)
        return std::nullopt;
    if (unfinished == UnfinishedChoice::Rebuild)
        return ModeChoice{Mode::Rebuild, sameNumbersFrom};
    if (orders) {
        if (prompter.ask(msg::ordersContinue, caption, Buttons::YesNo) != Answer::Yes ||
            prompter.ask(msg::ordersAppendOnly, caption, Buttons::YesNo) != Answer::Yes)
            return std::nullopt;
        return ModeChoice{Mode::Append};
    }
    if (highest > 0)
        return ModeChoice{prompter.ask(msg::rebuildOrAppend, caption, Buttons::YesNo) == Answer::Yes
                              ? Mode::Rebuild
                              : Mode::Append};
    return ModeChoice{Mode::Rebuild};
}

// Empties the numbered folder for a rebuild, under the mark: a kill half way leaves photos
// the saved project still lists. False after telling the operator.
bool emptyForRebuild(ProjectState &state, Prompter &prompter, const QString &folder)
{
    if (!markNumberingStarted(state)) {
        prompter.inform(msg::cannotMarkSequence.arg(folder), state.titleText);
        return false;
    }
    if (ClearFolder(folder, {kNumberingMarkName, kSaveFolderLockName}) == -1 ||
        HighestPhotoNumber(state) >= 1) {
        // What is left no longer agrees with the project: the mark stays, and the next
        // numbering or opening says so, as after a kill.
        state.numberingMark.clear();
        prompter.inform(msg::cannotDeleteSequence, state.titleText);
        return false;
    }
    return true;
}

// A stopped run leaves the folder it stopped in unnumbered: its copies, numbers first to
// last, go again, with their lines of the conversion log (logSize: its size before them).
// Were they kept, the saved project would give them no range and the next append would
// number the same photos twice; a range for the part copied would leave the rest of that
// folder never numbered. A rebuild numbers no later row either, unless it was giving the
// saved numbers again (with orders): those rows keep them, and the mark, for the next try.
void undoUnfinishedRow(ProjectState &state, const ModeChoice &chosen, int row, int first, int last,
                       qint64 logSize)
{
    for (int n = first; n <= last; ++n)
        removeFile(sequentialFilePath(state.workFolder, state.filePrefix, n));
    QFile log(joinPath(state.workFolder, kConversionLogName));
    if (log.exists())
        log.resize(logSize);
    if (chosen.mode != Mode::Rebuild || chosen.fixedStart > 0)
        return;
    for (int r = row; r <= state.folders.folderCount; ++r) {
        state.grid.rows[r][ColStart].clear();
        state.grid.rows[r][ColEnd].clear();
    }
}

// Every row's folder holds photos numbering can copy and log; false after telling the operator
// what stands in the way.
bool sourcesCanBeNumbered(const ProjectState &state, Prompter &prompter, Mode mode,
                          const QString &folder)
{
    QString problems;
    const OwnFolders own(state.saveFolder);
    for (int r = 1; r <= state.folders.folderCount; ++r) {
        const GridRow &cells = state.grid.rows[r];
        const bool include = cells[ColInclude] == QLatin1String("1");
        const int count = parseAtol(include ? cells[ColAllJpegs] : cells[ColDirectJpegs]);
        if (count < 1) {
            problems += (include ? msg::noJpegsAll : msg::noJpegsDirect).arg(r);
            continue;
        }
        const bool willCopy = mode == Mode::Rebuild || !state.grid.isNumbered(r);
        if (willCopy) {
            const UnsafeEntry bad = firstUnsafeEntry(cells[ColPath], include, own);
            if (!bad.path.isEmpty())
                problems += (bad.undecodable ? msg::undecodableName : msg::unloggableName)
                                .arg(QString::number(r), bad.path);
        }
    }
    if (!fitsCp932(folder))
        problems += msg::unloggableFolder.arg(folder);
    if (problems.isEmpty())
        return true;
    prompter.inform(problems, state.titleText);
    return false;
}

// The first number of the run: the one a rebuild must keep, or the operator's. -2 when the
// operator cancelled, -1 after telling why the number cannot be used.
int chooseStartNumber(const ProjectState &state, Prompter &prompter, const SequenceHooks &hooks,
                      const ModeChoice &chosen, int highest)
{
    const QString &caption = state.titleText;
    const int start = chosen.fixedStart > 0
                          ? chosen.fixedStart
                          : hooks.askStartNumber(chosen.mode == Mode::Append ? highest : 0);
    if (start == -2)
        return -2;
    if (start <= 0) {
        prompter.inform(msg::startInvalid, caption);
        return -1;
    }
    if (start >= kStartNumberLimit) {
        prompter.inform(msg::startTooHigh, caption);
        return -1;
    }
    if (chosen.mode == Mode::Append && start < highest) {
        prompter.inform(msg::startBelowExisting, caption);
        return -1;
    }
    return start;
}

// The last checks before the first change to the numbered folder, then the mark that stays
// until a save records the numbers (a rebuild empties the folder under it). False after
// telling the operator.
bool prepareNumberedFolder(ProjectState &state, Prompter &prompter, Mode mode,
                           const QString &folder)
{
    const QString &caption = state.titleText;
    // Before anything is deleted: a rebuild from an empty list (a reopened project whose
    // project file is gone) would otherwise throw away numbering that cannot be made again.
    if (state.folders.folderCount == 0) {
        prompter.inform(msg::noSourceFolders, caption);
        return false;
    }
    if (mode == Mode::Rebuild) {
        for (int r = 1; r <= state.folders.folderCount; ++r) {
            if (state.folders.entries[r - 1].changed == 1) {
                prompter.inform(msg::sourcesChanged, caption);
                return false;
            }
        }
        return emptyForRebuild(state, prompter, folder);
    }
    if (!markNumberingStarted(state)) {
        prompter.inform(msg::cannotMarkSequence.arg(folder), caption);
        return false;
    }
    return true;
}

// The row's numbers and counts as the project will record them.
void recordNumberedRow(ProjectState &state, int r, int first, int lastNumber, int given)
{
    GridRow &cells = state.grid.rows[r];
    if (given < 1) {
        cells[ColStart] = QStringLiteral("0");
        cells[ColEnd] = QStringLiteral("0");
    } else {
        cells[ColStart] = QString::number(first);
        cells[ColEnd] = QString::number(lastNumber);
    }
    FolderEntry &entry = state.folders.entries[r - 1];
    cells[ColSubfolders] = QString::number(entry.subfolderCount);
    cells[ColFiles] = QString::number(entry.totalFileCount);
    cells[ColDirectJpegs] = QString::number(entry.directJpegCount);
    cells[ColAllJpegs] = QString::number(entry.allJpegCount);
    entry.changed = 0;
    state.selectedRow = r;
}

struct CopyTally {
    int unlogged = 0;    // copies whose log line could not be written
    QStringList notJpeg; // numbered files that are not JPEG images, told at the end
};

// Copies the rows' folders in turn from start. 0, or -2 when a row stopped (its copies undone).
int numberRows(ProjectState &state, Services &services, const SequenceHooks &hooks,
               const ModeChoice &chosen, int start, int highest, CopyTally *tally)
{
    const QString &folder = state.workFolder;
    int lastNumber = start - 1;
    for (int r = 1; r <= state.folders.folderCount; ++r) {
        GridRow &cells = state.grid.rows[r];
        if (chosen.mode == Mode::Append && state.grid.isNumbered(r))
            continue;
        const int first = lastNumber + 1;
        const qint64 logSize = QFileInfo(joinPath(folder, kConversionLogName)).size();
        const qsizetype notJpegBefore = tally->notJpeg.size();
        if (CopyFolderToSequence(state, services, cells[ColPath],
                                 cells[ColInclude] == QLatin1String("1"), lastNumber,
                                 &tally->unlogged, &tally->notJpeg) == SequenceStopped) {
            undoUnfinishedRow(state, chosen, r, first, lastNumber, logSize);
            tally->notJpeg.resize(notJpegBefore); // those copies are gone again
            hooks.setBusyCursor(false);
            services.prompter.inform(msg::copyStopped.arg(cells[ColPath]), state.titleText);
            hooks.setBusyCursor(true);
            return -2;
        }
        const int given = lastNumber - (chosen.mode == Mode::Append ? highest : 0);
        recordNumberedRow(state, r, first, lastNumber, given);
        hooks.rowDone(r);
    }
    return 0;
}

// Puts the copies on the disk, tells what went wrong and saves the project; false when the
// disk or the log did not take everything.
bool finishNumbering(ProjectState &state, Services &services, const SequenceHooks &hooks,
                     const CopyTally &tally)
{
    const QString &caption = state.titleText;
    const QString &folder = state.workFolder;
    Prompter &prompter = services.prompter;
    // The log is how the folder list check finds what was copied: a copy it does not record
    // is a write that failed, not a run that went well. The project records what was copied
    // either way; the folder opens only once it is safe.
    return finishOnDisk(
        services, caption, folder, hooks.flushToDisk, hooks.diskStatus, {folder},
        [&](bool flushed) {
            if (flushed && tally.unlogged > 0)
                prompter.inform(msg::logNotWritten.arg(joinPath(folder, kConversionLogName)),
                                caption);
            if (!tally.notJpeg.isEmpty())
                prompter.inform(msg::notJpegImages.arg(undecodableList(tally.notJpeg)), caption);
            // Copies the disk did not confirm may be gone after a power cut: the mark stays
            // for the next opening to compare the folder with the saved project.
            if (!flushed)
                state.numberingMark.clear();
            if (hooks.saveProject)
                hooks.saveProject();
            return tally.unlogged == 0;
        });
}

} // namespace

int CreateSequentialFiles(ProjectState &state, Services &services, const SequenceHooks &hooks)
{
    Prompter &prompter = services.prompter;
    if (!hasNameAndFolder(state, prompter))
        return -1;
    const QString folder = sequenceFolder(state);
    if (!ensureFolder(state, prompter, state.saveFolder) || !ensureFolder(state, prompter, folder))
        return -1;
    // Held to the end: another copy emptying or filling the folder meanwhile would leave
    // numbers that belong to neither run.
    const std::unique_ptr<SaveFolderLock> lock =
        lockSaveFolder(state.saveFolder, folder, state.titleText, prompter);
    if (!lock)
        return -1;

    const int highest = HighestPhotoNumber(state);
    const std::optional<ModeChoice> chosen = chooseMode(state, prompter, hooks, highest);
    if (!chosen || !sourcesCanBeNumbered(state, prompter, chosen->mode, folder))
        return -1;
    const int start = chooseStartNumber(state, prompter, hooks, *chosen, highest);
    if (start < 0)
        return start;
    state.workFolder = folder;
    if (!prepareNumberedFolder(state, prompter, chosen->mode, folder))
        return -1;

    // What a run that was killed half way left: a copy is whole only under its final name.
    // One left behind is hidden and never taken for a photo; the next run sweeps again.
    if (!removeStaleNumberingTemporaries(state.saveFolder))
        qWarning("temporaries of interrupted copies may be left in %s", qUtf8Printable(folder));
    hooks.setBusyCursor(true);
    state.busy = true;
    CopyTally tally;
    int result = numberRows(state, services, hooks, *chosen, start, highest, &tally);
    state.buttons = RowButtons{false, false, false};
    state.dirty = true;
    if (!finishNumbering(state, services, hooks, tally))
        result = result == 0 ? -3 : result;
    hooks.setBusyCursor(false);
    state.busy = false;
    return result;
}

} // namespace mf
