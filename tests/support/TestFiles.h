#pragma once
// Files for tests: the shared sample photos (always copied before use) and small trees.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace testfiles {

QString testdata(const QString &relative); // path inside the shared read-only test data
QString photo(int n);                      // shared photos/photoNN.jpg
// Copies a shared file to target (creating folders); returns target.
QString copyShared(const QString &sharedPath, const QString &target);
// Creates a file with the given bytes, creating its folders.
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// Every file and folder below root, hidden ones too, relative to root and sorted.
QStringList listing(const QString &root);
// A folder holding count photos named name01.jpg ... (copies of the shared photos).
void makePhotoFolder(const QString &folder, int count,
                     const QString &stem = QStringLiteral("IMG_"));
QByteArray sjis(const QString &text);

// Runs body in a forked child process and returns its result (0 to 255), or -1 when the
// child could not be started or did not exit normally. The child ends with _exit, so
// nothing of the parent's state is torn down twice.
int runInChild(const std::function<int()> &body);
// Like runInChild, but no file may grow beyond maxFileBytes in the child (RLIMIT_FSIZE,
// with SIGXFSZ ignored): writes past the limit fail as on a full disk, for root too.
int runWithFileSizeLimit(qint64 maxFileBytes, const std::function<int()> &body);
// In a child of runInChild: ends the process with SIGKILL at the at-th point of one kind that
// the file system layer reaches: "piece copied" (a piece of a copy reached its temporary),
// "file removed" (ClearFolder removed a file) or "file synced" (syncFile put one on the disk).
void killAtPoint(const char *kind, int at);

} // namespace testfiles
