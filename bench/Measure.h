#pragma once
// What every benchmark measures alike: medians, pending writes, the bytes of a run's copies
// and the disk's own write speed.

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Puts every pending write of the machine on the disk, so that a run does not pay for the
// write-back of the one before it.
inline void flushWrites()
{
    QProcess::execute(QStringLiteral("sync"), {});
}

struct Copied {
    int files = 0;
    qint64 bytes = 0;
};

// The JPEGs below root, subfolders included (the name filter ignores case).
inline Copied jpegsBelow(const QString &root)
{
    Copied c;
    QDirIterator it(root, {QStringLiteral("*.jpg")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++c.files;
        c.bytes += it.fileInfo().size();
    }
    return c;
}

// One pass of diskWriteSpeed: bytes a second, 0 when the file cannot be written.
inline double writePass(const QString &path, std::vector<char> &chunk, qint64 bytes)
{
    flushWrites();
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return 0;
    QElapsedTimer timer;
    timer.start();
    bool written = true;
    qint64 done = 0;
    for (quint32 n = 0; written && done < bytes; ++n, done += qint64(chunk.size())) {
        for (std::size_t block = 0; block < chunk.size(); block += 4096) // no two blocks alike
            std::memcpy(chunk.data() + block, &n, sizeof n);
        written = ::write(fd, chunk.data(), chunk.size()) == ssize_t(chunk.size());
    }
    written = written && ::fdatasync(fd) == 0;
    const double seconds = timer.nsecsElapsed() / 1e9;
    ::close(fd);
    QFile::remove(path);
    return written ? double(done) / seconds : 0;
}

// The disk's write speed in bytes a second: `bytes` of incompressible data written into a new
// file in folder and put on the disk (fdatasync), timed together, the file removed again; the
// best of `passes` passes. 0 when the file cannot be written.
inline double diskWriteSpeed(const QString &folder, qint64 bytes, int passes)
{
    std::vector<char> chunk(8 << 20);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(chunk.data()),
                                          chunk.size() / sizeof(quint32));
    const QString path = folder + QStringLiteral("/write-speed.bin");
    double best = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const double speed = writePass(path, chunk, bytes);
        if (speed <= 0)
            return 0;
        best = std::max(best, speed);
    }
    return best;
}

} // namespace bench
