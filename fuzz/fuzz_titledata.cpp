// "<project>_title.dat": nine lines read into the title fields.
#include "FuzzPrompter.h"
#include "FuzzTarget.h"

#include "sheets/TitleData.h"

#include <QDir>

MF_FUZZ_TARGET(titledata)
{
    const QString folder = mf::fuzz::scratchFolder() + QStringLiteral("/titledata");
    static const bool made = QDir().mkpath(folder);
    const QString project = QStringLiteral("卒業アルバム");
    if (!made ||
        !mf::fuzz::writeScratch(mf::titleDataPath(folder, project), mf::fuzz::bytesOf(data, size)))
        return 0;
    mf::TitleFields fields;
    mf::fuzz::AlternatingPrompter prompter;
    if (mf::LoadTitleData(folder, project, fields, prompter) != mf::TitleDataOk)
        return 0;
    mf::titleSettingsFromFields(fields);
    return 0;
}
