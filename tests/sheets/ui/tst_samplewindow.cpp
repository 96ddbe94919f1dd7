#include "../../app/MainWindowFixture.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "photos/NumberedPhotos.h"
#include "platform/ui/ScreenFit.h"
#include "sheets/PageFile.h"
#include "sheets/SheetRun.h"
#include "sheets/ui/TForm2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using namespace mf;

namespace {

const QString kStatus40 =
    QStringLiteral("解像度 W六つ切り 300dpi[4×4]( 3602px*2397px) 35mmフィルム "
                   "幅 3602pixel 高さ 2397pixel  Jpeg品質 40");

// The luminance DC quantiser of a JPEG: 20 at quality 40, 16 at 50, 10 at 70.
int dcQuantiser(const QByteArray &jpeg)
{
    const qsizetype at = jpeg.indexOf("\xFF\xDB");
    return at < 0 ? -1 : quint8(jpeg.at(at + 5));
}

// A sample sheet window over a project whose numbered folder holds copies of the shared
// photos as 0001.jpg, 0002.jpg, ...
struct SampleWindowFixture {
    QTemporaryDir dir;
    FakeServices fakes;
    ProjectState project;
    SampleWindowLinks links;
    std::unique_ptr<TForm2> window;

    explicit SampleWindowFixture(int photos = 12)
    {
        project.programFolder = dir.filePath(QStringLiteral("program/"));
        QDir().mkpath(project.programFolder);
        project.titleText = kTitleText;
        project.saveFolder = project.workFolder = dir.filePath(QStringLiteral("save"));
        project.folders.folderCount = 1;
        // The full-size view, whose pixels the tests below count; the fitted view has its own.
        links.fitPreview = [] { return false; };
        for (int n = 1; n <= photos; ++n)
            testfiles::copyShared(testfiles::photo(1 + (n - 1) % 12),
                                  sequentialFilePath(sequenceFolderOf(project.workFolder), {}, n));
    }
    void start()
    {
        window = std::make_unique<TForm2>(project, fakes.services, links);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    template <typename T = QWidget> T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QString status() const { return child<QLabel>("statusText")->text(); }
    QString page(int n) const { return pageFilePath(project.workFolder, {}, n, false); }
    void press() { QTest::mouseClick(child("BitBtn1"), Qt::LeftButton); }
    // The preview's colour at a point of the scaled page.
    QColor preview(QPoint at) const
    {
        return child("Image1")->grab(QRect(at, QSize(1, 1))).toImage().pixelColor(0, 0);
    }
    QColor background() const { return window->palette().color(QPalette::Window); }
};

} // namespace

class SampleWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // On showing the slider, the status line and the pages all use 40 until it is moved.
    void openingState()
    {
        SampleWindowFixture f;
        // The title dialog learns the selected size while the window is open, and no more.
        std::function<const OutputSize *()> source;
        int told = 0;
        f.links.selectedSizeSource = [&](std::function<const OutputSize *()> s) {
            source = std::move(s);
            ++told;
        };
        f.start();
        QVERIFY(source && source() && source()->dpi == 300);
        QCOMPARE(f.window->windowTitle(), kTitleText + QStringLiteral("　[写真サンプルの作成]"));
        QCOMPARE(f.window->minimumSize(), QSize(908, 744));
        QCOMPARE(f.window->size(), QSize(908, 744));
        auto *sizes = f.child<QComboBox>("ComboBox1");
        QCOMPARE(sizes->count(), 1);
        QCOMPARE(sizes->currentIndex(), 0);
        QCOMPARE(sizes->maxVisibleItems(), 50);
        auto *slider = f.child<QSlider>("TrackBar1");
        QCOMPARE(slider->value(), 40);
        QCOMPARE(f.status(), kStatus40);
        QCOMPARE(f.child<QLineEdit>("Edit1")->text(), QStringLiteral("1"));
        QCOMPARE(f.child<QLineEdit>("Edit2")->text(), QString());
        QCOMPARE(f.child<QLineEdit>("Edit3")->maxLength(), 16);
        QStringList on;
        for (const QCheckBox *box : f.window->findChildren<QCheckBox *>())
            if (box->isChecked())
                on.append(box->objectName());
        on.sort();
        QCOMPARE(on, QStringList({"CheckBox11", "CheckBox2", "CheckBox5", "CheckBox6"}));
        const std::pair<const char *, const char *> buddies[] = {{"Label1", "ComboBox1"},
                                                                 {"Label3", "TrackBar1"},
                                                                 {"Label8", "Edit3"},
                                                                 {"Label2", "Edit1"},
                                                                 {"Label7", "Edit2"}};
        for (const auto &[label, field] : buddies)
            QCOMPARE(f.child<QLabel>(label)->buddy(), f.child(field));

        f.press();
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::sheetsDone});
        QCOMPARE(dcQuantiser(testfiles::readFile(f.page(1))), 20);

        QTest::keyClick(slider, Qt::Key_PageUp);
        QCOMPARE(slider->value(), 50);
        QVERIFY(f.status().endsWith(QStringLiteral("Jpeg品質 50")));
        f.fakes.prompter.expect(Answer::Yes); // the old pages go
        f.press();
        QCOMPARE(dcQuantiser(testfiles::readFile(f.page(1))), 16);

        // The preview takes what the window grows by; the close button stays in its corner.
        f.window->resize(1100, 900);
        const int statusHeight = f.child("StatusBar1")->height();
        QCOMPARE(f.child("ScrollBox1")->geometry(),
                 QRect(4, 112, 1092, 900 - 112 - statusHeight - 10));
        QCOMPARE(f.child("BitBtn11")->geometry().right() + 1, 1100 - 5);
        f.window.reset();
        QCOMPARE(told, 2);
        QVERIFY(!source);
    }

    // A run lays all twelve photos on one page, shows it and tells where it is while drawing.
    void runShowsPagesAndProgress()
    {
        SampleWindowFixture f;
        f.start();
        QStringList seen;
        bool busyControls = false;
        f.fakes.pump.onPump = [&](int) {
            seen.append(f.status());
            for (const char *name : {"BitBtn1", "BitBtn3", "BitBtn4", "ComboBox1"})
                busyControls = busyControls || f.child(name)->isEnabled();
        };
        f.press();
        QVERIFY2(!busyControls, "output, sizes and title stay shut while a run draws");
        QVERIFY(seen.contains(QStringLiteral("ページ 1 / 1  0001.jpg")));
        QVERIFY(seen.contains(QStringLiteral("ページ 1 / 1  0012.jpg")));
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::sheetsDone});
        QVERIFY(QFile::exists(f.page(1)));
        QVERIFY(!QFile::exists(f.page(2)));
        QCOMPARE(f.status(), kStatus40);
        QVERIFY(f.child("StatusBar1")->findChild<QProgressBar *>()->isHidden());
        // The page margin is white, the first photo is not.
        QCOMPARE(f.preview({2, 2}), QColor(Qt::white));
        const QColor photo = f.preview({300, 150});
        QVERIFY(photo != QColor(Qt::white) && photo != f.background());
        for (const char *name : {"BitBtn1", "BitBtn3", "BitBtn4"})
            QVERIFY(f.child(name)->isEnabled());
        QVERIFY(!f.child("ComboBox1")->isEnabled()); // until the next reset
    }

    // 全体表示 shows the last page whole in the preview area, in proportion, refitted when the
    // window is resized; the choice is kept through the links.
    void previewFit_data()
    {
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QSize>("window");
        QTest::newRow("fitted") << true << QSize(908, 744);
        QTest::newRow("fitted, larger window") << true << QSize(1400, 1000);
        QTest::newRow("full size") << false << QSize(908, 744);
    }
    void previewFit()
    {
        QFETCH(bool, fit);
        QFETCH(QSize, window);
        SampleWindowFixture f;
        f.links.fitPreview = {}; // on unless told otherwise
        QList<bool> kept;
        f.links.setFitPreview = [&kept](bool on) { kept.append(on); };
        f.start();
        auto *box = f.child<QCheckBox>("CheckBox13");
        QVERIFY(box->isChecked());
        if (!fit)
            box->click();
        QCOMPARE(kept, fit ? QList<bool>{} : QList<bool>{false});
        f.window->resize(window);
        f.press();
        QWidget *viewport = f.child<QScrollArea>("ScrollBox1")->viewport();
        QWidget *image = f.child("Image1");
        if (!fit) {
            QCOMPARE(image->size(), QSize(2480, 2480));
            QCOMPARE(f.preview({2479, 2}), QColor(Qt::white)); // the page's right edge
            return;
        }
        QCOMPARE(image->size(), viewport->size());
        // The page, 2480 x 1650 in the preview, as wide as the area allows in proportion.
        const int area = viewport->width(), height = viewport->height();
        const int width = 1650 * area / 2480 <= height ? area : 2480 * height / 1650;
        const int pageHeight = 1650 * width / 2480;
        QCOMPARE(f.preview({width - 2, 2}), QColor(Qt::white));
        QCOMPARE(f.preview({2, pageHeight - 3}), QColor(Qt::white));
        QVERIFY(width + 2 >= area || pageHeight + 2 >= height); // nothing larger would fit
        if (width + 1 < area)
            QCOMPARE(f.preview({width + 1, 2}), f.background());
        if (pageHeight + 1 < height)
            QCOMPARE(f.preview({2, pageHeight + 1}), f.background());
    }

    // On a screen smaller than the window's usual size the available area is its minimum, and
    // the preview shrinks so that the status line stays in view.
    void smallScreen()
    {
        SampleWindowFixture f;
        f.start();
        fitToScreen(f.window.get(), QSize(908, 744), QSize(1366, 700));
        QCOMPARE(f.window->minimumSize(), QSize(908, 700));
        QCOMPARE(f.window->size(), QSize(908, 700));
        const QRect status = f.child("StatusBar1")->geometry();
        QCOMPARE(status.bottom(), 699);
        QCOMPARE(f.child("ScrollBox1")->geometry().bottom(), status.top() - 11);
        fitToScreen(f.window.get(), QSize(908, 744), QSize(1600, 1200));
        QCOMPARE(f.window->minimumSize(), QSize(908, 744));
    }

    // A single-page series of 20 photos waits after page 1. What resets the window abandons
    // it: the next press starts from photo 1 and asks about the pages already there.
    void abandonPendingSeries_data()
    {
        QTest::addColumn<int>("stops");
        QTest::addColumn<int>("customSize"); // -2: not opened; -1: edited; 1: a new size
        QTest::addColumn<bool>("abandoned");
        QTest::newRow("one stop keeps it") << 1 << -2 << false;
        QTest::newRow("two stops reset") << 2 << -2 << true;
        QTest::newRow("margins edited") << 0 << -1 << true;
        QTest::newRow("new size selected") << 0 << 1 << true;
    }

    void abandonPendingSeries()
    {
        QFETCH(int, stops);
        QFETCH(int, customSize);
        QFETCH(bool, abandoned);
        SampleWindowFixture f(20);
        f.links.openCustomSize = [&](OutputSizeTable &sizes, int selected) {
            if (customSize < 0)
                return -1;
            sizes.sizes[size_t(sizes.count)] = sizes.sizes[size_t(selected)];
            sizes.sizes[size_t(sizes.count)].label = QStringLiteral("新しいサイズ");
            return sizes.count++;
        };
        f.start();
        QTest::keyClicks(f.child("Edit2"), QStringLiteral("20"));
        f.press();
        QVERIFY(QFile::exists(f.page(1)));
        QVERIFY(!QFile::exists(f.page(2)));
        QCOMPARE(f.child<QPushButton>("BitBtn1")->text(), QStringLiteral("次ページを出力"));
        QVERIFY(!f.child("ComboBox1")->isEnabled());

        for (int i = 0; i < stops; ++i)
            QTest::mouseClick(f.child("BitBtn2"), Qt::LeftButton);
        if (customSize > -2)
            QTest::mouseClick(f.child("BitBtn3"), Qt::LeftButton);

        auto *sizes = f.child<QComboBox>("ComboBox1");
        QCOMPARE(sizes->count(), customSize == 1 ? 2 : 1);
        QCOMPARE(sizes->currentIndex(), customSize == 1 ? 1 : 0);
        QCOMPARE(f.status().startsWith(QStringLiteral("解像度 新しいサイズ ")), customSize == 1);
        QCOMPARE(sizes->isEnabled(), abandoned);
        QCOMPARE(f.child<QPushButton>("BitBtn1")->text(),
                 abandoned ? QStringLiteral("出力開始") : QStringLiteral("次ページを出力"));
        QCOMPARE(f.child<QLineEdit>("Edit2")->text(), abandoned ? QString() : QStringLiteral("20"));
        QCOMPARE(f.preview({2, 2}), abandoned ? f.background() : QColor(Qt::white));

        if (abandoned)
            f.fakes.prompter.expect(Answer::Cancel);
        f.press();
        QCOMPARE(f.fakes.prompter.texts(),
                 abandoned ? QStringList{msg::deleteOldPages} : QStringList{msg::sheetsDone});
        QCOMPARE(QFile::exists(f.page(2)), !abandoned);
    }

    // The status line takes a custom size's name as it stands in CustomSize.def.
    void statusNamesTheSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("status");
        QTest::newRow("plain") << QStringLiteral("拡大")
                               << QStringLiteral(
                                      "解像度 拡大 幅 2000pixel 高さ 1500pixel  Jpeg品質 40");
        QTest::newRow("%1") << QStringLiteral("拡大%1")
                            << QStringLiteral(
                                   "解像度 拡大%1 幅 2000pixel 高さ 1500pixel  Jpeg品質 40");
        QTest::newRow("%2 and %4")
            << QStringLiteral("%2と%4")
            << QStringLiteral("解像度 %2と%4 幅 2000pixel 高さ 1500pixel  Jpeg品質 40");
    }

    void statusNamesTheSize()
    {
        QFETCH(QString, name);
        SampleWindowFixture f;
        QByteArray record = QByteArray(52, '-') + "\r\n300\r\n" + testfiles::sjis(name) + "\r\n";
        for (int n : {2000, 1500, 2, 2, 800, 600, 169, 127, 100, 100, 100, 100, 24})
            record += QByteArray::number(n) + "\r\n";
        testfiles::writeFile(f.project.programFolder + QStringLiteral("CustomSize.def"), record);
        f.start();
        f.child<QComboBox>("ComboBox1")->setCurrentIndex(1);
        QTEST(f.status(), "status");
    }

    void noSizeSelected()
    {
        SampleWindowFixture f;
        bool opened = false;
        f.links.openCustomSize = [&](OutputSizeTable &, int) {
            opened = true;
            return -1;
        };
        f.start();
        f.child<QComboBox>("ComboBox1")->setCurrentIndex(-1);
        QTest::mouseClick(f.child("BitBtn3"), Qt::LeftButton);
        QVERIFY(!opened);
        QCOMPARE(f.fakes.prompter.boxes.size(), 1);
        QCOMPARE(f.fakes.prompter.boxes[0].text, QStringLiteral("解像度が選択されていません。"));
        QCOMPARE(f.fakes.prompter.boxes[0].caption, kTitleText);
    }

    // Every way of closing during a run stops it; the window closes once the run has ended.
    void closeDuringRun_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("close button") << 0;
        QTest::newRow("title bar") << 1;
        QTest::newRow("Esc") << 2;
    }

    void closeDuringRun()
    {
        QFETCH(int, how);
        SampleWindowFixture f;
        f.start();
        bool visibleAfterClose = false;
        f.fakes.pump.onPump = [&](int call) {
            if (call != 1)
                return;
            if (how == 0)
                QTest::mouseClick(f.child("BitBtn11"), Qt::LeftButton);
            else if (how == 1)
                f.window->close();
            else
                QTest::keyClick(f.window.get(), Qt::Key_Escape);
            visibleAfterClose = f.window->isVisible();
        };
        f.press();
        QVERIFY(visibleAfterClose);
        QCOMPARE(f.fakes.prompter.texts(), QStringList{msg::sheetsStopped});
        QVERIFY(!f.window->isVisible());
        QVERIFY(!QFile::exists(f.page(1)));
    }

    void wheel_data()
    {
        QTest::addColumn<bool>("fromEnd");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("turns"); // angle deltas; negative turns scroll down
        QTest::addColumn<int>("expected");
        QTest::newRow("up from 15") << false << 15 << QList<int>{120} << 15;
        QTest::newRow("up from 20") << false << 20 << QList<int>{120} << 0;
        QTest::newRow("down from 0") << false << 0 << QList<int>{-120} << 20;
        QTest::newRow("two notches") << false << 0 << QList<int>{-240} << 40;
        QTest::newRow("half notches add up") << false << 0 << QList<int>{-60, -60} << 20;
        QTest::newRow("down from range-10") << true << -10 << QList<int>{-120} << -10;
        QTest::newRow("down from range-20") << true << -20 << QList<int>{-120} << 0;
    }

    void wheel()
    {
        QFETCH(bool, fromEnd);
        QFETCH(int, start);
        QFETCH(QList<int>, turns);
        QFETCH(int, expected);
        SampleWindowFixture f(0);
        f.start();
        auto *box = f.child<QScrollArea>("ScrollBox1");
        QScrollBar *bar = box->verticalScrollBar();
        QVERIFY(bar->maximum() > 100);
        const int base = fromEnd ? bar->maximum() : 0;
        bar->setValue(base + start);
        QWidget *viewport = box->viewport();
        const QPointF at(50, 50);
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QCOMPARE(f.window->focusWidget(), box);
        for (int turn : turns) {
            QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, turn),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &event);
        }
        QCOMPARE(bar->value(), base + expected);
    }

    void highQualityNotice()
    {
        SampleWindowFixture f;
        f.start();
        auto *box = f.child<QCheckBox>("CheckBox4");
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(box, Qt::LeftButton); // switched off: no notice
        QCOMPARE(f.fakes.prompter.boxes.size(), 1);
        QCOMPARE(f.fakes.prompter.boxes[0].text,
                 QStringLiteral("高画質での縮小は縮小後サイズが右のサイズ以下の場合のみ有効になり"
                                "ます。(幅 1600 pix  高さ1600 pix )"));
        QCOMPARE(f.fakes.prompter.boxes[0].caption, kTitleText);
    }

    // The main window opens a new sample window each time, modally, flagged while it shows.
    void openedFromMainWindow()
    {
        MainWindowFixture f;
        f.start();
        f.window->state().saveFolder = f.path(QStringLiteral("save"));
        f.window->state().projectName = QStringLiteral("組");
        QStringList seen;
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, [&] {
                auto *w = qobject_cast<TForm2 *>(QApplication::activeModalWidget());
                seen.append(w ? w->windowTitle() : QString());
                seen.append(f.window->state().sampleWindowOpen ? "open" : "closed");
                if (w)
                    w->findChild<QToolButton *>(QStringLiteral("BitBtn11"))->click();
            });
            QTest::mouseClick(f.child("BitBtn7"), Qt::LeftButton);
            QVERIFY(!f.window->state().sampleWindowOpen);
            QVERIFY(f.window->findChildren<TForm2 *>().isEmpty());
        }
        const QString title = kTitle + QStringLiteral("　[写真サンプルの作成]");
        QCOMPARE(seen, QStringList({title, "open", title, "open"}));
        QCOMPARE(f.window->state().workFolder, f.path(QStringLiteral("save")));
    }
};

MF_REGISTER_TEST(SampleWindowTest)
#include "tst_samplewindow.moc"
