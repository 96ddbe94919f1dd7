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
    const QString besideExe = joinPath(executableFolder, kFormatFile);
    if (isFile(besideExe) && exeDir.isWritable())
        return withTrailingSeparator(executableFolder);

    // A read-only folder beside the executable (an install on a read-only share) still
    // brings its own format file: seed from it rather than from the installed one.
    makePath(userDataFolder);
    const QString seeded = joinPath(userDataFolder, kFormatFile);
    const QString seedFrom =
        isFile(besideExe) ? besideExe : joinPath(installedDataFolder, kFormatFile);
    if (!pathExists(seeded) && isFile(seedFrom)) {
        if (copyFile(seedFrom, seeded) == CopyResult::Copied)
            makeWritable(seeded);
    }
    return withTrailingSeparator(userDataFolder);
}

} // namespace mf
