// The photo number a file name carries. A number found must be the one numbering would have
// written under that name.
#include "FuzzTarget.h"

#include "photos/NumberedPhotos.h"
#include "platform/Codec.h"

MF_FUZZ_TARGET(photoname)
{
    if (size < 1)
        return 0;
    // The first byte is the length of the prefix; the rest is the prefix, then the name.
    const size_t prefixBytes = qMin<size_t>(data[0] % 16, size - 1);
    const QString prefix = mf::fromCp932(mf::fuzz::bytesOf(data + 1, prefixBytes));
    const QString name =
        mf::fromCp932(mf::fuzz::bytesOf(data + 1 + prefixBytes, size - 1 - prefixBytes));
    const int number = mf::photoNumberOfName(name, prefix);
    MF_FUZZ_CHECK(number >= 0 && number < mf::kPhotoNumberLimit);
    if (number > 0) {
        const QString folder = QStringLiteral("/studio");
        const QString written =
            mf::sequentialFilePath(folder, prefix, number).mid(folder.size() + 1);
        MF_FUZZ_CHECK(mf::photoNumberOfName(written, prefix) == number);
        mf::fuzz::readerSucceeded();
    }
    return 0;
}
