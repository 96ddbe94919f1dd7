#include "app/FolderGridModel.h"

#include "project/FolderList.h"
#include "project/ProjectState.h"

#include <QPainter>

namespace mf {

FolderGridModel::FolderGridModel(const ProjectState &state, QObject *parent)
    : QAbstractTableModel(parent), m_state(state)
{}

int FolderGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kGridRows;
}

int FolderGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kGridColumns;
}

QVariant FolderGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (col == ColCheck || col == ColInclude)
            return {};
        return m_state.grid.cell(row, col);
    case Qt::AccessibleTextRole: return m_state.grid.cell(row, col);
    case Qt::ToolTipRole: // a path cut off in its cell shows whole
        return col == ColPath ? QVariant(m_state.grid.cell(row, col)) : QVariant();
    case Qt::TextAlignmentRole:
        return col == ColPath ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                              : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (col == ColNumber)
            return QColor(240, 240, 240);
        return {};
    default: return {};
    }
}

QVariant FolderGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_state.grid.cell(0, section);
    return {};
}

void FolderGridModel::refresh()
{
    // The shape never changes (200 rows, 10 columns); a reset would lose the scroll position.
    Q_EMIT dataChanged(index(0, 0), index(kGridRows - 1, kGridColumns - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kGridColumns - 1);
}

QImage checkBoxGlyph(bool ticked)
{
    QImage img(13, 13, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, 12, 12);
    if (ticked) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 2));
        p.drawPolyline(QPolygonF({QPointF(3, 6.5), QPointF(5.5, 9), QPointF(10, 3.5)}));
    }
    return img;
}

FolderGridDelegate::FolderGridDelegate(const ProjectState &state, const QImage &unchecked,
                                       const QImage &checked, QObject *parent)
    : QStyledItemDelegate(parent), m_state(state), m_unchecked(unchecked), m_checked(checked)
{}

void FolderGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    if (index.column() == ColNumber) {
        // The fixed column is only 20 pixels wide: "200" must fit without margins.
        painter->fillRect(option.rect, QColor(240, 240, 240));
        painter->setPen(QColor(Qt::black));
        painter->drawText(option.rect, Qt::AlignCenter, index.data().toString());
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
    const int row = index.row() + 1;
    const CellStyle style = cellStyle(m_state, row, index.column());
    if (style.background) {
        // The selected row has the one highlight colour of the rest of its cells.
        painter->fillRect(option.rect, style.selectedText
                                           ? option.palette.color(QPalette::Highlight)
                                           : *style.background);
        painter->setPen(style.selectedText ? option.palette.color(QPalette::HighlightedText)
                                           : QColor(Qt::black));
        const auto align = index.column() == ColPath ? (Qt::AlignLeft | Qt::AlignTop)
                                                     : (Qt::AlignRight | Qt::AlignVCenter);
        painter->drawText(option.rect.adjusted(2, 2, -2, 0), int(align),
                          m_state.grid.cell(row, index.column()));
    }
    if (style.check != CheckGlyph::None) {
        const QImage &glyph = style.check == CheckGlyph::Ticked ? m_checked : m_unchecked;
        painter->drawImage(option.rect.topLeft() + QPoint(4, 4), glyph);
    }
}

} // namespace mf
