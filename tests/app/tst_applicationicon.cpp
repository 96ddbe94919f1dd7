#include "TestRegistry.h"
#include "app/Application.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

// The window icon is an SVG compiled into the program and drawn by Qt's SVG icon plugin: a
// missing resource, a missing plugin or a drawing Qt cannot read all give an empty icon, and
// the windows would show the desktop's generic one.
class ApplicationIconTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawnAtMenuAndWindowSizes_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 256})
            QTest::addRow("%d px", size) << size;
    }

    void drawnAtMenuAndWindowSizes()
    {
        QFETCH(int, size);
        const QImage image = mf::applicationIcon().pixmap(size).toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(size, size));
        // A drawing with a transparent margin and an opaque sheet, not a filled square.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size / 4, size / 4)), 255);
    }
};

MF_REGISTER_TEST(ApplicationIconTest)
#include "tst_applicationicon.moc"
