#include "orders/ui/OrderGridModels.h"

#include "platform/ui/DirectInputEdit.h"

#include <QHeaderView>

#include <QColor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace mf {

namespace {

const QColor kMissingPhoto(255, 200, 200); // light red: no file for this number
const QColor kFixedFace(240, 240, 240);

} // namespace

InputGridModel::InputGridModel(OrderInput &input, std::function<bool(const QString &)> photoMissing,
                               QObject *parent)
    : QAbstractTableModel(parent), m_input(input), m_photoMissing(std::move(photoMissing))
{}

int InputGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kInputRows;
}

int InputGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kInputColumns;
}

QString &InputGridModel::cellOf(const QModelIndex &index) const
{
    return m_input.cell(index.row() + 1, index.column() + 1);
}

QVariant InputGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return cellOf(index);
    case Qt::BackgroundRole:
        if (isMarked(index.row() + 1, index.column() + 1))
            return kMissingPhoto;
        return {};
    default: return {};
    }
}

QVariant InputGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QStringLiteral("番号");
    return QString::number(section + 1);
}

Qt::ItemFlags InputGridModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool InputGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setTypedText(index, value.toString());
    const QString &text = cellOf(index);
    m_marked[std::size_t(index.row() * kInputColumns + index.column())] =
        !text.isEmpty() && m_photoMissing && m_photoMissing(text);
    Q_EMIT dataChanged(index, index);
    return true;
}

void InputGridModel::setTypedText(const QModelIndex &index, const QString &text)
{
    QString &cell = cellOf(index);
    if (cell == text)
        return;
    cell = text;
    RecountInput(m_input);
    Q_EMIT countsChanged();
}

bool InputGridModel::isMarked(int row, int column) const
{
    return m_marked[std::size_t((row - 1) * kInputColumns + column - 1)];
}

void InputGridModel::refresh()
{
    for (std::size_t k = 0; k < m_input.photos.size(); ++k) {
        const QString &text = m_input.photos[k];
        m_marked[k] = !text.isEmpty() && m_photoMissing && m_photoMissing(text);
    }
    Q_EMIT dataChanged(index(0, 0), index(kInputRows - 1, kInputColumns - 1));
}

OrderTableModel::OrderTableModel(const OrderTable &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{}

int OrderTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kMaxOrders;
}

int OrderTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kOrderColumns + 1;
}

QVariant OrderTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? QString::number(row) : m_table.row(row).cell(index.column());
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? int(Qt::AlignCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (index.column() == 0)
            return kFixedFace;
        return {};
    default: return {};
    }
}

QVariant OrderTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    // The running figures sit under the headings of the columns they sum.
    const QLocale c = QLocale::c();
    switch (section) {
    case 0: return orderColumnHeading(0) + QStringLiteral("\n%1件").arg(m_table.orderCount);
    case ColPhotoCount:
        return orderColumnHeading(section) +
               QStringLiteral("\n計%1枚").arg(c.toString(sumOfPhotoCounts(m_table)));
    case ColTotal:
        return orderColumnHeading(section) +
               QStringLiteral("\n計%1円").arg(c.toString(sumOfTotals(m_table)));
    default: return orderColumnHeading(section) + u'\n';
    }
}

void OrderTableModel::refresh()
{
    Q_EMIT dataChanged(index(0, 0), index(kMaxOrders - 1, kOrderColumns));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kOrderColumns);
}

QWidget *InputCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                         const QModelIndex &index) const
{
    auto *editor = new DirectInputEdit(parent, DirectInputEdit::FullWidthDigits::Keep);
    editor->setFrame(false);
    editor->setMaxLength(kPhotoCellMaxChars);
    editor->setAccessibleName(
        QStringLiteral("写真番号 %1-%2")
            .arg(QString::number(index.row() + 1), QString::number(index.column() + 1)));
    auto *model = qobject_cast<InputGridModel *>(const_cast<QAbstractItemModel *>(index.model()));
    const QPersistentModelIndex cell(index);
    if (model) {
        connect(editor, &QLineEdit::textEdited, model,
                [model, cell](const QString &text) { model->setTypedText(cell, text); });
    }
    editor->setProperty("mfCell", QVariant::fromValue(cell));
    return editor;
}

bool InputCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QLineEdit *>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        // Right arrow moves on once the caret has reached the end of the number.
        const bool right =
            key == Qt::Key_Right && editor->cursorPosition() == editor->text().size();
        if (enter || right) {
            Q_EMIT commitData(editor);
            const auto cell = editor->property("mfCell").value<QPersistentModelIndex>();
            if (right || !enterMovesOn || enterMovesOn(cell)) {
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::EditNextItem);
            } else {
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
                if (leaveGrid)
                    leaveGrid();
            }
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void setUpOrderTableView(QTableView *view, OrderTableModel *model)
{
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false); // Tab leaves the table; the arrow keys move inside it
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setMinimumSectionSize(0);
    view->verticalHeader()->setDefaultSectionSize(kOrderRowHeight);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = view->horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    for (int c = 0; c <= kOrderColumns; ++c)
        header->resizeSection(c, std::max(orderColumnWidth(c), header->sectionSizeHint(c)));
}

} // namespace mf
