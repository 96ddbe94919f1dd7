#include "Fakes.h"
#include "JpegFiles.h"
#include "SlowDisk.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/Jpeg.h"
#include "project/Messages.h"
#include "project/ProjectState.h"
#include "sheets/PageFile.h"
#include "sheets/PhotoOps.h"
#include "sheets/SheetRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using namespace mf;

namespace {

// A project whose numbered photo folder holds copies of the shared photos under the given
// numbers (or the named damaged file for some of them, or a FIFO for "fifo").
struct Fixture {
    QTemporaryDir dir;
    FakeServices fakes;
    OutputSizeTable sizes;
    SheetProject project;
    SheetRunState state;
    SheetHooks hooks;
    SheetOptions options;
    TitleSettings title;
    QStringList placed; // "page:number", in placing order
    QStringList captions;
    QStringList progress; // "photos/total" after each photo placed
    int resets = 0;

    explicit Fixture(const QList<int> &numbers, const QMap<int, QString> &damaged = {})
    {
        sizes.sizes[0] = builtInOutputSize();
        sizes.count = 1;
        project = {dir.filePath("save"), QString(), 1, kTitleText};
        for (int n : numbers) {
            const QString target = seq() + QString::asprintf("/%04d.jpg", n);
            if (damaged.value(n) == QLatin1String("fifo")) {
                QDir().mkpath(seq());
                QCOMPARE_EQ(mkfifo(QFile::encodeName(target).constData(), 0600), 0);
                continue;
            }
            if (damaged.value(n) == QLatin1String("1x4")) { // a 4:1:1 photo turned a quarter
                testfiles::writeFile(target, jpegfiles::encode(480, 640, {{1, 4}, {1, 1}, {1, 1}}));
                continue;
            }
            testfiles::copyShared(damaged.contains(n) ? testfiles::testdata(damaged[n])
                                                      : testfiles::photo(1 + n % 12),
                                  target);
        }
        // An unfinished numbering's mark is no photo to lay out.
        if (!numbers.isEmpty())
            testfiles::writeFile(seq() + QStringLiteral("/連番ファイル作成中.txt"), "mark");
        hooks.options = [this] { return options; };
        hooks.titleSettings = [this] { return title; };
        hooks.previewPauseMs = 0;
        hooks.setOutputCaption = [this](const QString &c) { captions.append(c); };
        hooks.reset = [this] {
            ++resets;
            resetRunState(state);
        };
        hooks.cellPlaced = [this](int number, QPoint, QRect) {
            placed.append(QStringLiteral("%1:%2").arg(state.pagesOutput + 1).arg(number));
        };
        hooks.progress = [this](const SheetProgress &p) {
            progress.append(QString::number(p.photos) + u'/' + QString::number(p.total));
        };
    }
    QString seq() const { return project.workFolder + QStringLiteral("/連番フォルダ"); }
    QString pages() const { return project.workFolder + QStringLiteral("/一覧フォルダ"); }
    QString pdf() const { return pages() + QStringLiteral("/一覧.pdf"); }
    // An earlier series: JPEG pages without numbers, and its PDF, whose bytes it returns.
    QByteArray earlierSeries()
    {
        options.continuous = options.pdf = true;
        options.showNumbers = false;
        press();
        return testfiles::readFile(pdf());
    }
    SheetRunResult press() { return RunSampleSheets(sizes, project, state, fakes.services, hooks); }
    // "1:1-16 2:17-20": the photos placed per page, runs of consecutive numbers joined.
    QString placedRanges() const
    {
        QStringList out;
        int page = 0, first = 0, last = 0;
        auto flush = [&] {
            if (first)
                out.last() += (out.last().endsWith(u':') ? QString() : QStringLiteral(",")) +
                              (first == last ? QString::number(first)
                                             : QStringLiteral("%1-%2").arg(first).arg(last));
        };
        for (const QString &p : placed) {
            const int pg = p.section(u':', 0, 0).toInt(), n = p.section(u':', 1).toInt();
            if (pg != page) {
                flush();
                out.append(QStringLiteral("%1:").arg(pg));
                page = pg;
                first = last = n;
            } else if (n == last + 1) {
                last = n;
            } else {
                flush();
                first = last = n;
            }
        }
        flush();
        return out.join(u' ');
    }
};

// The images of a PDF's pages, in order, decoded from their JPEG streams.
QList<QImage> pdfImages(const QByteArray &pdf)
{
    QList<QImage> images;
    for (qsizetype at = pdf.indexOf("/Subtype /Image"); at >= 0;
         at = pdf.indexOf("/Subtype /Image", at + 1)) {
        const qsizetype start = pdf.indexOf("stream\n", at) + 7;
        const qsizetype end = pdf.indexOf("\nendstream", start);
        QImage image;
        if (start < 7 || end < 0 || mf::decodeJpegData(pdf.mid(start, end - start), &image) != 0)
            return {};
        images.append(image);
    }
    return images;
}

// The mean difference of two pictures of one size, per channel.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row), *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::abs(int(p[i]) - int(q[i]));
    }
    return double(sum) / (qint64(x.width()) * x.height() * 3);
}

// Whether the PDF's pages are the page files named, in that order.
bool pdfHoldsPages(const QByteArray &pdf, const QString &folder, const QStringList &names)
{
    const QList<QImage> images = pdfImages(pdf);
    if (images.size() != names.size())
        return false;
    for (int i = 0; i < names.size(); ++i) {
        const QImage page(folder + u'/' + names[i]);
        if (images[i].size() != page.size() || meanDifference(images[i], page) >= 2.0)
            return false;
    }
    return true;
}

QList<int> range(int from, int to)
{
    QList<int> out;
    for (int n = from; n <= to; ++n)
        out.append(n);
    return out;
}

enum Boxes { Continuous = 1, Pdf = 2, Bmp = 4 };

struct Scenario {
    QList<int> numbers;
    QMap<int, QString> damaged;
    bool continuous;
    QString start, end;
    QStringList placedPerPress; // placedRanges after each press
    QStringList boxes;          // every message, "%path" standing for the damaged file
    QStringList files;          // in 一覧フォルダ at the end
};

} // namespace

Q_DECLARE_METATYPE(Scenario)
using Damaged = QMap<int, QString>;

class SheetRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layout()
    {
        const OutputSize size = builtInOutputSize();
        QList<int> xs, ys;
        for (int i = 0; i < 4; ++i) {
            xs.append(cellOrigin(size, i, 0).x());
            ys.append(cellOrigin(size, 0, i).y());
        }
        QCOMPARE(xs, QList<int>({165, 994, 1823, 2652}));
        QCOMPARE(ys, QList<int>({60, 635, 1210, 1785}));
        QCOMPARE(labelBoxText("7"), QStringLiteral("D7D"));
        QCOMPARE(labelBoxText("17"), QStringLiteral("17D"));
        QCOMPARE(labelBoxText(QStringLiteral("ｱ")), QStringLiteral("DｱD")); // one byte
        QCOMPARE(labelBoxText(QStringLiteral("あ")), QStringLiteral("あD"));
        QCOMPARE(numberLabel("A-", 12), QStringLiteral("A-12"));
    }

    void labelBoxes_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("framed");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRect>("text");
        // Photo at 100,200 drawn 300 x 150; box width 40, label 30, font 24.
        auto r = [](int l, int t, int rt, int b) {
            return QRect(QPoint(l, t), QPoint(rt - 1, b - 1));
        };
        QTest::newRow("top left framed")
            << 0 << true << r(101, 201, 140, 224) << r(105, 201, 135, 224);
        QTest::newRow("top left") << 0 << false << r(100, 200, 140, 224) << r(105, 200, 135, 224);
        QTest::newRow("bottom right framed")
            << 1 << true << r(360, 324, 399, 349) << r(365, 326, 395, 349);
        QTest::newRow("bottom right")
            << 1 << false << r(360, 326, 401, 351) << r(365, 326, 395, 351);
    }
    void labelBoxes()
    {
        QFETCH(int, position);
        QFETCH(bool, framed);
        QFETCH(QRect, box);
        QFETCH(QRect, text);
        const LabelBoxes b =
            mf::labelBoxes(100, 200, 300, 150, 40, 30, 24, NumberPosition(position), framed);
        QCOMPARE(b.box, box);
        QCOMPARE(b.text, text);
    }

    void titleFits_data()
    {
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("titleWidth");
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<QString>("problem");
        // Printable width 1300 (1500 less two margins of 100).
        QTest::newRow("centre, too wide") << 1 << 1000 << 200 << msg::pageNumberTooWide;
        QTest::newRow("centre, fits") << 1 << 1000 << 150 << QString();
        QTest::newRow("left, fits") << 0 << 1000 << 300 << QString();
        QTest::newRow("left, too wide") << 0 << 1000 << 301 << msg::pageNumberTooWide;
        QTest::newRow("title too wide") << 2 << 1301 << 0 << msg::titleTooWide;
    }
    void titleFits()
    {
        QFETCH(int, align);
        QFETCH(int, titleWidth);
        QFETCH(int, pageWidth);
        QFETCH(QString, problem);
        OutputSize size = builtInOutputSize();
        size.paperWidth = 1500;
        size.leftMargin = size.rightMargin = 100;
        TitleSettings title;
        title.showTitle = title.showPageNumber = true;
        title.titleAlign = TitleAlign(align);
        QCOMPARE(titleFitProblem(size, title, titleWidth, pageWidth), problem);
        title.titleFontHeight = size.topMargin + 1;
        QCOMPARE(titleFitProblem(size, title, titleWidth, pageWidth), msg::titleTooHigh);
    }

    void runs_data()
    {
        QTest::addColumn<Scenario>("s");
        const QString done = msg::sheetsDone;
        QTest::newRow("20 photos, continuous")
            << Scenario{range(1, 20), {},
                        true,         "1",
                        "",           {"1:1-16 2:17-20"},
                        {done},       {"page001.jpg", "page002.jpg"}};
        QTest::newRow("one page per press")
            << Scenario{range(1, 20), {},
                        false,        "1",
                        "",           {"1:1-16", "1:1-16 2:17-20"},
                        {done},       {"page001.jpg", "page002.jpg"}};
        QTest::newRow("17 photos, one page per press")
            << Scenario{range(1, 17), {},
                        false,        "1",
                        "",           {"1:1-16", "1:1-16 2:17"},
                        {done},       {"page001.jpg", "page002.jpg"}};
        QTest::newRow("gaps") << Scenario{{1, 2, 5}, {},          true,   "1",
                                          "",        {"1:1-2,5"}, {done}, {"page001.jpg"}};
        QTest::newRow("start 0, end 5")
            << Scenario{range(1, 20), {}, true, "0", "5", {"1:1-5"}, {done}, {"page001.jpg"}};
        QTest::newRow("start 18") << Scenario{range(1, 20), {},          true,   "18",
                                              "",           {"1:18-20"}, {done}, {"page001.jpg"}};
        QTest::newRow("photo with 1x4 sampling") << Scenario{
            range(1, 5), {{3, "1x4"}}, true, "1", "", {"1:1-5"}, {done}, {"page001.jpg"}};
        QTest::newRow("damaged photo")
            << Scenario{range(1, 5), {{3, "damaged/truncated.jpg"}}, true,           "1", "",
                        {"1:1-2"},   {msg::photoNotLoadable},        {"page001.jpg"}};
        // A FIFO never gets a writer: opening it must not wait for one.
        QTest::newRow("FIFO named like a photo")
            << Scenario{range(1, 5), {{3, "fifo"}},           true,           "1", "",
                        {"1:1-2"},   {msg::photoNotLoadable}, {"page001.jpg"}};
        QTest::newRow("photo too small") << Scenario{range(1, 5),
                                                     {{1, "damaged/too_small_48x32.jpg"}},
                                                     true,
                                                     "1",
                                                     "",
                                                     {""},
                                                     {msg::photoTooSmall},
                                                     {}};
        QTest::newRow("no numbered photos")
            << Scenario{{}, {}, true, "1", "", {""}, {msg::noSequenceFiles}, {}};
    }
    void runs()
    {
        QFETCH(Scenario, s);
        Fixture f(s.numbers, s.damaged);
        QDir().mkpath(f.seq());
        f.options.continuous = s.continuous;
        f.options.startText = s.start;
        f.options.endText = s.end;
        for (const QString &expected : s.placedPerPress) {
            f.press();
            QCOMPARE(f.placedRanges(), expected);
            QVERIFY(!f.state.running);
        }
        QStringList boxes = s.boxes;
        for (QString &box : boxes) {
            if (box.contains(QLatin1String("%1")))
                box = box.arg(f.seq() + QString::asprintf("/%04d.jpg", s.damaged.firstKey()));
        }
        QCOMPARE(f.fakes.prompter.texts().join(u'|'), boxes.join(u'|'));
        QCOMPARE(QDir(f.pages()).entryList(QDir::Files), s.files);
        // A series that ends well ends with a full progress bar, also on a part-filled page.
        const QString placed = QString::number(f.placed.size());
        if (s.boxes == QStringList{msg::sheetsDone})
            QCOMPARE(f.progress.last(), placed + u'/' + placed);
        if (!s.continuous)
            QCOMPARE(f.captions,
                     QStringList({msg::nextPageCaption, msg::nextPageCaption, msg::startCaption}));
        QVERIFY(!f.state.continuationPending);
    }

    // The message about a photo the sheets cannot use names the camera file it came from, as
    // the conversion log records it, so the operator knows which file to replace.
    void unusablePhotoNamesTheCameraFile_data()
    {
        QTest::addColumn<QString>("damaged");
        QTest::addColumn<QStringList>("logged"); // camera files of photos 1, 2, 3 …
        QTest::addColumn<QString>("named");      // the camera file the message names
        const QString card = QStringLiteral("/media/カード/DCIM/");
        const QStringList three{card + "IMG_0001.JPG", card + QStringLiteral("がっこう.jpg"),
                                card + "PHONE.jpg"};
        QTest::newRow("cannot be loaded") << "damaged/truncated.jpg" << three << three[2];
        QTest::newRow("too small") << "damaged/too_small_48x32.jpg" << three << three[2];
        QTest::newRow("not in the log") << "damaged/truncated.jpg" << three.mid(0, 2) << QString();
        QTest::newRow("no log") << "damaged/truncated.jpg" << QStringList() << QString();
    }
    void unusablePhotoNamesTheCameraFile()
    {
        QFETCH(QString, damaged);
        QFETCH(QStringList, logged);
        QFETCH(QString, named);
        Fixture f(range(1, 5), {{3, damaged}});
        QByteArray log;
        for (int n = 1; n <= logged.size(); ++n)
            log += testfiles::sjis(QString::asprintf("[%04d] ", n) + logged[n - 1] + ", " +
                                   f.seq() + QString::asprintf("/%04d.jpg", n)) +
                   "\r\n";
        if (!logged.isEmpty())
            testfiles::writeFile(f.seq() + QStringLiteral("/連番ファイル変換ログ.txt"), log);
        f.press();
        const QString text = damaged.contains("small") ? msg::photoTooSmall : msg::photoNotLoadable;
        const QString path = f.seq() + QStringLiteral("/0003.jpg");
        QCOMPARE(
            f.fakes.prompter.texts(),
            QStringList{text.arg(path) +
                        (named.isEmpty() ? QString()
                                         : QStringLiteral("元の画像ファイル：%1\n").arg(named))});
    }

    void columnFirst()
    {
        Fixture f(range(1, 5));
        QList<QPoint> cells;
        f.hooks.cellPlaced = [&cells](int, QPoint at, QRect) { cells.append(at); };
        f.options.columnFirst = true;
        f.press();
        QCOMPARE(cells.mid(0, 2), QList<QPoint>({{165, 60}, {165, 635}}));
        QCOMPARE(cells[4], QPoint(994, 60));
    }

    // The PDF of a continuous series holds the pages just saved, and replaces an earlier PDF
    // only when the whole series was saved.
    void seriesPdf_data()
    {
        QTest::addColumn<Damaged>("damaged");
        QTest::addColumn<int>("stopAt");      // photo after which 中止 is pressed; 0: never
        QTest::addColumn<int>("jpegFrom");    // photo from which pages are JPEG, not BMP; 0: all
        QTest::addColumn<QString>("box");     // the last message
        QTest::addColumn<QStringList>("pdf"); // its pages: the page files; empty: kept as it was
        const QStringList both{"page001.jpg", "page002.jpg"};
        QTest::newRow("whole series") << Damaged{} << 0 << 0 << QString(msg::sheetsDone) << both;
        QTest::newRow("ends on a damaged photo") << Damaged{{18, "damaged/truncated.jpg"}} << 0 << 0
                                                 << QString(msg::photoNotLoadable) << QStringList();
        QTest::newRow("stopped") << Damaged{} << 17 << 0 << QString(msg::sheetsStopped)
                                 << QStringList();
        // Pages of an earlier series lie under the JPEG names; the first new page is a BMP.
        QTest::newRow("BMP, then JPEG during the run")
            << Damaged{} << 0 << 17 << QString(msg::sheetsDone)
            << QStringList{"page001.bmp", "page002.jpg"};
    }
    void seriesPdf()
    {
        QFETCH(Damaged, damaged);
        QFETCH(int, stopAt);
        QFETCH(int, jpegFrom);
        QFETCH(QString, box);
        QFETCH(QStringList, pdf);
        Fixture f(range(1, 20));
        const QString pdfPath = f.pdf();
        const QByteArray earlier = f.earlierSeries();
        QCOMPARE(pdfImages(earlier).size(), 2);
        for (auto it = damaged.begin(); it != damaged.end(); ++it) {
            const QString photo = f.seq() + QString::asprintf("/%04d.jpg", it.key());
            QVERIFY(QFile::remove(photo));
            testfiles::copyShared(testfiles::testdata(it.value()), photo);
        }
        f.fakes.prompter.boxes.clear();
        f.fakes.prompter.expect(Answer::No); // keep the old pages; they are overwritten
        f.options.showNumbers = true;
        f.options.bmp = jpegFrom > 0;
        f.hooks.cellPlaced = [&](int number, QPoint, QRect) {
            if (number == stopAt)
                requestStop(f.state);
            if (number == jpegFrom)
                f.options.bmp = false;
        };
        f.press();
        QCOMPARE(f.fakes.prompter.texts().last().section(u'\n', 0, 0), box.section(u'\n', 0, 0));
        const QByteArray now = testfiles::readFile(pdfPath);
        if (pdf.isEmpty()) {
            QVERIFY(now == earlier);
            return;
        }
        QVERIFY(pdfHoldsPages(now, f.pages(), pdf));
        // 3602 x 2397 px at 300 dpi, in whole points.
        QVERIFY(now.contains("/MediaBox [0 0 864.000000 575.000000]"));
    }

    // A size too large for the image reader still makes its PDF; a PDF that cannot be written
    // whole is reported and leaves the earlier one as it was.
    void seriesPdfLimits()
    {
        QTemporaryDir dir;
        ScriptedPrompter prompter;
        const PageTarget target{dir.path(), "", kTitleText};
        const QString path = seriesPdfPath(dir.path(), "");
        OutputSize a2 = builtInOutputSize(); // A2 at 300 dpi
        a2.paperWidth = 4961;
        a2.paperHeight = 7016;
        QImage page(a2.paperWidth, a2.paperHeight, QImage::Format_BGR888);
        page.fill(Qt::white);
        {
            SeriesPdf series(a2, path);
            QVERIFY(series.addPage(page));
            QCOMPARE(series.commit(target, prompter), int(PageSaved));
        }
        QCOMPARE(pdfImages(testfiles::readFile(path)).value(0).size(), page.size());
        // Small pages from here: Qt converts a large image on its thread pool, which a forked
        // child does not have.
        OutputSize small = a2;
        small.paperWidth = 320;
        small.paperHeight = 200;
        page = QImage(small.paperWidth, small.paperHeight, QImage::Format_BGR888);
        page.fill(Qt::white);
        {
            SeriesPdf series(small, path);
            QVERIFY(series.addPage(page));
            QCOMPARE(series.commit(target, prompter), int(PageSaved));
        }
        const QByteArray before = testfiles::readFile(path);
        // Noise, so that the new file is far larger than the limit.
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.bytesPerLine(); ++x)
                page.scanLine(y)[x] = uchar((x * 7919 + y * 104729) % 251);
        const int rc = testfiles::runWithFileSizeLimit(before.size(), [&] {
            ScriptedPrompter inChild;
            SeriesPdf series(small, path);
            series.addPage(page);
            return series.commit(target, inChild) == PageWriteFailed &&
                           inChild.texts() == QStringList{msg::pageWriteFailed.arg(path)}
                       ? 0
                       : 1;
        });
        QCOMPARE(rc, 0);
        QVERIFY(testfiles::readFile(path) == before);
        QCOMPARE(QDir(dir.filePath(kPageFolderName)).entryList(QDir::Files),
                 QStringList{QFileInfo(path).fileName()}); // no temporary file left
    }

    // The series PDF follows the boxes as they stand when the series ends, however they stood
    // when it began: pages saved before the PDF was begun are read back. An earlier series
    // (without numbers) left its pages and its PDF; expected: the PDF's pages as the page
    // files, or empty for the PDF as it was before the series (gone after Yes).
    void seriesPdfFollowsTheEndingOptions_data()
    {
        QTest::addColumn<QList<int>>("presses"); // the boxes at each press: Continuous | Pdf | Bmp
        QTest::addColumn<int>("switchAt");       // the boxes become switchTo while its page shows
        QTest::addColumn<int>("switchTo");
        QTest::addColumn<bool>("deleteEarlier"); // the answer to the question about old pages
        QTest::addColumn<QStringList>("pdf");
        const int c = Continuous, p = Pdf;
        const QStringList both{"page001.jpg", "page002.jpg"};
        QTest::newRow("one page, then continuous with the PDF, earlier deleted")
            << QList<int>{0, c | p} << 0 << 0 << true << both;
        QTest::newRow("one page, then continuous with the PDF, earlier kept")
            << QList<int>{0, c | p} << 0 << 0 << false << both;
        QTest::newRow("a BMP page, then continuous with the PDF")
            << QList<int>{Bmp, c | p} << 0 << 0 << false
            << QStringList{"page001.bmp", "page002.jpg"};
        QTest::newRow("PDF ticked while page 1 shows")
            << QList<int>{c} << 16 << (c | p) << false << both;
        QTest::newRow("PDF ticked while the last page shows")
            << QList<int>{c} << 20 << (c | p) << true << both;
        QTest::newRow("PDF unticked during the run")
            << QList<int>{c | p} << 16 << c << false << QStringList();
        QTest::newRow("continuous unticked during the run")
            << QList<int>{c | p} << 16 << p << false << QStringList();
        QTest::newRow("PDF box without continuous")
            << QList<int>{p, p} << 0 << 0 << true << QStringList();
    }
    void seriesPdfFollowsTheEndingOptions()
    {
        QFETCH(QList<int>, presses);
        QFETCH(int, switchAt);
        QFETCH(int, switchTo);
        QFETCH(bool, deleteEarlier);
        QFETCH(QStringList, pdf);
        Fixture f(range(1, 20));
        const QString pdfPath = f.pdf();
        const QByteArray earlier = f.earlierSeries();
        QVERIFY(!earlier.isEmpty());
        f.fakes.prompter.boxes.clear();
        f.fakes.prompter.expect(deleteEarlier ? Answer::Yes : Answer::No);
        f.options.showNumbers = true;
        const auto setBoxes = [&f](int boxes) {
            f.options.continuous = boxes & Continuous;
            f.options.pdf = boxes & Pdf;
            f.options.bmp = boxes & Bmp;
        };
        int last = 0;
        f.hooks.cellPlaced = [&last](int number, QPoint, QRect) { last = number; };
        f.hooks.showPreview = [&](const QImage &) {
            if (last == switchAt)
                setBoxes(switchTo);
        };
        for (int boxes : presses) {
            setBoxes(boxes);
            f.press();
        }
        QCOMPARE(f.fakes.prompter.texts(), QStringList({msg::deleteOldPages, msg::sheetsDone}));
        QVERIFY(!f.state.pdf && f.state.seriesPages.isEmpty());
        QStringList files = QDir(f.pages()).entryList(QDir::Files); // no temporary file left
        files.removeOne(QStringLiteral("一覧.pdf"));
        QVERIFY2(files.size() <= 3 && files.contains("page002.jpg"), qPrintable(files.join(' ')));
        if (pdf.isEmpty()) {
            QVERIFY(testfiles::readFile(pdfPath) == (deleteEarlier ? QByteArray() : earlier));
            return;
        }
        QVERIFY(pdfHoldsPages(testfiles::readFile(pdfPath), f.pages(), pdf));
    }

    // A worker that cannot be started ends the run with a message, not the program: the ones
    // already started are stopped and joined, nothing is saved, no folder opens, and a series
    // begun by an earlier press stays where it was.
    void workerThatCannotStart_data()
    {
        QTest::addColumn<int>("workers");
        QTest::addColumn<int>("failingStart"); // from 1
        QTest::addColumn<bool>("secondPage");  // a one-page press came first
        QTest::newRow("the only worker") << 1 << 1 << false;
        QTest::newRow("the second of three") << 3 << 2 << false;
        QTest::newRow("the last of three") << 3 << 3 << false;
        QTest::newRow("the only worker, for the second page") << 1 << 1 << true;
    }
    void workerThatCannotStart()
    {
        QFETCH(int, workers);
        QFETCH(int, failingStart);
        QFETCH(bool, secondPage);
        Fixture f(range(1, 20));
        if (secondPage)
            QCOMPARE(f.press(), SheetRunResult::Pending);
        const QStringList placedBefore = f.placed;
        struct Threads {
            std::atomic<int> started{0};
            std::atomic<int> ended{0};
        };
        auto threads = std::make_shared<Threads>();
        int starts = 0;
        f.hooks.workers = workers;
        f.hooks.startWorker = [&, threads](std::function<void()> body) {
            if (++starts == failingStart)
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            ++threads->started;
            return std::thread([threads, body = std::move(body)] {
                body();
                ++threads->ended;
            });
        };
        bool busy = false;
        f.hooks.setBusy = [&busy](bool on) { busy = on; };
        f.fakes.shell.opened.clear();
        QCOMPARE(f.press(), SheetRunResult::Failed);
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::workersNotStarted});
        QCOMPARE(threads->started.load(), failingStart - 1);
        QCOMPARE(threads->ended.load(), failingStart - 1); // joined, not left running
        QCOMPARE(f.placed, placedBefore);
        QCOMPARE(QDir(f.pages()).exists(), secondPage);
        QVERIFY(f.fakes.shell.opened.isEmpty());
        QVERIFY(!f.state.running && !busy);
        QCOMPARE(f.state.continuationPending, secondPage);
        QCOMPARE(f.captions.last(), secondPage ? msg::nextPageCaption : msg::startCaption);
        // Once the workers start, the series goes on from where it was.
        f.hooks.startWorker = {};
        f.press();
        QCOMPARE(f.placedRanges(), QString(secondPage ? "1:1-16 2:17-20" : "1:1-16"));
    }

    // The pages, and the PDF, are on the disk before the run says it is done; when the disk
    // does not confirm them, the run says so as numbering does, and the folder stays shut. The
    // disk is slow: the window answers meanwhile and says that the disk is being written.
    // Without a thread beside the window's for encoding the pages and adding them to the PDF,
    // they are made all the same.
    void flushedBeforeDone_data()
    {
        QTest::addColumn<bool>("continuous");  // with the PDF; else one page of two: not done yet
        QTest::addColumn<int>("damagedPhoto"); // 0: none
        QTest::addColumn<bool>("flushWorks");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("pageThreads"); // else no thread besides one cell worker
        const QString notOnDisk = msg::notOnDisk, notLoadable = msg::photoNotLoadable;
        QTest::newRow("done") << true << 0 << true << QStringList{msg::sheetsDone} << true;
        QTest::newRow("not on the disk") << true << 0 << false << QStringList{notOnDisk} << true;
        QTest::newRow("one page of two") << false << 0 << false << QStringList() << true;
        QTest::newRow("pages before a damaged photo")
            << true << 18 << false << QStringList{notLoadable, notOnDisk} << true;
        QTest::newRow("no thread for the pages")
            << true << 0 << true << QStringList{msg::sheetsDone} << false;
    }
    void flushedBeforeDone()
    {
        QFETCH(bool, continuous);
        QFETCH(int, damagedPhoto);
        QFETCH(bool, flushWorks);
        QFETCH(QStringList, boxes);
        QFETCH(bool, pageThreads);
        Fixture f(range(1, 20),
                  damagedPhoto ? Damaged{{damagedPhoto, "damaged/truncated.jpg"}} : Damaged{});
        f.options.continuous = f.options.pdf = continuous;
        if (!pageThreads) {
            f.hooks.workers = 1;
            f.hooks.startWorker = [starts = 0](std::function<void()> body) mutable {
                if (++starts > 1)
                    throw std::system_error(
                        std::make_error_code(std::errc::resource_unavailable_try_again));
                return std::thread(std::move(body));
            };
        }
        QStringList flushes; // the folder, and whether the series PDF was in place by then
        SlowDisk disk(f.fakes.pump);
        f.hooks.diskStatus = disk.status();
        f.hooks.flushToDisk = [&, slow = disk.flush(flushWorks)](const QString &folder) {
            flushes << folder << (QFile::exists(f.pages() + "/一覧.pdf") ? "PDF" : "");
            return slow(folder);
        };
        f.press();
        for (QString &box : boxes)
            box = box == msg::notOnDisk ? box.arg(f.pages())
                  : box == msg::photoNotLoadable
                      ? box.arg(f.seq() + QString::asprintf("/%04d.jpg", damagedPhoto))
                      : box;
        QCOMPARE(f.fakes.prompter.texts(), boxes);
        const QStringList flushed{f.pages(), damagedPhoto ? "" : "PDF"};
        QCOMPARE(flushes, boxes.isEmpty() ? QStringList() : flushed);
        QCOMPARE(f.fakes.shell.opened.contains(f.pages()), flushWorks || boxes.isEmpty());
        if (flushWorks)
            QVERIFY(pdfHoldsPages(testfiles::readFile(f.pdf()), f.pages(),
                                  {"page001.jpg", "page002.jpg"}));
        QVERIFY(disk.offThread || boxes.isEmpty());
        QCOMPARE(disk.statuses.size(), boxes.isEmpty() ? 0 : 2);
    }

    // Cells are made ahead; an option changed during the run still reaches the next cell,
    // and the cells still to come are made anew on the workers, never on the window's thread.
    void optionChangedDuringTheRun()
    {
        Fixture f({1, 2, 3});
        auto onWindowThread = std::make_shared<std::atomic<int>>(0);
        QThread *windowThread = QThread::currentThread();
        f.hooks.makeCell = [onWindowThread, windowThread](const CellRequest &r,
                                                          const std::atomic<bool> *stop) {
            if (QThread::currentThread() == windowThread)
                ++*onWindowThread;
            return MakeCell(r, stop);
        };
        QList<int> heights;
        f.hooks.cellPlaced = [&](int, QPoint, QRect drawn) {
            heights.append(drawn.height());
            f.options.lTrim = true; // 1600 x 1067 trimmed to 1522 x 1067
        };
        f.press();
        QCOMPARE(heights, QList<int>({523, 550, 550}));
        QCOMPARE(onWindowThread->load(), 0);
    }

    // Old pages: the question comes for JPEG pages only; Cancel writes nothing. What saves
    // of pages and of the PDF killed half way left goes with the next run, nothing else.
    void oldPages()
    {
        Fixture f(range(1, 3));
        testfiles::writeFile(f.pages() + "/page009.bmp", "old");
        for (const char *name : {"page003.jpg.a1B2c3", "12_page0010.bmp.Q9w8E7", "一覧.pdf.Zz9yX8",
                                 "mine.txt.a1B2c3", "page.jpg.a1B2c3"})
            testfiles::writeFile(f.pages() + "/" + QString::fromUtf8(name), "cut");
        f.press();
        QCOMPARE(QDir(f.pages()).entryList(QDir::Files, QDir::Name),
                 QStringList({"mine.txt.a1B2c3", "page.jpg.a1B2c3", "page001.jpg", "page009.bmp"}));
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::sheetsDone});
        f.fakes.prompter.boxes.clear();
        f.fakes.prompter.expect(Answer::Cancel);
        QCOMPARE(f.press(), SheetRunResult::Cancelled);
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::deleteOldPages});
        f.fakes.prompter.expect(Answer::Yes);
        f.press();
        QCOMPARE(QDir(f.pages()).entryList(QDir::Files), QStringList{"page001.jpg"});
    }

    // A stop during a run leaves the current page unsaved and resets once the run returns;
    // a second press of the stop button meanwhile does not reset under the run.
    void stop()
    {
        Fixture f(range(1, 20));
        f.options.continuous = true;
        bool resetNow = true;
        f.hooks.cellPlaced = [&](int number, QPoint, QRect) {
            if (number == 17) // on the second page
                resetNow = requestStop(f.state) || requestStop(f.state);
        };
        QCOMPARE(f.press(), SheetRunResult::Stopped);
        QVERIFY(!resetNow);
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::sheetsStopped});
        QCOMPARE(f.resets, 1);
        QCOMPARE(QDir(f.pages()).entryList(QDir::Files), QStringList{"page001.jpg"});
        QCOMPARE(f.state.nextNumber, 1);
        QVERIFY(requestStop(f.state)); // no run: the window resets at once
    }

    // 中止 while the window waits for a cell: the run ends at once as stopped, whether the
    // worker is stuck in a read (a FIFO standing in for a stalled network share) or in the
    // high-quality reduction, and what the worker makes later is thrown away.
    void stopWhileAWorkerHoldsTheCell_data()
    {
        QTest::addColumn<bool>("stuckInARead");
        QTest::newRow("stuck in a read") << true;
        QTest::newRow("high-quality reduction") << false;
    }
    void stopWhileAWorkerHoldsTheCell()
    {
        QFETCH(bool, stuckInARead);
        Fixture f(range(1, 3));
        f.options.highQuality = !stuckInARead;
        const QString fifo = f.dir.filePath("stall");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // Shared with the worker, which may outlive this function's frame.
        struct Worker {
            std::atomic<bool> entered{false};
            std::atomic<int> result{1};
            std::atomic<bool> done{false};
        };
        auto worker = std::make_shared<Worker>();
        const QByteArray fifoName = QFile::encodeName(fifo);
        f.hooks.workers = 1;
        f.hooks.makeCell = [=](const CellRequest &r, const std::atomic<bool> *stop) {
            if (!r.path.endsWith(QLatin1String("0002.jpg")))
                return MakeCell(r, stop);
            worker->entered = true;
            if (stuckInARead) {
                const int fd = ::open(fifoName.constData(), O_RDONLY); // waits for a writer
                if (fd >= 0)
                    ::close(fd);
            } else {
                while (!*stop)
                    QThread::msleep(1);
            }
            CellImage cell = MakeCell(r, stop);
            worker->result = cell.result;
            worker->done = true;
            return cell;
        };
        // Stopped while the window waits for cell 2: past the pump before that cell (the
        // worker may be stuck already before photo 1 is placed, on a busy machine).
        int pumpsSincePlaced = 0;
        f.fakes.pump.onPump = [&](int) {
            if (!f.placed.isEmpty() && ++pumpsSincePlaced >= 2 && worker->entered)
                requestStop(f.state);
        };
        QCOMPARE(f.press(), SheetRunResult::Stopped);
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::sheetsStopped});
        QCOMPARE(f.placed, QStringList{"1:1"});
        QVERIFY(!QDir(f.pages()).exists());
        if (stuckInARead) {
            QVERIFY(!worker->done);
            const int fd = ::open(fifoName.constData(), O_WRONLY | O_NONBLOCK); // lets it go
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        QTRY_VERIFY(worker->done);
        if (!stuckInARead) // the reduction itself saw the stop
            QCOMPARE(worker->result.load(), int(CellStopped));
    }

    // The pages do not depend on how many workers made the cells.
    void sameBytesWhateverTheWorkers()
    {
        QByteArray first;
        for (int workers : {1, 3}) {
            Fixture f(range(1, 6));
            f.hooks.workers = workers;
            f.options.outerFrame = f.options.sizeFrame = f.options.numberInside = true;
            f.options.quality = 90;
            f.title.showTitle = f.title.showPageNumber = true;
            f.title.title = QStringLiteral("運動会 2026");
            f.press();
            const QByteArray page = testfiles::readFile(f.pages() + "/page001.jpg");
            QVERIFY(page.size() > 1000);
            if (first.isEmpty())
                first = page;
            else
                QVERIFY(page == first);
        }
    }

    // A page that cannot be written whole leaves the page before it as it was.
    void fullDisk()
    {
        QTemporaryDir dir;
        QImage page(800, 600, QImage::Format_BGR888);
        page.fill(Qt::white);
        ScriptedPrompter prompter;
        const PageTarget target{dir.path(), "12_", kTitleText};
        QCOMPARE(SavePage(page, 1, true, 40, target, prompter), int(PageSaved));
        const QString path = pageFilePath(dir.path(), "12_", 1, true);
        QCOMPARE(path, dir.path() + QStringLiteral("/一覧フォルダ/12_page001.bmp"));
        const QByteArray before = testfiles::readFile(path);
        QCOMPARE(before.mid(28, 2), QByteArray("\x18\x00", 2)); // 24 bits per pixel
        page.fill(Qt::black);
        QByteArray bytes; // encoded here: the child only writes
        QVERIFY(encodePage(page, true, 40, &bytes));
        const int rc = testfiles::runWithFileSizeLimit(before.size() / 2, [&] {
            ScriptedPrompter inChild;
            const int r = savePageBytes(&bytes, 1, true, target, inChild);
            return r == PageWriteFailed &&
                           inChild.texts() == QStringList{msg::pageWriteFailed.arg(path)}
                       ? 0
                       : 1;
        });
        QCOMPARE(rc, 0);
        QCOMPARE(testfiles::readFile(path), before);
        testfiles::writeFile(dir.filePath("x/一覧フォルダ"), "a file");
        QCOMPARE(SavePage(page, 1, false, 40, {dir.filePath("x"), "", kTitleText}, prompter),
                 int(PageFolderFailed));
        QCOMPARE(prompter.texts().last(), msg::pageFolderFailed);
    }
};

MF_REGISTER_TEST(SheetRunTest)
#include "tst_sheetrun.moc"
