#include "platform/SystemServices.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QThread>
#include <QUrl>

namespace mf {

void QtEventPump::processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

SystemClock::SystemClock()
{
    m_timer.start();
}

quint64 SystemClock::tick()
{
    return static_cast<quint64>(m_timer.elapsed());
}

void SystemClock::pause(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

QDateTime SystemClock::now()
{
    return QDateTime::currentDateTime();
}

bool DesktopShell::open(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace mf
