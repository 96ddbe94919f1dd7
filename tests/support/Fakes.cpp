#include "Fakes.h"

#include <QTest>

void ScriptedPrompter::inform(const QString &text, const QString &caption)
{
    boxes.append(RecordedBox{text, caption, false, mf::Buttons::YesNo, false});
}

mf::Answer ScriptedPrompter::ask(const QString &text, const QString &caption, mf::Buttons buttons,
                                 bool warningIcon)
{
    boxes.append(RecordedBox{text, caption, true, buttons, warningIcon});
    if (whileAsking)
        whileAsking();
    if (m_answers.isEmpty()) {
        unexpectedQuestion = true;
        qWarning("unexpected question: %s", qPrintable(text));
        return buttons == mf::Buttons::YesNoCancel ? mf::Answer::Cancel : mf::Answer::No;
    }
    return m_answers.takeFirst();
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const RecordedBox &b : boxes)
        out.append(b.text);
    return out;
}
