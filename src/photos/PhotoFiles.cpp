#include "photos/PhotoFiles.h"

#include "platform/FileSystem.h"

#include <QFile>

namespace mf {

bool isPhotoName(QStringView name)
{
    return !name.startsWith(u'.') && name.endsWith(u".jpg", Qt::CaseInsensitive);
}

QStringList photoNames(const QString &folder)
{
    QStringList names;
    for (const DirEntry &e : listEntries(folder)) {
        if (!e.isDir && isPhotoName(e.name))
            names.append(e.name);
    }
    return names;
}

bool startsAsJpeg(QByteArrayView head)
{
    return head.size() >= kJpegHeadBytes && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8 &&
           uchar(head[2]) == 0xFF;
}

bool fileStartsAsJpeg(const QString &path)
{
    // Unbuffered: a buffered read would fetch 16 KB of every photo to look at three bytes.
    QFile file;
    if (!openRegularFile(path, &file, QIODevice::Unbuffered))
        return false;
    char head[kJpegHeadBytes];
    const qint64 got = file.read(head, sizeof head);
    return got == sizeof head && startsAsJpeg(QByteArrayView(head, sizeof head));
}

} // namespace mf
