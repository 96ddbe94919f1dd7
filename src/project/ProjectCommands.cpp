#include "project/ProjectCommands.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "project/DesktopOpen.h"
#include "project/FolderList.h"
#include "project/Messages.h"
#include "project/ProjectFields.h"
#include "project/ProjectFile.h"
#include "project/StaleFiles.h"
#include "project/WorkLog.h"

namespace mf {

namespace {

// The unsaved-changes question of new project, reopen and close. True when the command
// may go on.
bool settleUnsavedChanges(ProjectState &state, Services &services)
{
    if (!state.dirty)
        return true;
    switch (services.prompter.ask(msg::unsavedChanges, state.titleText, Buttons::YesNoCancel)) {
    case Answer::Yes: return SaveProject(state, services) == SaveOk;
    case Answer::No: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

void resetOrders(ProjectState &state)
{
    if (state.orders.resetOrders)
        state.orders.resetOrders();
    if (state.orders.clearExportTable)
        state.orders.clearExportTable();
}

} // namespace

OutputFormatStatus startUp(ProjectState &state, Prompter &prompter, Clock &clock)
{
    state.history.clear();
    // Not the operator's to mend: the next start sweeps again.
    if (!removeStaleProgramTemporaries(state.programFolder))
        qWarning("temporaries of interrupted saves may be left in %s",
                 qUtf8Printable(state.programFolder));
    const OutputFormatStatus status = ReadOutputFormat(state.programFolder, &state.outputFormat);
    switch (status) {
    case OutputFormatStatus::NotFound:
        prompter.inform(msg::formatNotFound, QString());
        return status;
    case OutputFormatStatus::Damaged: prompter.inform(msg::formatDamaged, QString()); return status;
    case OutputFormatStatus::OldVersion: prompter.inform(msg::formatOldVersion, QString()); break;
    case OutputFormatStatus::Complete: break;
    }
    LoadHistory(state, prompter);
    state.titleText = kTitleText;
    state.folders.folderCount = 0;
    state.selectedRow = 1;
    state.selectedColumn = 1;
    state.currentHistoryIndex = -1;
    state.dirty = state.busy = state.sampleWindowOpen = false;
    setupGrid(state);
    clearThumbnails(state);
    state.lastSelectTime = clock.tick();
    return status;
}

bool newProject(ProjectState &state, Services &services)
{
    if (!settleUnsavedChanges(state, services))
        return false;
    state.grid.clearFolderRows();
    state.folders.clear();
    resetOrders(state);
    setSaveFolder(state, QString());
    setProjectName(state, QString());
    setSchoolCode(state, QString());
    state.workFolder.clear();
    state.filePrefix.clear();
    state.numberingMark.clear(); // an unsaved run's mark stays on the disk for its next opening
    state.currentHistoryIndex = -1;
    clearThumbnails(state);
    state.dirty = false;
    state.busy = false;
    state.buttons = RowButtons{};
    return true;
}

bool reopenHistory(ProjectState &state, Services &services, int index)
{
    if (state.busy)
        return false;
    if (!settleUnsavedChanges(state, services))
        return false;
    state.currentHistoryIndex = index;
    if (index < 0)
        return true;
    if (index < state.history.count) {
        const HistoryEntry entry = state.history.entries[index];
        state.numberingMark.clear();
        setProjectName(state, entry.projectName);
        setSaveFolder(state, entry.saveFolder);
        state.workFolder = entry.saveFolder;
        setSchoolCode(state, entry.schoolCode);
        state.grid.clearFolderRows();
        state.folders.folderCount = 0;
        QStringList undecodable;
        if (LoadProjectFile(state, entry.projectFile, &undecodable) == ProjectFileTooLarge)
            services.prompter.inform(msg::projectFileTooLarge.arg(entry.projectFile),
                                     state.titleText);
        if (!undecodable.isEmpty())
            services.prompter.inform(msg::undecodableNames.arg(undecodableList(undecodable)),
                                     state.titleText);
        if (HighestPhotoNumber(state) < 1) {
            for (int r = 1; r <= state.folders.folderCount; ++r) {
                state.grid.rows[r][ColStart].clear();
                state.grid.rows[r][ColEnd].clear();
                state.folders.entries[r - 1].changed = 0;
            }
        }
        const bool firstRowFree = !state.grid.isNumbered(1);
        state.buttons = RowButtons{false, firstRowFree, firstRowFree};
    }
    resetOrders(state);
    if (state.orders.loadProjectOrderFile && state.orders.loadProjectOrderFile() == -1 &&
        state.orders.resetOrders)
        state.orders.resetOrders();
    state.dirty = false;
    return true;
}

void chooseSaveFolder(ProjectState &state, Prompter &prompter, const QString &chosen)
{
    const QString &caption = state.titleText;
    if (chosen.size() <= 1)
        return;
    if (holdsLineBreakOrTab(chosen)) {
        prompter.inform(msg::saveFolderControlCharacters.arg(chosen), caption);
        return;
    }
    if (!isEnterableDir(chosen)) {
        prompter.inform(msg::saveFolderInvalid, caption);
        return;
    }
    const QString base = withTrailingSeparator(chosen);
    QString folder;
    if (state.projectName.isEmpty()) {
        folder = base + msg::newProjectFolder;
        if (!pathExists(folder)) {
            if (makePath(folder)) {
                setProjectName(state, msg::newProjectFolder);
            } else if (!isEnterableDir(folder)) {
                prompter.inform(msg::saveFolderNotCreatedPast.arg(folder), caption);
                return;
            }
        } else {
            bool named = false;
            for (int k = 1; k <= kMaxProjectFileNumber; ++k) {
                folder = base + msg::newProjectFolder + QString::number(k);
                if (pathExists(folder))
                    continue;
                if (!makePath(folder)) {
                    prompter.inform(msg::saveFolderCannotCreate.arg(folder), caption);
                    return;
                }
                setProjectName(state, msg::newProjectFolder + QString::number(k));
                named = true;
                break;
            }
            if (!named) {
                // Every numbered name is taken: tell the operator rather than reuse one.
                prompter.inform(msg::saveFolderCannotCreate.arg(base + msg::newProjectFolder),
                                caption);
                return;
            }
        }
    } else {
        // The project name becomes the folder's name, and part of file names.
        if (!isPlainFileName(state.projectName)) {
            prompter.inform(msg::projectNameNotFolder.arg(state.projectName), caption);
            return;
        }
        folder = base + state.projectName;
        if (!pathExists(folder) && !makePath(folder)) {
            prompter.inform(msg::saveFolderCouldNotCreate.arg(folder), caption);
            return;
        }
        if (!isEnterableDir(folder)) {
            prompter.inform(msg::saveFolderNotCreatedPast.arg(folder), caption);
            return;
        }
    }
    setSaveFolder(state, folder);
}

bool closeQuery(ProjectState &state, Services &services)
{
    if (state.dirty) {
        switch (services.prompter.ask(msg::unsavedChanges, state.titleText, Buttons::YesNoCancel)) {
        case Answer::Yes: return SaveProject(state, services) == SaveOk;
        case Answer::No: return true;
        case Answer::Cancel: return false;
        }
    }
    return services.prompter.ask(msg::confirmQuit, state.titleText, Buttons::YesNo) == Answer::Yes;
}

ManualLookup findManual(const QString &programFolder, const ManualFolders &elsewhere)
{
    ManualLookup result;
    QString folder = programFolder;
    while (folder.size() > 1 && folder.endsWith(kSeparator))
        folder.chop(1);
    if (folder.size() > 3 && folder.endsWith(QLatin1String("LOT")))
        folder.chop(3);
    if (!isEnterableDir(folder))
        return result;
    result.programFolderFound = true;
    for (const QString &candidate :
         {folder, elsewhere.executableFolder, elsewhere.installedDocFolder}) {
        if (candidate.isEmpty())
            continue;
        const QString manual = joinPath(candidate, kManualFileName);
        if (isFile(manual)) {
            result.path = manual;
            break;
        }
    }
    return result;
}

void openManual(const ProjectState &state, const ManualFolders &elsewhere, Prompter &prompter,
                Shell &shell)
{
    const ManualLookup found = findManual(state.programFolder, elsewhere);
    if (!found.programFolderFound) {
        prompter.inform(msg::programFolderMissing, QString());
        return;
    }
    if (!found.path.isEmpty())
        openOrTell(shell, prompter, found.path, state.titleText);
}

void showVersion(Prompter &prompter)
{
    prompter.inform(msg::versionText, msg::versionCaption);
}

bool mayManageProjects(const ProjectState &state, Prompter &prompter)
{
    if (state.currentHistoryIndex >= 0) {
        prompter.inform(msg::projectOpen, state.titleText);
        return false;
    }
    if (state.dirty) {
        prompter.inform(msg::projectUnsavedForManagement, state.titleText);
        return false;
    }
    return true;
}

bool mayCheckFolderLists(const ProjectState &state, Prompter &prompter)
{
    if (state.currentHistoryIndex >= 0) {
        prompter.inform(msg::projectOpen, state.titleText);
        return false;
    }
    return true;
}

bool mayOpenSampleSheets(ProjectState &state, Prompter &prompter)
{
    if (state.busy)
        return false;
    if (!hasNameAndFolder(state, prompter))
        return false;
    state.workFolder = state.saveFolder;
    return true;
}

bool mayEnterOrders(const ProjectState &state, Prompter &prompter)
{
    if (state.busy)
        return false;
    if (!hasNameAndFolder(state, prompter))
        return false;
    return true;
}

bool mayExportOrders(const ProjectState &state, Prompter &prompter)
{
    if (state.busy)
        return false;
    if (state.orderCount() < 1) {
        prompter.inform(msg::enterOrders, state.titleText);
        return false;
    }
    if (!hasNameAndFolder(state, prompter))
        return false;
    if (pathExists(state.saveFolder))
        return true;
    if (!makePath(state.saveFolder))
        prompter.inform(msg::cannotCreateSaveFolderPath.arg(state.saveFolder), state.titleText);
    else if (pathExists(state.saveFolder))
        prompter.inform(msg::createSequenceFirst, state.titleText);
    if (!isEnterableDir(state.saveFolder))
        prompter.inform(msg::cannotCreateSaveFolder, state.titleText);
    return false;
}

} // namespace mf
