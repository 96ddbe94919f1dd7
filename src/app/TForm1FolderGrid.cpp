// The main window's source folder grid: its construction, what it shows, its selection rule
// and the buttons that edit the list.

#include "app/FolderGridModel.h"
#include "app/TForm1.h"
#include "platform/ui/WidgetNames.h"
#include "project/FolderList.h"

#include <QHeaderView>
#include <QTableView>

namespace mf {

void TForm1::setUpGrid(const QImage &unchecked, const QImage &checked)
{
    // The form lets the headings be narrower than the style's minimum (the row number column
    // is 20 pixels wide) and Tab move on to the next control, the arrow keys inside the grid.
    m_model = new FolderGridModel(m_state, this);
    StringGrid1->setModel(m_model);
    StringGrid1->setItemDelegate(new FolderGridDelegate(m_state, unchecked, checked, StringGrid1));
    // A second click on a check box unticks it.
    connectCellChoice(StringGrid1, this, m_gridPressPending,
                      [this](int row, int column) { StringGrid1SelectCell(row, column); });
}

void TForm1::refreshGrid()
{
    const QSignalBlocker block(StringGrid1->selectionModel());
    m_model->refresh();
    QHeaderView *header = StringGrid1->horizontalHeader();
    for (int c = 0; c < kGridColumns; ++c) {
        if (m_state.grid.ready) {
            header->resizeSection(c, m_state.grid.widths[c]);
            StringGrid1->setColumnHidden(c, m_state.grid.widths[c] == 0);
        }
    }
    StringGrid1->setCurrentIndex(
        m_model->index(m_state.selectedRow - 1, std::max(0, m_state.selectedColumn)));
}

void TForm1::selectGridCellSilently(int row, int column)
{
    m_state.selectedRow = row;
    m_state.selectedColumn = column;
    const QSignalBlocker block(StringGrid1->selectionModel());
    const QModelIndex index = m_model->index(row - 1, column);
    StringGrid1->setCurrentIndex(index);
    StringGrid1->scrollTo(index);
}

void TForm1::StringGrid1SelectCell(int row, int column)
{
    if (!selectCell(m_state, m_services.clock, row, column)) {
        // Ignored: the grid keeps showing the row the commands act on.
        selectGridCellSilently(m_state.selectedRow, m_state.selectedColumn);
        return;
    }
    refreshView();
}

void TForm1::whileIdle(const std::function<void()> &command)
{
    // While numbering runs, the list and the project stay as the copy loop expects them.
    if (m_state.busy)
        return;
    command();
    refreshView();
}

void TForm1::BitBtn1Click()
{
    whileIdle([this] { addChosenFolder(m_state, m_services.prompter, m_chooser.chooseFolder()); });
}

void TForm1::BitBtn2Click()
{
    whileIdle([this] { moveRowUp(m_state, m_services.prompter); });
}

void TForm1::BitBtn3Click()
{
    whileIdle([this] { moveRowDown(m_state, m_services.prompter); });
}

void TForm1::BitBtn4Click()
{
    whileIdle([this] { removeRow(m_state, m_services.prompter); });
}

} // namespace mf
