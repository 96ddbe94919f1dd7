#pragma once
// A grid whose first column (the row numbers) stays in place while the other columns scroll
// sideways, so the operator keeps the row in sight in a wide order table.

#include <QTableView>

namespace mf {

class FixedColumnTableView : public QTableView {
    Q_OBJECT
public:
    explicit FixedColumnTableView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    void setSelectionModel(QItemSelectionModel *selectionModel) override;
    // The first column is always in sight: going to one of its cells (a window showing a row,
    // a click on a row number) scrolls to the row only, not back to the left edge.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    // The view that shows the first column over this one's left edge.
    QTableView *fixedColumn() const { return m_fixed; }

protected:
    void updateGeometries() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followView();

    QTableView *m_fixed;
};

} // namespace mf
