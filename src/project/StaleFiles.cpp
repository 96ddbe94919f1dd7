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

bool removeStaleProgramTemporaries(const QString &programFolder)
{
    return removeStaleTemporaries(programFolder, isSavedWholeProgramFileName);
}

bool removeStaleProjectTemporaries(const QString &saveFolder)
{
    if (saveFolder.isEmpty())
        return true;
    const QString numbered = sequenceFolderOf(saveFolder);
    const QString exported = exportFolderOf(saveFolder);
    if (anotherCopyWorksIn({saveFolder, numbered, exported}))
        return false;
    // Every folder is swept even after one failed: each temporary left is one too many.
    bool swept = removeStaleTemporaries(
        numbered, [](QStringView name) { return name == kNumberingMarkName; });
    swept &= removeStaleTemporaries(exported, [](QStringView name) {
        return name == kSampleListName || name == kOrdererSampleListName || name == kExportMarkName;
    });
    bool readError = false;
    for (const DirEntry &e : listEntries(exported, nullptr, &readError)) {
        if (e.isDir)
            swept &= removeStaleTemporaries(joinPath(exported, e.name));
    }
    // The orderers' folders after a failed read went unseen: not swept.
    swept &= !readError;
    swept &= removeStaleTemporaries(pageFolder(saveFolder), isPageFileName);
    return swept;
}

} // namespace mf
