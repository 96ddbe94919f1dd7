#include "app/Application.h"
#include "app/ProgramWindows.h"
#include "app/TForm1.h"
#include "orders/ui/OrderFileDialogs.h"
#include "platform/SystemServices.h"
#include "platform/ui/DialogServices.h"
#include "project/FolderLocks.h"

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
    // Lets the desktop match the windows with the menu entry marrowfold.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("marrowfold"));
    QApplication::setWindowIcon(mf::applicationIcon());
    mf::setUpLocalisation(app);

    mf::QtEventPump pump;
    mf::SystemClock clock;
    mf::DesktopShell shell;
    // The message boxes belong to the main window, which does not exist yet while it is
    // being created: during the start-up they have no parent.
    mf::MessageBoxPrompter prompter(nullptr);
    mf::FileDialogFolderChooser chooser(nullptr);
    mf::Services services{prompter, pump, clock, shell};

    // A second copy on the same program folder would take the same project file numbers
    // and rewrite the same work log and order files as this one.
    const QString programFolder = mf::programFolderForThisRun();
    const auto onlyCopy = mf::claimProgramFolder(programFolder, mf::kTitleText, prompter);
    if (!onlyCopy)
        return 0;

    // Nothing owns the order file dialogs until the main window exists.
    mf::FileDialogOrderChooser orderChooser(nullptr);
    mf::ProgramWindows windows(programFolder, services, chooser, orderChooser,
                               [&](mf::TForm1 &mainWindow) {
                                   // From now on a box shown while no window of ours is active
                                   // still belongs to this one.
                                   prompter.setFallbackParent(&mainWindow);
                                   chooser.setFallbackParent(&mainWindow);
                                   orderChooser.setFallbackParent(&mainWindow);
                               });
    mf::TForm1 &mainWindow = windows.mainWindow();
    mainWindow.setManualFolders(mf::manualFoldersForThisRun());

    mainWindow.show();
    return app.exec();
}
