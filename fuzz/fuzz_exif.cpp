// The EXIF orientation of any bytes: always 1 to 8, never a read outside the data.
#include "FuzzTarget.h"

#include "platform/Jpeg.h"

MF_FUZZ_TARGET(exif)
{
    // A copy of exactly size bytes, so that the address sanitizer sees any read past the end.
    const QByteArray bytes = mf::fuzz::bytesOf(data, size);
    const int orientation = mf::readExifOrientation(bytes);
    MF_FUZZ_CHECK(orientation >= 1 && orientation <= 8);
    if (orientation != 1) // 1 is also what no EXIF at all gives
        mf::fuzz::readerSucceeded();
    return 0;
}
