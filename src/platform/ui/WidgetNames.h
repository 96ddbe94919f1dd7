#pragma once
// What every window does to its controls: the form name as object name (tests and UI
// automation find controls by it), and a hint that assistive technology reads too.

#include <QString>
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

} // namespace mf
