// The line reader under every text file: each line fits the buffer, reading ends, and in
// split mode nothing is lost (CR LF read as LF).
#include "FuzzTarget.h"

#include "platform/TextFile.h"

MF_FUZZ_TARGET(linereader)
{
    if (size < 2)
        return 0;
    // The first byte picks the buffer (2 to 257 bytes), the second the mode and the cap.
    const int bufferSize = 2 + data[0];
    const bool skip = data[1] & 1;
    const qint64 cap = (data[1] & 2) ? qint64(data[1] >> 2) * 16 : -1;
    const QByteArray content = mf::fuzz::bytesOf(data + 2, size - 2);
    const QString path = mf::fuzz::scratchPath(QStringLiteral("lines.txt"));
    if (!mf::fuzz::writeScratch(path, content))
        return 0;

    mf::LineReader reader(bufferSize, skip ? mf::LongLines::Skip : mf::LongLines::Split, cap);
    MF_FUZZ_CHECK(reader.open(path));
    QByteArray all;
    QByteArray line;
    int calls = 0;
    while (reader.readLine(&line)) {
        MF_FUZZ_CHECK(line.size() <= bufferSize - 1);
        MF_FUZZ_CHECK(!line.isEmpty());
        all += line;
        MF_FUZZ_CHECK(++calls <= content.size() + 1);
        if (calls > content.size() + 1)
            break;
    }
    if (!skip && cap < 0) {
        QByteArray expected = content;
        expected.replace("\r\n", "\n");
        MF_FUZZ_CHECK(all == expected);
    }
    mf::chopOneLineEnd(&line);
    if (calls > 0)
        mf::fuzz::readerSucceeded();
    return 0;
}
