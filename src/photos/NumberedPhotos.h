#pragma once
// The numbered photo folder under a project's save folder: where a photo number's file
// lies, and which numbered photos are there. Numbering writes this folder; the project,
// the sample sheets and the per-order export read it.

#include <QList>
#include <QString>

namespace mf {

inline const QString kSequenceFolderName = QStringLiteral("連番フォルダ");
// Numbering's record of which source file became which photo, kept in the numbered folder.
inline const QString kConversionLogName = QStringLiteral("連番ファイル変換ログ.txt");

// Photo numbers stay below this: a name with a larger number is not one numbering wrote.
inline constexpr int kPhotoNumberLimit = 100000;

struct NumberedPhoto {
    int number = 0;
    QString path;
};

QString sequenceFolderOf(const QString &saveFolder);

// "<folder>/<prefix><number>.jpg", the number with at least four digits.
QString sequentialFilePath(const QString &folder, const QString &prefix, int number);

// The photo number a file name carries, 0 when numbering did not write it: only the prefix,
// then four or more digits, then ".jpg" count, with a number from 1 below the limit. A stray
// camera file such as "20240501.jpg" must not pass for photo 20240501 and block appending.
int photoNumberOfName(const QString &name, const QString &prefix);

// The numbered photos directly in the folder, by ascending number.
QList<NumberedPhoto> numberedPhotos(const QString &folder, const QString &prefix);

// The highest photo number in the folder, 0 when there is none or the folder cannot be entered.
int highestPhotoNumberIn(const QString &folder, const QString &prefix);

} // namespace mf
