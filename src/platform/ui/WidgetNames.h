#pragma once
// What every window does to its controls: the form name as object name (tests and UI
// automation find controls by it), and a hint that assistive technology reads too.

#include <QPushButton>
#include <QString>
#include <QStyle>
#include <QWidget>

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

} // namespace mf
