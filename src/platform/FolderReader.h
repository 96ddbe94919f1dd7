#pragma once
// The one directory reader of the file system layer (not for use outside src/platform/).

#include <QByteArray>
#include <QList>

#include <dirent.h>

namespace mf {

struct RawDirEntry {
    QByteArray name; // as the file system holds it, not necessarily valid text
    bool isDir = false;
};

// Reads every entry of the open folder except "." and "..". A symbolic link is never a folder
// here, whatever it points to, so a link back up the tree cannot make a walk endless. False
// when a read failed: the entries read until then are no picture of the whole folder.
bool readFolder(DIR *dir, QList<RawDirEntry> *entries);

} // namespace mf
