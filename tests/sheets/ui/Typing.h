#pragma once
// Typing into a field as an operator would: ASCII key by key, Japanese as an input method
// commits it.

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

inline void typeInto(QLineEdit *edit, const QString &text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const bool ascii = text.at(i).unicode() < 0x80;
        qsizetype end = i;
        while (end < text.size() && (text.at(end).unicode() < 0x80) == ascii)
            ++end;
        const QString run = text.mid(i, end - i);
        if (ascii) {
            QTest::keyClicks(edit, run);
        } else {
            QInputMethodEvent event;
            event.setCommitString(run);
            QApplication::sendEvent(edit, &event);
        }
        i = end;
    }
}
