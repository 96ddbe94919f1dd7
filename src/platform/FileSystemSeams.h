#pragma once
// Seams for tests: each replaces one system call of the file system layer, so that a test can
// make it fail the way a share, a sandbox or a flaky drive does, or end the program at a
// chosen point of a copy. Nothing but tests sets them; nullptr puts the system call back.

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

class QFile;

namespace mf::seams {

// Stands for copy_file_range(in, nullptr, out, nullptr, length, 0). Setting it also forgets
// the file systems on which the kernel copy was found missing.
using RangeCopyCall = ssize_t (*)(int in, int out, size_t length);
void setRangeCopyCall(RangeCopyCall call);

// Stand for futimens and fchmod, with which a finished copy gets the source's time and
// permissions.
using FileTimesCall = int (*)(int fd, const struct timespec times[2]);
void setFileTimesCall(FileTimesCall call);
using FileModeCall = int (*)(int fd, mode_t mode);
void setFileModeCall(FileModeCall call);

// Stands for readdir.
using ReadDirCall = dirent *(*)(DIR *dir);
void setReadDirCall(ReadDirCall call);

// Stands for QFile::read in readFilePiece, so that a text file can fail part way through.
using FileReadCall = long long (*)(QFile &file, char *data, long long maxSize);
void setFileReadCall(FileReadCall call);

// The points of a copy at which a hook is called, in this order; BytesCopied after every
// piece of the file that reached the temporary file.
enum class CopyPoint { TemporaryCreated, BytesCopied, Whole, Published };
using CopyPointHook = void (*)(CopyPoint point);
void setCopyPointHook(CopyPointHook hook);

// The points, outside copies, after which a write of ours is on the disk: a file that
// ClearFolder removed, a file that syncFile put on the disk.
enum class WritePoint { FileRemoved, FileSynced };
using WritePointHook = void (*)(WritePoint point);
void setWritePointHook(WritePointHook hook);

} // namespace mf::seams
