#include "photos/NumberedPhotos.h"

#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

#include <algorithm>

namespace mf {

QString sequenceFolderOf(const QString &saveFolder)
{
    return joinPath(saveFolder, kSequenceFolderName);
}

QString sequentialFilePath(const QString &folder, const QString &prefix, int number)
{
    return joinPath(folder, prefix + QString::asprintf("%04d", number) + QLatin1String(".jpg"));
}

int photoNumberOfName(const QString &name, const QString &prefix)
{
    if (!name.endsWith(QLatin1String(".jpg")) || !name.startsWith(prefix))
        return 0;
    const QStringView digits = QStringView(name).sliced(prefix.size()).chopped(4);
    if (digits.size() < 4)
        return 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const int number = parseAtol(digits);
    return number >= 1 && number < kPhotoNumberLimit ? number : 0;
}

QList<NumberedPhoto> numberedPhotos(const QString &folder, const QString &prefix)
{
    QList<NumberedPhoto> photos;
    if (!isEnterableDir(folder))
        return photos;
    for (const DirEntry &e : listEntries(folder)) {
        if (e.isDir)
            continue;
        if (const int n = photoNumberOfName(e.name, prefix); n > 0)
            photos.append(NumberedPhoto{n, joinPath(folder, e.name)});
    }
    std::stable_sort(
        photos.begin(), photos.end(),
        [](const NumberedPhoto &a, const NumberedPhoto &b) { return a.number < b.number; });
    return photos;
}

int highestPhotoNumberIn(const QString &folder, const QString &prefix)
{
    const QList<NumberedPhoto> photos = numberedPhotos(folder, prefix);
    return photos.isEmpty() ? 0 : photos.last().number;
}

} // namespace mf
