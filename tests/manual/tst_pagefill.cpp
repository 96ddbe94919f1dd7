#include "PageFill.h"
#include "TestRegistry.h"

#include <QPainter>
#include <QTest>

Q_DECLARE_METATYPE(QList<int>)

namespace {

// A page of 100 rows with ink down to row `ink` (0: blank), light grey below it as
// anti-aliasing leaves it.
QImage pageInkedTo(int ink)
{
    QImage page(60, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    if (ink > 0)
        painter.fillRect(10, ink - 1, 20, 1, Qt::black);
    if (ink < 100)
        painter.fillRect(10, ink, 20, 1, QColor(250, 250, 250));
    return page;
}

} // namespace

class PageFillTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Pages inked down to these rows, and the pages that start chapters.
    void underfilled_data()
    {
        QTest::addColumn<QList<int>>("inks");
        QTest::addColumn<QList<int>>("chapterFirstPages");
        QTest::addColumn<QList<int>>("underfilled");
        QTest::newRow("all at least half full")
            << QList<int>{50, 90, 60} << QList<int>{} << QList<int>{};
        QTest::newRow("under half inside a chapter")
            << QList<int>{49, 90, 20} << QList<int>{} << QList<int>{0};
        QTest::newRow("a chapter's last page")
            << QList<int>{18, 90, 20} << QList<int>{1} << QList<int>{};
        QTest::newRow("the last page") << QList<int>{90, 10} << QList<int>{0} << QList<int>{};
        QTest::newRow("an empty page before a chapter")
            << QList<int>{90, 0, 90} << QList<int>{2} << QList<int>{1};
        QTest::newRow("several") << QList<int>{30, 90, 5, 90, 40} << QList<int>{4}
                                 << QList<int>{0, 2};
    }
    void underfilled()
    {
        QFETCH(QList<int>, inks);
        QFETCH(QList<int>, chapterFirstPages);
        QFETCH(QList<int>, underfilled);
        QList<qreal> fills;
        for (int ink : inks) {
            fills << manual::pageFill(pageInkedTo(ink));
            QCOMPARE(fills.last(), ink / 100.0);
        }
        QCOMPARE(manual::underfilledPages(
                     fills, QSet<int>(chapterFirstPages.begin(), chapterFirstPages.end())),
                 underfilled);
    }
};

MF_REGISTER_TEST(PageFillTest)
#include "tst_pagefill.moc"
