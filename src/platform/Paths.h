#pragma once
// Path joining. Paths are absolute and use the native separator; the process's
// current directory is never changed or relied on.

#include <QString>

namespace mf {

inline constexpr int kMaxPathBytes = 2047;
inline constexpr QChar kSeparator = u'/';

// 1 when the path ends with a separator, 0 when not, -3 for an empty path and -2 for a
// path of 2048 bytes or more. Decided on characters, never on bytes, so the second byte of
// a double-byte character can never pass for a separator.
int EndsWithSeparator(const QString &path);

// Folder and name with exactly one separator between them (none added when the folder
// already ends with one).
QString joinPath(const QString &folder, const QString &name);

// The folder with one trailing separator.
QString withTrailingSeparator(const QString &folder);

// True when the text holds a control character (below U+0020, or DEL): never part of a name
// that reaches the disk or a line of a text file.
bool hasControlCharacter(QStringView text);

// True when name can become part of a file name in a folder and stay there: not empty, not
// "." or "..", no separator, no control character, and it reaches the disk exactly as typed
// (Shift-JIS can hold it). The project name names files in the program folder.
bool isPlainFileName(const QString &name);

} // namespace mf
