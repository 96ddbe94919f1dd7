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
#include <deque>
#include <functional>

namespace {

// Every question is answered Yes, the answer the demo's steps want ("overwrite?", "go on?").
// With --shots the boxes are printed, to follow the demo's steps.
class AnsweringPrompter : public mf::Prompter {
public:
    bool verbose = false;
    void inform(const QString &text, const QString &) override { log(text); }
    mf::Answer ask(const QString &text, const QString &, mf::Buttons, bool) override
    {
        log(text);
        return mf::Answer::Yes;
    }

private:
    void log(const QString &text) const
    {
        if (verbose)
            std::fprintf(stderr, "marrowfold_manual: box: %s\n",
                         qPrintable(QString(text).replace(u'\n', u' ')));
    }
};

class Pump : public mf::EventPump {
public:
    void processPendingEvents() override { QCoreApplication::processEvents(); }
};

// Time moves a second at every look, so the grid's guard against double clicks never drops a
// selection and the export's closing wait ends at once. The date is fixed: it is printed in
// the history list.
class DemoClock : public mf::Clock {
public:
    quint64 tick() override { return m_now += 1000; }
    void pause(int ms) override { m_now += quint64(ms); }
    QDateTime now() override { return date; }
    QDateTime date = QDateTime(QDate(2026, 10, 10), QTime(16, 42, 5));

private:
    quint64 m_now = 1000000;
};

// Nothing is opened: the demo's folders and texts live only as long as this run.
class QuietShell : public mf::Shell {
public:
    bool open(const QString &) override { return true; }
};

class QueuedChooser : public mf::FolderChooser {
public:
    QString chooseFolder() override
    {
        if (next.empty())
            return {};
        QString folder = next.front();
        next.pop_front();
        return folder;
    }
    std::deque<QString> next;
};

class FixedOrderChooser : public mf::OrderFileChooser {
public:
    QString chooseOrderFileToOpen(const QString &) override { return path; }
    QString chooseOrderFileToSave(const QString &suggested) override { return suggested; }
    QString path;
};

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

    QStringList args = QApplication::arguments().mid(1);
    auto option = [&args](const char *name) {
        const qsizetype at = args.indexOf(QString::fromLatin1(name));
        if (at < 0 || at + 1 >= args.size())
            return QString();
        const QString value = args.at(at + 1);
        args.remove(at, 2);
        return value;
    };
    const QString shotFolder = option("--shots");
    if (!shotFolder.isEmpty())
        QDir().mkpath(shotFolder);
    const QString fixedRoot = option("--root");
    const QString fixedProgram = option("--program");
    if (args.size() != 3 || fixedRoot.isEmpty() != fixedProgram.isEmpty())
        return fail(QStringLiteral("usage: marrowfold_manual <manual.html> <outputFmt.def> "
                                   "<output.pdf> [--shots <folder>] "
                                   "[--root <folder> --program <folder>]"));
    // The PDF's date: the one reproducible builds agree on when given, else a fixed day.
    QDateTime pdfDate(QDate(2026, 10, 10), QTime(0, 0), Qt::UTC);
    if (bool ok = false; qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH")) {
        const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
        if (ok)
            pdfDate = QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC);
    }
    const QString html = readUtf8(args.at(0));
    if (html.isEmpty())
        return fail(QStringLiteral("cannot read %1").arg(args.at(0)));

    // A short, recognisable root: its path shows in the screenshots.
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/studio-XXXXXX"));
    if (fixedRoot.isEmpty()) {
        if (!tmp.isValid())
            return fail(QStringLiteral("no temporary folder"));
    } else {
        tmp.remove();
        // Demo files mixed with others would change the screenshots: only a fresh folder.
        for (const QString &folder : {fixedRoot, fixedProgram}) {
            if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ||
                !QDir().mkpath(folder))
                return fail(QStringLiteral("%1 must be an empty or new folder").arg(folder));
        }
    }
    // While writing the manual, the demo's files are worth a look too.
    if (!shotFolder.isEmpty() && fixedRoot.isEmpty()) {
        tmp.setAutoRemove(false);
        std::fprintf(stderr, "marrowfold_manual: demo project kept in %s\n",
                     qPrintable(tmp.path()));
    }
    const QDir root(fixedRoot.isEmpty() ? tmp.path() : fixedRoot);
    const QString program = fixedRoot.isEmpty() ? root.filePath(QStringLiteral("Velmora")) + u'/'
                                                : QDir::cleanPath(fixedProgram) + u'/';
    const QString cameras = root.filePath(QStringLiteral("カメラ"));
    const QString saveParent = root.filePath(QStringLiteral("撮影データ"));
    QDir().mkpath(program);
    QDir().mkpath(saveParent);
    if (!QFile::copy(args.at(1), program + QStringLiteral("outputFmt.def")))
        return fail(QStringLiteral("cannot copy %1").arg(args.at(1)));

    const QString entrance = cameras + QStringLiteral("/入学式");
    const QString class1 = cameras + QStringLiteral("/運動会/1組");
    const QString class2 = cameras + QStringLiteral("/運動会/2組");
    const QString guests = cameras + QStringLiteral("/運動会/全体写真");
    if (!manual::writeDemoPhotos(entrance, 1, 4, 1) ||
        !manual::writeDemoPhotos(class1, 101, 8, 2) ||
        !manual::writeDemoPhotos(class2, 201, 7, 3) ||
        !manual::writeDemoPhotos(guests + QStringLiteral("/午前"), 301, 3, 4) ||
        !manual::writeDemoPhotos(guests + QStringLiteral("/午後"), 401, 3, 5))
        return fail(QStringLiteral("cannot write the demo photos"));

    AnsweringPrompter prompter;
    prompter.verbose = !shotFolder.isEmpty();
    Pump pump;
    DemoClock clock;
    QuietShell shell;
    QueuedChooser chooser;
    mf::Services services{prompter, pump, clock, shell};
    Shots shots(shotFolder);

    // The windows, made and wired by the same code as at the program's start.
    FixedOrderChooser orderChooser;
    mf::ProgramWindows windows(program, services, chooser, orderChooser);
    mf::TForm1 &mainWindow = windows.mainWindow();
    mf::TForm4 &orderWindow = windows.orderWindow();
    mf::TForm5 &exportWindow = windows.exportWindow();
    mf::TForm7 &startNumberDialog = windows.startNumberDialog();
    mf::TForm8 &managementWindow = windows.managementWindow();
    mf::TForm10 &titleDialog = windows.titleDialog();
    // The sample sheet window is made below as the main window makes it; the dialogs it would
    // open modally are shown and photographed by hand instead.
    mf::SampleWindowLinks links;
    links.titleSettings = [&titleDialog] { return titleDialog.settings(); };
    links.openTitleSettings = [] {};
    links.openCustomSize = [](mf::OutputSizeTable &, int) { return -1; };
    links.selectedSizeSource = [&titleDialog](std::function<const mf::OutputSize *()> source) {
        titleDialog.setSelectedSize(std::move(source));
    };
    mainWindow.show();
    settle();

    // A window flow that changed so that a modal dialog waits for an answer nobody gives
    // would hang the build: end it instead. A normal run takes about a second.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        std::fprintf(stderr, "marrowfold_manual: a window waited for input; giving up\n");
        std::_Exit(1);
    });
    watchdog.start(120 * 1000);

    // An earlier project, saved in spring: the history list then has something to offer.
    clock.date = QDateTime(QDate(2026, 4, 7), QTime(15, 10, 31));
    typeInto(&mainWindow, "Edit2", QStringLiteral("桜ヶ丘小学校\u3000入学式"));
    chooser.next = {saveParent, entrance};
    mainWindow.BitBtn5Click();
    mainWindow.BitBtn1Click();
    mainWindow.BitBtn8Click();
    mainWindow.BitBtn9Click();

    // The sports day: three camera folders, the last with its photos in subfolders.
    clock.date = QDateTime(QDate(2026, 10, 10), QTime(16, 42, 5));
    typeInto(&mainWindow, "Edit2", QStringLiteral("桜ヶ丘小学校\u3000運動会"));
    chooser.next = {saveParent, class1, class2, guests};
    mainWindow.BitBtn5Click();
    for (int i = 0; i < 3; ++i)
        mainWindow.BitBtn1Click();
    mainWindow.StringGrid1SelectCell(3, mf::ColCheck); // サブフォルダを含む
    mainWindow.StringGrid1SelectCell(3, mf::ColPath);
    shots.take(QStringLiteral("main-folders.png"), &mainWindow);

    // Numbering, through the button: the start number dialog is shown modally, photographed,
    // and answered with 作成 as it proposes.
    bool startDialogShown = false;
    WhenShown answer(&startNumberDialog, [&] {
        startDialogShown = true;
        shots.take(QStringLiteral("start-number.png"), &startNumberDialog);
        child<QAbstractButton>(&startNumberDialog, "BitBtn1")->click();
    });
    mainWindow.BitBtn6Click();
    if (!startDialogShown)
        return fail(QStringLiteral("the start number dialog was not shown"));
    // A numbered row's number cell shows its first and last photo.
    mainWindow.StringGrid1SelectCell(2, mf::ColStart);
    shots.take(QStringLiteral("main-numbered.png"), &mainWindow);

    // Sample sheets with a title and page numbers.
    if (!mf::mayOpenSampleSheets(mainWindow.state(), prompter))
        return fail(QStringLiteral("the sample sheet window was refused"));
    {
        mf::TForm2 sheets(mainWindow.state(), services, links, &mainWindow);
        mainWindow.state().sampleWindowOpen = true;
        sheets.show();
        settle();

        titleDialog.show();
        child<QCheckBox>(&titleDialog, "CheckBox1")->setChecked(true);
        typeInto(&titleDialog, "Edit13", QStringLiteral("桜ヶ丘小学校\u3000運動会\u30002026"));
        child<QRadioButton>(&titleDialog, "RadioButton2")->setChecked(true);
        child<QCheckBox>(&titleDialog, "CheckBox2")->setChecked(true);
        child<QAbstractButton>(&titleDialog, "BitBtn3")->click(); // 高さ自動調整
        shots.take(QStringLiteral("title.png"), &titleDialog);
        titleDialog.BitBtn1Click(); // OK: saved with the project

        {
            mf::OutputSizeTable sizes = mf::LoadOutputSizes(program);
            mf::TForm3 customSize(sizes, 0, program, mainWindow.state().titleText, prompter,
                                  &sheets);
            customSize.show();
            shots.take(QStringLiteral("custom-size.png"), &customSize);
        }

        sheets.BitBtn1Click(); // 出力開始: the first page
        shots.take(QStringLiteral("sheets.png"), &sheets);
        QImage page;
        if (mf::decodeJpeg(QDir(mainWindow.state().saveFolder)
                               .filePath(QStringLiteral("一覧フォルダ/page001.jpg")),
                           &page) != mf::JpegOk)
            return fail(QStringLiteral("the first sample page was not written"));
        shots.add(QStringLiteral("sheet-page.png"),
                  page.scaledToWidth(900, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_RGB32));
        sheets.close();
        mainWindow.state().sampleWindowOpen = false;
    }

    // Orders of five families, entered as the window enters them, and saved.
    {
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
            if (mf::EnterOrder(table, input, prompter, mainWindow.state().titleText) != mf::EnterOk)
                return fail(QStringLiteral("an order was refused"));
        }
        orderChooser.path = mf::DefaultOrderFilePath(program, mainWindow.state().projectName);
        mf::SaveOrderFile(table, mainWindow.state(), prompter, orderChooser);
    }
    orderWindow.show();
    orderWindow.activateWindow();
    settle();
    // The sixth family's order half typed: number, Enter, price, Enter, photo numbers; 38
    // has no numbered photo and shows how a typing error stands out.
    if (QApplication::focusWidget() == child(&orderWindow, "Edit1")) {
        for (const QString &text : {QStringLiteral("6"), QStringLiteral("150"), QStringLiteral("3"),
                                    QStringLiteral("8"), QStringLiteral("38")}) {
            QTest::keyClicks(QApplication::focusWidget(), text);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
    }
    shots.take(QStringLiteral("orders.png"), &orderWindow);
    orderWindow.hide();

    // The per-order export, run to its end.
    exportWindow.show();
    settle();
    exportWindow.BitBtn1Click(); // 保存処理開始
    shots.take(QStringLiteral("export.png"), &exportWindow);
    exportWindow.hide();

    managementWindow.show();
    settle();
    managementWindow.StringGrid1SelectCell(1, 0);
    managementWindow.BitBtn2Click(); // the delete mark on the spring project
    shots.take(QStringLiteral("management.png"), &managementWindow);
    managementWindow.hide();

    // An image the text names but the demo did not take would print as an empty frame.
    static const QRegularExpression source(QStringLiteral("<img[^>]*\\ssrc=\"([^\"]+)\""));
    for (const QRegularExpressionMatch &m : source.globalMatch(html)) {
        if (!shots.images.contains(m.captured(1)))
            return fail(
                QStringLiteral("the manual shows %1, which was not taken").arg(m.captured(1)));
    }

    QString error;
    if (!manual::writeManualPdf(html, shots.images, pdfDate, args.at(2), &error))
        return fail(error);
    return 0;
}
