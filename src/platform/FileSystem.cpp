#include "platform/FileSystem.h"

#include "platform/FileSystemSeams.h"
#include "platform/FolderReader.h"

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

std::atomic<seams::ReadDirCall> g_readDir{nullptr};
std::atomic<seams::FileReadCall> g_fileRead{nullptr};
std::atomic<seams::WritePointHook> g_writePoint{nullptr};

void reach(seams::WritePoint point)
{
    if (const seams::WritePointHook hook = g_writePoint.load())
        hook(point);
}

// Empties the folder open at dirFd, which it takes over and closes. All names are read before
// any is removed: readdir gives no promise about a folder that changes while it is read.
bool clearOpenFolder(int dirFd, const QList<QByteArray> &keep = {})
{
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return false;
    }
    QList<RawDirEntry> names;
    // A folder that cannot be read to its end may hold more stale photos than we saw.
    if (!readFolder(dir, &names)) {
        ::closedir(dir);
        return false;
    }
    // In byte order, so a failure always leaves the same entries behind.
    std::sort(names.begin(), names.end(),
              [](const RawDirEntry &a, const RawDirEntry &b) { return a.name < b.name; });
    bool ok = true;
    for (const RawDirEntry &n : names) {
        const char *raw = n.name.constData();
        if (!n.isDir) {
            if (keep.contains(n.name))
                continue;
            if (::unlinkat(dirFd, raw, 0) != 0 && errno != ENOENT) {
                ok = false;
                break;
            }
            reach(seams::WritePoint::FileRemoved);
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

bool readFolder(DIR *dir, QList<RawDirEntry> *entries)
{
    const int fd = ::dirfd(dir);
    const seams::ReadDirCall call = g_readDir.load();
    for (;;) {
        // readdir tells a failed read from the end of the folder only by errno, which it
        // leaves alone at the end.
        errno = 0;
        const dirent *e = call ? call(dir) : ::readdir(dir);
        if (!e)
            return errno == 0;
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            isDir = ::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        entries->append(RawDirEntry{QByteArray(e->d_name), isDir});
    }
}

void seams::setWritePointHook(WritePointHook hook)
{
    g_writePoint = hook;
}

void seams::setReadDirCall(ReadDirCall call)
{
    g_readDir = call;
}

void seams::setFileReadCall(FileReadCall call)
{
    g_fileRead = call;
}

qint64 readFilePiece(QFile &file, char *data, qint64 maxSize)
{
    if (const seams::FileReadCall call = g_fileRead.load())
        return call(file, data, maxSize);
    return file.read(data, maxSize);
}

QList<DirEntry> listEntries(const QString &folder, QStringList *undecodable, bool *readError)
{
    QList<DirEntry> out;
    QStringList bad;
    if (readError)
        *readError = false;
    // The raw names, because QDir drops names that are not valid UTF-8 without a word (or
    // mangles them into names that cannot be opened again).
    DIR *dir = folder.isEmpty() ? nullptr : ::opendir(QFile::encodeName(folder).constData());
    QList<RawDirEntry> raw;
    if (dir) {
        const bool whole = readFolder(dir, &raw);
        ::closedir(dir);
        if (!whole) {
            raw.clear(); // never half a folder passed off as the whole of it
            if (readError)
                *readError = true;
        }
    }
    for (const RawDirEntry &e : raw) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        QString name = utf8.decode(e.name);
        if (utf8.hasError())
            bad.append(std::move(name));
        else
            out.append(DirEntry{std::move(name), e.isDir});
    }
    std::sort(out.begin(), out.end(),
              [](const DirEntry &a, const DirEntry &b) { return stableLess(a.name, b.name); });
    if (undecodable) {
        std::sort(bad.begin(), bad.end(), stableLess);
        *undecodable = std::move(bad);
    }
    return out;
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

bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fdatasync(fd) == 0;
    ::close(fd);
    if (synced)
        reach(seams::WritePoint::FileSynced);
    return synced;
}

int ClearFolder(const QString &folder, const QStringList &keep)
{
    if (folder.isEmpty())
        return 0;
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : -1;
    QList<QByteArray> keptNames;
    for (const QString &name : keep)
        keptNames.append(QFile::encodeName(name));
    return clearOpenFolder(fd, keptNames) ? 0 : -1;
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
