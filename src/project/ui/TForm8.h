#pragma once
// The project management window: the work log's records in a grid, delete marks, and the
// rewrite of the work log without the marked records.

#include "platform/Services.h"
#include "project/ProjectState.h"
#include "project/WorkLogRewrite.h"
#include "ui_TForm8.h"

#include <QDialog>

#include <functional>

namespace mf {

class HistoryMarksModel;

// The controls come from the form TForm8.ui.
class TForm8 : public QDialog, private Ui::TForm8 {
    Q_OBJECT
public:
    // historyRewritten runs after every successful rewrite (the main window reloads its list).
    TForm8(const ProjectState &state, Services &services, std::function<void()> historyRewritten,
           QWidget *parent = nullptr);

    const ManagedHistory &history() const { return m_history; }

    void done(int result) override;

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void StringGrid1SelectCell(int row, int column);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reload();
    bool rewrite();
    void showSelectedRow();

    const ProjectState &m_state;
    Services &m_services;
    std::function<void()> m_historyRewritten;
    ManagedHistory m_history;
    HistoryMarksModel *m_model = nullptr;
    bool m_gridPressPending = false;
};

} // namespace mf
