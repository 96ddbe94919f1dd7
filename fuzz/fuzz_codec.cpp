// Shift-JIS both ways: any bytes decode; whatever encodes decodes back to the same text; cuts
// stay within their limits.
#include "FuzzTarget.h"

#include "platform/Codec.h"

namespace {

void checkText(const QString &text, int limit)
{
    QByteArray encoded;
    const bool ok = mf::encodeCp932(text, &encoded);
    MF_FUZZ_CHECK(ok == mf::fitsCp932(text));
    if (ok) {
        MF_FUZZ_CHECK(mf::fromCp932(encoded) == text);
        MF_FUZZ_CHECK(mf::cp932Length(text) == encoded.size());
        const QString cut = mf::leftCp932(text, limit);
        MF_FUZZ_CHECK(text.startsWith(cut));
        MF_FUZZ_CHECK(mf::cp932Length(cut) <= limit);
    } else {
        MF_FUZZ_CHECK(mf::cp932Length(text) == -1);
    }
    const QString mapped = mf::toCp932Spelling(text);
    MF_FUZZ_CHECK(mapped.size() == text.size() || !mapped.isEmpty());
    mf::storedByteLength(text);
}

} // namespace

MF_FUZZ_TARGET(codec)
{
    const QByteArray bytes = mf::fuzz::bytesOf(data, size);
    const int limit = size > 0 ? data[0] : 0;

    const QByteArray cut = mf::leftCp932Bytes(bytes, limit);
    MF_FUZZ_CHECK(cut.size() <= limit && bytes.startsWith(cut));

    const QString decoded = mf::fromCp932(bytes);
    checkText(decoded, limit);
    if (!decoded.isEmpty() && mf::fitsCp932(decoded))
        mf::fuzz::readerSucceeded();
    checkText(QString::fromUtf8(bytes), limit);
    checkText(QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2), limit);
    return 0;
}
