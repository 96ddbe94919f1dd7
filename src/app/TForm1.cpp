#include "app/TForm1.h"
#include "platform/ui/DirectInputEdit.h"
#include "platform/ui/WidgetNames.h"

#include "app/FolderGridModel.h"
#include "project/FolderList.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFields.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QValidator>

namespace mf {

namespace {

const QString kSaveFolderHint =
    QStringLiteral("連番ファイルやサンプル画像を作成する親フォルダを指定します。");
constexpr int kWidth = 1000;
constexpr int kHeight = 657;

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
    setObjectName(QStringLiteral("TForm1"));
    setFixedSize(kWidth, kHeight);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setAcceptDrops(true);

    buildControls();
    buildMenus();

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

void TForm1::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setHint(client, QStringLiteral("画像フォルダを追加するにはフォルダをドラップするか"
                                   "「画像フォルダの追加」ボタンをクリックします。"));
    setCentralWidget(client);

    auto button = [client](const char *name, const QString &caption, QStyle::StandardPixmap icon,
                           const QRect &geometry) {
        auto *b =
            named(new QPushButton(client->style()->standardIcon(icon), caption, client), name);
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };
    BitBtn9 =
        button("BitBtn9", QStringLiteral("新規プロジェクト"), QStyle::SP_FileIcon, {8, 6, 128, 36});
    BitBtn8 = button("BitBtn8", QStringLiteral("プロジェクトの保存"), QStyle::SP_DialogSaveButton,
                     {140, 6, 136, 36});
    BitBtn6 = button("BitBtn6", QStringLiteral("連番ファイルの作成"), QStyle::SP_FileDialogListView,
                     {280, 6, 136, 36});
    BitBtn7 = button("BitBtn7", QStringLiteral("写真サンプルの作成"),
                     QStyle::SP_FileDialogContentsView, {420, 6, 136, 36});
    BitBtn12 = button("BitBtn12", QStringLiteral("写真注文の入力"),
                      QStyle::SP_FileDialogDetailedView, {560, 6, 128, 36});
    BitBtn10 = button("BitBtn10", QStringLiteral("注文別に画像保存"), QStyle::SP_DirIcon,
                      {692, 6, 136, 36});
    const std::pair<QWidget *, const char16_t *> hints[] = {
        {BitBtn9, u"新しいプロジェクトを始めます。(Ctrl+N)"},
        {BitBtn8, u"プロジェクトを保存して履歴に記録します。(Ctrl+S)"},
        {BitBtn6, u"画像フォルダの写真を連番フォルダに連番を付けてコピーします。"},
        {BitBtn7, u"連番の写真を並べた写真サンプル（一覧）を作成します。"},
        {BitBtn12, u"写真の注文を入力します。"},
        {BitBtn10, u"注文ごとに写真を注文別画像フォルダに保存します。"}};
    for (const auto &[b, hint] : hints)
        setHint(b, QString::fromUtf16(hint));

    BitBtn11 = named(new QToolButton(client), "BitBtn11");
    BitBtn11->setText(QStringLiteral("終了(&C)"));
    BitBtn11->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn11->setIconSize(QSize(32, 32));
    BitBtn11->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    BitBtn11->setGeometry(kWidth - 98, 6, 88, 64);
    setHint(BitBtn11, QStringLiteral("プログラムを終了します。(Ctrl+Q)"));

    auto label = [client](const char *name, const QString &text, const QRect &geometry) {
        auto *l = named(new QLabel(text, client), name);
        l->setGeometry(geometry);
        return l;
    };
    Label3 = label("Label3", QStringLiteral("プロジェクトの履歴"), {8, 52, 110, 24});
    ComboBox1 = named(new QComboBox(client), "ComboBox1");
    ComboBox1->setGeometry(120, 52, 470, 24);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setMaxVisibleItems(20);
    setHint(ComboBox1, QStringLiteral("過去に保存したプロジェクトのリストから再選択出来ます。"));
    Label3->setBuddy(ComboBox1);

    Label2 = label("Label2", QStringLiteral("プロジェクト名"), {8, 84, 110, 24});
    Edit2 = named(new QLineEdit(client), "Edit2");
    Edit2->setGeometry(120, 84, 300, 24);
    Edit2->setMaxLength(40);
    Edit2->setValidator(new SingleLineValidator(Edit2));
    setHint(Edit2, QStringLiteral("学校名やクラス名など分かり易い名前をつけてください。"
                                  "ただしフォルダ名として使用出来ない文字は使わないでください。"));
    Label2->setBuddy(Edit2);

    Label4 = label("Label4", QStringLiteral("ロットNo."), {440, 84, 70, 24});
    Edit3 = named(new DirectInputEdit(client, DirectInputEdit::FullWidthDigits::Keep), "Edit3");
    Edit3->setGeometry(512, 84, 60, 24);
    Edit3->setMaxLength(3);
    Edit3->setValidator(new SingleLineValidator(Edit3));
    setHint(Edit3, QStringLiteral("オプションの学校の識別番号です（最大3桁）"));
    Label4->setBuddy(Edit3);

    Label1 = label("Label1", QStringLiteral("保存先フォルダ名"), {8, 116, 110, 24});
    Edit1 = named(new QLineEdit(client), "Edit1");
    Edit1->setGeometry(120, 116, 560, 24);
    Edit1->setMaxLength(2000);
    Edit1->setEnabled(false);
    setHint(Edit1, kSaveFolderHint);
    Label1->setBuddy(Edit1);
    BitBtn5 = button("BitBtn5", QStringLiteral("保存先の選択"), QStyle::SP_DirOpenIcon,
                     {688, 114, 120, 28});

    BitBtn1 = button("BitBtn1", QStringLiteral("画像フォルダの追加"),
                     QStyle::SP_FileDialogNewFolder, {8, 148, 160, 28});
    BitBtn2 = button("BitBtn2", QString(), QStyle::SP_ArrowUp, {176, 149, 26, 26});
    BitBtn3 = button("BitBtn3", QString(), QStyle::SP_ArrowDown, {206, 149, 26, 26});
    BitBtn4 = button("BitBtn4", QString(), QStyle::SP_TrashIcon, {236, 149, 26, 26});
    BitBtn2->setAccessibleName(QStringLiteral("上へ移動"));
    BitBtn3->setAccessibleName(QStringLiteral("下へ移動"));
    BitBtn4->setAccessibleName(QStringLiteral("削除"));
    setHint(BitBtn2, QStringLiteral("上へ移動"));
    setHint(BitBtn3, QStringLiteral("下へ移動"));
    setHint(BitBtn4, QStringLiteral("削除"));

    Panel1 = named(new QFrame(client), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(kWidth - 166, 116, 148, 58);
    Image3 = named(new QLabel(Panel1), "Image3");
    Image3->setGeometry(5, 5, kThumbWidth, kThumbHeight);
    Image3->setAccessibleName(QStringLiteral("最初の画像"));
    setHint(Image3, QStringLiteral("最初の画像です"));
    Image4 = named(new QLabel(Panel1), "Image4");
    Image4->setGeometry(79, 5, kThumbWidth, kThumbHeight);
    Image4->setAccessibleName(QStringLiteral("最後の画像"));
    setHint(Image4, QStringLiteral("最後の画像です"));

    const QImage unchecked = checkBoxGlyph(false);
    const QImage checked = checkBoxGlyph(true);
    Image1 = named(new QLabel(client), "Image1");
    Image1->setPixmap(QPixmap::fromImage(unchecked));
    Image1->setGeometry(0, 0, 13, 13);
    Image1->hide();
    Image2 = named(new QLabel(client), "Image2");
    Image2->setPixmap(QPixmap::fromImage(checked));
    Image2->setGeometry(0, 0, 13, 13);
    Image2->hide();

    buildGrid(client, unchecked, checked);
    StringGrid1->setGeometry(8, 182, kWidth - 16, 400);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    // The window has a fixed size: a grip would promise a resize that never happens.
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);
    Memo1 = named(new QPlainTextEdit(client), "Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->hide();

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

    // Folders dropped anywhere below the menu bar are added to the list. The text fields, the
    // history list and the grid would otherwise take the drop as text (file managers offer the
    // paths as text besides the URI list), so only the window accepts drops.
    for (QWidget *child : client->findChildren<QWidget *>())
        child->setAcceptDrops(false);
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
