#pragma once
// Files for tests: the shared sample photos (always copied before use) and small trees.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testfiles {

QString testdata(const QString &relative); // path inside the shared read-only test data
QString photo(int n);                      // shared photos/photoNN.jpg
// Copies a shared file to target (creating folders); returns target.
QString copyShared(const QString &sharedPath, const QString &target);
// Creates a file with the given bytes, creating its folders.
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// A folder holding count photos named name01.jpg ... (copies of the shared photos).
void makePhotoFolder(const QString &folder, int count,
                     const QString &stem = QStringLiteral("IMG_"));
QByteArray sjis(const QString &text);

} // namespace testfiles
