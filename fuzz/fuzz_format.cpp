// printf-style templates from outputFmt.def against up to three arguments: what the check
// accepts formats, and the two never disagree.
#include "FuzzTarget.h"

#include "platform/Codec.h"
#include "platform/Format.h"

MF_FUZZ_TARGET(format)
{
    if (size < 1)
        return 0;
    // Two bits per argument: none, a number, a text (the last one ends the list).
    QList<mf::FormatArg> args;
    for (int i = 0; i < 3; ++i) {
        const int kind = (data[0] >> (2 * i)) & 3;
        if (kind == 0)
            break;
        if (kind == 1)
            args.append(-12345 * (i + 1));
        else
            args.append(QStringLiteral("二年一組"));
    }
    const QString templ = mf::fromCp932(mf::fuzz::bytesOf(data + 1, size - 1));
    const int checked = mf::checkFormat(templ, args);
    QString out = QStringLiteral("untouched");
    const int formatted = mf::formatChecked(templ, args, &out);
    MF_FUZZ_CHECK(checked == formatted);
    if (formatted != mf::FormatOk)
        MF_FUZZ_CHECK(out == QStringLiteral("untouched"));
    else
        mf::fuzz::readerSucceeded();
    return 0;
}
