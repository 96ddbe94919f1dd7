#include "app/Application.h"

#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

namespace mf {

QFont windowFont()
{
    // One proportional Japanese font; the system's default would fall back to the monospaced
    // Gothic for Japanese text.
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

void setUpLocalisation(QApplication &app)
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QApplication::setFont(windowFont());
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
