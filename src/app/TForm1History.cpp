// The main window's history list: what it shows, and reopening a project from it.

#include "app/TForm1.h"
#include "export/OrderExport.h"
#include "numbering/Sequence.h"
#include "photos/NumberedPhotos.h"
#include "project/FolderLocks.h"
#include "project/ProjectCommands.h"
#include "project/StaleFiles.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

namespace mf {

namespace {

// What a killed run left in the folders the project's runs write, unless another copy works
// there now: its temporaries are copies under way. A sweep that fails tells the operator
// nothing; the next opening and each run sweep again.
void sweepProjectFolders(const QString &saveFolder)
{
    if (anotherCopyWorksIn({saveFolder, sequenceFolderOf(saveFolder), exportFolderOf(saveFolder)}))
        return;
    const bool numbered = removeStaleNumberingTemporaries(saveFolder);
    const bool exported = removeStaleExportTemporaries(saveFolder);
    if (!(numbered && exported && removeStalePageTemporaries(saveFolder)))
        qWarning("temporaries of interrupted runs may be left below %s",
                 qUtf8Printable(saveFolder));
}

} // namespace

void TForm1::refreshHistoryList()
{
    QStringList texts;
    for (int i = 0; i < m_state.history.count; ++i)
        texts.append(historyItemText(m_state.history.entries[i]));
    QStringList listed;
    for (int i = 0; i < ComboBox1->count(); ++i)
        listed.append(ComboBox1->itemText(i));

    const QSignalBlocker block(ComboBox1);
    const int open =
        m_state.currentHistoryIndex < int(texts.size()) ? m_state.currentHistoryIndex : -1;
    if (texts != listed) {
        ComboBox1->clear();
        ComboBox1->addItems(texts);
        // Filling the list makes its first item current: show the open project, or none.
        ComboBox1->setCurrentIndex(open);
        return;
    }
    if (open >= 0) {
        if (ComboBox1->currentIndex() != open)
            ComboBox1->setCurrentIndex(open);
        return;
    }
    // No listed project is open: show none, but leave text the operator typed.
    const int shown = ComboBox1->currentIndex();
    if (shown >= 0 && ComboBox1->currentText() == ComboBox1->itemText(shown))
        ComboBox1->setCurrentIndex(-1);
}

void TForm1::ComboBox1Change(int index)
{
    if (m_state.busy || exportRunning()) {
        refreshView();
        return;
    }
    // Reopening replaces the orders by the project's own; typed text reopens nothing.
    if (index >= 0 && !ordersMayBeDropped()) {
        refreshView();
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(m_state.currentHistoryIndex);
        return;
    }
    if (reopenHistory(m_state, m_services, index))
        StringGrid1->scrollToTop();
    refreshView();
    if (index < 0)
        return; // typed text stays as typed
    {
        // After a cancel the list shows the project that is really open, not the item clicked.
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(m_state.currentHistoryIndex);
    }
    if (m_state.currentHistoryIndex != index)
        return;
    sweepProjectFolders(m_state.saveFolder);
    reportUnfinishedExport(m_state, m_services.prompter);
    if (checkUnfinishedNumberingOnOpen(m_state, m_services.prompter) == UnfinishedChoice::Rebuild)
        runNumbering(true);
}

void TForm1::reloadHistory()
{
    LoadHistory(m_state, m_services.prompter);
    refreshView();
}

} // namespace mf
