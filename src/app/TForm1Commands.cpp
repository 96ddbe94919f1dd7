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

void TForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto item = [this](QMenu *menu, const char *name, const QString &caption, auto slot) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu *project = bar->addMenu(QStringLiteral("プロジェクト(&F)"));
    project->setObjectName(QStringLiteral("N1"));
    // The usual shortcuts besides the mnemonics; the menus show them.
    item(project, "N6", QStringLiteral("新規プロジェクト(&N)"), &TForm1::BitBtn9Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    item(project, "C1", QStringLiteral("フォルダリストのチェック(&C)"), &TForm1::C1Click);
    item(project, "M3", QStringLiteral("プロジェクトの管理(&M)"), &TForm1::M3Click);
    item(project, "N7", QStringLiteral("プロジェクトの保存(&S)"), &TForm1::BitBtn8Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    project->addSeparator()->setObjectName(QStringLiteral("N8"));
    item(project, "N9", QStringLiteral("終了(&Q)"), &TForm1::BitBtn11Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *edit = bar->addMenu(QStringLiteral("\u3000編集(&E)\u3000"));
    edit->setObjectName(QStringLiteral("N2"));
    item(edit, "N10", QStringLiteral("連番ファイルの作成(&R)"), &TForm1::BitBtn6Click);
    item(edit, "M1", QStringLiteral("写真サンプルの作成(&L)"), &TForm1::BitBtn7Click);
    item(edit, "I1", QStringLiteral("写真注文の入力   (&I)"), &TForm1::BitBtn12Click);
    item(edit, "M2", QStringLiteral("注文別に画像保存(&M)"), &TForm1::BitBtn10Click);

    QMenu *help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("N3"));
    PDFH1 = item(help, "PDFH1", QStringLiteral("説明書PDFを開く(&H)"), &TForm1::PDFH1Click);
    PDFH1->setShortcut(QKeySequence(Qt::Key_F1));
    PDFH1->setVisible(false);
    // Looked for each time the menu opens, so a manual copied in later shows without a restart.
    connect(help, &QMenu::aboutToShow, this, &TForm1::updateManualItem);
    item(help, "V1", QStringLiteral("バージョン情報(&A)"), &TForm1::V1Click);
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
