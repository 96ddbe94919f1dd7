#include "DemoPhotos.h"

#include "platform/Jpeg.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

namespace manual {

namespace {

// Small enough to keep the numbering and the sample sheet quick, large enough that the
// sheet's cells are reduced as they are from camera files.
constexpr int kWidth = 960;
constexpr int kHeight = 640;

// A sports day scene: sky, playground, a row of children in coloured caps. A fixed seed per
// photo keeps the manual the same from build to build.
QImage drawScene(int seed)
{
    QRandomGenerator random(quint32(seed) * 7919u + 17u);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const int horizon = kHeight * 2 / 5 + random.bounded(60);
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor(90, 150, 220));
    sky.setColorAt(1, QColor(200, 225, 245));
    p.fillRect(0, 0, kWidth, horizon, sky);
    QLinearGradient ground(0, horizon, 0, kHeight);
    ground.setColorAt(0, QColor(196, 170, 120));
    ground.setColorAt(1, QColor(168, 138, 92));
    p.fillRect(0, horizon, kWidth, kHeight - horizon, ground);

    // The school building behind the playground.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 232, 222));
    const QRect building(kWidth / 8 + random.bounded(120), horizon - 150, kWidth / 2, 150);
    p.drawRect(building);
    p.setBrush(QColor(120, 160, 190));
    for (int row = 0; row < 3; ++row) {
        for (int x = building.left() + 16; x + 30 < building.right(); x += 46)
            p.drawRect(x, building.top() + 14 + row * 44, 30, 26);
    }

    // A white lane line and the children.
    p.setPen(QPen(QColor(250, 250, 250), 6));
    p.drawLine(0, horizon + 90, kWidth, horizon + 70);
    p.setPen(Qt::NoPen);
    const QColor caps[] = {QColor(220, 40, 40), QColor(250, 250, 250), QColor(40, 80, 200)};
    const int children = 3 + random.bounded(5);
    for (int i = 0; i < children; ++i) {
        const int x = 60 + (kWidth - 120) * i / children + random.bounded(40);
        const int scale = 70 + random.bounded(50);
        const int feet = horizon + 120 + random.bounded(kHeight - horizon - 140);
        p.setBrush(QColor(250, 250, 250)); // gym shirt
        p.drawRoundedRect(QRect(x - scale / 4, feet - scale, scale / 2, scale * 6 / 10), 8, 8);
        p.setBrush(QColor(30, 40, 90)); // shorts
        p.drawRect(x - scale / 4, feet - scale * 4 / 10, scale / 2, scale * 2 / 10);
        p.setBrush(QColor(240, 200, 170)); // face
        p.drawEllipse(QPoint(x, feet - scale - scale / 7), scale / 6, scale / 6);
        p.setBrush(caps[(seed + i) % 3]);
        p.drawChord(
            QRect(x - scale / 6, feet - scale - scale / 7 - scale / 6, scale / 3, scale / 3), 0,
            180 * 16);
    }
    p.end();
    return image;
}

} // namespace

bool writeDemoPhotos(const QString &folder, int first, int count, int seed)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < count; ++i) {
        QByteArray jpeg;
        if (mf::encodeJpeg(drawScene(seed * 100 + i), 85, &jpeg) != mf::JpegOk)
            return false;
        QFile file(QDir(folder).filePath(
            QStringLiteral("DSC_%1.jpg").arg(first + i, 4, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
            return false;
    }
    return true;
}

} // namespace manual
