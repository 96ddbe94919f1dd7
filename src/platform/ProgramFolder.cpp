#include "platform/ProgramFolder.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QFileInfo>

namespace mf {

namespace {
const QString kFormatFile = QStringLiteral("outputFmt.def");
}

QString resolveProgramFolder(const QString &executableFolder, const QString &userDataFolder,
                             const QString &installedDataFolder)
{
    const QFileInfo exeDir(executableFolder);
    if (isFile(joinPath(executableFolder, kFormatFile)) && exeDir.isWritable())
        return withTrailingSeparator(executableFolder);

    makePath(userDataFolder);
    const QString seeded = joinPath(userDataFolder, kFormatFile);
    const QString installed = joinPath(installedDataFolder, kFormatFile);
    if (!pathExists(seeded) && isFile(installed)) {
        if (copyFile(installed, seeded) == CopyResult::Copied)
            makeWritable(seeded);
    }
    return withTrailingSeparator(userDataFolder);
}

} // namespace mf
