#pragma once
// StringGrid1's view of the project's grid texts, and the drawing rules of its cells.

#include <QAbstractTableModel>
#include <QImage>
#include <QStyledItemDelegate>

namespace mf {

struct ProjectState;

class FolderGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FolderGridModel(const ProjectState &state, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void refresh();

private:
    const ProjectState &m_state;
};

// Draws the grey and dark-blue folder cells of numbered rows, the light-red count cells and
// the check boxes of folders with subfolders.
class FolderGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    FolderGridDelegate(const ProjectState &state, const QImage &unchecked, const QImage &checked,
                       QObject *parent = nullptr);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    const ProjectState &m_state;
    QImage m_unchecked;
    QImage m_checked;
};

// The 13 x 13 check box glyphs.
QImage checkBoxGlyph(bool ticked);

} // namespace mf
