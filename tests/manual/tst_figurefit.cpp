#include "FigureFit.h"
#include "PageFill.h"
#include "TestRegistry.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QUrl>

Q_DECLARE_METATYPE(QList<int>)

namespace {

constexpr qreal kPageHeight = 1000;

// The page a block's last line is printed on.
int pageOf(const QTextDocument &doc, const QTextBlock &block)
{
    const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
    const QTextLayout *layout = block.layout();
    return int((rect.top() + layout->lineAt(layout->lineCount() - 1).y()) / kPageHeight);
}

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

class FigureFitTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Text (a table, whose picture is not fitted) fills the top of the page; a captioned
    // picture follows.
    void fit_data()
    {
        QTest::addColumn<int>("filled");
        QTest::addColumn<int>("picture");
        QTest::addColumn<bool>("smaller");
        QTest::addColumn<int>("captionLines");
        QTest::addColumn<int>("page"); // of the picture and its caption
        QTest::newRow("fits as it is") << 300 << 400 << false << 1 << 0;
        QTest::newRow("fits made smaller") << 450 << 560 << true << 1 << 0;
        QTest::newRow("long caption comes along") << 450 << 600 << true << 6 << 0;
        QTest::newRow("would be too small") << 450 << 900 << false << 1 << 1;
        QTest::newRow("little space left") << 850 << 500 << false << 1 << 1;
    }
    void fit()
    {
        QFETCH(int, filled);
        QFETCH(int, picture);
        QFETCH(bool, smaller);
        QFETCH(int, captionLines);
        QFETCH(int, page);
        QTextDocument doc;
        doc.setDocumentMargin(0);
        doc.setPageSize(QSizeF(600, kPageHeight));
        QImage filler(100, filled, QImage::Format_RGB32);
        filler.fill(Qt::gray);
        QImage shot(400, picture, QImage::Format_RGB32);
        shot.fill(Qt::blue);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("filler")), filler);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("shot")), shot);
        const QString html =
            QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\"><tr><td><img src=\"filler\" "
                           "width=\"100\" height=\"%1\"></td></tr></table>"
                           "<div><img src=\"shot\" width=\"400\" height=\"%2\"></div>"
                           "<div style=\"font-size: 8pt\">%3</div>")
                .arg(filled)
                .arg(picture)
                .arg(QStringList(captionLines, QStringLiteral("caption")).join(u"<br>"));
        manual::FigureFit fit;
        int steps = 0;
        do {
            doc.setHtml(html);
            fit.apply(doc);
        } while (fit.step(doc, kPageHeight) && ++steps < 40);
        QVERIFY(steps < 40);
        QCOMPARE(fit.scale(0) < 1.0, smaller);
        QVERIFY(fit.scale(0) >= 0.7);
        const QTextBlock caption = doc.lastBlock();
        QVERIFY(caption.text().startsWith(QStringLiteral("caption")));
        QCOMPARE(pageOf(doc, caption.previous()), page);
        QCOMPARE(pageOf(doc, caption), page);
    }

    // Pages inked down to these rows, and the pages that start chapters: no page but a
    // chapter's last may be less than half full, and none empty.
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

MF_REGISTER_TEST(FigureFitTest)
#include "tst_figurefit.moc"
