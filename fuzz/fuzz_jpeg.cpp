// Every JPEG: the header, a thumbnail-sized decode, and a full decode and turn of small
// frames. Large frames are decoded only scaled, to keep each run's memory small.
#include "FuzzTarget.h"

#include "platform/Jpeg.h"

MF_FUZZ_TARGET(jpeg)
{
    const QByteArray bytes = mf::fuzz::bytesOf(data, size);
    const QString path = mf::fuzz::scratchPath(QStringLiteral("photo.jpg"));
    if (!mf::fuzz::writeScratch(path, bytes))
        return 0;
    mf::JpegInfo info;
    const int header = mf::readJpegInfo(path, &info);
    if (header != mf::JpegOk)
        return 0;
    MF_FUZZ_CHECK(info.width > 0 && info.height > 0);
    MF_FUZZ_CHECK(info.orientation >= 1 && info.orientation <= 8);
    if (qint64(info.width) * info.height > 4'000'000)
        return 0;

    QImage thumb;
    if (mf::decodeJpegData(bytes, &thumb, 64, 48) == mf::JpegOk) {
        MF_FUZZ_CHECK(!thumb.isNull() && thumb.format() == QImage::Format_BGR888);
        MF_FUZZ_CHECK(thumb.width() <= info.width && thumb.height() <= info.height);
        mf::fuzz::readerSucceeded();
    }
    if (qint64(info.width) * info.height > 1'000'000)
        return 0;
    QImage full;
    if (mf::decodeJpegData(bytes, &full) == mf::JpegOk) {
        MF_FUZZ_CHECK(full.width() == info.width && full.height() == info.height);
        const QImage turned = mf::orientedImage(full, info.orientation);
        MF_FUZZ_CHECK(turned.size() == mf::orientedSize(full.size(), info.orientation));
    }
    return 0;
}
