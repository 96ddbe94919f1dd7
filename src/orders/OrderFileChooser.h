#pragma once
// The file dialogs of the order commands. The windows implement them with Qt's file
// dialogs; tests with fakes, so saving and loading orders run without a window.

#include <QString>

namespace mf {

class OrderFileChooser {
public:
    virtual ~OrderFileChooser() = default;
    // "注文データを開く": an open dialog for one existing file, filter
    // "csvファイル (*.csv)" then "All files (*.*)", starting in programFolder with the
    // name "*.csv". The chosen full path, or an empty text when cancelled.
    virtual QString chooseOrderFileToOpen(const QString &programFolder) = 0;
    // "ファイルを保存": a save dialog starting at suggestedPath (its folder, its name filled
    // in), filter "Map files (*.csv)" then "All files (*.*)"; asks before overwriting, needs
    // an existing folder. The chosen full path, or an empty text when cancelled.
    virtual QString chooseOrderFileToSave(const QString &suggestedPath) = 0;
};

} // namespace mf
