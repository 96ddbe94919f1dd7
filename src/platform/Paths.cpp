#include "platform/Paths.h"

#include "platform/Codec.h"

namespace mf {

int EndsWithSeparator(const QString &path)
{
    if (path.isEmpty())
        return -3;
    if (storedByteLength(path) > kMaxPathBytes)
        return -2;
    return path.endsWith(kSeparator) ? 1 : 0;
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(kSeparator))
        return folder + name;
    return folder + kSeparator + name;
}

QString withTrailingSeparator(const QString &folder)
{
    if (folder.endsWith(kSeparator))
        return folder;
    return folder + kSeparator;
}

} // namespace mf
