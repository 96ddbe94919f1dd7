#include "platform/ui/FixedColumnTableView.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

namespace mf {

FixedColumnTableView::FixedColumnTableView(QWidget *parent)
    : QTableView(parent), m_fixed(new QTableView(this))
{
    // Columns slide under the fixed one pixel by pixel, never a whole column at a time.
    setHorizontalScrollMode(ScrollPerPixel);
    m_fixed->setObjectName(QStringLiteral("fixedColumn"));
    m_fixed->setAccessibleName(QStringLiteral("行番号"));
    m_fixed->setFocusPolicy(Qt::NoFocus);
    m_fixed->setFrameShape(QFrame::NoFrame);
    m_fixed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setEditTriggers(NoEditTriggers);
    m_fixed->verticalHeader()->hide();
    m_fixed->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fixed->horizontalHeader()->setMinimumSectionSize(0);
    m_fixed->viewport()->installEventFilter(this);
    m_fixed->hide();

    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_fixed->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_fixed->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical) {
        if (logical == 0)
            followView();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { m_fixed->setRowHeight(logical, size); });
}

void FixedColumnTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    m_fixed->setModel(model);
    m_fixed->setSelectionModel(selectionModel());
    for (int c = 1; model && c < model->columnCount(); ++c)
        m_fixed->setColumnHidden(c, true);
    followView();
}

void FixedColumnTableView::setSelectionModel(QItemSelectionModel *selectionModel)
{
    QTableView::setSelectionModel(selectionModel);
    if (m_fixed->model() == model())
        m_fixed->setSelectionModel(selectionModel);
}

void FixedColumnTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (index.column() == 0 && !m_fixed->isHidden())
        horizontalScrollBar()->setValue(sideways);
}

void FixedColumnTableView::updateGeometries()
{
    QTableView::updateGeometries();
    followView();
}

void FixedColumnTableView::followView()
{
    // The settings a window makes on the grid after creating it hold for the fixed column too.
    const int width = isColumnHidden(0) ? 0 : columnWidth(0);
    m_fixed->setSelectionBehavior(selectionBehavior());
    m_fixed->setSelectionMode(selectionMode());
    m_fixed->setWordWrap(wordWrap());
    m_fixed->verticalHeader()->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
    m_fixed->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    QHeaderView *heading = m_fixed->horizontalHeader();
    heading->setDefaultAlignment(horizontalHeader()->defaultAlignment());
    heading->setHighlightSections(horizontalHeader()->highlightSections());
    heading->setVisible(horizontalHeader()->isVisible());
    heading->setFixedHeight(horizontalHeader()->height());
    m_fixed->setColumnWidth(0, width);
    const int left = frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0);
    const int top = horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0;
    m_fixed->setGeometry(left, frameWidth(), width, top + viewport()->height());
    m_fixed->verticalScrollBar()->setValue(verticalScrollBar()->value());
    m_fixed->setVisible(width > 0 && model());
}

bool FixedColumnTableView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_fixed->viewport())
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        // A click on a row number is the grid's own click on that row's first cell, wherever
        // the grid is scrolled to: the window's selection rules see no difference.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPointF at(columnViewportPosition(0) + mouse->position().x(), mouse->position().y());
        QMouseEvent forwarded(mouse->type(), at, mouse->globalPosition(), mouse->button(),
                              mouse->buttons(), mouse->modifiers(), mouse->pointingDevice());
        QCoreApplication::sendEvent(viewport(), &forwarded);
        return true;
    }
    case QEvent::Wheel: QCoreApplication::sendEvent(viewport(), event); return true;
    default: return false;
    }
}

} // namespace mf
