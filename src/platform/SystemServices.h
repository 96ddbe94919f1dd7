#pragma once
// The real services that need no widgets.

#include "platform/Services.h"

#include <QElapsedTimer>

namespace mf {

class QtEventPump : public EventPump {
public:
    void processPendingEvents() override;
};

class SystemClock : public Clock {
public:
    SystemClock();
    quint64 tick() override;
    void pause(int milliseconds) override;
    QDateTime now() override;

private:
    QElapsedTimer m_timer;
};

class DesktopShell : public Shell {
public:
    bool open(const QString &path) override;
};

} // namespace mf
