// marrowfold_manual: builds the manual's PDF from its HTML and screenshots of the real windows.
//
//   marrowfold_manual <manual.html> <outputFmt.def> <output.pdf> [--shots <folder>]
//                     [--root <folder> --program <folder>]
//
// The windows are made as the program makes them, over a demo project in a temporary
// folder (or in the empty or missing --root, with the program folder at --program, so that
// the screenshots show a studio's paths; the build runs it so, see run-in-studio.sh), and are
// filled through their own commands; nothing is faked but the services that would wait for the
// operator (message boxes, folder choosers) or open other programs. It runs on the offscreen
// platform, so it needs no display. --shots also writes each screenshot as a PNG, to look at them
// while writing the manual.

#include "DemoPhotos.h"
#include "DemoServices.h"
#include "ManualPdf.h"

#include "app/Application.h"
#include "app/ProgramWindows.h"
#include "app/TForm1.h"
#include "export/ui/TForm5.h"
#include "numbering/ui/TForm7.h"
#include "orders/OrderEntry.h"
#include "orders/OrderFile.h"
#include "orders/ui/TForm4.h"
#include "platform/Jpeg.h"
#include "project/FolderTable.h"
#include "project/ProjectCommands.h"
#include "project/ui/TForm8.h"
#include "sheets/OutputSize.h"
#include "sheets/ui/TForm10.h"
#include "sheets/ui/TForm2.h"
#include "sheets/ui/TForm3.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

template <typename T = QWidget> T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "marrowfold_manual: %s has no %s\n", qPrintable(window->objectName()),
                     name);
        std::exit(1);
    }
    return found;
}

// A typed text, as the window receives it from an input method: the fields react to
// textEdited, which setText() would not send.
void typeInto(QWidget *window, const char *name, const QString &text)
{
    auto *edit = child<QLineEdit>(window, name);
    edit->setFocus();
    edit->selectAll();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

class Shots {
public:
    explicit Shots(const QString &folder) : m_folder(folder) {}
    void take(const QString &name, QWidget *window)
    {
        settle();
        add(name, window->grab().toImage());
    }
    void add(const QString &name, const QImage &image)
    {
        images.insert(name, image);
        if (!m_folder.isEmpty())
            image.save(QDir(m_folder).filePath(name));
    }
    QMap<QString, QImage> images;

private:
    QString m_folder;
};

// Runs an action once a modal dialog has come up, from inside its own event loop.
class WhenShown : public QObject {
public:
    WhenShown(QWidget *dialog, std::function<void()> action) : m_action(std::move(action))
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            QTimer::singleShot(0, this, m_action);
        return false;
    }

private:
    std::function<void()> m_action;
};

QString readUtf8(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

int fail(const QString &why)
{
    std::fprintf(stderr, "marrowfold_manual: %s\n", qPrintable(why));
    return 1;
}

// For the steps that tell whether they went through.
bool stepFailed(const QString &why)
{
    fail(why);
    return false;
}

// What the command line asks for.
struct Arguments {
    QString html;         // the manual's text
    QString outputFormat; // outputFmt.def, copied into the program folder
    QString pdf;          // where the manual is written
    QString shotFolder;   // --shots: each screenshot also as a PNG
    QString fixedRoot;    // --root and --program: the demo at a studio's paths
    QString fixedProgram;
};

// False when the command line is not as the usage says.
bool parseArguments(const QStringList &given, Arguments *out)
{
    QStringList args = given;
    auto option = [&args](const char *name) {
        const qsizetype at = args.indexOf(QString::fromLatin1(name));
        if (at < 0 || at + 1 >= args.size())
            return QString();
        const QString value = args.at(at + 1);
        args.remove(at, 2);
        return value;
    };
    out->shotFolder = option("--shots");
    if (!out->shotFolder.isEmpty())
        QDir().mkpath(out->shotFolder);
    out->fixedRoot = option("--root");
    out->fixedProgram = option("--program");
    if (args.size() != 3 || out->fixedRoot.isEmpty() != out->fixedProgram.isEmpty())
        return false;
    out->html = args.at(0);
    out->outputFormat = args.at(1);
    out->pdf = args.at(2);
    return true;
}

// The PDF's date: the one reproducible builds agree on when given, else a fixed day.
QDateTime pdfDate()
{
    QDateTime date(QDate(2026, 10, 10), QTime(0, 0), Qt::UTC);
    if (bool ok = false; qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH")) {
        const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
        if (ok)
            date = QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC);
    }
    return date;
}

// The demo's folders: the program folder, the cameras' folders and where projects are saved.
struct DemoFolders {
    QString program;
    QString saveParent;
    QString entrance;
    QString class1;
    QString class2;
    QString guests;
};

// The folder the demo lives in: tmp, or the empty or new --root. Empty after a message.
QString demoRoot(const Arguments &args, QTemporaryDir &tmp)
{
    if (args.fixedRoot.isEmpty()) {
        if (!tmp.isValid()) {
            fail(QStringLiteral("no temporary folder"));
            return {};
        }
        // While writing the manual, the demo's files are worth a look too.
        if (!args.shotFolder.isEmpty()) {
            tmp.setAutoRemove(false);
            std::fprintf(stderr, "marrowfold_manual: demo project kept in %s\n",
                         qPrintable(tmp.path()));
        }
        return tmp.path();
    }
    tmp.remove();
    // Demo files mixed with others would change the screenshots: only a fresh folder.
    for (const QString &folder : {args.fixedRoot, args.fixedProgram}) {
        if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ||
            !QDir().mkpath(folder)) {
            fail(QStringLiteral("%1 must be an empty or new folder").arg(folder));
            return {};
        }
    }
    return args.fixedRoot;
}

// Lays out the program folder and the cameras' photos under root. False after a message.
bool makeDemoFolders(const Arguments &args, const QDir &root, DemoFolders *out)
{
    out->program = args.fixedRoot.isEmpty() ? root.filePath(QStringLiteral("Velmora")) + u'/'
                                            : QDir::cleanPath(args.fixedProgram) + u'/';
    const QString cameras = root.filePath(QStringLiteral("カメラ"));
    out->saveParent = root.filePath(QStringLiteral("撮影データ"));
    QDir().mkpath(out->program);
    QDir().mkpath(out->saveParent);
    if (!QFile::copy(args.outputFormat, out->program + QStringLiteral("outputFmt.def")))
        return stepFailed(QStringLiteral("cannot copy %1").arg(args.outputFormat));
    out->entrance = cameras + QStringLiteral("/入学式");
    out->class1 = cameras + QStringLiteral("/運動会/1組");
    out->class2 = cameras + QStringLiteral("/運動会/2組");
    out->guests = cameras + QStringLiteral("/運動会/全体写真");
    if (!manual::writeDemoPhotos(out->entrance, 1, 4, 1) ||
        !manual::writeDemoPhotos(out->class1, 101, 8, 2) ||
        !manual::writeDemoPhotos(out->class2, 201, 7, 3) ||
        !manual::writeDemoPhotos(out->guests + QStringLiteral("/午前"), 301, 3, 4) ||
        !manual::writeDemoPhotos(out->guests + QStringLiteral("/午後"), 401, 3, 5))
        return stepFailed(QStringLiteral("cannot write the demo photos"));
    return true;
}

// A window flow that changed so that a modal dialog waits for an answer nobody gives would
// hang the build: end it instead. A normal run takes about a second.
void startWatchdog(QTimer &watchdog)
{
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        std::fprintf(stderr, "marrowfold_manual: a window waited for input; giving up\n");
        std::_Exit(1);
    });
    watchdog.start(120 * 1000);
}

// The windows, made and wired by the same code as at the program's start, and the steps an
// operator takes through them over the demo's folders, photographed on the way. Each step
// returns false after a message.
class Demo {
public:
    Demo(const DemoFolders &folders, const QString &shotFolder)
        : m_folders(folders), m_shots(shotFolder),
          m_windows(folders.program, m_services, m_chooser, m_orderChooser)
    {
        m_prompter.verbose = !shotFolder.isEmpty();
    }

    void show()
    {
        m_windows.mainWindow().show();
        settle();
    }

    bool run()
    {
        saveEarlierProject();
        listSportsDayFolders();
        if (!numberPhotos() || !makeSampleSheets() || !enterOrders())
            return false;
        exportAndManage();
        return true;
    }

    const QMap<QString, QImage> &images() const { return m_shots.images; }

private:
    // An earlier project, saved in spring: the history list then has something to offer.
    void saveEarlierProject()
    {
        mf::TForm1 &mainWindow = m_windows.mainWindow();
        m_clock.date = QDateTime(QDate(2026, 4, 7), QTime(15, 10, 31));
        typeInto(&mainWindow, "Edit2", QStringLiteral("桜ヶ丘小学校\u3000入学式"));
        m_chooser.next = {m_folders.saveParent, m_folders.entrance};
        mainWindow.BitBtn5Click();
        mainWindow.BitBtn1Click();
        mainWindow.BitBtn8Click();
        mainWindow.BitBtn9Click();
    }

    // The sports day: three camera folders, the last with its photos in subfolders.
    void listSportsDayFolders()
    {
        mf::TForm1 &mainWindow = m_windows.mainWindow();
        m_clock.date = QDateTime(QDate(2026, 10, 10), QTime(16, 42, 5));
        typeInto(&mainWindow, "Edit2", QStringLiteral("桜ヶ丘小学校\u3000運動会"));
        m_chooser.next = {m_folders.saveParent, m_folders.class1, m_folders.class2,
                          m_folders.guests};
        mainWindow.BitBtn5Click();
        for (int i = 0; i < 3; ++i)
            mainWindow.BitBtn1Click();
        mainWindow.StringGrid1SelectCell(3, mf::ColCheck); // サブフォルダを含む
        mainWindow.StringGrid1SelectCell(3, mf::ColPath);
        m_shots.take(QStringLiteral("main-folders.png"), &mainWindow);
    }

    // Numbering, through the button: the start number dialog is shown modally, photographed,
    // and answered with 作成 as it proposes.
    bool numberPhotos()
    {
        mf::TForm1 &mainWindow = m_windows.mainWindow();
        mf::TForm7 &startNumberDialog = m_windows.startNumberDialog();
        bool startDialogShown = false;
        WhenShown answer(&startNumberDialog, [&] {
            startDialogShown = true;
            m_shots.take(QStringLiteral("start-number.png"), &startNumberDialog);
            child<QAbstractButton>(&startNumberDialog, "BitBtn1")->click();
        });
        mainWindow.BitBtn6Click();
        if (!startDialogShown)
            return stepFailed(QStringLiteral("the start number dialog was not shown"));
        // A numbered row's number cell shows its first and last photo.
        mainWindow.StringGrid1SelectCell(2, mf::ColStart);
        m_shots.take(QStringLiteral("main-numbered.png"), &mainWindow);
        return true;
    }

    // Sample sheets with a title and page numbers. The sample sheet window is made as the
    // main window makes it; the dialogs it would open modally are shown and photographed by
    // hand instead.
    bool makeSampleSheets()
    {
        mf::TForm1 &mainWindow = m_windows.mainWindow();
        mf::TForm10 &titleDialog = m_windows.titleDialog();
        mf::SampleWindowLinks links;
        links.titleSettings = [&titleDialog] { return titleDialog.settings(); };
        links.openTitleSettings = [] {};
        links.openCustomSize = [](mf::OutputSizeTable &, int) { return -1; };
        links.selectedSizeSource = [&titleDialog](std::function<const mf::OutputSize *()> source) {
            titleDialog.setSelectedSize(std::move(source));
        };
        if (!mf::mayOpenSampleSheets(mainWindow.state(), m_prompter))
            return stepFailed(QStringLiteral("the sample sheet window was refused"));
        mf::TForm2 sheets(mainWindow.state(), m_services, links, &mainWindow);
        mainWindow.state().sampleWindowOpen = true;
        sheets.show();
        settle();
        setTitle(titleDialog);
        {
            mf::OutputSizeTable sizes = mf::LoadOutputSizes(m_folders.program);
            mf::TForm3 customSize(sizes, 0, m_folders.program, mainWindow.state().titleText,
                                  m_prompter, &sheets);
            customSize.show();
            m_shots.take(QStringLiteral("custom-size.png"), &customSize);
        }
        sheets.BitBtn1Click(); // 出力開始: the first page
        m_shots.take(QStringLiteral("sheets.png"), &sheets);
        QImage page;
        if (mf::decodeJpeg(QDir(mainWindow.state().saveFolder)
                               .filePath(QStringLiteral("一覧フォルダ/page001.jpg")),
                           &page) != mf::JpegOk)
            return stepFailed(QStringLiteral("the first sample page was not written"));
        m_shots.add(QStringLiteral("sheet-page.png"),
                    page.scaledToWidth(900, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB32));
        sheets.close();
        mainWindow.state().sampleWindowOpen = false;
        return true;
    }

    // The sheets' title and page numbers, set in their dialog and saved with the project.
    void setTitle(mf::TForm10 &titleDialog)
    {
        titleDialog.show();
        child<QCheckBox>(&titleDialog, "CheckBox1")->setChecked(true);
        typeInto(&titleDialog, "Edit13", QStringLiteral("桜ヶ丘小学校\u3000運動会\u30002026"));
        child<QRadioButton>(&titleDialog, "RadioButton2")->setChecked(true);
        child<QCheckBox>(&titleDialog, "CheckBox2")->setChecked(true);
        child<QAbstractButton>(&titleDialog, "BitBtn3")->click(); // 高さ自動調整
        m_shots.take(QStringLiteral("title.png"), &titleDialog);
        titleDialog.BitBtn1Click(); // OK: saved with the project
    }

    // Orders of five families, entered as the window enters them, and saved; then the sixth
    // family's order half typed in the window.
    bool enterOrders()
    {
        mf::TForm1 &mainWindow = m_windows.mainWindow();
        mf::TForm4 &orderWindow = m_windows.orderWindow();
        mf::OrderTable &table = orderWindow.table();
        mf::OrderInput input;
        const QList<QStringList> orders = {{"1", "1", "5", "12"},
                                           {"2", "3", "5", "9", "14", "20"},
                                           {"3", "12", "16"},
                                           {"4", "2", "5", "7", "12", "13", "19", "21"},
                                           {"5", "18"}};
        input.priceText = QStringLiteral("150");
        for (const QStringList &order : orders) {
            input.ordererText = order.first();
            for (int i = 1; i < order.size(); ++i)
                input.cell(1 + (i - 1) / 5, 1 + (i - 1) % 5) = order.at(i);
            mf::RecountInput(input);
            if (mf::EnterOrder(table, input, m_prompter, mainWindow.state().titleText) !=
                mf::EnterOk)
                return stepFailed(QStringLiteral("an order was refused"));
        }
        m_orderChooser.path =
            mf::DefaultOrderFilePath(m_folders.program, mainWindow.state().projectName);
        mf::SaveOrderFile(table, mainWindow.state(), m_prompter, m_orderChooser);
        orderWindow.show();
        orderWindow.activateWindow();
        settle();
        // Number, Enter, price, Enter, photo numbers; 38 has no numbered photo and shows how a
        // typing error stands out.
        if (QApplication::focusWidget() == child(&orderWindow, "Edit1")) {
            for (const QString &text :
                 {QStringLiteral("6"), QStringLiteral("150"), QStringLiteral("3"),
                  QStringLiteral("8"), QStringLiteral("38")}) {
                QTest::keyClicks(QApplication::focusWidget(), text);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
        }
        m_shots.take(QStringLiteral("orders.png"), &orderWindow);
        orderWindow.hide();
        return true;
    }

    // The per-order export, run to its end, and the project management window.
    void exportAndManage()
    {
        mf::TForm5 &exportWindow = m_windows.exportWindow();
        exportWindow.show();
        settle();
        exportWindow.BitBtn1Click(); // 保存処理開始
        m_shots.take(QStringLiteral("export.png"), &exportWindow);
        exportWindow.hide();

        mf::TForm8 &managementWindow = m_windows.managementWindow();
        managementWindow.show();
        settle();
        managementWindow.StringGrid1SelectCell(1, 0);
        managementWindow.BitBtn2Click(); // the delete mark on the spring project
        m_shots.take(QStringLiteral("management.png"), &managementWindow);
        managementWindow.hide();
    }

    const DemoFolders &m_folders;
    manual::AnsweringPrompter m_prompter;
    manual::Pump m_pump;
    manual::DemoClock m_clock;
    manual::QuietShell m_shell;
    manual::QueuedChooser m_chooser;
    mf::Services m_services{m_prompter, m_pump, m_clock, m_shell};
    Shots m_shots;
    manual::FixedOrderChooser m_orderChooser;
    mf::ProgramWindows m_windows;
};

// An image the text names but the demo did not take would print as an empty frame. False
// after a message.
bool everyImageTaken(const QString &html, const QMap<QString, QImage> &images)
{
    static const QRegularExpression source(QStringLiteral("<img[^>]*\\ssrc=\"([^\"]+)\""));
    for (const QRegularExpressionMatch &m : source.globalMatch(html)) {
        if (!images.contains(m.captured(1)))
            return stepFailed(
                QStringLiteral("the manual shows %1, which was not taken").arg(m.captured(1)));
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // A build tool: it never needs, nor waits for, a display. (The build sets offscreen
    // itself, with a screen of a studio's size so that no window is fitted to a small one;
    // another platform may be asked for by hand, to compare the screenshots.)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Dates in the history and the work log as a Japanese desktop writes them, whatever the
    // locale of the machine that builds the manual.
    qputenv("LC_ALL", "ja_JP.UTF-8");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marrowfold"));
    QApplication::setOrganizationName(QStringLiteral("Marrowfold"));
    mf::setUpLocalisation(app);

    Arguments args;
    if (!parseArguments(QApplication::arguments().mid(1), &args))
        return fail(QStringLiteral("usage: marrowfold_manual <manual.html> <outputFmt.def> "
                                   "<output.pdf> [--shots <folder>] "
                                   "[--root <folder> --program <folder>]"));
    const QString html = readUtf8(args.html);
    if (html.isEmpty())
        return fail(QStringLiteral("cannot read %1").arg(args.html));

    // A short, recognisable root: its path shows in the screenshots.
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/studio-XXXXXX"));
    const QString root = demoRoot(args, tmp);
    DemoFolders folders;
    if (root.isEmpty() || !makeDemoFolders(args, QDir(root), &folders))
        return 1;

    Demo demo(folders, args.shotFolder);
    demo.show();
    QTimer watchdog;
    startWatchdog(watchdog);
    if (!demo.run() || !everyImageTaken(html, demo.images()))
        return 1;

    QString error;
    if (!manual::writeManualPdf(html, demo.images(), pdfDate(), args.pdf, &error))
        return fail(error);
    return 0;
}
