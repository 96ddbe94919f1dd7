#include "platform/ui/DialogServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace mf {

namespace {

// A long operation shows the busy cursor; a box it asks in must not look busy, or the
// operator waits for a question that is waiting for them. The busy cursor comes back after.
class ArrowCursorWhileShown {
public:
    ArrowCursorWhileShown() : m_busy(QApplication::overrideCursor() != nullptr)
    {
        if (m_busy)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowCursorWhileShown()
    {
        if (m_busy)
            QApplication::restoreOverrideCursor();
    }
    ArrowCursorWhileShown(const ArrowCursorWhileShown &) = delete;
    ArrowCursorWhileShown &operator=(const ArrowCursorWhileShown &) = delete;

private:
    bool m_busy;
};

// The window under a box gets the keyboard back when the box closes. A window system without
// a window manager (Xvfb, a kiosk session) leaves the focus nowhere: the keys typed next went
// to whichever field had it last, without its text selected.
void giveBackActivation(const QMessageBox &box)
{
    if (QWidget *owner = box.parentWidget(); owner && owner->isVisible())
        owner->activateWindow();
}

} // namespace

QWidget *OwnedByActiveWindow::ownerWindow() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_fallback;
}

void MessageBoxPrompter::inform(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, ownerWindow());
    const ArrowCursorWhileShown arrow;
    box.exec();
    giveBackActivation(box);
}

Answer MessageBoxPrompter::ask(const QString &text, const QString &caption, Buttons buttons,
                               bool warningIcon)
{
    QMessageBox::StandardButtons set = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel)
        set |= QMessageBox::Cancel;
    QMessageBox box(warningIcon ? QMessageBox::Warning : QMessageBox::Question, caption, text, set,
                    ownerWindow());
    box.setDefaultButton(QMessageBox::Yes);
    const ArrowCursorWhileShown arrow;
    const int answer = box.exec();
    giveBackActivation(box);
    switch (answer) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
    }
}

QString FileDialogFolderChooser::chooseFolder()
{
    return QFileDialog::getExistingDirectory(ownerWindow(), QString(), QString(),
                                             QFileDialog::ShowDirsOnly);
}

} // namespace mf
