// outputFmt.def in the program folder.
#include "FuzzTarget.h"

#include "project/OutputFormat.h"

#include <QDir>

MF_FUZZ_TARGET(outputformat)
{
    const QString folder = mf::fuzz::scratchFolder() + QStringLiteral("/outputformat");
    static const bool made = QDir().mkpath(folder);
    if (!made || !mf::fuzz::writeScratch(folder + QStringLiteral("/outputFmt.def"),
                                         mf::fuzz::bytesOf(data, size)))
        return 0;
    mf::OutputFormatSettings settings;
    if (mf::ReadOutputFormat(folder + QLatin1Char('/'), &settings) ==
        mf::OutputFormatStatus::Complete)
        mf::fuzz::readerSucceeded();
    return 0;
}
