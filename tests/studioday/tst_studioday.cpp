// A studio's whole day through the windows, bound as the program binds them: a project of two
// camera folders, its numbering, the sample sheet, five orders, the per-order export, the
// reopening from the history, pruning the history and repairing a hand-edited project file.
// Each step reads what the steps before it wrote; the checks are on files and on what the
// windows show.

#include "../app/MainWindowFixture.h"
#include "../sheets/ui/Typing.h"
#include "FakeOrderChooser.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "app/ProgramWindows.h"
#include "app/TForm1.h"
#include "export/ui/TForm5.h"
#include "orders/ui/TForm4.h"
#include "platform/LocalTime.h"
#include "project/ui/TForm8.h"
#include "sheets/OutputSize.h"
#include "sheets/PageLayout.h"

#include <QAction>
#include <QComboBox>
#include <QDirIterator>
#include <QImage>
#include <QLineEdit>
#include <QTableView>

using mf::Answer;
using testfiles::readFile;
using testfiles::sjis;

// A helper's failed comparison ends the step, as one in the step itself would.
#define CHECKED(...)                                                                               \
    do {                                                                                           \
        __VA_ARGS__;                                                                               \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

// Each step builds on the files and state of the one before.
#define BEGIN_STEP(n) QVERIFY2(m_stepsDone == (n)-1, "an earlier step of the day failed")

namespace {

const QString kName = QStringLiteral("運動会");
const QString kCode = QStringLiteral("12");
const QString kPrefix = QStringLiteral("12_");
constexpr int kFirstFolderPhotos = 7;
constexpr int kPhotos = 12;

// The orders of the day as typed: orderer, photo numbers. Orderer 1 first asks for photo 13,
// which was never taken; it is corrected to 9 once the export's check has named it.
struct DayOrder {
    QString orderer;
    QStringList photos;
};
const QList<DayOrder> kOrders = {{"3", {"1", "5", "12"}},
                                 {"7", {"5", "5", "2"}},
                                 {"12", {"8", "8"}},
                                 {"1", {"13", "4"}},
                                 {"20", {"10", "11", "5"}}};
constexpr int kMissingRow = 4;
const QString kCorrected = QStringLiteral("9");
const QString kPrice = QStringLiteral("300");
const QString kSheetTitle = QStringLiteral("運動会　見本");

// One order line of the CSV file: 104 fields, empty photo cells as empty fields.
QByteArray csvLine(const QString &orderer, const QStringList &photos)
{
    QStringList fields{orderer, QString::number(photos.size()), kPrice,
                       QString::number(photos.size() * kPrice.toInt())};
    fields += photos;
    while (fields.size() < 104)
        fields.append(QString());
    return fields.join(u',').toLatin1() + "\r\n";
}

// Whether the middle of a rectangle of the page holds a photo rather than blank paper: most
// of a photo differs from white, blank paper (with JPEG noise) nowhere much.
double nonWhiteShare(const QImage &page, const QRect &cell)
{
    const QRect middle =
        cell.adjusted(cell.width() / 4, cell.height() / 4, -cell.width() / 4, -cell.height() / 4);
    int nonWhite = 0, all = 0;
    for (int y = middle.top(); y <= middle.bottom(); y += 7) {
        for (int x = middle.left(); x <= middle.right(); x += 7) {
            const QColor c = page.pixelColor(x, y);
            nonWhite += std::min({c.red(), c.green(), c.blue()}) < 200;
            ++all;
        }
    }
    return all ? double(nonWhite) / all : 0.0;
}

// Runs steps inside the exec() of the window with the given object name once it shows, then
// closes it the way its close box does, so that the command that opened it returns.
class WhileShown : public QObject {
public:
    WhileShown(const QString &name, std::function<void(QDialog &)> steps)
        : m_name(name), m_steps(std::move(steps))
    {
        qApp->installEventFilter(this);
    }
    ~WhileShown() override { qApp->removeEventFilter(this); }
    bool ran = false;
    bool forcedClosed = false; // the window refused to close and was shut from outside

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (event->type() == QEvent::Show && dialog && !ran && dialog->objectName() == m_name) {
            ran = true;
            QTimer::singleShot(0, this, [this, dialog] {
                QApplication::setActiveWindow(dialog);
                m_steps(*dialog);
                if (dialog->isVisible())
                    dialog->reject();
                if (dialog->isVisible()) {
                    // A failed step must not leave the test waiting in exec() forever.
                    forcedClosed = true;
                    dialog->QDialog::done(QDialog::Rejected);
                }
            });
        }
        return false;
    }

private:
    QString m_name;
    std::function<void(QDialog &)> m_steps;
};

} // namespace

class StudioDayTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeServices m_fakes;
    FakeChooser m_chooser;
    FakeOrderChooser m_orderChooser;
    std::unique_ptr<mf::ProgramWindows> m_windows;
    QString m_program, m_save, m_first, m_second;
    QStringList m_sources;   // the camera files in copy order
    QStringList m_saveTimes; // of each save, as the work log writes them
    int m_boxesSeen = 0;
    int m_stepsDone = 0;

    mf::TForm1 &main() { return m_windows->mainWindow(); }
    template <typename T = QWidget> T *child(QWidget *window, const char *name)
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    template <typename T = QWidget> T *mainChild(const char *name)
    {
        return child<T>(&main(), name);
    }
    static QString cell(QTableView *grid, int row, int column)
    {
        return grid->model()->index(row - 1, column).data().toString();
    }
    QString folderCell(int row, int column)
    {
        return cell(mainChild<QTableView>("StringGrid1"), row, column);
    }
    QString path(const QString &relative) const { return m_dir.path() + u'/' + relative; }
    QString sequence() const { return m_save + QStringLiteral("/連番フォルダ"); }
    QString numbered(int n) const
    {
        return sequence() + u'/' + kPrefix + QString::asprintf("%04d.jpg", n);
    }
    QString exportFolder() const { return m_save + QStringLiteral("/注文別画像フォルダ"); }
    QString workLog() const { return m_program + QStringLiteral("work_log.txt"); }
    QString projectFile(int n) const { return m_program + QString::asprintf("project%05d.txt", n); }

    // The boxes shown since the last call must be exactly these, every question answered.
    void expectBoxes(const QStringList &texts)
    {
        const QStringList all = m_fakes.prompter.texts();
        const QStringList shown = all.mid(m_boxesSeen);
        m_boxesSeen = int(all.size());
        QCOMPARE(shown, texts);
        QVERIFY(!m_fakes.prompter.unexpectedQuestion);
        QCOMPARE(m_fakes.prompter.pendingAnswers(), 0);
    }
    // Opens a window with a command of the main window and runs steps while it shows.
    void whileShown(const char *window, const std::function<void()> &command,
                    std::function<void(QDialog &)> steps)
    {
        WhileShown driver(QString::fromLatin1(window), std::move(steps));
        command();
        QVERIFY2(driver.ran, window);
        QVERIFY2(!driver.forcedClosed, window);
    }
    void clickMain(const char *button) { mainChild<QAbstractButton>(button)->click(); }

    // The date and time the program writes now: the fake clock's, as the system formats it.
    QString now() const { return mf::localDateTimeText(m_fakes.clock.dateTime); }
    // The main window's work log question of a save, made now.
    QString workLogQuestion(int projectNumber) const
    {
        return QStringLiteral(
                   "以下のデータを work_log.txt に保存します。よろしいですか？\n\n"
                   "プロジェクト名\t%1\n日付\t\t%2\nフォルダ情報\t%3\n保存先フォルダ\t%4\n")
            .arg(kName, now(), projectFile(projectNumber), m_save);
    }
    // The work log record of the save that wrote the project file.
    QByteArray workLogRecord(int projectNumber) const
    {
        return sjis(QStringLiteral("%1\r\n%2\r\n%3\r\n%4\r\nscode=%5\r\n")
                        .arg(kName, m_saveTimes.value(projectNumber), projectFile(projectNumber),
                             m_save, kCode));
    }
    QByteArray projectLines(const QString &firstRange, const QString &secondRange) const
    {
        return sjis(QStringLiteral("0,7,7,7,0,%1,%2\r\n0,5,5,5,0,%3,%4\r\n")
                        .arg(firstRange, m_first, secondRange, m_second));
    }

    // The order entry window's keyboard chain: orderer, Enter, price, Enter, each photo and
    // Enter, Enter on the empty cell, Enter on "入力". typed runs before the photos are left.
    void typeOrder(QDialog &window, const DayOrder &order, bool withPrice,
                   const std::function<void()> &typed = {})
    {
        auto focus = [] { return QApplication::focusWidget(); };
        auto key = [&](Qt::Key k) { QTest::keyClick(focus(), k); };
        QCOMPARE(focus(), child(&window, "Edit1"));
        QTest::keyClicks(focus(), order.orderer);
        key(Qt::Key_Return);
        QCOMPARE(focus(), child(&window, "Edit2"));
        if (withPrice) {
            child<QLineEdit>(&window, "Edit2")->selectAll();
            QTest::keyClicks(focus(), kPrice);
        }
        key(Qt::Key_Return);
        for (const QString &photo : order.photos) {
            QTest::keyClicks(focus(), photo);
            key(Qt::Key_Return);
        }
        if (typed)
            CHECKED(typed());
        key(Qt::Key_Return);
        QCOMPARE(focus(), child(&window, "BitBtn1"));
        key(Qt::Key_Return);
    }
    // The order file saved through "保存"; overwriting answers the existing-file question No.
    void saveOrders(QDialog &window, bool exists)
    {
        const QString file = m_program + kName + QStringLiteral(".csv");
        if (exists)
            m_fakes.prompter.expect(Answer::No);
        m_fakes.prompter.expect(Answer::Yes);
        child<QAbstractButton>(&window, "BitBtn8")->click();
        QStringList boxes;
        if (exists)
            boxes << QStringLiteral("既に注文ファイルが存在します。別名で保存しますか？\n\n"
                                    "プロジェクト名と違う別名で保存した場合は次回 "
                                    "[csvから読み込み]ボタンで読み込む事が出来ます。\n\n") +
                         file;
        boxes << QStringLiteral("注文データを以下のファイルに保存します。\nよろしいですか？\n") +
                     file
              << QStringLiteral("以下の注文ファイルを保存しました。\n\n") + file;
        CHECKED(expectBoxes(boxes));
    }
    // The final orders as the CSV file holds them.
    static QByteArray ordersCsv(bool corrected)
    {
        QByteArray csv;
        for (int i = 0; i < kOrders.size(); ++i) {
            QStringList photos = kOrders[i].photos;
            if (corrected && i + 1 == kMissingRow)
                photos[0] = kCorrected;
            csv += csvLine(kOrders[i].orderer, photos);
        }
        return csv;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_dir.isValid());
        m_program = path(QStringLiteral("program/"));
        QDir().mkpath(m_program);
        // The output format file as the program installs it.
        testfiles::writeFile(m_program + QStringLiteral("outputFmt.def"),
                             readFile(QStringLiteral(MARROWFOLD_DATA "/outputFmt.def")));
        // Two cameras: photos 1 to 7 in one folder, 8 to 12 in the other, all different.
        m_first = path(QStringLiteral("カメラ/一組"));
        m_second = path(QStringLiteral("カメラ/二組"));
        for (int n = 1; n <= kPhotos; ++n) {
            const bool first = n <= kFirstFolderPhotos;
            const int inFolder = first ? n : n - kFirstFolderPhotos;
            m_sources.append(testfiles::copyShared(
                testfiles::photo(n), (first ? m_first + QStringLiteral("/IMG_%1.jpg")
                                            : m_second + QStringLiteral("/DSC_%1.jpg"))
                                         .arg(inFolder, 4, 10, QChar(u'0'))));
        }
        m_windows = std::make_unique<mf::ProgramWindows>(m_program, m_fakes.services, m_chooser,
                                                         m_orderChooser);
        main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
        CHECKED(expectBoxes({}));
    }
    void cleanupTestCase()
    {
        m_windows.reset();
        // Nothing the program opened was left waiting for an answer.
        QVERIFY(!m_fakes.prompter.unexpectedQuestion);
    }

    // 1. Name, save folder, the two camera folders and the school code; saved.
    void step1_createAndSaveProject()
    {
        BEGIN_STEP(1);
        MainWindowFixture::commitText(mainChild<QLineEdit>("Edit2"), kName);
        m_chooser.next = path(QStringLiteral("写真"));
        QDir().mkpath(m_chooser.next);
        clickMain("BitBtn5");
        m_save = m_chooser.next + u'/' + kName;
        QCOMPARE(mainChild<QLineEdit>("Edit1")->text(), m_save);
        QVERIFY(QFileInfo(m_save).isDir());
        for (const QString &folder : {m_first, m_second}) {
            m_chooser.next = folder;
            clickMain("BitBtn1");
        }
        // The school code field is not shown by the window; its handler takes the code.
        main().Edit3Change(kCode);
        // Folder, counts: subfolders, files, direct JPEGs, all JPEGs; no numbers yet.
        QCOMPARE(
            (QStringList{folderCell(1, 1), folderCell(1, 3), folderCell(1, 4), folderCell(1, 5),
                         folderCell(1, 6), folderCell(1, 8), folderCell(2, 1), folderCell(2, 6)}),
            (QStringList{m_first, "0", "7", "7", "7", "", m_second, "5"}));

        m_fakes.prompter.expect(Answer::Yes);
        clickMain("BitBtn8");
        CHECKED(expectBoxes({workLogQuestion(0)}));
        m_saveTimes.append(now());
        QCOMPARE(readFile(projectFile(0)),
                 projectLines(QStringLiteral("0,0"), QStringLiteral("0,0")));
        QCOMPARE(readFile(workLog()), workLogRecord(0));
        QCOMPARE(mainChild<QComboBox>("ComboBox1")->count(), 1);
        m_stepsDone = 1;
    }

    // 2. 連番ファイルの作成: every photo under its number, in list order, logged.
    void step2_numbering()
    {
        BEGIN_STEP(2);
        m_fakes.clock.dateTime = m_fakes.clock.dateTime.addSecs(3600); // an hour later
        StartDialogDriver driver(m_windows->startNumberDialog(), QStringLiteral("1"));
        m_fakes.prompter.expect(Answer::Yes); // the save that ends the run
        clickMain("BitBtn6");
        QCOMPARE(driver.proposals, QStringList{"1"});
        CHECKED(expectBoxes({workLogQuestion(1)}));
        m_saveTimes.append(now());

        QByteArray log;
        for (int n = 1; n <= kPhotos; ++n) {
            QCOMPARE(readFile(numbered(n)), readFile(m_sources[n - 1]));
            log += sjis(QStringLiteral("[%1] %2, %3\r\n")
                            .arg(QString::asprintf("%04d", n), m_sources[n - 1], numbered(n)));
        }
        QDir folder(sequence());
        QCOMPARE(folder.entryList(QDir::Files, QDir::Name).size(), kPhotos + 1); // and the log
        QCOMPARE(readFile(sequence() + QStringLiteral("/連番ファイル変換ログ.txt")), log);
        QCOMPARE(
            (QStringList{folderCell(1, 8), folderCell(1, 9), folderCell(2, 8), folderCell(2, 9)}),
            (QStringList{"1", "7", "8", "12"}));
        QCOMPARE(readFile(projectFile(1)),
                 projectLines(QStringLiteral("1,7"), QStringLiteral("8,12")));
        QCOMPARE(readFile(workLog()), workLogRecord(0) + workLogRecord(1));
        QCOMPARE(m_fakes.shell.opened, QStringList{sequence()});
        m_stepsDone = 2;
    }

    // 3. The sample sheet window made by the main window, with a title set in the title
    // dialog: one page of the built-in size, the twelve photos in its first twelve cells.
    void step3_sampleSheets()
    {
        BEGIN_STEP(3);
        const QString titleFile = m_program + kName + QStringLiteral("_title.dat");
        CHECKED(whileShown(
            "TForm2", [this] { clickMain("BitBtn7"); },
            [&](QDialog &window) {
                // タイトル設定 opens the program's title dialog; OK saves it for this project.
                CHECKED(whileShown(
                    "TForm10", [&] { child<QAbstractButton>(&window, "BitBtn4")->click(); },
                    [&](QDialog &title) {
                        child<QAbstractButton>(&title, "CheckBox1")->click();
                        typeInto(child<QLineEdit>(&title, "Edit13"), kSheetTitle);
                        m_fakes.prompter.expect(Answer::Yes);
                        child<QAbstractButton>(&title, "BitBtn1")->click();
                        QVERIFY(!title.isVisible());
                    }));
                CHECKED(expectBoxes(
                    {QStringLiteral(
                         "タイトルデータを以下のファイルに保存します。\nよろしいですか？\n") +
                         titleFile,
                     QStringLiteral("以下のタイトルデータファイルを保存しました。\n\n") +
                         titleFile}));
                child<QAbstractButton>(&window, "BitBtn1")->click();
            }));
        CHECKED(expectBoxes({QStringLiteral("一覧を出力しました。")}));
        QVERIFY(readFile(titleFile).startsWith(sjis(kSheetTitle) + "\r\n20\r\nON\r\nOFF\r\n"));

        const QString pages = m_save + QStringLiteral("/一覧フォルダ");
        QCOMPARE(QDir(pages).entryList(QDir::Files), QStringList{kPrefix + "page001.jpg"});
        const QImage page(pages + u'/' + kPrefix + QStringLiteral("page001.jpg"));
        QCOMPARE(page.size(), QSize(3602, 2397));
        // The built-in size: 4 x 4 cells of equal size inside the margins.
        const mf::OutputSize size = mf::builtInOutputSize();
        QCOMPARE(size.columns * size.rows, 16);
        for (int i = 0; i < 16; ++i) {
            const QRect cell(mf::cellOrigin(size, i % 4, i / 4),
                             QSize(size.photoWidth, size.photoHeight));
            const double share = nonWhiteShare(page, cell);
            if (i < kPhotos)
                QVERIFY2(share > 0.3,
                         qPrintable(QStringLiteral("cell %1: %2").arg(i + 1).arg(share)));
            else
                QVERIFY2(share < 0.01,
                         qPrintable(QStringLiteral("cell %1: %2").arg(i + 1).arg(share)));
        }
        // The title stands in the top margin, above the first row of cells.
        int dark = 0;
        for (int y = 0; y < size.topMargin; ++y)
            for (int x = 0; x < page.width(); x += 2)
                dark += page.pixelColor(x, y).lightness() < 100;
        QVERIFY2(dark > 50, qPrintable(QString::number(dark)));
        m_stepsDone = 3;
    }

    // 4. Five orders typed in the order entry window, saved, and the order list.
    void step4_orders()
    {
        BEGIN_STEP(4);
        CHECKED(whileShown(
            "TForm4", [this] { clickMain("BitBtn12"); },
            [this](QDialog &window) {
                QVERIFY(QTest::qWaitForWindowActive(&window));
                auto *input = child<QTableView>(&window, "StringGrid1");
                for (int i = 0; i < kOrders.size(); ++i) {
                    const DayOrder &order = kOrders[i];
                    // The photo that was never taken shows on light red once typed.
                    const auto missingIsMarked = [&] {
                        const QColor lightRed(255, 200, 200);
                        const QModelIndex missing = input->model()->index(0, 0);
                        const QModelIndex present = input->model()->index(0, 1);
                        QCOMPARE(missing.data().toString(), order.photos[0]);
                        QCOMPARE(missing.data(Qt::BackgroundRole).value<QColor>(), lightRed);
                        QVERIFY(present.data(Qt::BackgroundRole).value<QColor>() != lightRed);
                    };
                    CHECKED(typeOrder(window, order, i == 0,
                                      i + 1 == kMissingRow ? missingIsMarked
                                                           : std::function<void()>()));
                }
                CHECKED(expectBoxes({}));
                auto *table = child<QTableView>(&window, "StringGrid2");
                for (int i = 0; i < kOrders.size(); ++i) {
                    const int count = int(kOrders[i].photos.size());
                    QCOMPARE((QStringList{cell(table, i + 1, 1), cell(table, i + 1, 2),
                                          cell(table, i + 1, 3), cell(table, i + 1, 4),
                                          cell(table, i + 1, 5)}),
                             (QStringList{kOrders[i].orderer, QString::number(count), kPrice,
                                          QString::number(count * 300), kOrders[i].photos[0]}));
                }
                saveOrders(window, false);
                QCOMPARE(readFile(m_program + kName + QStringLiteral(".csv")), ordersCsv(false));

                child<QAbstractButton>(&window, "BitBtn9")->click();
                CHECKED(expectBoxes({}));
                const QString list = m_program + kName + QStringLiteral("_注文リスト.txt");
                QCOMPARE(m_fakes.shell.opened.last(), list);
                QByteArray expected =
                    sjis(QStringLiteral("注文者　注文枚数　　　単価　　　値段\r\n"));
                int count = 0, amount = 0;
                for (const DayOrder &order : kOrders) {
                    const int n = int(order.photos.size());
                    count += n;
                    amount += n * 300;
                    expected +=
                        sjis(QString::asprintf("%4s", qPrintable(order.orderer)) + u'　' +
                             QString::asprintf("%8d", n) + u'枚' + QString::asprintf("%8d", 300) +
                             u'円' + QString::asprintf("%8d", n * 300) + u'円') +
                        "\r\n";
                }
                QCOMPARE(count, 13);
                expected += QByteArray(36, '-') + "\r\n";
                expected += sjis(
                    QStringLiteral(" 　合計枚数%1枚 　合計金額%2円\r\n")
                        .arg(QString::asprintf("%4d", count), QString::asprintf("%8d", amount)));
                QCOMPARE(readFile(list), expected);
            }));
        CHECKED(expectBoxes({}));
        m_stepsDone = 4;
    }

    // 5. The export's check names the photo that does not exist and copies nothing; the
    // operator corrects that order in the order entry window and saves again.
    void step5_checkFindsMissingPhotoAndOrderIsCorrected()
    {
        BEGIN_STEP(5);
        CHECKED(whileShown(
            "TForm5", [this] { clickMain("BitBtn10"); },
            [this](QDialog &window) {
                // The range the window proposes: the lowest and highest orderer.
                QCOMPARE(child<QLineEdit>(&window, "Edit1")->text(), QStringLiteral("1"));
                QCOMPARE(child<QLineEdit>(&window, "Edit2")->text(), QStringLiteral("20"));
                child<QAbstractButton>(&window, "BitBtn4")->click();
                expectBoxes({QStringLiteral("   4行目　  1枚目の注文番号[ 13 ]は連番ファイルが"
                                            "存在しません。")});
                // A real run stops at the same finding, leaving no copy behind.
                child<QAbstractButton>(&window, "BitBtn1")->click();
                expectBoxes({QStringLiteral("   4行目　  1枚目の注文番号[ 13 ]は連番ファイルが"
                                            "存在しません。")});
                QVERIFY(QDir(exportFolder()).isEmpty());
            }));

        CHECKED(whileShown(
            "TForm4", [this] { clickMain("BitBtn12"); },
            [this](QDialog &window) {
                QVERIFY(QTest::qWaitForWindowActive(&window));
                auto *table = child<QTableView>(&window, "StringGrid2");
                QTest::mouseClick(
                    table->viewport(), Qt::LeftButton, {},
                    table->visualRect(table->model()->index(kMissingRow - 1, 1)).center());
                QCOMPARE(child<QLineEdit>(&window, "Edit1")->text(),
                         kOrders[kMissingRow - 1].orderer);
                QCOMPARE(child<QAbstractButton>(&window, "BitBtn1")->text(),
                         QStringLiteral("更新"));
                auto *input = child<QTableView>(&window, "StringGrid1");
                input->setFocus(Qt::TabFocusReason);
                auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
                QVERIFY(editor);
                QCOMPARE(editor->text(), kOrders[kMissingRow - 1].photos[0]);
                editor->selectAll();
                QTest::keyClicks(editor, kCorrected);
                QTest::keyClick(editor, Qt::Key_Return);
                child<QAbstractButton>(&window, "BitBtn1")->click();
                QCOMPARE(cell(table, kMissingRow, 5), kCorrected);
                QCOMPARE(cell(table, kMissingRow, 6), kOrders[kMissingRow - 1].photos[1]);
                saveOrders(window, true);
                QCOMPARE(readFile(m_program + kName + QStringLiteral(".csv")), ordersCsv(true));
            }));
        CHECKED(expectBoxes({}));
        m_stepsDone = 5;
    }

    // 6. 注文別に画像保存: folders per orderer, the copies, and both sample texts.
    void step6_export()
    {
        BEGIN_STEP(6);
        const qsizetype opened = m_fakes.shell.opened.size();
        CHECKED(whileShown(
            "TForm5", [this] { clickMain("BitBtn10"); },
            [this](QDialog &window) {
                child<QAbstractButton>(&window, "BitBtn4")->click();
                CHECKED(expectBoxes({QStringLiteral("入力エラーはありませんでした。")}));
                child<QAbstractButton>(&window, "BitBtn1")->click();
                CHECKED(expectBoxes({}));
            }));
        // Everything under the export folder: a folder per orderer of the range, also for
        // orderers whose every photo went out as a sample print; the copies (the names of
        // outputFmt.def, a second print of a name under the repeat name) with the numbered
        // photo each must equal; the two texts (0: not a copy).
        const std::pair<QString, int> entries[] = {
            {QStringLiteral("0001"), 0},
            {QStringLiteral("0003"), 0},
            {QStringLiteral("0007"), 0},
            {QStringLiteral("0007/12_0007_0005(1).jpg"), 5},
            {QStringLiteral("0007/12_0007_0005.jpg"), 5},
            {QStringLiteral("0012"), 0},
            {QStringLiteral("0012/12_0012_0008.jpg"), 8},
            {QStringLiteral("0020"), 0},
            {QStringLiteral("0020/12_0020_0005.jpg"), 5},
            {QStringLiteral("サンプル指定.txt"), 0},
            {QStringLiteral("注文者別サンプル指定.txt"), 0},
        };
        QStringList found, expected;
        QDirIterator it(exportFolder(), QDir::AllEntries | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(QDir(exportFolder()).relativeFilePath(it.next()));
        found.sort();
        for (const auto &[entry, photo] : entries) {
            expected.append(entry);
            if (photo)
                QCOMPARE(readFile(exportFolder() + u'/' + entry), readFile(numbered(photo)));
        }
        expected.sort();
        QCOMPARE(found, expected);

        // The texts' first line: the project and the date of the run, as the work log has it.
        const QByteArray heading = sjis(kName + QStringLiteral("    ") + now());
        QByteArray perOrderer = heading + "\r\n\r\n" +
                                sjis(QStringLiteral("注文者番号  : 写真番号...      ")) +
                                "\r\n\r\n";
        perOrderer += "[   3]     :      1      5     12\r\n";
        perOrderer += "[   7]     :      2\r\n";
        perOrderer += "[  12]     :      8\r\n";
        perOrderer += "[   1]     :      9      4\r\n";
        perOrderer += "[  20]     :     10     11\r\n";
        QCOMPARE(readFile(exportFolder() + QStringLiteral("/注文者別サンプル指定.txt")),
                 perOrderer);
        QByteArray byPhoto =
            heading + "\r\n" + sjis(QStringLiteral("写真番号   [ 注文者番号 ]      ")) + "\r\n";
        const std::pair<int, int> owners[] = {{1, 3}, {2, 7},   {4, 1},   {5, 3}, {8, 12},
                                              {9, 1}, {10, 20}, {11, 20}, {12, 3}};
        for (size_t i = 0; i < std::size(owners); ++i) {
            byPhoto +=
                QString::asprintf("%8d   [%8d]    ", owners[i].first, owners[i].second).toLatin1();
            if (i % 4 == 3)
                byPhoto += "\r\n";
        }
        QCOMPARE(readFile(exportFolder() + QStringLiteral("/サンプル指定.txt")), byPhoto);
        // Both texts and the folder are opened for the operator.
        QCOMPARE(m_fakes.shell.opened.mid(opened),
                 (QStringList{exportFolder() + QStringLiteral("/サンプル指定.txt"),
                              exportFolder() + QStringLiteral("/注文者別サンプル指定.txt"),
                              exportFolder()}));
        m_stepsDone = 6;
    }

    // 7. The project closed and reopened from the history: folders, numbers, code, orders.
    void step7_closeAndReopen()
    {
        BEGIN_STEP(7);
        clickMain("BitBtn9");
        CHECKED(expectBoxes({}));
        QCOMPARE(mainChild<QLineEdit>("Edit2")->text(), QString());
        QCOMPARE(folderCell(1, 1), QString());
        // The orders went with the project: the export has none to work on.
        clickMain("BitBtn10");
        CHECKED(expectBoxes({QStringLiteral("写真の注文を入力してください。")}));

        auto *history = mainChild<QComboBox>("ComboBox1");
        QCOMPARE(history->count(), 2);
        Q_EMIT history->activated(1); // the save that ended the numbering
        CHECKED(expectBoxes({}));
        QCOMPARE(mainChild<QLineEdit>("Edit2")->text(), kName);
        QCOMPARE(mainChild<QLineEdit>("Edit1")->text(), m_save);
        QCOMPARE(mainChild<QLineEdit>("Edit3")->text(), kCode);
        QCOMPARE(
            (QStringList{folderCell(1, 1), folderCell(1, 6), folderCell(1, 8), folderCell(1, 9),
                         folderCell(2, 1), folderCell(2, 6), folderCell(2, 8), folderCell(2, 9)}),
            (QStringList{m_first, "7", "1", "7", m_second, "5", "8", "12"}));
        CHECKED(whileShown(
            "TForm4", [this] { clickMain("BitBtn12"); },
            [this](QDialog &window) {
                auto *table = child<QTableView>(&window, "StringGrid2");
                for (int i = 0; i < kOrders.size(); ++i) {
                    QStringList photos = kOrders[i].photos;
                    if (i + 1 == kMissingRow)
                        photos[0] = kCorrected;
                    QStringList shown;
                    for (int c = 0; c < photos.size(); ++c)
                        shown.append(cell(table, i + 1, 5 + c));
                    QCOMPARE(cell(table, i + 1, 1), kOrders[i].orderer);
                    QCOMPARE(shown, photos);
                }
                QCOMPARE(cell(table, kOrders.size() + 1, 1), QString());
            }));
        CHECKED(expectBoxes({}));
        // The export works on the reloaded orders and finds every photo under the reopened
        // project's prefix.
        CHECKED(whileShown(
            "TForm5", [this] { clickMain("BitBtn10"); },
            [this](QDialog &window) {
                QCOMPARE(child<QLineEdit>(&window, "Edit1")->text(), QStringLiteral("1"));
                QCOMPARE(child<QLineEdit>(&window, "Edit2")->text(), QStringLiteral("20"));
                child<QAbstractButton>(&window, "BitBtn4")->click();
            }));
        CHECKED(expectBoxes({QStringLiteral("入力エラーはありませんでした。")}));
        m_stepsDone = 7;
    }

    // 8. プロジェクトの管理: the first save's record is pruned from the history.
    void step8_pruneHistory()
    {
        BEGIN_STEP(8);
        clickMain("BitBtn9"); // the project must be closed first
        CHECKED(expectBoxes({}));
        const QByteArray before = readFile(workLog());
        const QByteArray kept = workLogRecord(1);
        CHECKED(whileShown(
            "TForm8", [this] { mainChild<QAction>("M3")->trigger(); },
            [this](QDialog &window) {
                auto *grid = child<QTableView>(&window, "StringGrid1");
                QCOMPARE(cell(grid, 1, 4), QStringLiteral("project00000.txt"));
                QCOMPARE(cell(grid, 2, 4), QStringLiteral("project00001.txt"));
                QCOMPARE(cell(grid, 1, 6), kCode);
                m_fakes.clock.now_ms += 1000;
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                  grid->visualRect(grid->model()->index(0, 2)).center());
                QCOMPARE(cell(grid, 1, 1), QStringLiteral("×"));
                child<QAbstractButton>(&window, "BitBtn3")->click();
                QCOMPARE(cell(grid, 1, 4), QStringLiteral("project00001.txt"));
                QCOMPARE(cell(grid, 2, 4), QString());
            }));
        CHECKED(expectBoxes({}));
        QCOMPARE(readFile(m_program + QStringLiteral("work_log00000.txt")), before);
        QCOMPARE(readFile(workLog()), kept);
        auto *history = mainChild<QComboBox>("ComboBox1");
        QCOMPARE(history->count(), 1);
        QCOMPARE(history->itemText(0), QStringLiteral("%1 (%2)").arg(kName, m_saveTimes[1]));
        // Pruning touches only the work log.
        QVERIFY(QFile::exists(projectFile(0)));
        QCOMPARE(readFile(projectFile(1)),
                 projectLines(QStringLiteral("1,7"), QStringLiteral("8,12")));
        m_stepsDone = 8;
    }

    // 9. フォルダリストのチェック: a project file edited by hand is rebuilt from the
    // conversion log, and the edited one kept under a leading underscore.
    void step9_repairProjectFile()
    {
        BEGIN_STEP(9);
        const QByteArray edited = projectLines(QStringLiteral("1,7"), QStringLiteral("8,11"));
        testfiles::writeFile(projectFile(1), edited);
        const QString backup = m_program + QStringLiteral("_project00001.txt");
        m_fakes.prompter.expect({Answer::No, Answer::Yes});
        mainChild<QAction>("C1")->trigger();
        CHECKED(expectBoxes(
            {kName + QStringLiteral("　は全ｊｐｇファイル数が連番フォルダ内のファイル数と同じです。"
                                    "\n恐らく問題は無いと思われますがスキップしてよろしいですか？"),
             sequence() + QStringLiteral("/連番ファイル変換ログ.txt　のデータが違います。\n") +
                 projectFile(1) +
                 QStringLiteral(" [8][11][%1]\n変換ログ [8][12][%1]").arg(m_second),
             kName + QStringLiteral("　はフォルダ情報と連番フォルダ内のファイル情報が違っています。"
                                    "\n修正してよろしいですか？"),
             QStringLiteral("古い間違ったフォルダ情報定義ファイル　%1　は以下のファイル名に改名され"
                            "ました。\n\n%2")
                 .arg(projectFile(1), backup),
             QStringLiteral("%1 を修正保存しました。\n元のファイルは %2 に改名されました。")
                 .arg(projectFile(1), backup),
             QStringLiteral("1 つのプロジェクトを修正しました。")}));
        QCOMPARE(readFile(backup), edited);
        QCOMPARE(readFile(projectFile(1)),
                 projectLines(QStringLiteral("1,7"), QStringLiteral("8,12")));

        // Reopened, the project shows the numbers the photos really have.
        Q_EMIT mainChild<QComboBox>("ComboBox1")->activated(0);
        CHECKED(expectBoxes({}));
        QCOMPARE((QStringList{folderCell(2, 8), folderCell(2, 9)}), (QStringList{"8", "12"}));
        m_stepsDone = 9;
    }
};

MF_REGISTER_TEST(StudioDayTest)
#include "tst_studioday.moc"
