#pragma once
// The services that show something: message boxes and the folder chooser.

#include "platform/Services.h"

class QWidget;

namespace mf {

class MessageBoxPrompter : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget *parent) : m_parent(parent) {}
    void inform(const QString &text, const QString &caption) override;
    Answer ask(const QString &text, const QString &caption, Buttons buttons,
               bool warningIcon) override;

private:
    QWidget *m_parent;
};

class FileDialogFolderChooser : public FolderChooser {
public:
    explicit FileDialogFolderChooser(QWidget *parent) : m_parent(parent) {}
    QString chooseFolder() override;

private:
    QWidget *m_parent;
};

} // namespace mf
