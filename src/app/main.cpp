#include "app/Application.h"
#include "app/TForm1.h"
#include "export/ui/TForm5.h"
#include "numbering/ui/TForm7.h"
#include "orders/OrderHooksBinding.h"
#include "orders/ui/OrderFileDialogs.h"
#include "orders/ui/TForm4.h"
#include "platform/SystemServices.h"
#include "platform/ui/DialogServices.h"
#include "project/ui/TForm8.h"
#include "sheets/ui/TForm10.h"
#include "sheets/ui/TForm2.h"
#include "sheets/ui/TForm3.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace {

// An error that escapes an event handler is shown and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &e) {
            QMessageBox::critical(nullptr, QStringLiteral("Marrowfold"),
                                  QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(nullptr, QStringLiteral("Marrowfold"),
                                  QStringLiteral("予期しないエラーが発生しました。"));
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marrowfold"));
    QApplication::setOrganizationName(QStringLiteral("Marrowfold"));
    mf::setUpLocalisation(app);

    mf::QtEventPump pump;
    mf::SystemClock clock;
    mf::DesktopShell shell;
    // The message boxes belong to the main window, which does not exist yet while it is
    // being created: during the start-up they have no parent.
    mf::MessageBoxPrompter prompter(nullptr);
    mf::FileDialogFolderChooser chooser(nullptr);
    mf::Services services{prompter, pump, clock, shell};

    mf::TForm1 mainWindow(mf::programFolderForThisRun(), services, chooser);
    mainWindow.setManualFolders(mf::manualFoldersForThisRun());
    // From now on a box shown while no window of ours is active still belongs to this one.
    prompter.setFallbackParent(&mainWindow);
    chooser.setFallbackParent(&mainWindow);
    // The other long-lived windows follow in their order as they are built.
    mf::FileDialogOrderChooser orderChooser(&mainWindow);
    mf::TForm4 orderWindow(mainWindow.state(), services, orderChooser, &mainWindow);
    mainWindow.setOrderWindowLinks([&orderWindow] { orderWindow.exec(); },
                                   [&orderWindow] { return orderWindow.settleUnsavedOrders(); });
    mf::TForm5 exportWindow(mainWindow.state(), orderWindow.table(), mainWindow.startStatus(),
                            services, &mainWindow);
    mainWindow.setExportWindowLinks([&exportWindow] { exportWindow.exec(); },
                                    [&exportWindow] { return exportWindow.exportBusy(); });
    mainWindow.state().orders = mf::MakeOrderHooks(
        orderWindow.table(), mainWindow.state(), prompter,
        [&orderWindow] { orderWindow.tableWasReset(); },
        [&exportWindow] { exportWindow.clearExportTable(); });
    mf::TForm7 startNumberDialog(mainWindow.state().titleText, &mainWindow);
    mainWindow.setStartNumberDialog(&startNumberDialog);
    mf::TForm8 managementWindow(
        mainWindow.state(), services, [&mainWindow] { mainWindow.reloadHistory(); }, &mainWindow);
    mainWindow.setManagementWindowLink([&managementWindow] { managementWindow.exec(); });
    mf::TForm10 titleDialog(mainWindow.state().titleText, mainWindow.state().programFolder,
                            prompter, &mainWindow);
    titleDialog.setProjectName([&mainWindow] { return mainWindow.state().projectName; });

    // The sample sheet window is made anew each time; these reach the dialogs it opens.
    mf::SampleWindowLinks links;
    links.titleSettings = [&titleDialog] { return titleDialog.settings(); };
    links.openTitleSettings = [&titleDialog] { titleDialog.exec(); };
    links.openCustomSize = [&mainWindow, &prompter](mf::OutputSizeTable &sizes, int selected) {
        mf::TForm3 dialog(sizes, selected, mainWindow.state().programFolder,
                          mainWindow.state().titleText, prompter, QApplication::activeWindow());
        dialog.exec();
        return dialog.registeredIndex();
    };
    links.selectedSizeSource = [&titleDialog](std::function<const mf::OutputSize *()> source) {
        titleDialog.setSelectedSize(std::move(source));
    };
    mainWindow.setSampleWindowLinks(links);

    mainWindow.show();
    return app.exec();
}
