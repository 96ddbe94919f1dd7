#include "project/StaleFiles.h"

#include "photos/NumberedPhotos.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "project/UnfinishedNumbering.h"
#include "project/WorkLog.h"

namespace mf {

bool removeStaleProgramTemporaries(const QString &programFolder)
{
    return removeStaleTemporaries(programFolder, isSavedWholeProgramFileName);
}

bool removeStaleNumberingTemporaries(const QString &saveFolder)
{
    return removeStaleTemporaries(sequenceFolderOf(saveFolder),
                                  [](QStringView name) { return name == kNumberingMarkName; });
}

} // namespace mf
