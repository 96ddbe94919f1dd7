#include "project/StaleFiles.h"

#include "export/OrderExport.h"
#include "photos/NumberedPhotos.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "project/FolderLocks.h"
#include "project/UnfinishedNumbering.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

namespace mf {

namespace {

// stem, then exactly five digits, then ".txt": "project00012.txt", "work_log00003.txt".
bool isNumberedName(QStringView name, QLatin1String stem)
{
    if (name.size() != stem.size() + 5 + 4 || !name.startsWith(stem) ||
        !name.endsWith(QLatin1String(".txt")))
        return false;
    for (QChar c : name.sliced(stem.size(), 5)) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

bool isProgramFolderFileName(QStringView name)
{
    return name == kWorkLogName || isNumberedName(name, QLatin1String("work_log")) ||
           isNumberedName(name, QLatin1String("project")) || name.endsWith(QLatin1String(".csv")) ||
           name.endsWith(u"_注文リスト.txt") || name.endsWith(QLatin1String("_title.dat")) ||
           name == QLatin1String("Marrowfold.ini");
}

void removeStaleProgramTemporaries(const QString &programFolder)
{
    removeStaleTemporaries(programFolder, isProgramFolderFileName);
}

void removeStaleProjectTemporaries(const QString &saveFolder)
{
    if (saveFolder.isEmpty())
        return;
    const QString numbered = sequenceFolderOf(saveFolder);
    const QString exported = exportFolderOf(saveFolder);
    if (anotherCopyWorksIn({saveFolder, numbered, exported}))
        return;
    removeStaleTemporaries(numbered, [](QStringView name) { return name == kNumberingMarkName; });
    removeStaleTemporaries(exported, [](QStringView name) {
        return name == kSampleListName || name == kOrdererSampleListName || name == kExportMarkName;
    });
    for (const DirEntry &e : listEntries(exported)) {
        if (e.isDir)
            removeStaleTemporaries(joinPath(exported, e.name));
    }
    removeStaleTemporaries(pageFolder(saveFolder), isPageFileName);
}

} // namespace mf
