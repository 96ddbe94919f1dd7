#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mf {

namespace {

std::filesystem::path toFsPath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

char16_t asciiLower(char16_t c)
{
    return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
}

bool stableLess(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = asciiLower(a[i].unicode()), y = asciiLower(b[i].unicode());
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

// Photo tools and file managers sort and date photos by it. The copy itself is whole
// either way, so a file system that refuses the time does not fail it.
void keepModificationTime(const std::filesystem::path &source, const std::filesystem::path &target)
{
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(source, ec);
    if (!ec)
        std::filesystem::last_write_time(target, time, ec);
}

// Empties the folder open at dirFd, which it takes over and closes. All names are read before
// any is removed: readdir gives no promise about a folder that changes while it is read.
bool clearOpenFolder(int dirFd)
{
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return false;
    }
    struct Name {
        QByteArray bytes;
        bool isDir;
    };
    QList<Name> names;
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            isDir =
                ::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        names.append(Name{QByteArray(e->d_name), isDir});
    }
    // In byte order, so a failure always leaves the same entries behind.
    std::sort(names.begin(), names.end(),
              [](const Name &a, const Name &b) { return a.bytes < b.bytes; });
    bool ok = true;
    for (const Name &n : names) {
        const char *raw = n.bytes.constData();
        if (!n.isDir) {
            if (::unlinkat(dirFd, raw, 0) != 0 && errno != ENOENT) {
                ok = false;
                break;
            }
            continue;
        }
        // O_NOFOLLOW: a link put in the folder's place meanwhile is not entered.
        const int sub = ::openat(dirFd, raw, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0 || !clearOpenFolder(sub)) {
            ok = false;
            break;
        }
        // An emptied folder that stays (a mount point, a parent we may not write) holds no
        // stale photo; one that is still not empty does.
        if (::unlinkat(dirFd, raw, AT_REMOVEDIR) != 0 && (errno == ENOTEMPTY || errno == EEXIST)) {
            ok = false;
            break;
        }
    }
    ::closedir(dir);
    return ok;
}

} // namespace

QList<DirEntry> listEntries(const QString &folder, QStringList *undecodable)
{
    QList<DirEntry> out;
    QStringList bad;
    // The raw names, because QDir drops names that are not valid UTF-8 without a word (or
    // mangles them into names that cannot be opened again).
    DIR *dir = folder.isEmpty() ? nullptr : ::opendir(QFile::encodeName(folder).constData());
    if (dir) {
        const int fd = ::dirfd(dir);
        while (const dirent *e = ::readdir(dir)) {
            const char *raw = e->d_name;
            if (std::strcmp(raw, ".") == 0 || std::strcmp(raw, "..") == 0)
                continue;
            QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
            QString name = utf8.decode(QByteArrayView(raw));
            if (utf8.hasError()) {
                bad.append(std::move(name));
                continue;
            }
            // A symbolic link is never a folder here, whatever it points to.
            bool isDir = e->d_type == DT_DIR;
            if (e->d_type == DT_UNKNOWN) {
                struct stat st;
                isDir = ::fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            }
            out.append(DirEntry{std::move(name), isDir});
        }
        ::closedir(dir);
    }
    std::sort(out.begin(), out.end(),
              [](const DirEntry &a, const DirEntry &b) { return stableLess(a.name, b.name); });
    if (undecodable) {
        std::sort(bad.begin(), bad.end(), stableLess);
        *undecodable = std::move(bad);
    }
    return out;
}

QStringList listJpegNames(const QString &folder)
{
    QStringList names;
    for (const DirEntry &e : listEntries(folder)) {
        if (e.name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive))
            names.append(e.name);
    }
    return names;
}

bool pathExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool isFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool openRegularFile(const QString &path, QFile *file, QIODevice::OpenMode extraMode)
{
    // Look before opening, so that no device is opened at all, and again on the open
    // descriptor, in case the path changed in between. O_NONBLOCK keeps the open of a FIFO
    // without a writer from waiting for one.
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file->open(fd, QIODevice::ReadOnly | extraMode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool isEnterableDir(const QString &path)
{
    if (path.isEmpty())
        return false;
    QFileInfo info(path);
    return info.isDir() && info.isExecutable() && info.isReadable();
}

bool makePath(const QString &path)
{
    return !path.isEmpty() && QDir().mkpath(path);
}

bool removeFile(const QString &path)
{
    std::error_code ec;
    return std::filesystem::remove(toFsPath(path), ec) && !ec;
}

bool removeEmptyDir(const QString &path)
{
    return QDir().rmdir(path);
}

bool renamePath(const QString &from, const QString &to)
{
    return QFile::rename(from, to);
}

namespace {

std::atomic<bool> g_rangeCopy{true};

enum class RangeCopy { Copied, Unsupported, TargetExists, Failed };

// The copy inside the kernel: copy_file_range moves the bytes without bringing them up to
// us, and on file systems that share blocks (Btrfs, XFS) it clones the file, which takes no
// time however large the photo. Unsupported means nothing was left behind and the ordinary
// copy should be tried.
RangeCopy copyByRange(const QByteArray &from, const QByteArray &to, bool exclusive)
{
    if (!g_rangeCopy)
        return RangeCopy::Unsupported;
    const int in = ::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        return RangeCopy::Failed;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return RangeCopy::Failed;
    }
    const int out =
        ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (exclusive ? O_EXCL : 0),
               (st.st_mode & 0777) | S_IWUSR);
    if (out < 0) {
        const bool exists = errno == EEXIST;
        ::close(in);
        return exists ? RangeCopy::TargetExists : RangeCopy::Failed;
    }
    RangeCopy result = RangeCopy::Copied;
    for (off_t left = st.st_size; left > 0;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && left == st.st_size &&
            (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) {
            result = RangeCopy::Unsupported;
            break;
        }
        if (n <= 0) { // an error, or the source became shorter while we copied it
            result = RangeCopy::Failed;
            break;
        }
        left -= n;
    }
    if (result == RangeCopy::Copied) {
        // As the camera wrote it: the time, and the permissions the ordinary copy gives.
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ::futimens(out, times);
        ::fchmod(out, st.st_mode & 0777);
    }
    ::close(in);
    // close() is where some file systems (NFS, SMB) report that the data did not fit.
    if (::close(out) != 0 && result == RangeCopy::Copied)
        result = RangeCopy::Failed;
    if (result != RangeCopy::Copied)
        ::unlink(to.constData());
    return result;
}

} // namespace

void setRangeCopyEnabled(bool enabled)
{
    g_rangeCopy = enabled;
}

CopyResult copyFile(const QString &source, const QString &target, bool replace)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    // Only a regular file is copied: a FIFO named like a photo would block the copy until
    // some other program wrote to it.
    if (fs::status(toFsPath(source), ec).type() != fs::file_type::regular)
        return CopyResult::Failed;
    const QByteArray from = QFile::encodeName(source);
    const fs::path dst = toFsPath(target);
    if (replace) {
        // Copy beside the target first, so that a failure never costs the file it replaces.
        const QString partName = target + QLatin1String(".part~");
        const fs::path part = toFsPath(partName);
        fs::remove(part, ec);
        ec.clear();
        const RangeCopy ranged = copyByRange(from, QFile::encodeName(partName), false);
        bool copied = ranged == RangeCopy::Copied;
        if (ranged == RangeCopy::Unsupported &&
            fs::copy_file(toFsPath(source), part, fs::copy_options::none, ec) && !ec) {
            keepModificationTime(toFsPath(source), part);
            copied = true;
        }
        if (copied) {
            fs::rename(part, dst, ec);
            if (!ec)
                return CopyResult::Copied;
        }
        std::error_code ignored;
        fs::remove(part, ignored);
        return CopyResult::Failed;
    }
    if (fs::symlink_status(dst, ec).type() != fs::file_type::not_found)
        return CopyResult::TargetExists;
    ec.clear();
    switch (copyByRange(from, QFile::encodeName(target), true)) {
    case RangeCopy::Copied: return CopyResult::Copied;
    case RangeCopy::TargetExists: return CopyResult::TargetExists;
    case RangeCopy::Failed: return CopyResult::Failed;
    case RangeCopy::Unsupported: break;
    }
    if (fs::copy_file(toFsPath(source), dst, fs::copy_options::none, ec) && !ec) {
        keepModificationTime(toFsPath(source), dst);
        return CopyResult::Copied;
    }
    if (ec == std::errc::file_exists)
        return CopyResult::TargetExists;
    // The target did not exist before: what is there now is a partial copy and must not
    // pass for a photo.
    std::error_code ignored;
    fs::remove(dst, ignored);
    return CopyResult::Failed;
}

bool flushFileSystem(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // One call for every file written there: cheaper than one fsync a file (see
    // bench_numbering), and it reports a write that failed since the file was closed.
    const bool flushed = ::syncfs(fd) == 0;
    ::close(fd);
    return flushed;
}

int ClearFolder(const QString &folder)
{
    if (folder.isEmpty())
        return 0;
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : -1;
    return clearOpenFolder(fd) ? 0 : -1;
}

bool makeWritable(const QString &path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(toFsPath(path),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::others_read,
                    fs::perm_options::replace, ec);
    return !ec;
}

} // namespace mf
