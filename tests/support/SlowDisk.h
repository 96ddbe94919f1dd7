#pragma once
// A disk that takes its time to confirm a run's writes: its flush returns only after the window
// has taken its events (the fake pump turned) twice while it waited. A flush run on the
// window's thread sees no turn and reports that the disk did not confirm, so the run fails
// loudly instead of the test hanging.

#include "Fakes.h"

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

struct SlowDisk {
    explicit SlowDisk(FakePump &pump)
    {
        pump.onPump = [this, chained = pump.onPump](int calls) {
            if (m_flushing)
                ++m_turns;
            if (chained)
                chained(calls);
        };
    }
    std::function<bool(const QString &)> flush(bool works = true)
    {
        return [this, works](const QString &folder) {
            flushed.append(folder);
            offThread = QThread::currentThread() != m_window;
            m_turns = 0;
            m_flushing = true;
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (m_turns < 2 && std::chrono::steady_clock::now() < giveUp && offThread)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            m_flushing = false;
            return works && m_turns >= 2;
        };
    }
    // The status texts shown, in order; an empty one clears.
    std::function<void(const QString &)> status()
    {
        return [this](const QString &text) { statuses.append(text); };
    }

    QStringList flushed;
    QStringList statuses;
    bool offThread = false;

private:
    QThread *m_window = QThread::currentThread();
    std::atomic<bool> m_flushing{false};
    std::atomic<int> m_turns{0};
};
