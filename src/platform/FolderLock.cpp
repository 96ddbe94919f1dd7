#include "platform/FolderLock.h"

#include "platform/Paths.h"

namespace mf {

FolderLock::FolderLock(const QString &folder, const QString &name) : m_lock(joinPath(folder, name))
{
    m_lock.setStaleLockTime(0);
    if (m_lock.tryLock(0))
        m_status = Held;
    else
        m_status = m_lock.error() == QLockFile::LockFailedError ? Busy : Unavailable;
}

QString FolderLock::holderHost() const
{
    qint64 pid = 0;
    QString host;
    QString app;
    return m_lock.getLockInfo(&pid, &host, &app) ? host : QString();
}

} // namespace mf
