#pragma once
// What the program takes for a photo among the files the studio brings: the one rule that
// the folder counts, numbering, the folder list check and the sample sheets all apply.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace mf {

// A name ending in ".jpg" in any case, unless it begins with ".": such a file is hidden on
// Linux and macOS, and a Mac leaves one beside every file it touches on a card or share
// ("._IMG_0001.JPG", a few KB of its own metadata). The operator never sees them, so they
// are neither counted nor numbered.
bool isPhotoName(QStringView name);

// The photos directly in folder (files only), in the stable listing order.
QStringList photoNames(const QString &folder);

// How many bytes of a file startsAsJpeg needs.
inline constexpr int kJpegHeadBytes = 3;

// True when head begins as every JPEG image does: the start-of-image marker followed by the
// next marker. A PNG or HEIC renamed to .jpg, an empty file or one a failed card read filled
// with zeros does not.
bool startsAsJpeg(QByteArrayView head);

// Reads the first bytes of the file; false when they cannot be read or are not a JPEG's.
bool fileStartsAsJpeg(const QString &path);

} // namespace mf
