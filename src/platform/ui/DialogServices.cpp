#include "platform/ui/DialogServices.h"

#include <QFileDialog>
#include <QMessageBox>

namespace mf {

void MessageBoxPrompter::inform(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

Answer MessageBoxPrompter::ask(const QString &text, const QString &caption, Buttons buttons,
                               bool warningIcon)
{
    QMessageBox::StandardButtons set = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel)
        set |= QMessageBox::Cancel;
    QMessageBox box(warningIcon ? QMessageBox::Warning : QMessageBox::Question, caption, text, set,
                    m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
    }
}

QString FileDialogFolderChooser::chooseFolder()
{
    return QFileDialog::getExistingDirectory(m_parent, QString(), QString(),
                                             QFileDialog::ShowDirsOnly);
}

} // namespace mf
