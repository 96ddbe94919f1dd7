#pragma once
// JPEG files made and read by the plain libjpeg API: the samplings and damage that cameras,
// lossless rotation tools and odd encoders produce, and what libjpeg itself makes of them.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>

namespace jpegfiles {

// A width x height colour pattern encoded at quality 90 with the given sampling factors, one
// (horizontal, vertical) pair per component, for example {{1, 4}, {1, 1}, {1, 1}}.
QByteArray encode(int width, int height, const QList<QSize> &sampling);

// The file decoded by plain libjpeg with its defaults at 1/denominator scale, as BGR.
QImage decode(const QByteArray &jpeg, int denominator = 1);

// Damage: bytes inserted before the end marker; the file cut at three fifths; a marker
// written into the middle of the entropy-coded data.
QByteArray strayBytesBeforeEnd(const QByteArray &jpeg);
QByteArray truncated(const QByteArray &jpeg);
QByteArray markerInData(const QByteArray &jpeg);

} // namespace jpegfiles
