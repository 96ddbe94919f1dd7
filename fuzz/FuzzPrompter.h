#pragma once
// A message box that answers Yes and No in turn, so that a harness goes down both paths of
// every question a damaged file raises.

#include "platform/Services.h"

namespace mf::fuzz {

class AlternatingPrompter : public Prompter {
public:
    explicit AlternatingPrompter(bool startWithYes = true) : m_yes(startWithYes) {}
    void inform(const QString &, const QString &) override {}
    Answer ask(const QString &, const QString &, Buttons, bool) override
    {
        const Answer answer = m_yes ? Answer::Yes : Answer::No;
        m_yes = !m_yes;
        return answer;
    }

private:
    bool m_yes;
};

// Always Yes: for reading back what was just written, where no question should come up.
class YesPrompter : public Prompter {
public:
    void inform(const QString &, const QString &) override {}
    Answer ask(const QString &, const QString &, Buttons, bool) override { return Answer::Yes; }
};

} // namespace mf::fuzz
