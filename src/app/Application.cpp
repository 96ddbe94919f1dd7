#include "app/Application.h"

#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

namespace mf {

void setUpLocalisation(QApplication &app)
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    // One proportional Japanese font for every window and message box; the system's default
    // would fall back to the monospaced Gothic for Japanese text.
    QFont ui(QStringLiteral("ＭＳ Ｐゴシック"));
    ui.setPixelSize(12);
    QApplication::setFont(ui);
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/marrowfold.svg"));
}

QString programFolderForThisRun()
{
    return resolveProgramFolder(QApplication::applicationDirPath(),
                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                                QStringLiteral(MARROWFOLD_SHARE_DIR));
}

ManualFolders manualFoldersForThisRun()
{
    return {QApplication::applicationDirPath(), QStringLiteral(MARROWFOLD_DOC_DIR)};
}

} // namespace mf
