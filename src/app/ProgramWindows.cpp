#include "app/ProgramWindows.h"

#include "app/TForm1.h"
#include "export/ui/TForm5.h"
#include "numbering/ui/TForm7.h"
#include "orders/OrderHooksBinding.h"
#include "orders/ui/TForm4.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "project/ui/TForm8.h"
#include "sheets/ui/TForm10.h"
#include "sheets/ui/TForm2.h"
#include "sheets/ui/TForm3.h"

#include <QApplication>
#include <QSettings>

namespace mf {

ProgramWindows::ProgramWindows(const QString &programFolder, Services &services,
                               FolderChooser &chooser, OrderFileChooser &orderChooser,
                               const std::function<void(TForm1 &)> &mainWindowBuilt)
{
    m_main = std::make_unique<TForm1>(programFolder, services, chooser);
    TForm1 &mainWindow = *m_main;
    if (mainWindowBuilt)
        mainWindowBuilt(mainWindow);

    m_orders = std::make_unique<TForm4>(mainWindow.state(), services, orderChooser, &mainWindow);
    TForm4 &orderWindow = *m_orders;
    mainWindow.setOrderWindowLinks([&orderWindow] { orderWindow.exec(); },
                                   [&orderWindow] { return orderWindow.settleUnsavedOrders(); });
    m_export = std::make_unique<TForm5>(mainWindow.state(), orderWindow.table(),
                                        mainWindow.startStatus(), services, &mainWindow);
    TForm5 &exportWindow = *m_export;
    mainWindow.setExportWindowLinks([&exportWindow] { exportWindow.exec(); },
                                    [&exportWindow] { return exportWindow.exportBusy(); });
    mainWindow.state().orders = MakeOrderHooks(
        orderWindow.table(), mainWindow.state(), services.prompter,
        [&orderWindow] { orderWindow.tableWasReset(); },
        [&exportWindow] { exportWindow.clearExportTable(); });
    m_startNumber = std::make_unique<TForm7>(mainWindow.state().titleText, &mainWindow);
    mainWindow.setStartNumberDialog(m_startNumber.get());
    m_management = std::make_unique<TForm8>(
        mainWindow.state(), services, [&mainWindow] { mainWindow.reloadHistory(); }, &mainWindow);
    TForm8 &managementWindow = *m_management;
    mainWindow.setManagementWindowLink([&managementWindow] { managementWindow.exec(); });
    m_title =
        std::make_unique<TForm10>(mainWindow.state().titleText, mainWindow.state().programFolder,
                                  services.prompter, &mainWindow);
    TForm10 &titleDialog = *m_title;
    titleDialog.setProjectName([&mainWindow] { return mainWindow.state().projectName; });

    // The sample sheet window is made anew each time; these reach the dialogs it opens.
    SampleWindowLinks links;
    links.titleSettings = [&titleDialog] { return titleDialog.settings(); };
    links.openTitleSettings = [&titleDialog] { titleDialog.exec(); };
    links.openCustomSize = [&mainWindow, &services](OutputSizeTable &sizes, int selected) {
        TForm3 dialog(sizes, selected, mainWindow.state().programFolder,
                      mainWindow.state().titleText, services.prompter,
                      QApplication::activeWindow());
        dialog.exec();
        return dialog.registeredIndex();
    };
    links.selectedSizeSource = [&titleDialog](std::function<const OutputSize *()> source) {
        titleDialog.setSelectedSize(std::move(source));
    };
    // The operator's view of the preview, kept in the program folder with its other files.
    const QString preferences =
        joinPath(programFolder, programFileName(programfile::kWindowSettings));
    links.fitPreview = [preferences] {
        return QSettings(preferences, QSettings::IniFormat).value("preview/fit", true).toBool();
    };
    links.setFitPreview = [preferences](bool fit) {
        QSettings(preferences, QSettings::IniFormat).setValue("preview/fit", fit);
    };
    mainWindow.setSampleWindowLinks(links);
}

ProgramWindows::~ProgramWindows()
{
    // The windows go in the reverse order of their making, the main window last.
    m_title.reset();
    m_management.reset();
    m_startNumber.reset();
    m_export.reset();
    m_orders.reset();
    m_main.reset();
}

} // namespace mf
