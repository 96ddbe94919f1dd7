#pragma once
// What windows do to the controls their forms cannot hold: the form name as object name
// (tests and UI automation find controls by it), the style's glyphs on buttons, and the grids
// whose cells run a rule.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QString>
#include <QStyle>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <utility>

namespace mf {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The style's own glyph on each button: a form can name icon files, not the style's icons.
inline void
setGlyphs(std::initializer_list<std::pair<QAbstractButton *, QStyle::StandardPixmap>> glyphs)
{
    for (const auto &[button, glyph] : glyphs)
        button->setIcon(button->style()->standardIcon(glyph));
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
