#pragma once
// The services of the manual's demo that would wait for the operator or open other programs:
// the windows get answers and choices from a script instead.

#include "orders/OrderFileChooser.h"
#include "platform/Services.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <deque>

namespace manual {

// Every question is answered Yes, the answer the demo's steps want ("overwrite?", "go on?").
// With --shots the boxes are printed, to follow the demo's steps.
class AnsweringPrompter : public mf::Prompter {
public:
    bool verbose = false;
    void inform(const QString &text, const QString &) override { log(text); }
    mf::Answer ask(const QString &text, const QString &, mf::Buttons, bool) override
    {
        log(text);
        return mf::Answer::Yes;
    }

private:
    void log(const QString &text) const
    {
        if (verbose)
            std::fprintf(stderr, "marrowfold_manual: box: %s\n",
                         qPrintable(QString(text).replace(u'\n', u' ')));
    }
};

class Pump : public mf::EventPump {
public:
    void processPendingEvents() override { QCoreApplication::processEvents(); }
};

// Time moves a second at every look, so the grid's guard against double clicks never drops a
// selection and the export's closing wait ends at once. The date is fixed: it is printed in
// the history list.
class DemoClock : public mf::Clock {
public:
    quint64 tick() override { return m_now += 1000; }
    void pause(int ms) override { m_now += quint64(ms); }
    QDateTime now() override { return date; }
    QDateTime date = QDateTime(QDate(2026, 10, 10), QTime(16, 42, 5));

private:
    quint64 m_now = 1000000;
};

// Nothing is opened: the demo's folders and texts live only as long as this run.
class QuietShell : public mf::Shell {
public:
    bool open(const QString &) override { return true; }
};

class QueuedChooser : public mf::FolderChooser {
public:
    QString chooseFolder() override
    {
        if (next.empty())
            return {};
        QString folder = next.front();
        next.pop_front();
        return folder;
    }
    std::deque<QString> next;
};

class FixedOrderChooser : public mf::OrderFileChooser {
public:
    QString chooseOrderFileToOpen(const QString &) override { return path; }
    QString chooseOrderFileToSave(const QString &suggested) override { return suggested; }
    QString path;
};

} // namespace manual
