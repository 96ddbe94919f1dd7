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

bool hasControlCharacter(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

bool isPlainFileName(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(kSeparator))
        return false;
    return !hasControlCharacter(name) && fitsCp932(name);
}

} // namespace mf
