#pragma once
// The per-order export window: the range of orderers, the layout of the sample text and the
// two options, the order check, and the export run with its progress. Made once per run of
// the program; it shows a copy of the order table taken at every showing.

#include "export/OrderExport.h"
#include "orders/OrderTable.h"
#include "platform/Services.h"
#include "project/OutputFormat.h"
#include "project/ProjectState.h"
#include "ui_TForm5.h"

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

class QLabel;
class QProgressBar;
class QStatusBar;

namespace mf {

class OrderTableModel;

inline constexpr int kExportWindowWidth = 1000;
inline constexpr int kExportWindowHeight = 469;
// After a finished run, the time the opened texts and folder get to come up before the
// buttons answer again.
inline constexpr int kExportSettleMs = 2000;

// The controls come from the form TForm5.ui, but for the status line.
class TForm5 : public QDialog, private Ui::TForm5 {
    Q_OBJECT
public:
    // orders is the order entry window's table; formatStatus how outputFmt.def was read.
    TForm5(const ProjectState &project, const OrderTable &orders, OutputFormatStatus formatStatus,
           Services &services, QWidget *parent = nullptr);
    ~TForm5() override;

    // A run (with its closing wait) is in progress: the order table must stay as it is.
    bool exportBusy() const { return m_running; }
    const ExportState &exportState() const { return m_state; }
    // The main window reset the order table: the copy shown here goes too.
    void clearExportTable();

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    // The close box, "閉じる" and Esc: while a run goes on, a stop request instead.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildStatusLine();
    void startRun(bool checkOnly);
    void runOnce(bool checkOnly);
    void showRow(int row);
    void showProgress(int done, int total);
    void settleAfterRun();

    const ProjectState &m_project;
    const OrderTable &m_orders;
    Services &m_services;
    std::unique_ptr<OrderTable> m_table; // the copy shown and exported
    ExportState m_state;
    OrderTableModel *m_model = nullptr;
    bool m_running = false;
    bool m_closeAfterRun = false;
    bool m_clearAfterRun = false;
    QElapsedTimer m_sincePump; // copies of one order row pump now and then too

    QStatusBar *StatusBar1;
    QProgressBar *ProgressBar1;
    QLabel *ElapsedLabel;
};

} // namespace mf
