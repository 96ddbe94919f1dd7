#pragma once
// The order file dialogs of the windows: "注文データを開く" and the save dialog.

#include "orders/OrderFileChooser.h"
#include "platform/ui/DialogServices.h"

namespace mf {

class FileDialogOrderChooser : public OrderFileChooser, public OwnedByActiveWindow {
public:
    explicit FileDialogOrderChooser(QWidget *parent) : OwnedByActiveWindow(parent) {}
    QString chooseOrderFileToOpen(const QString &programFolder) override;
    QString chooseOrderFileToSave(const QString &suggestedPath) override;
};

} // namespace mf
