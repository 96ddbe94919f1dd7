#pragma once
// The two grids of the order entry window: the 20 x 5 photo cells of the input group and the
// order table, both shown straight from the core's texts.

#include "orders/OrderEntry.h"
#include "orders/OrderTable.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <bitset>
#include <functional>

namespace mf {

// StringGrid1: row r (0..19), column c (0..4) is input cell r + 1, c + 1. The row heading
// ("番号") is the grid's fixed column.
class InputGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // photoMissing tells whether a typed photo number has no file to export.
    InputGridModel(OrderInput &input, std::function<bool(const QString &)> photoMissing,
                   QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // The editor was left: the text is committed and the cell is checked for its photo.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    // A keystroke in the editor: the counts follow at once, the check waits for the leaving.
    void setTypedText(const QModelIndex &index, const QString &text);
    bool isMarked(int row, int column) const; // 1-based, as the input cells
    // The input changed under the grid (entered, selected, cancelled): show it and check
    // every filled cell again.
    void refresh();

Q_SIGNALS:
    void countsChanged();

private:
    QString &cellOf(const QModelIndex &index) const;
    OrderInput &m_input;
    std::function<bool(const QString &)> m_photoMissing;
    std::bitset<kInputRows * kInputColumns> m_marked;
};

// StringGrid2: row r (0..1999) is order row r + 1; column 0 the row number, columns 1..104
// those of the order file. The heading shows the count of orders and the sums as they change.
class OrderTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit OrderTableModel(const OrderTable &table, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void refresh();

private:
    const OrderTable &m_table;
};

// The photo cell editor: digits only as far as the length goes (the entry refuses the rest
// with its message), Enter and Right arrow handed to the window, which moves on.
class InputCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    // Asked after Enter, with the text committed: true moves to the next cell as Tab does;
    // false closes the editor and calls leaveGrid (the window moves the focus on).
    std::function<bool(const QModelIndex &)> enterMovesOn;
    std::function<void()> leaveGrid;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
};

// The order table as both order windows show it: whole rows, read-only here, fixed row height,
// headings centred, a heading wider than its column widening it rather than being cut.
// Sets up the grid a window's form placed (a FixedColumnTableView, so that the row numbers
// stay in sight while the operator scrolls through photos 20 to 100).
void setUpOrderTableView(QTableView *view, OrderTableModel *model);

} // namespace mf
