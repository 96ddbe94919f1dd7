#pragma once
// What every window does to its controls: the form name as object name (tests and UI
// automation find controls by it), and a hint that assistive technology reads too.

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <QWidget>

#include <functional>

namespace mf {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline void setHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint);
    widget->setAccessibleDescription(hint);
}

// A button with a glyph that never answers Enter: only a click (or its own key) presses it, so
// a value typed and confirmed out of habit changes nothing.
inline QPushButton *glyphButton(QWidget *parent, const char *name, const QString &caption,
                                QStyle::StandardPixmap icon, const QRect &geometry)
{
    auto *b = named(new QPushButton(parent->style()->standardIcon(icon), caption, parent), name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

// A grid whose cells run a rule when chosen (a tick, a delete mark). A click runs it even on
// the cell that is already current (a second click undoes the first), so clicks come from
// pressed(); a change of the current cell runs it only when the keyboard made it, or the
// click would count twice. pressPending is set by the window when a mouse press reaches the
// grid and cleared here once the press is handled.
inline void connectCellChoice(QAbstractItemView *grid, QObject *context, bool &pressPending,
                              const std::function<void(int row, int column)> &choose)
{
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, context,
                     [&pressPending, choose](const QModelIndex &current) {
                         if (current.isValid() && !pressPending)
                             choose(current.row() + 1, current.column());
                     });
    QObject::connect(grid, &QAbstractItemView::pressed, context,
                     [&pressPending, choose](const QModelIndex &index) {
                         pressPending = false;
                         choose(index.row() + 1, index.column());
                     });
}

} // namespace mf
