// The main window's commands: the menus and the buttons of the top row.

#include "app/TForm1.h"
#include "numbering/Sequence.h"
#include "numbering/StartNumber.h"
#include "numbering/ui/TForm7.h"
#include "project/FolderList.h"
#include "project/FolderRepair.h"
#include "project/ProjectCommands.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTableView>
#include <new>

namespace mf {

void TForm1::connectMenus()
{
    // The usual shortcuts besides the mnemonics are the form's; the menus show them.
    const std::pair<QAction *, void (TForm1::*)()> items[] = {
        {N6, &TForm1::BitBtn9Click},  {C1, &TForm1::C1Click},       {M3, &TForm1::M3Click},
        {N7, &TForm1::BitBtn8Click},  {N9, &TForm1::BitBtn11Click}, {N10, &TForm1::BitBtn6Click},
        {M1, &TForm1::BitBtn7Click},  {I1, &TForm1::BitBtn12Click}, {M2, &TForm1::BitBtn10Click},
        {PDFH1, &TForm1::PDFH1Click}, {V1, &TForm1::V1Click}};
    for (const auto &[action, slot] : items)
        connect(action, &QAction::triggered, this, slot);
    // Looked for each time the menu opens, so a manual copied in later shows without a restart.
    connect(N3, &QMenu::aboutToShow, this, &TForm1::updateManualItem);
}

void TForm1::BitBtn5Click()
{
    whileIdle([this] { chooseSaveFolder(m_state, m_services.prompter, m_chooser.chooseFolder()); });
}

int TForm1::askStartNumber(int highest)
{
    if (!m_startDialog)
        return kStartCancelled;
    m_startDialog->SetStartNumber(highest);
    m_startDialog->exec();
    return m_startDialog->GetStartNumber();
}

void TForm1::BitBtn6Click()
{
    runNumbering(false);
}

void TForm1::runNumbering(bool rebuildAgreed)
{
    if (m_state.busy)
        return;
    BitBtn6->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { BitBtn6->setEnabled(true); });
    SequenceHooks hooks;
    hooks.rebuildAgreed = rebuildAgreed;
    hooks.askStartNumber = [this](int highest) { return askStartNumber(highest); };
    hooks.setBusyCursor = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    hooks.rowDone = [this](int row) {
        selectGridCellSilently(row, m_state.selectedColumn);
        refreshGrid();
    };
    hooks.diskStatus = [this](const QString &status) { StatusBar1->showMessage(status); };
    hooks.saveProject = [this] {
        const int rc = SaveProject(m_state, m_services);
        refreshView();
        return rc;
    };
    CreateSequentialFiles(m_state, m_services, hooks);
    refreshView();
}

void TForm1::BitBtn7Click()
{
    if (!mayOpenSampleSheets(m_state, m_services.prompter))
        return;
    // A new window each time: its options and series start afresh.
    try {
        TForm2 window(m_state, m_services, m_sampleLinks, this);
        m_state.sampleWindowOpen = true;
        const auto closed = qScopeGuard([this] { m_state.sampleWindowOpen = false; });
        window.exec();
    } catch (const std::bad_alloc &) {
        m_services.prompter.inform(msg::sheetsNoMemory, m_state.titleText);
    }
}

void TForm1::BitBtn8Click()
{
    whileIdle([this] { SaveProject(m_state, m_services); });
}

void TForm1::BitBtn9Click()
{
    // A new project resets the order table, which a running export still reads.
    if (m_state.busy || exportRunning())
        return;
    if (!ordersMayBeDropped()) {
        refreshView();
        return;
    }
    if (newProject(m_state, m_services))
        StringGrid1->scrollToTop();
    refreshView();
}

void TForm1::BitBtn10Click()
{
    if (exportRunning() || !mayExportOrders(m_state, m_services.prompter))
        return;
    if (m_openExport)
        m_openExport();
}

void TForm1::BitBtn11Click()
{
    close();
}

void TForm1::BitBtn12Click()
{
    if (!mayEnterOrders(m_state, m_services.prompter))
        return;
    if (m_openOrders)
        m_openOrders();
}

void TForm1::C1Click()
{
    // Numbering copies and saves into the projects the check may rewrite.
    if (m_state.busy || !mayCheckFolderLists(m_state, m_services.prompter))
        return;
    const FolderCheckResult result =
        CheckFolderLists(m_state.programFolder, m_state.titleText, m_services.prompter);
    if (result.code < 0) {
        m_services.prompter.inform(msg::folderCheckIncomplete, m_state.titleText);
        return;
    }
    // Repaired project files change what the history's projects hold.
    LoadHistory(m_state, m_services.prompter);
    refreshView();
}

void TForm1::M3Click()
{
    // Numbering saves the project into the work log while it runs.
    if (m_state.busy || !mayManageProjects(m_state, m_services.prompter))
        return;
    if (m_openManagement)
        m_openManagement();
}

void TForm1::setManualFolders(const ManualFolders &folders)
{
    m_manualFolders = folders;
    updateManualItem();
}

void TForm1::updateManualItem()
{
    PDFH1->setVisible(!findManual(m_state.programFolder, m_manualFolders).path.isEmpty());
}

void TForm1::PDFH1Click()
{
    openManual(m_state, m_manualFolders, m_services.prompter, m_services.shell);
}

void TForm1::V1Click()
{
    showVersion(m_services.prompter);
}

} // namespace mf
