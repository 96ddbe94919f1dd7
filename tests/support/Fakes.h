#pragma once
// Test doubles of the services: a scripted prompter that records every box and fails the
// test on a question nobody expected, a pump that can act in the middle of a long run, a
// clock that moves only when told, and a shell that records what was opened.

#include "platform/Services.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct RecordedBox {
    QString text;
    QString caption;
    bool question = false;
    mf::Buttons buttons = mf::Buttons::YesNo;
    bool warningIcon = false;
};

class ScriptedPrompter : public mf::Prompter {
public:
    void inform(const QString &text, const QString &caption) override;
    mf::Answer ask(const QString &text, const QString &caption, mf::Buttons buttons,
                   bool warningIcon) override;

    // Queues the answer for the next question.
    void expect(mf::Answer answer) { m_answers.append(answer); }
    void expect(std::initializer_list<mf::Answer> answers)
    {
        for (mf::Answer a : answers)
            m_answers.append(a);
    }
    int pendingAnswers() const { return int(m_answers.size()); }
    // Texts of every box shown, in order.
    QStringList texts() const;
    QList<RecordedBox> boxes;
    // Runs while a question is open, before it is answered (a real box would take the focus).
    std::function<void()> whileAsking;
    // Set when a question came with no scripted answer.
    bool unexpectedQuestion = false;

private:
    QList<mf::Answer> m_answers;
};

class FakePump : public mf::EventPump {
public:
    void processPendingEvents() override
    {
        ++calls;
        if (onPump)
            onPump(calls);
    }
    int calls = 0;
    std::function<void(int)> onPump;
};

class FakeClock : public mf::Clock {
public:
    quint64 tick() override { return now_ms; }
    void pause(int ms) override { now_ms += quint64(ms); }
    QDateTime now() override { return dateTime; }
    quint64 now_ms = 100000;
    QDateTime dateTime = QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7));
};

class RecordingShell : public mf::Shell {
public:
    bool open(const QString &path) override
    {
        opened.append(path);
        return !failing;
    }
    QStringList opened;   // every path asked for, also those that failed
    bool failing = false; // as on a desktop with nothing set up to open files and folders
};

class FakeChooser : public mf::FolderChooser {
public:
    QString chooseFolder() override
    {
        ++calls;
        return next;
    }
    QString next;
    int calls = 0;
};

// All fakes together, with Services bound to them.
struct FakeServices {
    ScriptedPrompter prompter;
    FakePump pump;
    FakeClock clock;
    RecordingShell shell;
    mf::Services services{prompter, pump, clock, shell};
};
