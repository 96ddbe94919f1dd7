#pragma once
// A lock file that keeps a second copy of the program, on this PC or on another one that
// reaches the same folder over a share, from working in a folder while this copy does.

#include <QLockFile>
#include <QString>

namespace mf {

class FolderLock {
public:
    enum Status {
        Held,       // this copy holds the folder until the lock is destroyed
        Busy,       // another copy holds it
        Unavailable // no lock file can be made there (a read-only folder)
    };

    // Takes the lock file name in folder at once, or not at all. A lock left by a copy that
    // died on this PC is taken over; one from another PC is never taken over by age, since
    // a long numbering or export holds it for hours without touching it.
    FolderLock(const QString &folder, const QString &name);

    Status status() const { return m_status; }
    // The PC whose copy holds the folder, as the lock file names it; empty when unknown.
    QString holderHost() const;

private:
    QLockFile m_lock;
    Status m_status = Unavailable;
};

} // namespace mf
