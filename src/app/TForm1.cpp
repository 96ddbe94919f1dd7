#include "app/TForm1.h"
#include "platform/ui/WidgetNames.h"

#include "app/FolderGridModel.h"
#include "project/FolderList.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFields.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QValidator>

namespace mf {

namespace {

// The save folder field's hint, as the form gives it, before a long path is added to it.
const QString kSaveFolderHint =
    QStringLiteral("連番ファイルやサンプル画像を作成する親フォルダを指定します。");

// The project name and school code are written as lines of the work log and the history: a
// line break, tab or end-of-file mark pasted with them (a copied spreadsheet cell ends in one)
// would split or cut the record. They are dropped from whatever reaches the field, typed,
// pasted or committed by an input method.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override
    {
        qsizetype kept = 0;
        int cursor = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const char16_t c = input.at(i).unicode();
            if (c == u'\r' || c == u'\n' || c == u'\t' || c == 0x1A) {
                if (i < pos)
                    --cursor;
                continue;
            }
            input[kept++] = input.at(i);
        }
        input.truncate(kept);
        pos = cursor;
        return Acceptable;
    }
};

} // namespace

TForm1::TForm1(const QString &programFolder, Services &services, FolderChooser &chooser,
               QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_services(services), m_chooser(chooser)
{
    setupUi(this);
    setUpControls();
    connectControls();
    connectMenus();

    m_state.programFolder = programFolder;
    m_state.faceColour = palette().color(QPalette::Window);
    m_startStatus = startUp(m_state, m_services.prompter, m_services.clock);
    setWindowTitle(m_state.titleText);
    updateManualItem();
    refreshView();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    // The grid's model and delegate read m_state. The grid must go while m_state lives: left
    // to QWidget's destructor, a visible grid asks for its headings from a destroyed state.
    delete centralWidget();
}

void TForm1::setUpControls()
{
    setGlyphs({{BitBtn9, QStyle::SP_FileIcon},
               {BitBtn8, QStyle::SP_DialogSaveButton},
               {BitBtn6, QStyle::SP_FileDialogListView},
               {BitBtn7, QStyle::SP_FileDialogContentsView},
               {BitBtn12, QStyle::SP_FileDialogDetailedView},
               {BitBtn10, QStyle::SP_DirIcon},
               {BitBtn11, QStyle::SP_DialogCloseButton},
               {BitBtn5, QStyle::SP_DirOpenIcon},
               {BitBtn1, QStyle::SP_FileDialogNewFolder},
               {BitBtn2, QStyle::SP_ArrowUp},
               {BitBtn3, QStyle::SP_ArrowDown},
               {BitBtn4, QStyle::SP_TrashIcon}});
    ComboBox1->setCompleter(nullptr);
    Edit2->setValidator(new SingleLineValidator(Edit2));
    Edit3->setValidator(new SingleLineValidator(Edit3));

    const QImage unchecked = checkBoxGlyph(false);
    const QImage checked = checkBoxGlyph(true);
    Image1->setPixmap(QPixmap::fromImage(unchecked));
    Image1->hide();
    Image2->setPixmap(QPixmap::fromImage(checked));
    Image2->hide();
    setUpGrid(unchecked, checked);
    Memo1->hide();

    // Folders dropped anywhere below the menu bar are added to the list. The text fields, the
    // history list and the grid would otherwise take the drop as text (file managers offer the
    // paths as text besides the URI list), so only the window accepts drops.
    for (QWidget *child : client->findChildren<QWidget *>())
        child->setAcceptDrops(false);
}

void TForm1::connectControls()
{
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm1::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TForm1::BitBtn6Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TForm1::BitBtn7Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TForm1::BitBtn8Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TForm1::BitBtn9Click);
    connect(BitBtn10, &QPushButton::clicked, this, &TForm1::BitBtn10Click);
    connect(BitBtn11, &QToolButton::clicked, this, &TForm1::BitBtn11Click);
    connect(BitBtn12, &QPushButton::clicked, this, &TForm1::BitBtn12Click);
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    // Typed text names no item.
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { ComboBox1Change(-1); });
    connect(Edit1, &QLineEdit::textEdited, this, &TForm1::Edit1Change);
    connect(Edit2, &QLineEdit::textEdited, this, &TForm1::Edit2Change);
    connect(Edit3, &QLineEdit::textEdited, this, &TForm1::Edit3Change);
}

void TForm1::refreshView()
{
    setWindowTitle(m_state.titleText);
    if (Edit1->text() != m_state.saveFolder) {
        Edit1->setText(m_state.saveFolder);
        // A path longer than the field shows whole in its hint.
        const bool cut = Edit1->fontMetrics().horizontalAdvance(m_state.saveFolder) >
                         Edit1->contentsRect().width() - 8;
        Edit1->setToolTip(cut ? kSaveFolderHint + u'\n' + m_state.saveFolder : kSaveFolderHint);
    }
    if (Edit2->text() != m_state.projectName)
        Edit2->setText(m_state.projectName);
    if (Edit3->text() != m_state.schoolCode)
        Edit3->setText(m_state.schoolCode);
    Edit3->hide();
    Label4->hide();
    refreshHistoryList();
    BitBtn2->setVisible(m_state.buttons.moveUp);
    BitBtn3->setVisible(m_state.buttons.moveDown);
    BitBtn4->setVisible(m_state.buttons.remove);
    Image3->setPixmap(QPixmap::fromImage(m_state.thumbnails.first));
    Image4->setPixmap(QPixmap::fromImage(m_state.thumbnails.last));
    Image3->setVisible(m_state.thumbnails.visible);
    Image4->setVisible(m_state.thumbnails.visible);
    refreshGrid();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    const QWidget *client = centralWidget();
    const QRect g = StringGrid1->geometry();
    StringGrid1->setGeometry(g.left(), g.top(), client->width() - 2 * g.left(),
                             client->height() - g.top() - 10);
    StatusBar1->update();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A copy in progress is stopped with Esc, never by closing the window under it.
    if (m_state.busy || exportRunning() || !ordersMayBeDropped() ||
        !closeQuery(m_state, m_services)) {
        event->ignore();
        refreshView();
        return;
    }
    event->accept();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == StringGrid1->viewport()) {
        // The press is handled by pressed(), which follows the change of the current cell.
        if (event->type() == QEvent::MouseButtonPress)
            m_gridPressPending = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_gridPressPending = false;
    }
    if (event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this)
            m_state.abortRequested = true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    dropPaths(paths, event->position().toPoint());
}

void TForm1::dropPaths(const QStringList &paths, const QPoint &point)
{
    activateWindow();
    raise();
    if (m_state.busy)
        return;
    // Paths arrive with a trailing separator when the file manager drags a folder.
    QStringList folders;
    for (QString p : paths) {
        while (p.size() > 1 && p.endsWith(u'/'))
            p.chop(1);
        folders.append(p);
    }
    // The client area is all of the window below the menu bar, status bar included.
    const QRect client = rect().adjusted(0, menuBar()->height(), 0, 0);
    dropFolders(m_state, m_services.prompter, folders, client.contains(point));
    refreshView();
}

void TForm1::Edit1Change(const QString &text)
{
    setSaveFolder(m_state, text);
}

void TForm1::Edit2Change(const QString &text)
{
    setProjectName(m_state, text);
}

void TForm1::Edit3Change(const QString &text)
{
    setSchoolCode(m_state, text);
}

} // namespace mf
