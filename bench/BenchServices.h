#pragma once
// The services a benchmark runs the program's operations with: every question answered Yes,
// every message printed (but the run's own completion message), nothing opened.

#include "platform/Services.h"
#include "platform/SystemServices.h"

#include <QString>

#include <cstdio>

namespace bench {

class YesPrompter : public mf::Prompter {
public:
    explicit YesPrompter(QString quiet = {}) : m_quiet(std::move(quiet)) {}
    void inform(const QString &text, const QString &) override
    {
        if (text != m_quiet)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    mf::Answer ask(const QString &, const QString &, mf::Buttons, bool) override
    {
        return mf::Answer::Yes;
    }

private:
    QString m_quiet;
};

struct NoShell : mf::Shell {
    bool open(const QString &) override { return true; }
};

struct Services {
    explicit Services(const QString &quiet = {}) : prompter(quiet) {}
    YesPrompter prompter;
    mf::QtEventPump pump;
    mf::SystemClock clock;
    NoShell shell;
    mf::Services services{prompter, pump, clock, shell};
};

} // namespace bench
