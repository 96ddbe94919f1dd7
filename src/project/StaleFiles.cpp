#include "project/StaleFiles.h"

#include "platform/FileSystem.h"
#include "project/WorkLog.h"

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

} // namespace mf
