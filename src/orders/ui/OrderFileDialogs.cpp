#include "orders/ui/OrderFileDialogs.h"

#include <QFileDialog>

namespace mf {

QString FileDialogOrderChooser::chooseOrderFileToOpen(const QString &programFolder)
{
    QFileDialog dialog(ownerWindow(), QStringLiteral("注文データを開く"), programFolder,
                       QStringLiteral("csvファイル (*.csv);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(QStringLiteral("*.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileDialogOrderChooser::chooseOrderFileToSave(const QString &suggestedPath)
{
    QFileDialog dialog(ownerWindow(), QStringLiteral("ファイルを保存"), suggestedPath,
                       QStringLiteral("Map files (*.csv);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace mf
