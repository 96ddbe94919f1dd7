#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "photos/NumberedPhotos.h"
#include "platform/Jpeg.h"
#include "project/ProjectState.h"
#include "sheets/PageFile.h"
#include "sheets/SheetRun.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace mf;

namespace {

// A 1000 x 700 page at 300 dpi with one 800 x 500 cell at (100, 100). Its one photo is a
// uniformly grey 1200 x 900 picture, drawn 666 x 500 at (167, 100).
const QRect kCell(100, 100, 800, 500);
const QRect kDrawn(167, 100, 666, 500);

OutputSize pageSize()
{
    OutputSize s;
    s.dpi = 300;
    s.label = QStringLiteral("試験");
    s.paperWidth = 1000;
    s.paperHeight = 700;
    s.columns = s.rows = 1;
    s.photoWidth = 800;
    s.photoHeight = 500;
    s.paperWidthMm = 85;
    s.paperHeightMm = 60;
    s.leftMargin = s.rightMargin = s.topMargin = s.bottomMargin = 100;
    s.numberFontHeight = 24;
    return s;
}

// One press of the output button over the grey photo; the page as saved (BMP, lossless).
struct RenderedPage {
    QTemporaryDir dir;
    FakeServices fakes;
    OutputSizeTable sizes;
    SheetRunState state;
    SheetHooks hooks;
    SheetOptions options;
    TitleSettings title;
    QRect drawn;

    RenderedPage()
    {
        sizes.sizes[0] = pageSize();
        sizes.count = 1;
        QImage grey(1200, 900, QImage::Format_BGR888);
        grey.fill(QColor(128, 128, 128));
        QByteArray jpeg;
        if (encodeJpeg(grey, 95, &jpeg) != JpegOk)
            qFatal("cannot encode");
        testfiles::writeFile(sequentialFilePath(sequenceFolderOf(dir.filePath("save")), {}, 1),
                             jpeg);
        options.bmp = true;
        options.showNumbers = false;
        hooks.options = [this] { return options; };
        hooks.titleSettings = [this] { return title; };
        hooks.previewPauseMs = 0;
        hooks.cellPlaced = [this](int, QPoint, QRect at) { drawn = at; };
    }
    QImage render()
    {
        const SheetProject project{dir.filePath("save"), QString(), 1, kTitleText};
        RunSampleSheets(sizes, project, state, fakes.services, hooks);
        return QImage(pageFilePath(project.workFolder, {}, 1, true))
            .convertToFormat(QImage::Format_RGB32);
    }
};

// 'W' white, 'K' black, 'G' the grey photo, '?' anything else.
char shade(const QImage &page, QPoint at)
{
    const QColor c = page.pixelColor(at);
    const int lo = std::min({c.red(), c.green(), c.blue()});
    const int hi = std::max({c.red(), c.green(), c.blue()});
    if (lo > 235)
        return 'W';
    if (hi < 40)
        return 'K';
    return lo > 100 && hi < 160 ? 'G' : '?';
}

QFont sheetFont(int pixelHeight)
{
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(pixelHeight);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

int widthOf(const QString &text, int pixelHeight)
{
    return QFontMetrics(sheetFont(pixelHeight)).horizontalAdvance(text);
}

void drawAt(QImage &image, QPoint at, const QString &text, int pixelHeight)
{
    QPainter painter(&image);
    painter.setFont(sheetFont(pixelHeight));
    painter.setPen(Qt::black);
    painter.drawText(QRect(at, QSize(900, 2 * pixelHeight)), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

class PageRenderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Frames and the number label as they land on the page: each point's expected shade.
    // The frames count as framed for the label whichever of them is on.
    void cellPixels_data()
    {
        QTest::addColumn<bool>("outerFrame");
        QTest::addColumn<bool>("sizeFrame");
        QTest::addColumn<int>("label"); // -1 none, else the NumberPosition
        QTest::addColumn<bool>("inside");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<QString>("shades");
        // The outer frame lies on the drawn photo's edge pixels, nothing outside it.
        QTest::newRow("outer frame")
            << true << false << -1 << false
            << QList<QPoint>{{167, 300}, {832, 300}, {400, 100}, {400, 599}, {168, 300},
                             {831, 300}, {400, 101}, {400, 598}, {166, 300}, {833, 300}}
            << "KKKKGGGGWW";
        // The size frame lies on the cell's edge pixels; the photo's own edge stays grey.
        QTest::newRow("size frame")
            << false << true << -1 << false
            << QList<QPoint>{{100, 300}, {899, 300}, {130, 100}, {130, 599}, {101, 300},
                             {898, 300}, {130, 101}, {99, 300},  {167, 300}, {400, 300}}
            << "KKKKWWWWGG";
        QTest::newRow("no frame") << false << false << -1 << false
                                  << QList<QPoint>{{100, 300}, {167, 300}, {832, 300}} << "WGG";
        // 1 mm at 300 dpi is 11 pixels: the label box's corner moves from (168, 101) to
        // (179, 112); framed, it starts one pixel in from the photo's corner plus the inset.
        QTest::newRow("top left, framed")
            << true << false << 0 << false << QList<QPoint>{{168, 101}, {167, 101}, {168, 100}}
            << "WKK";
        QTest::newRow("top left, framed, inside")
            << true << false << 0 << true
            << QList<QPoint>{{179, 112}, {178, 112}, {179, 111}, {168, 101}} << "WGGG";
        QTest::newRow("top left, inside")
            << false << false << 0 << true
            << QList<QPoint>{{178, 111}, {177, 111}, {178, 110}, {167, 100}} << "WGGG";
        // Bottom right the inset is negated: the box's last pixel moves from (831, 598) to
        // (820, 587). The photo fills the cell's height, so the size frame runs along its
        // bottom row.
        QTest::newRow("bottom right, framed")
            << false << true << 1 << false << QList<QPoint>{{831, 598}, {832, 598}, {831, 599}}
            << "WGK";
        QTest::newRow("bottom right, framed, inside")
            << false << true << 1 << true
            << QList<QPoint>{{820, 587}, {821, 587}, {820, 588}, {831, 598}} << "WGGG";
    }
    void cellPixels()
    {
        QFETCH(bool, outerFrame);
        QFETCH(bool, sizeFrame);
        QFETCH(int, label);
        QFETCH(bool, inside);
        QFETCH(QList<QPoint>, points);
        RenderedPage r;
        r.options.outerFrame = outerFrame;
        r.options.sizeFrame = sizeFrame;
        r.options.showNumbers = label >= 0;
        r.options.numberPosition = NumberPosition(std::max(label, 0));
        r.options.numberInside = inside;
        const QImage page = r.render();
        QCOMPARE(r.fakes.prompter.texts(), QStringList{msg::sheetsDone});
        QCOMPARE(r.drawn, kDrawn);
        QString shades;
        for (const QPoint &p : points)
            shades += QLatin1Char(shade(page, p));
        QTEST(shades, "shades");
    }

    // The title and the page number in the top margin, compared pixel for pixel with the same
    // texts drawn where they belong.
    void titleAndPageNumber_data()
    {
        QTest::addColumn<int>("align");
        QTest::addColumn<QString>("title"); // null: no title
        QTest::addColumn<int>("titleHeight");
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("number"); // what the page number says
        QTest::addColumn<int>("titleTop");
        QTest::addColumn<int>("pageTop");
        QTest::addColumn<bool>("pageAtLeft"); // else right-aligned
        const QString title = QStringLiteral("運動会 2026");
        // Not higher than the title: the page number stands on the title's base line.
        QTest::newRow("left, on the base line")
            << 0 << title << 40 << 24 << 0 << "ページ 1枚目" << 30 << 46 << false;
        QTest::newRow("offset 10 numbers page 11")
            << 0 << title << 40 << 24 << 10 << "ページ 11枚目" << 30 << 46 << false;
        QTest::newRow("same heights")
            << 0 << title << 30 << 30 << 0 << "ページ 1枚目" << 35 << 35 << false;
        // Higher than the title, or without one: centred in the margin.
        QTest::newRow("higher than the title")
            << 0 << title << 24 << 40 << 0 << "ページ 1枚目" << 38 << 30 << false;
        QTest::newRow("no title") << 0 << QString() << 40 << 24 << 0 << "ページ 1枚目" << 0 << 38
                                  << false;
        QTest::newRow("right title")
            << 2 << title << 40 << 24 << 0 << "ページ 1枚目" << 30 << 46 << true;
        QTest::newRow("centred title")
            << 1 << title << 40 << 24 << 0 << "ページ 1枚目" << 30 << 46 << false;
        // 40 full-width characters are 80 bytes; at 24 pixels they would take 960 of the
        // 800 printable pixels, so the page number goes to the left margin.
        QTest::newRow("centred long title") << 1 << QString(40, QChar(u'春')) << 10 << 24 << 0
                                            << "ページ 1枚目" << 45 << 38 << true;
    }
    void titleAndPageNumber()
    {
        QFETCH(int, align);
        QFETCH(QString, title);
        QFETCH(int, titleHeight);
        QFETCH(int, pageHeight);
        QFETCH(QString, number);
        QFETCH(int, titleTop);
        QFETCH(int, pageTop);
        QFETCH(bool, pageAtLeft);
        RenderedPage r;
        r.title.showTitle = !title.isNull();
        r.title.title = title;
        r.title.titleFontHeight = titleHeight;
        r.title.titleAlign = TitleAlign(align);
        r.title.showPageNumber = true;
        r.title.pageLabel = QStringLiteral("ページ ");
        r.title.pageSuffix = QStringLiteral("枚目");
        r.title.pageFontHeight = pageHeight;
        QFETCH(int, offset);
        r.title.pageOffset = offset;
        const QRect margin(0, 0, 1000, 100);
        const QImage page = r.render().copy(margin);
        QCOMPARE(r.fakes.prompter.texts(), QStringList{msg::sheetsDone});

        QImage expected(margin.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        if (!title.isNull()) {
            const int t = widthOf(title, titleHeight);
            const int left = align == 0 ? 100 : align == 1 ? 100 + (800 - t) / 2 : 900 - t;
            drawAt(expected, {left, titleTop}, title, titleHeight);
        }
        const int p = widthOf(number, pageHeight);
        drawAt(expected, {pageAtLeft ? 100 : 900 - p, pageTop}, number, pageHeight);
        QImage blank(margin.size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        QVERIFY(expected != blank);
        QCOMPARE(page, expected);
    }
};

MF_REGISTER_TEST(PageRenderTest)
#include "tst_pagerender.moc"
