#pragma once
// File system operations. Listings come in a stable order: by name ignoring ASCII case,
// ties by the exact name, so scanning and numbering give the same result on every run.

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace mf {

struct DirEntry {
    QString name;
    bool isDir = false;
};

// Every entry of the folder except "." and "..", in the stable order; empty when the
// folder cannot be listed. Symbolic links to folders are listed as files, so a link that
// points back up the tree can never make a recursive walk endless.
// undecodable, when given, receives the entries directly in folder whose names are not valid
// UTF-8 (shown as text with the bad bytes as U+FFFD, for messages); they are not listed.
// It is replaced on each call and comes in the same stable order.
// A read that fails half way (a flaky USB drive or share) gives an empty list, never the part
// read so far, and sets readError when given; a folder read to its end clears it.
QList<DirEntry> listEntries(const QString &folder, QStringList *undecodable = nullptr,
                            bool *readError = nullptr);

bool pathExists(const QString &path);
bool isFile(const QString &path);

// Opens a regular file (or a link to one) for reading. Anything else named like a photo,
// a FIFO, a device or a folder, is refused without waiting: opening a FIFO for reading
// blocks until some other program writes to it, which may be never.
bool openRegularFile(const QString &path, QFile *file, QIODevice::OpenMode extraMode = {});
// QFile::read, through which the text files are read: -1 when the read fails, which a reader
// must never take for the end of the file.
qint64 readFilePiece(QFile &file, char *data, qint64 maxSize);
// An existing folder that we may enter (read and search).
bool isEnterableDir(const QString &path);
bool makePath(const QString &path);
bool removeFile(const QString &path);
bool removeEmptyDir(const QString &path);
bool renamePath(const QString &from, const QString &to);

// Deletes every file and subfolder below folder and keeps the folder itself. Entries go by
// their names as bytes, so a name that is not valid UTF-8 (Shift-JIS from a zip made on
// Windows) goes too; a symbolic link is removed itself, never followed. 0 when the folder is
// empty afterwards (also when it does not exist), -1 at the first entry that cannot be
// removed or a folder that cannot be read to its end; the entries not reached yet stay.
// The files named in keep, directly in folder, stay too: the marks and locks of the run that
// empties the folder.
int ClearFolder(const QString &folder, const QStringList &keep = {});

enum class CopyResult { Copied, TargetExists, Failed };
// Copies with the system's file copy. The copy is written under a temporary name in the
// target's folder and takes its final name only when whole, so neither a failure nor a kill
// ever leaves a cut file under the final name (a kill may leave the temporary: see
// removeStaleTemporaries). Without replace, an existing target is left alone and reported.
// The copy keeps the source's modification time (when the file system lets us set it).
// It copies inside the kernel (a clone where the file system shares blocks) and falls back to
// the ordinary copy where that is not available; which pairs of file systems lack it is
// remembered for the rest of the run.
CopyResult copyFile(const QString &source, const QString &target, bool replace = false);
// For tests and benchmarks: false makes every copy take the ordinary way.
void setRangeCopyEnabled(bool enabled);

// The temporary name of a copy: ".mfcopy-", six letters or digits, ".part". It starts with a
// dot and does not end in ".jpg", so it is never taken for a photo, a page or an orderer's
// folder, and no name the program gives a file has this shape.
bool isCopyTemporaryName(QStringView name);
// An atomic save that did not finish (QSaveFile, where the file system cannot hold an unnamed
// file) leaves "<final name>.XXXXXX", six letters or digits. True when name is that of a
// final name that isOwnFile accepts.
bool isSaveTemporaryName(QStringView name, const std::function<bool(QStringView)> &isOwnFile);
// Removes what interrupted writes left directly in folder: copy temporaries, and the
// temporaries of atomic saves of the files isOwnFile accepts (none when it is empty). Nothing
// else is touched. False when the folder could not be read to its end or a temporary stayed; a
// folder that does not exist holds none.
bool removeStaleTemporaries(const QString &folder,
                            const std::function<bool(QStringView)> &isOwnFile = {});

// Puts everything written on the folder's file system onto the disk; false when that failed
// (a full disk, a drive pulled out): then what was written there may not be complete.
bool flushFileSystem(const QString &folder);

// Puts one file's bytes on the disk (fdatasync); false when that failed or the file cannot be
// opened. For the record that must be there before what depends on it goes.
bool syncFile(const QString &path);

// Gives the file ordinary read-write permissions for its owner (the counterpart of
// clearing the read-only and hidden bits), whatever the source had.
bool makeWritable(const QString &path);

} // namespace mf
