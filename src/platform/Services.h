#pragma once
// The services the core calls. Windows implement them with the toolkit; tests with fakes
// (tests/support/Fakes.h), so every operation runs and is tested without a window.

#include <QDateTime>
#include <QString>

#include <chrono>
#include <future>

namespace mf {

enum class Answer { Yes, No, Cancel };
enum class Buttons { YesNo, YesNoCancel };

// Modal message boxes.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void inform(const QString &text, const QString &caption) = 0;
    virtual Answer ask(const QString &text, const QString &caption, Buttons buttons,
                       bool warningIcon = false) = 0;
};

// Lets the window repaint and take keys between the items of a long operation; abort flags
// are read right after it.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processPendingEvents() = 0;
};

// Waits for work running on another thread while the window keeps taking its events: every
// 20 ms, well under the quarter second after which a window that does not answer looks frozen.
template <class T> T awaitPumping(std::future<T> &work, EventPump &pump)
{
    while (work.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        pump.processPendingEvents();
    return work.get();
}

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds.
    virtual quint64 tick() = 0;
    virtual void pause(int milliseconds) = 0;
    virtual QDateTime now() = 0;
};

// Opens a document or folder with the application the desktop associates with it.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool open(const QString &path) = 0;
};

// The folder chooser; an empty result means nothing was chosen.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    virtual QString chooseFolder() = 0;
};

struct Services {
    Prompter &prompter;
    EventPump &pump;
    Clock &clock;
    Shell &shell;
};

} // namespace mf
