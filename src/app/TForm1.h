#pragma once
// The main window: the current project, its source folder list and the commands.

#include "platform/Services.h"
#include "project/OutputFormat.h"
#include "project/ProjectCommands.h"
#include "project/ProjectState.h"
#include "sheets/ui/TForm2.h"
#include "ui_TForm1.h"

#include <QMainWindow>

#include <functional>

namespace mf {

class FolderGridModel;
class TForm7;

// The controls and menus come from the form TForm1.ui.
class TForm1 : public QMainWindow, private Ui::TForm1 {
    Q_OBJECT
public:
    TForm1(const QString &programFolder, Services &services, FolderChooser &chooser,
           QWidget *parent = nullptr);
    ~TForm1() override;

    const ProjectState &state() const { return m_state; }
    ProjectState &state() { return m_state; }
    OutputFormatStatus startStatus() const { return m_startStatus; }
    void setStartNumberDialog(TForm7 *dialog) { m_startDialog = dialog; }
    // The title and custom size dialogs the sample sheet window opens.
    void setSampleWindowLinks(const SampleWindowLinks &links) { m_sampleLinks = links; }
    // The order entry window: opening it, and the question about its unsaved orders before
    // a new project, a reopen or quitting drops them (true: go on).
    void setOrderWindowLinks(std::function<void()> open, std::function<bool()> settleUnsaved)
    {
        m_openOrders = std::move(open);
        m_settleOrders = std::move(settleUnsaved);
    }

    // The per-order export window: opening it, and whether a run of it goes on (the order
    // table must not be reset under it).
    void setExportWindowLinks(std::function<void()> open, std::function<bool()> busy)
    {
        m_openExport = std::move(open);
        m_exportBusy = std::move(busy);
    }

    // The project management window, which rewrites the work log.
    void setManagementWindowLink(std::function<void()> open) { m_openManagement = std::move(open); }
    // Reads the work log again after it was rewritten and shows the new list.
    void reloadHistory();

    // Where the manual is looked for after the program folder (the help menu's item shows
    // only while one is found).
    void setManualFolders(const ManualFolders &folders);

    // Shows the state in the controls (texts, list, grid, buttons, thumbnails).
    void refreshView();

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();
    void BitBtn11Click();
    void BitBtn12Click();
    void ComboBox1Change(int index);
    void Edit1Change(const QString &text);
    void Edit2Change(const QString &text);
    void Edit3Change(const QString &text);
    void StringGrid1SelectCell(int row, int column);
    void C1Click();
    void M3Click();
    void PDFH1Click();
    void V1Click();
    // Folders dropped from the file manager; point in window coordinates.
    void dropPaths(const QStringList &paths, const QPoint &point);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpControls();
    void setUpGrid(const QImage &unchecked, const QImage &checked);
    void connectControls();
    void connectMenus();
    void refreshHistoryList();
    void refreshGrid();
    void selectGridCellSilently(int row, int column);
    int askStartNumber(int highest);
    // The numbering command; rebuildAgreed when the operator chose the rebuild on opening.
    void runNumbering(bool rebuildAgreed);
    bool ordersMayBeDropped() { return !m_settleOrders || m_settleOrders(); }
    bool exportRunning() const { return m_exportBusy && m_exportBusy(); }
    void whileIdle(const std::function<void()> &command);
    void updateManualItem();

    ProjectState m_state;
    Services &m_services;
    FolderChooser &m_chooser;
    OutputFormatStatus m_startStatus = OutputFormatStatus::NotFound;
    TForm7 *m_startDialog = nullptr;
    SampleWindowLinks m_sampleLinks{[] { return TitleSettings{}; },
                                    [] {},
                                    [](OutputSizeTable &, int) { return -1; },
                                    {},
                                    {},
                                    {}};
    std::function<void()> m_openOrders;
    std::function<bool()> m_settleOrders;
    std::function<void()> m_openExport;
    std::function<bool()> m_exportBusy;
    std::function<void()> m_openManagement;
    ManualFolders m_manualFolders;
    FolderGridModel *m_model = nullptr;
    bool m_gridPressPending = false; // a mouse press on the grid not yet handled
};

} // namespace mf
