#include "../../app/MainWindowFixture.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "app/TForm1.h"
#include "export/ui/TForm5.h"
#include "orders/OrderHooksBinding.h"
#include "photos/NumberedPhotos.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTest>

using namespace mf;

namespace {

// The window over a project whose numbered photo folder holds photos 1 to 10.
struct ExportWindow {
    QTemporaryDir dir;
    FakeServices fakes;
    ProjectState project;
    std::unique_ptr<OrderTable> orders = std::make_unique<OrderTable>();
    std::unique_ptr<TForm5> form;

    ExportWindow()
    {
        project.titleText = kTitle;
        project.projectName = QStringLiteral("2年1組");
        project.saveFolder = dir.path() + QStringLiteral("/save");
        project.filePrefix = QStringLiteral("A");
        project.outputFormat.values = {"%s/%04d/%s%04d_%04d.jpg", "%s/%04d/%s%04d_%04d(%d).jpg",
                                       "%s/%s%04d_%04d.jpg", "%s/%s%04d_%04d(%d).jpg"};
        for (int n = 1; n <= 10; ++n)
            testfiles::writeFile(
                sequentialFilePath(sequenceFolderOf(project.saveFolder), project.filePrefix, n),
                "jpg");
    }
    void add(const QString &orderer, const QStringList &photos)
    {
        Order &o = orders->row(++orders->orderCount);
        o.ordererNumber = orderer;
        o.photoCount = QString::number(photos.size());
        for (int i = 0; i < photos.size(); ++i)
            o.photoNumbers[std::size_t(i)] = photos[i];
    }
    void open(OutputFormatStatus status = OutputFormatStatus::Complete)
    {
        form = std::make_unique<TForm5>(project, *orders, status, fakes.services);
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    template <typename T = QWidget> T *child(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    void click(const char *name) const
    {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    QString text(const char *name) const { return child<QLineEdit>(name)->text(); }
    int shownRow() const { return child<QTableView>("StringGrid2")->currentIndex().row() + 1; }
    QString exportFolder() const
    {
        return project.saveFolder + QStringLiteral("/注文別画像フォルダ");
    }
    // Files and folders under the export folder, relative, sorted.
    QStringList exported() const
    {
        QStringList found;
        QDirIterator it(exportFolder(), QDir::AllEntries | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next().mid(exportFolder().size() + 1));
        found.sort();
        return found;
    }
};

} // namespace

class ExportWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // The range proposed at every showing: the smallest orderer in 1..9998 and the largest,
    // "1" where there is none; empty fields without orders.
    void proposedRange_data()
    {
        QTest::addColumn<QStringList>("orderers");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("3 7 5") << QStringList{"3", "7", "5"} << "3"
                               << "7";
        QTest::newRow("none above 0") << QStringList{"0", "-2"} << "1"
                                      << "1";
        QTest::newRow("9999 and above") << QStringList{"12000", "9999", "4"} << "4"
                                        << "12000";
        QTest::newRow("empty text skipped") << QStringList{"", "6x"} << "6"
                                            << "6";
        QTest::newRow("no orders") << QStringList{} << ""
                                   << "";
    }
    void proposedRange()
    {
        QFETCH(QStringList, orderers);
        QFETCH(QString, first);
        QFETCH(QString, last);
        ExportWindow w;
        for (const QString &o : orderers)
            w.add(o, {});
        w.open();
        QCOMPARE(w.text("Edit1"), first);
        QCOMPARE(w.text("Edit2"), last);
        QCOMPARE(w.text("Edit3"), QStringLiteral("4"));
    }

    // Size, the table copy and its refresh at the next showing.
    void layoutAndCopy()
    {
        ExportWindow w;
        w.add(QStringLiteral("12"), {QStringLiteral("3")});
        w.open();
        QCOMPARE(w.form->windowTitle(), kTitle);
        QCOMPARE(w.form->size(), QSize(kExportWindowWidth, kExportWindowHeight));
        w.form->resize(900, 600);
        QCOMPARE(w.form->size(), QSize(kExportWindowWidth, 600));
        QCOMPARE(w.child("BitBtn2")->x(), kExportWindowWidth - 124);
        auto *grid = w.child<QTableView>("StringGrid2");
        QVERIFY(grid->geometry().bottom() < w.child("StatusBar1")->y());
        QCOMPARE(grid->model()->index(0, 5).data().toString(), QStringLiteral("3"));
        QVERIFY(!(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(!w.child("BitBtn3")->isEnabled());

        w.form->hide();
        w.add(QStringLiteral("20"), {});
        w.orders->row(1).photoNumbers[0] = QStringLiteral("4");
        w.form->show();
        QCOMPARE(w.form->size(), QSize(kExportWindowWidth, kExportWindowHeight));
        QCOMPARE(grid->model()->index(0, 5).data().toString(), QStringLiteral("4"));
        QCOMPARE(w.text("Edit2"), QStringLiteral("20"));
    }

    // Without the flat templates the export can only go per orderer: the box is hidden
    // and ticked, and a run makes orderer folders.
    void folderBoxOfOlderFormat_data()
    {
        QTest::addColumn<OutputFormatStatus>("status");
        QTest::addColumn<int>("emptied");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("complete") << OutputFormatStatus::Complete << -1 << false;
        QTest::newRow("older") << OutputFormatStatus::OldVersion << -1 << true;
        QTest::newRow("no flat first name") << OutputFormatStatus::Complete << 2 << true;
        QTest::newRow("no flat repeat name") << OutputFormatStatus::Complete << 3 << true;
    }
    void folderBoxOfOlderFormat()
    {
        QFETCH(OutputFormatStatus, status);
        QFETCH(int, emptied);
        QFETCH(bool, hidden);
        ExportWindow w;
        if (emptied >= 0)
            w.project.outputFormat.values[std::size_t(emptied)].clear();
        w.add(QStringLiteral("3"), {QStringLiteral("1")});
        w.open(status);
        auto *box = w.child<QCheckBox>("CheckBox2");
        QCOMPARE(box->isVisible(), !hidden);
        QVERIFY(box->isChecked());
        w.click("CheckBox1"); // no sample prints: the photo is copied
        w.click("BitBtn1");
        QCOMPARE(w.fakes.prompter.texts(), QStringList());
        QCOMPARE(w.exported(), QStringList({"0003", "0003/A0003_0001.jpg"}));
    }

    // The check alone lists every fault in one box and touches no file.
    void checkOnly_data()
    {
        QTest::addColumn<QStringList>("photos");
        QTest::addColumn<QString>("box");
        QTest::newRow("faults")
            << QStringList{"1", "0", "11"}
            << QStringLiteral("   1行目の  2枚目に無効な注文番号[ 0 ]が入力されています。\n"
                              "   1行目　  3枚目の注文番号[ 11 ]は連番ファイルが存在しません。");
        QTest::newRow("clean") << QStringList{"1", "10"}
                               << QStringLiteral("入力エラーはありませんでした。");
    }
    void checkOnly()
    {
        QFETCH(QStringList, photos);
        QFETCH(QString, box);
        ExportWindow w;
        w.add(QStringLiteral("3"), photos);
        w.open();
        w.click("BitBtn4");
        QCOMPARE(w.fakes.prompter.texts(), QStringList{box});
        QCOMPARE(w.fakes.prompter.boxes.first().caption, kTitle);
        QVERIFY(!QFileInfo::exists(w.exportFolder()));
        QVERIFY(w.fakes.shell.opened.isEmpty());
        QVERIFY(w.child("BitBtn1")->isEnabled());
    }

    // A clean run: the rows shown one by one with the stop button live, the copies per
    // orderer, the progress and the time it took.
    void cleanRun()
    {
        ExportWindow w;
        w.add(QStringLiteral("3"), {QStringLiteral("1"), QStringLiteral("2")});
        w.add(QStringLiteral("7"), {QStringLiteral("2"), QStringLiteral("2")});
        w.add(QStringLiteral("5"), {});
        w.open();
        w.click("CheckBox1");
        QList<int> rows;
        w.fakes.pump.onPump = [&](int) {
            if (!w.form->exportState().exportBusy)
                return;
            QVERIFY(!w.child("BitBtn1")->isEnabled());
            QVERIFY(!w.child("BitBtn4")->isEnabled());
            QVERIFY(w.child("BitBtn3")->isEnabled());
            if (rows.isEmpty() || rows.last() != w.shownRow())
                rows.append(w.shownRow());
            w.fakes.clock.now_ms = 100000 + 1500 * quint64(w.shownRow());
        };
        w.click("BitBtn1");
        QCOMPARE(w.fakes.prompter.texts(), QStringList());
        QCOMPARE(rows, QList<int>({1, 2, 3}));
        QCOMPARE(w.exported(),
                 QStringList({"0003", "0003/A0003_0001.jpg", "0003/A0003_0002.jpg", "0005", "0007",
                              "0007/A0007_0002(1).jpg", "0007/A0007_0002.jpg"}));
        QCOMPARE(w.child<QProgressBar>("ProgressBar1")->text(), QStringLiteral("4 / 4 ファイル"));
        QCOMPARE(w.child<QLabel>("ElapsedLabel")->text(), QStringLiteral("経過時間 4.5秒"));
        QCOMPARE(w.fakes.shell.opened, QStringList{w.exportFolder()});
        QCOMPARE(w.shownRow(), 1);
        QVERIFY(w.child("BitBtn1")->isEnabled());
        QVERIFY(!w.child("BitBtn3")->isEnabled());
        QVERIFY(!w.form->exportBusy());
        // The opened texts and folder had their time before the buttons answer again.
        QVERIFY(w.fakes.clock.now_ms >= 100000 + 4500 + kExportSettleMs);
    }

    // Stopping when the second order comes up: the first order's copies stay, the rest is
    // not copied; closing stops the same way and closes once the run has returned. With no run
    // going, Esc does nothing, wherever the focus is; 閉じる and the close box close at once.
    void stopOrClose_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("closes");
        QTest::newRow("stop button") << true << "BitBtn3" << false;
        QTest::newRow("Esc") << true << "Esc" << false;
        QTest::newRow("close button") << true << "BitBtn2" << true;
        QTest::newRow("close box") << true << "close" << true;
        QTest::newRow("idle, Esc") << false << "Esc" << false;
        QTest::newRow("idle, Esc in a field") << false << "Edit3" << false;
        QTest::newRow("idle, Esc in the table") << false << "StringGrid2" << false;
        QTest::newRow("idle, close button") << false << "BitBtn2" << true;
        QTest::newRow("idle, close box") << false << "close" << true;
    }
    void stopOrClose()
    {
        QFETCH(bool, running);
        QFETCH(QString, how);
        QFETCH(bool, closes);
        ExportWindow w;
        w.add(QStringLiteral("3"), {QStringLiteral("1")});
        w.add(QStringLiteral("4"), {QStringLiteral("2")});
        w.add(QStringLiteral("5"), {QStringLiteral("3")});
        w.open();
        w.click("CheckBox1");
        const auto act = [&] {
            if (how == "Esc")
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                            : w.form.get(),
                                Qt::Key_Escape);
            else if (how.startsWith("Edit") || how.startsWith("StringGrid"))
                QTest::keyClick(w.child(how.toLatin1().constData()), Qt::Key_Escape);
            else if (how == "close")
                w.form->close();
            else
                w.click(how.toLatin1().constData());
        };
        if (!running) {
            act();
            QCOMPARE(w.form->isVisible(), !closes);
            QCOMPARE(w.fakes.prompter.texts(), QStringList());
            return;
        }
        bool acted = false;
        w.fakes.pump.onPump = [&](int) {
            if (acted || !w.form->exportState().exportBusy || w.shownRow() != 2)
                return;
            acted = true;
            act();
            QVERIFY(w.form->isVisible());
        };
        w.click("BitBtn1");
        QVERIFY(acted);
        QCOMPARE(w.fakes.prompter.texts(), QStringList{QStringLiteral("中止しました。")});
        QCOMPARE(w.fakes.prompter.boxes.first().caption, kTitle);
        // The mark says the export did not finish, until one does.
        QCOMPARE(w.exported(), QStringList({"0003", "0003/A0003_0001.jpg",
                                            QStringLiteral("注文別画像保存中.txt")}));
        QVERIFY(w.fakes.shell.opened.isEmpty());
        QCOMPARE(w.form->isVisible(), !closes);
        QVERIFY(w.child("BitBtn1")->isEnabled());
        QVERIFY(!w.child("BitBtn3")->isEnabled());
        QVERIFY(!w.form->exportState().abortExport);
    }

    // Bound as the program binds it: opened from the main window; while it runs, a new
    // project cannot reset the table under it, and the reset empties its copy afterwards.
    void mainWindowLinks()
    {
        MainWindowFixture f;
        f.start();
        TForm1 &main = *f.window;
        ProjectState &project = main.state();
        project.projectName = QStringLiteral("遠足");
        project.saveFolder = f.path(QStringLiteral("save"));
        project.filePrefix = QStringLiteral("A");
        testfiles::writeFile(sequentialFilePath(sequenceFolderOf(project.saveFolder), "A", 1),
                             "jpg");
        auto orders = std::make_unique<OrderTable>();
        orders->row(1).ordererNumber = QStringLiteral("8");
        orders->row(1).photoCount = QStringLiteral("1");
        orders->row(1).photoNumbers[0] = QStringLiteral("1");
        orders->orderCount = 1;
        TForm5 form(project, *orders, main.startStatus(), f.fakes.services, &main);
        int resets = 0;
        project.orders = MakeOrderHooks(
            *orders, project, f.fakes.prompter, [&resets] { ++resets; },
            [&form] { form.clearExportTable(); });
        main.setExportWindowLinks([&form] { form.show(); }, [&form] { return form.exportBusy(); });

        main.findChild<QAbstractButton *>(QStringLiteral("BitBtn10"))->click();
        QVERIFY(form.isVisible());
        QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), QStringLiteral("8"));
        auto *grid = form.findChild<QTableView *>(QStringLiteral("StringGrid2"));
        int tried = 0;
        f.fakes.pump.onPump = [&](int) {
            if (!form.exportBusy() || tried++ > 0)
                return;
            main.BitBtn9Click();
            main.BitBtn10Click();
            project.orders.clearExportTable();
            QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("8"));
        };
        QTest::mouseClick(form.findChild<QAbstractButton *>(QStringLiteral("BitBtn1")),
                          Qt::LeftButton);
        QCOMPARE(tried > 0, true);
        QCOMPARE(f.fakes.prompter.texts(), QStringList());
        QCOMPARE(resets, 0);
        QCOMPARE(project.projectName, QStringLiteral("遠足"));
        QCOMPARE(orders->orderCount, 1);
        // The reset asked for during the run empties the copy once the run is over.
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString());
    }
};

MF_REGISTER_TEST(ExportWindowTest)
#include "tst_exportwindow.moc"
