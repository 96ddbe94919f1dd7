// Copying a file whole or not at all, and clearing away what an interrupted copy or save left.

#include "platform/FileSystem.h"

#include "platform/FileSystemSeams.h"
#include "platform/FolderReader.h"
#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QPair>
#include <QRandomGenerator>
#include <QSet>
#include <QStringDecoder>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mf {

namespace {

const QLatin1String kCopyTempStart(".mfcopy-");
const QLatin1String kCopyTempEnd(".part");
constexpr qsizetype kRandomChars = 6;
constexpr char kRandomAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// The ordinary copy moves the file in pieces of this size.
constexpr qsizetype kCopyPiece = 1024 * 1024;

std::atomic<bool> g_rangeCopy{true};
std::atomic<seams::RangeCopyCall> g_rangeCall{nullptr};
std::atomic<seams::CopyPointHook> g_pointHook{nullptr};
std::atomic<seams::FileTimesCall> g_timesCall{nullptr};
std::atomic<seams::FileModeCall> g_modeCall{nullptr};

// The pairs of file systems (source, target) on which the kernel copy failed before its first
// byte. A sandbox that forbids the call or a share that does not carry it fails it for every
// photo alike, so later copies between the two go the ordinary way at once.
std::mutex g_kernelCopyRefusedLock;
QSet<QPair<quint64, quint64>> g_kernelCopyRefused;

void callCopyPointHook(seams::CopyPoint point)
{
    if (const seams::CopyPointHook hook = g_pointHook.load())
        hook(point);
}

bool isRandomPart(QStringView text)
{
    if (text.size() != kRandomChars)
        return false;
    for (QChar c : text) {
        if (!(c >= u'0' && c <= u'9') && !(c >= u'A' && c <= u'Z') && !(c >= u'a' && c <= u'z'))
            return false;
    }
    return true;
}

// Creates a new temporary file for a copy in folder; its path in *path. -1 when none could be
// made.
int createCopyTemporary(const QString &folder, mode_t mode, QByteArray *path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = kCopyTempStart;
        for (qsizetype i = 0; i < kRandomChars; ++i)
            name += QLatin1Char(kRandomAlphabet[QRandomGenerator::global()->bounded(62)]);
        name += kCopyTempEnd;
        *path = QFile::encodeName(joinPath(folder, name));
        const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The errors with which copy_file_range says that it cannot copy between these two files at
// all: missing from the kernel or forbidden by a sandbox's filter (ENOSYS, EPERM), another
// file system or one that does not carry it (EXDEV, EINVAL, EOPNOTSUPP, and ENOENT, EACCES,
// EBADF, ENOTTY from some shares), a file in use as a program or swap (ETXTBSY).
bool kernelCopyUnavailable(int error)
{
    switch (error) {
    case ENOSYS:
    case EPERM:
    case EXDEV:
    case EINVAL:
    case EOPNOTSUPP:
    case ENOENT:
    case EACCES:
    case EBADF:
    case ENOTTY:
    case ETXTBSY: return true;
    default: return false;
    }
}

// How copying the bytes into the temporary went.
enum class ByteCopy { Copied, Unavailable, Failed };

// The copy inside the kernel: copy_file_range moves the bytes without bringing them up to
// us, and on file systems that share blocks (Btrfs, XFS) it clones the file, which takes no
// time however large the photo. Unavailable means nothing was written yet and the ordinary
// copy should be tried.
ByteCopy copyInKernel(int in, int out, const struct stat &source)
{
    struct stat target;
    if (!g_rangeCopy || ::fstat(out, &target) != 0)
        return ByteCopy::Unavailable;
    const QPair<quint64, quint64> devices(source.st_dev, target.st_dev);
    {
        const std::lock_guard<std::mutex> lock(g_kernelCopyRefusedLock);
        if (g_kernelCopyRefused.contains(devices))
            return ByteCopy::Unavailable;
    }
    const seams::RangeCopyCall call = g_rangeCall.load();
    for (off_t left = source.st_size; left > 0;) {
        const ssize_t n = call ? call(in, out, size_t(left))
                               : ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
        if (n < 0 && errno == EINTR)
            continue;
        // Some shares answer 0 rather than an error for a copy they cannot make.
        if (left == source.st_size && (n == 0 || (n < 0 && kernelCopyUnavailable(errno)))) {
            const std::lock_guard<std::mutex> lock(g_kernelCopyRefusedLock);
            g_kernelCopyRefused.insert(devices);
            return ByteCopy::Unavailable;
        }
        if (n <= 0) // an error, or the source became shorter while we copied it
            return ByteCopy::Failed;
        left -= n;
        callCopyPointHook(seams::CopyPoint::BytesCopied);
    }
    return ByteCopy::Copied;
}

bool writeAll(int out, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(out, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// The ordinary copy, on the files already open. Our own loop rather than the library's copy:
// newer C++ libraries try copy_file_range first themselves and give up on the same errors
// that brought us here.
ByteCopy copyByReading(int in, int out, off_t size)
{
    QByteArray buffer(kCopyPiece, Qt::Uninitialized);
    off_t copied = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), size_t(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ByteCopy::Failed;
        if (n == 0) // a source that changed its length while we copied it is not copied whole
            return copied == size ? ByteCopy::Copied : ByteCopy::Failed;
        if (!writeAll(out, buffer.constData(), n))
            return ByteCopy::Failed;
        copied += n;
        callCopyPointHook(seams::CopyPoint::BytesCopied);
    }
}

enum class Publish { Done, TargetExists, Failed };

// Gives the whole copy its final name.
Publish publish(const QByteArray &temp, const QByteArray &target, bool replace)
{
    if (replace)
        return ::rename(temp.constData(), target.constData()) == 0 ? Publish::Done
                                                                   : Publish::Failed;
    if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return Publish::Done;
    if (errno == EEXIST)
        return Publish::TargetExists;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return Publish::Failed;
    // A file system without that rename (some shares): a link fails on an existing name too.
    if (::link(temp.constData(), target.constData()) == 0) {
        ::unlink(temp.constData());
        return Publish::Done;
    }
    if (errno == EEXIST)
        return Publish::TargetExists;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return Publish::Failed;
    // Neither (FAT, exFAT): look, then rename.
    struct stat st;
    if (::lstat(target.constData(), &st) == 0)
        return Publish::TargetExists;
    return ::rename(temp.constData(), target.constData()) == 0 ? Publish::Done : Publish::Failed;
}

// The errors with which a file system says that it cannot hold a time or permissions (FAT
// refuses most modes, some shares any change by one who does not own the file): the copy is
// kept without them. Any other error (EIO) fails the copy, as its bytes may be lost too.
bool attributeUnsupported(int error)
{
    return error == EPERM || error == EACCES || error == EOPNOTSUPP || error == ENOSYS ||
           error == EINVAL;
}

// Gives the copy the source's time and permissions, as the camera wrote it.
bool keepSourceAttributes(int out, const struct stat &source)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    const seams::FileTimesCall timesCall = g_timesCall.load();
    if ((timesCall ? timesCall(out, times) : ::futimens(out, times)) != 0 &&
        !attributeUnsupported(errno))
        return false;
    const mode_t mode = source.st_mode & 0777;
    const seams::FileModeCall modeCall = g_modeCall.load();
    return (modeCall ? modeCall(out, mode) : ::fchmod(out, mode)) == 0 ||
           attributeUnsupported(errno);
}

// Fills the open temporary out from in; closes out.
bool fillTemporary(int in, int out, const struct stat &source)
{
    ByteCopy bytes = copyInKernel(in, out, source);
    if (bytes == ByteCopy::Unavailable)
        bytes = copyByReading(in, out, source.st_size);
    if (bytes == ByteCopy::Copied && !keepSourceAttributes(out, source))
        bytes = ByteCopy::Failed;
    // close() is where some file systems (NFS, SMB) report that the data did not fit.
    return ::close(out) == 0 && bytes == ByteCopy::Copied;
}

} // namespace

void setRangeCopyEnabled(bool enabled)
{
    g_rangeCopy = enabled;
}

void seams::setRangeCopyCall(RangeCopyCall call)
{
    g_rangeCall = call;
    const std::lock_guard<std::mutex> lock(g_kernelCopyRefusedLock);
    g_kernelCopyRefused.clear();
}

void seams::setCopyPointHook(CopyPointHook hook)
{
    g_pointHook = hook;
}

void seams::setFileTimesCall(FileTimesCall call)
{
    g_timesCall = call;
}

void seams::setFileModeCall(FileModeCall call)
{
    g_modeCall = call;
}

CopyResult copyFile(const QString &source, const QString &target, bool replace)
{
    const QByteArray from = QFile::encodeName(source), to = QFile::encodeName(target);
    if (from.isEmpty() || to.isEmpty())
        return CopyResult::Failed;
    struct stat st;
    if (!replace && ::lstat(to.constData(), &st) == 0)
        return CopyResult::TargetExists;
    // Only a regular file is copied: a FIFO named like a photo would block the copy until
    // some other program wrote to it (O_NONBLOCK keeps the open itself from waiting).
    const int in = ::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        return CopyResult::Failed;
    QByteArray temp;
    const int out =
        ::fstat(in, &st) == 0 && S_ISREG(st.st_mode)
            ? createCopyTemporary(QFileInfo(target).path(), (st.st_mode & 0777) | S_IWUSR, &temp)
            : -1;
    if (out < 0) {
        ::close(in);
        return CopyResult::Failed;
    }
    callCopyPointHook(seams::CopyPoint::TemporaryCreated);
    const bool whole = fillTemporary(in, out, st);
    ::close(in);
    Publish published = Publish::Failed;
    if (whole) {
        callCopyPointHook(seams::CopyPoint::Whole);
        published = publish(temp, to, replace);
    }
    if (published != Publish::Done) {
        ::unlink(temp.constData());
        return published == Publish::TargetExists ? CopyResult::TargetExists : CopyResult::Failed;
    }
    callCopyPointHook(seams::CopyPoint::Published);
    return CopyResult::Copied;
}

bool isCopyTemporaryName(QStringView name)
{
    return name.size() == kCopyTempStart.size() + kRandomChars + kCopyTempEnd.size() &&
           name.startsWith(kCopyTempStart) && name.endsWith(kCopyTempEnd) &&
           isRandomPart(name.sliced(kCopyTempStart.size(), kRandomChars));
}

bool isSaveTemporaryName(QStringView name, const std::function<bool(QStringView)> &isOwnFile)
{
    const qsizetype finalSize = name.size() - kRandomChars - 1;
    return isOwnFile && finalSize > 0 && name[finalSize] == u'.' &&
           isRandomPart(name.sliced(finalSize + 1)) && isOwnFile(name.first(finalSize));
}

bool removeStaleTemporaries(const QString &folder,
                            const std::function<bool(QStringView)> &isOwnFile)
{
    const QByteArray native = QFile::encodeName(folder);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT; // a folder that is not there holds no temporaries
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    QList<RawDirEntry> entries;
    bool ok = readFolder(dir, &entries);
    for (const RawDirEntry &e : entries) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString name = utf8.decode(e.name);
        if (e.isDir || utf8.hasError() ||
            (!isCopyTemporaryName(name) && !isSaveTemporaryName(name, isOwnFile)))
            continue;
        if (::unlinkat(fd, e.name.constData(), 0) != 0 && errno != ENOENT)
            ok = false;
    }
    ::closedir(dir);
    return ok;
}

} // namespace mf
