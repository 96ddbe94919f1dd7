#pragma once
// The services that show something: message boxes and the folder chooser.

#include "platform/Services.h"

#include <QPointer>
#include <QWidget>

namespace mf {

// A box or chooser belongs to the window the operator is working in: it is centred on it and
// kept above it. That is the active modal window (a dialog in front), else the active window,
// else the window given here, which may be none while the main window is still being built.
class OwnedByActiveWindow {
public:
    explicit OwnedByActiveWindow(QWidget *fallback) : m_fallback(fallback) {}
    void setFallbackParent(QWidget *fallback) { m_fallback = fallback; }
    QWidget *ownerWindow() const;

private:
    QPointer<QWidget> m_fallback;
};

class MessageBoxPrompter : public Prompter, public OwnedByActiveWindow {
public:
    explicit MessageBoxPrompter(QWidget *parent) : OwnedByActiveWindow(parent) {}
    void inform(const QString &text, const QString &caption) override;
    Answer ask(const QString &text, const QString &caption, Buttons buttons,
               bool warningIcon) override;
};

class FileDialogFolderChooser : public FolderChooser, public OwnedByActiveWindow {
public:
    explicit FileDialogFolderChooser(QWidget *parent) : OwnedByActiveWindow(parent) {}
    QString chooseFolder() override;
};

} // namespace mf
