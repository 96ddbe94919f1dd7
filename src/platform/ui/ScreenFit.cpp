#include "platform/ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace mf {

QSize minimumWithin(QSize wanted, QSize available)
{
    return available.isValid() ? wanted.boundedTo(available) : wanted;
}

void fitToScreen(QWidget *window, QSize wantedMinimum, QSize available)
{
    if (!available.isValid()) {
        const QScreen *screen =
            window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            // Before the window manager has framed the window its frame is unknown: count a
            // title bar.
            QSize frame = window->frameGeometry().size() - window->geometry().size();
            if (frame.isEmpty())
                frame = QSize(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
            available = screen->availableGeometry().size() - frame;
        }
    }
    const QSize minimum = minimumWithin(wantedMinimum, available);
    window->setMinimumSize(minimum);
    if (available.isValid() &&
        (window->width() > available.width() || window->height() > available.height()))
        window->resize(window->size().boundedTo(available));
}

} // namespace mf
