#include "FigureFit.h"
#include "TestRegistry.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QUrl>

namespace {

constexpr qreal kPageHeight = 1000;

// The page a block's last line is printed on.
int pageOf(const QTextDocument &doc, const QTextBlock &block)
{
    const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
    const QTextLayout *layout = block.layout();
    return int((rect.top() + layout->lineAt(layout->lineCount() - 1).y()) / kPageHeight);
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
};

MF_REGISTER_TEST(FigureFitTest)
#include "tst_figurefit.moc"
