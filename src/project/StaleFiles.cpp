#include "project/StaleFiles.h"

#include "export/OrderExport.h"
#include "photos/NumberedPhotos.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "project/FolderLocks.h"
#include "project/UnfinishedNumbering.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

namespace mf {

void removeStaleProgramTemporaries(const QString &programFolder)
{
    removeStaleTemporaries(programFolder, isSavedWholeProgramFileName);
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
