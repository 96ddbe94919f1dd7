// One line of the conversion log as project repair splits it.
#include "FuzzTarget.h"

#include "platform/Codec.h"
#include "project/FolderRepair.h"

MF_FUZZ_TARGET(conversionlog)
{
    static const QString sequenceFolder = QStringLiteral("/studio/2024/連番フォルダ");
    const QString line = mf::fromCp932(mf::fuzz::bytesOf(data, size));
    mf::ConversionLogLine parsed;
    if (mf::parseConversionLogLine(line, sequenceFolder, &parsed)) {
        MF_FUZZ_CHECK(line.contains(parsed.source) && line.contains(parsed.target));
        mf::sourceFolderOfPath(parsed.source);
        mf::fuzz::readerSucceeded();
    }
    mf::sourceFolderOfPath(line);
    return 0;
}
