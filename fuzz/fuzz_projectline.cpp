// One project file line; a line that parses is shown and saved the way reopening and saving
// do, and must parse back to the same fields.
#include "FuzzTarget.h"
#include "ProjectLines.h"

MF_FUZZ_TARGET(projectline)
{
    mf::ProjectLine line;
    if (!mf::parseProjectLine(mf::fuzz::bytesOf(data, size), &line))
        return 0;
    QByteArray content;
    if (!mf::fuzz::savedAgain({line}, &content))
        return 0;
    mf::ProjectLine back;
    MF_FUZZ_CHECK(mf::parseProjectLine(content, &back));
    MF_FUZZ_CHECK(mf::fuzz::sameAfterSave(line, back));
    mf::fuzz::readerSucceeded();
    return 0;
}
