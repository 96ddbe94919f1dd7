#include "platform/ProgramFolder.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QFileInfo>

#include <algorithm>
#include <iterator>

namespace mf {

namespace {

const QString kFormatFile = programFileName(programfile::kOutputFormat);

bool hasShapeOf(QStringView name, const ProgramFileName &file)
{
    if (!name.startsWith(file.head) || !name.endsWith(file.tail) ||
        name.size() < file.head.size() + file.tail.size())
        return false;
    const QStringView middle =
        name.sliced(file.head.size(), name.size() - file.head.size() - file.tail.size());
    switch (file.middle) {
    case ProgramFileName::Nothing: return middle.isEmpty();
    case ProgramFileName::Name: return true;
    case ProgramFileName::Number:
        return middle.size() == 5 && std::all_of(middle.begin(), middle.end(),
                                                 [](QChar c) { return c >= u'0' && c <= u'9'; });
    }
    return false;
}

} // namespace

QString programFileName(const ProgramFileName &file)
{
    return file.head.toString() + file.tail.toString();
}

QString programFileName(const ProgramFileName &file, int number)
{
    return file.head.toString() + QString::asprintf("%05d", number) + file.tail.toString();
}

QString programFileName(const ProgramFileName &file, const QString &name)
{
    return file.head.toString() + name + file.tail.toString();
}

bool isSavedWholeProgramFileName(QStringView name)
{
    return std::any_of(
        std::begin(programfile::kAll), std::end(programfile::kAll),
        [name](const ProgramFileName &file) { return file.savedWhole && hasShapeOf(name, file); });
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
