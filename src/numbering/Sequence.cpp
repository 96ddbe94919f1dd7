#include "numbering/Sequence.h"

#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "project/DesktopOpen.h"
#include "project/FolderList.h"
#include "project/FolderLocks.h"
#include "project/UnfinishedNumbering.h"

#include <optional>

namespace mf {

namespace {

bool isPhotoName(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
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
        } else if (isPhotoName(e.name) && !fitsCp932(path)) {
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
             int &lastNumber, const OwnFolders &own, int *unlogged)
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
                copyTree(state, services, source, include, lastNumber, own, unlogged) ==
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
            const QString line = QStringLiteral("[%1] %2, %3")
                                     .arg(QString::asprintf("%04d", lastNumber), source, target);
            QByteArray record;
            if (!encodeCp932(line, &record) || !appendRecord(logPath, record + "\r\n"))
                ++*unlogged; // told once the run has ended
        } else if (services.prompter.ask(msg::copyFailedContinue.arg(source, target),
                                         state.titleText, Buttons::YesNo) != Answer::Yes) {
            return SequenceStopped;
        }
    }
    return SequenceOk;
}

} // namespace

int CopyFolderToSequence(ProjectState &state, Services &services, const QString &folder,
                         bool include, int &lastNumber, int *unlogged)
{
    state.abortRequested = false;
    int ignored = 0;
    return copyTree(state, services, folder, include, lastNumber, OwnFolders(state.saveFolder),
                    unlogged ? unlogged : &ignored);
}

UnfinishedChoice settleUnfinishedNumbering(const ProjectState &state, Prompter &prompter)
{
    const UnfinishedNumbering found = findUnfinishedNumbering(state);
    if (!found.unfinished)
        return UnfinishedChoice::None;
    if (state.orderCount() >= 1) {
        prompter.inform(msg::numberingUnfinishedOrders.arg(found.unsavedNumbers.isEmpty()
                                                               ? msg::numberingNoUnsavedNumbers
                                                               : found.unsavedNumbers),
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
    const FolderLock probe(state.saveFolder, kSaveFolderLockName);
    if (probe.status() == FolderLock::Busy)
        return UnfinishedChoice::None;
    return settleUnfinishedNumbering(state, prompter);
}

namespace {

// Rebuild or append, as the operator chooses; nothing when the operator declined or was told
// why nothing may be numbered now.
std::optional<Mode> chooseMode(const ProjectState &state, Prompter &prompter,
                               const SequenceHooks &hooks, int highest)
{
    const QString &caption = state.titleText;
    const UnfinishedChoice unfinished = hooks.rebuildAgreed && state.orderCount() == 0
                                            ? UnfinishedChoice::Rebuild
                                            : settleUnfinishedNumbering(state, prompter);
    if (unfinished == UnfinishedChoice::Refused)
        return std::nullopt;
    if (unfinished == UnfinishedChoice::Rebuild)
        return Mode::Rebuild;
    if (state.orderCount() >= 1) {
        if (prompter.ask(msg::ordersContinue, caption, Buttons::YesNo) != Answer::Yes ||
            prompter.ask(msg::ordersAppendOnly, caption, Buttons::YesNo) != Answer::Yes)
            return std::nullopt;
        return Mode::Append;
    }
    if (highest > 0)
        return prompter.ask(msg::rebuildOrAppend, caption, Buttons::YesNo) == Answer::Yes
                   ? Mode::Rebuild
                   : Mode::Append;
    return Mode::Rebuild;
}

} // namespace

int CreateSequentialFiles(ProjectState &state, Services &services, const SequenceHooks &hooks)
{
    Prompter &prompter = services.prompter;
    const QString &caption = state.titleText;
    if (state.saveFolder.isEmpty() || state.projectName.isEmpty()) {
        prompter.inform(msg::setNameAndFolder, caption);
        return -1;
    }
    const QString folder = sequenceFolder(state);
    if (!ensureFolder(state, prompter, state.saveFolder) || !ensureFolder(state, prompter, folder))
        return -1;
    // Held to the end: another copy emptying or filling the folder meanwhile would leave
    // numbers that belong to neither run.
    const std::unique_ptr<FolderLock> lock = lockSaveFolder(state.saveFolder, caption, prompter);
    if (!lock)
        return -1;

    const int highest = HighestPhotoNumber(state);
    const std::optional<Mode> chosen = chooseMode(state, prompter, hooks, highest);
    if (!chosen)
        return -1;
    const Mode mode = *chosen;

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
    if (!problems.isEmpty()) {
        prompter.inform(problems, caption);
        return -1;
    }

    const int start = hooks.askStartNumber(mode == Mode::Append ? highest : 0);
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
    if (mode == Mode::Append && start < highest) {
        prompter.inform(msg::startBelowExisting, caption);
        return -1;
    }

    state.workFolder = folder;
    int lastNumber = start - 1;

    // Before anything is deleted: a rebuild from an empty list (a reopened project whose
    // project file is gone) would otherwise throw away numbering that cannot be made again.
    if (state.folders.folderCount == 0) {
        prompter.inform(msg::noSourceFolders, caption);
        return -1;
    }

    if (mode == Mode::Rebuild) {
        for (int r = 1; r <= state.folders.folderCount; ++r) {
            if (state.folders.entries[r - 1].changed == 1) {
                prompter.inform(msg::sourcesChanged, caption);
                return -1;
            }
        }
        if (ClearFolder(folder) == -1 || HighestPhotoNumber(state) >= 1) {
            prompter.inform(msg::cannotDeleteSequence, caption);
            return -1;
        }
    }
    // From the first copy until a save records the numbers.
    if (!markNumberingStarted(state)) {
        prompter.inform(msg::cannotMarkSequence.arg(folder), caption);
        return -1;
    }

    // What a run that was killed half way left: a copy is whole only under its final name.
    removeStaleTemporaries(folder);
    hooks.setBusyCursor(true);
    state.busy = true;
    int result = 0;
    int unlogged = 0; // copies whose log line could not be written
    for (int r = 1; r <= state.folders.folderCount; ++r) {
        GridRow &cells = state.grid.rows[r];
        if (mode == Mode::Append && state.grid.isNumbered(r))
            continue;
        const int first = lastNumber + 1;
        if (CopyFolderToSequence(state, services, cells[ColPath],
                                 cells[ColInclude] == QLatin1String("1"), lastNumber,
                                 &unlogged) == SequenceStopped) {
            hooks.setBusyCursor(false);
            prompter.inform(msg::copyStopped.arg(cells[ColPath]), caption);
            hooks.setBusyCursor(true);
            result = -2;
            break;
        }
        const int given = lastNumber - (mode == Mode::Append ? highest : 0);
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
        hooks.rowDone(r);
    }

    state.buttons = RowButtons{false, false, false};
    state.dirty = true;
    // The log is how the folder list check finds what was copied: a copy it does not record
    // is a write that failed, not a run that went well. The project records what was copied
    // either way; the folder opens only once it is safe.
    const bool onDisk = finishOnDisk(
        services, caption, folder, hooks.flushToDisk, hooks.diskStatus, {folder},
        [&](bool flushed) {
            if (flushed && unlogged > 0)
                prompter.inform(msg::logNotWritten.arg(joinPath(folder, kConversionLogName)),
                                caption);
            if (hooks.saveProject)
                hooks.saveProject();
            return unlogged == 0;
        });
    if (!onDisk)
        result = result == 0 ? -3 : result;
    hooks.setBusyCursor(false);
    state.busy = false;
    return result;
}

} // namespace mf
