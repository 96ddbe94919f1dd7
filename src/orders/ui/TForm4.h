#pragma once
// The order entry window: the input group where the families' orders are typed, and the
// order table below it. Made once per run and only hidden on closing, so the table and the
// price stay between showings.

#include "orders/OrderEntry.h"
#include "orders/OrderFileChooser.h"
#include "orders/OrderTable.h"
#include "platform/Services.h"
#include "project/ProjectState.h"

#include "ui_TForm4.h"

#include <QDialog>

#include <memory>

class QTimer;

namespace mf {

class InputCellDelegate;
class InputGridModel;
class OrderTableModel;

inline constexpr int kOrderWindowWidth = 1000;
inline constexpr int kOrderWindowHeight = 654;

// The controls come from the form TForm4.ui.
class TForm4 : public QDialog, private Ui::TForm4 {
    Q_OBJECT
public:
    TForm4(const ProjectState &project, Services &services, OrderFileChooser &chooser,
           QWidget *parent = nullptr);
    ~TForm4() override;

    OrderTable &table() { return *m_table; }
    const OrderTable &table() const { return *m_table; }
    const OrderInput &input() const { return m_input; }
    QTimer *priceTimer() const { return Timer1; }

    // The main window reset the table (new project, reopen): the input group follows.
    void tableWasReset();
    // The main window's new project, reopen and quit: asks about unsaved orders; true when
    // the table may be dropped.
    bool settleUnsavedOrders();
    // Whether the typed photo number has no file in the numbered photo folder.
    bool photoMissing(const QString &number) const;

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
    void Edit2Change(const QString &text);
    void Edit2Enter();
    void Edit2Exit();
    void Timer1Timer();
    void StringGrid2SelectCell(int row);
    // Esc, the close box and "閉じる": settles a pending price, then unsaved orders.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpControls();
    void connectControls();
    // Shows the input record and the table as they are in the core.
    void refreshInput();
    void refreshTable();
    void markCurrentRow(int row);
    void stopPriceTimer();

    const ProjectState &m_project;
    Services &m_services;
    OrderFileChooser &m_chooser;
    QString m_caption;
    std::unique_ptr<OrderTable> m_table;
    OrderInput m_input;
    InputGridModel *m_inputModel = nullptr;
    OrderTableModel *m_tableModel = nullptr;
    InputCellDelegate *m_cellDelegate = nullptr;
    bool m_markingRow = false;         // a row marked by move or delete is not a selection
    bool m_rowSelectedByPress = false; // the press on the table changed the current row

    QTimer *Timer1;
};

} // namespace mf
