// "<project>_title.dat": nine lines read into the title fields. Fields that load are saved
// again and must load back the same; the texts only lose what the byte limits cut.
#include "FuzzPrompter.h"
#include "FuzzTarget.h"

#include "sheets/TitleData.h"

#include <QDir>

namespace {

bool sameFields(const mf::TitleFields &a, const mf::TitleFields &b)
{
    return a.title == b.title && a.titleHeight == b.titleHeight && a.showTitle == b.showTitle &&
           a.showPageNumber == b.showPageNumber && a.pageOffset == b.pageOffset &&
           a.align == b.align && a.pageHeight == b.pageHeight && a.pageLabel == b.pageLabel &&
           a.pageSuffix == b.pageSuffix;
}

} // namespace

MF_FUZZ_TARGET(titledata)
{
    const QString folder = mf::fuzz::scratchFolder() + QStringLiteral("/titledata");
    static const bool made = QDir().mkpath(folder);
    const QString project = QStringLiteral("卒業アルバム");
    const QString path = mf::titleDataPath(folder, project);
    if (!made || !mf::fuzz::writeScratch(path, mf::fuzz::bytesOf(data, size)))
        return 0;
    mf::TitleFields fields;
    mf::fuzz::AlternatingPrompter prompter;
    if (mf::LoadTitleData(folder, project, fields, prompter) != mf::TitleDataOk)
        return 0;
    mf::titleSettingsFromFields(fields);

    // Loading cuts every text to its limit, so a save keeps each field whole.
    mf::fuzz::YesPrompter yes;
    if (mf::SaveTitleData(folder, project, fields, yes, QString()) != mf::TitleDataOk)
        return 0; // a text Shift-JIS cannot hold again (an undecodable byte) is refused
    mf::TitleFields back;
    back.title = QStringLiteral("something else");
    back.showTitle = !fields.showTitle;
    MF_FUZZ_CHECK(mf::LoadTitleData(folder, project, back, yes) == mf::TitleDataOk);
    MF_FUZZ_CHECK(sameFields(fields, back));
    mf::fuzz::readerSucceeded();
    return 0;
}
