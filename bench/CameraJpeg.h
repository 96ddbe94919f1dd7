#pragma once
// Camera-size test photos for the benchmarks.

#include "platform/Jpeg.h"

#include <QByteArray>
#include <QImage>
#include <QRandomGenerator>

namespace bench {

// One noisy 6000 x 4000 JPEG, encoded at a quality that brings it near the wanted size.
inline QByteArray makeCameraJpeg(qint64 wantedBytes)
{
    QImage image(6000, 4000, QImage::Format_BGR888);
    auto *rng = QRandomGenerator::global();
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < image.width() * 3; ++x)
            line[x] = uchar((x / 3 + y) / 40 + rng->bounded(48));
    }
    QByteArray best;
    for (int quality : {60, 75, 85, 92, 97}) {
        QByteArray data;
        mf::encodeJpeg(image, quality, &data);
        best = data;
        if (data.size() >= wantedBytes)
            break;
    }
    return best;
}

} // namespace bench
