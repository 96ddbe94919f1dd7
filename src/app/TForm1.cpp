#include "app/TForm1.h"
#include "platform/ui/WidgetNames.h"

#include "app/FolderGridModel.h"
#include "numbering/Sequence.h"
#include "numbering/StartNumber.h"
#include "numbering/ui/TForm7.h"
#include "project/FolderList.h"
#include "project/FolderRepair.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFields.h"
#include "project/WorkLog.h"
#include "sheets/PageFile.h"

#include <QAction>
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
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QValidator>

#include <new>

namespace mf {

namespace {

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

    BitBtn11 = named(new QToolButton(client), "BitBtn11");
    BitBtn11->setText(QStringLiteral("終了(&C)"));
    BitBtn11->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn11->setIconSize(QSize(32, 32));
    BitBtn11->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    BitBtn11->setGeometry(kWidth - 98, 6, 88, 64);

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
    Edit3 = named(new QLineEdit(client), "Edit3");
    Edit3->setGeometry(512, 84, 60, 24);
    Edit3->setMaxLength(3);
    Edit3->setValidator(new SingleLineValidator(Edit3));
    Edit3->setAttribute(Qt::WA_InputMethodEnabled, false);
    setHint(Edit3, QStringLiteral("オプションの学校の識別番号です（最大3桁）"));
    Label4->setBuddy(Edit3);

    Label1 = label("Label1", QStringLiteral("保存先フォルダ名"), {8, 116, 110, 24});
    Edit1 = named(new QLineEdit(client), "Edit1");
    Edit1->setGeometry(120, 116, 560, 24);
    Edit1->setMaxLength(2000);
    Edit1->setEnabled(false);
    setHint(Edit1, QStringLiteral("連番ファイルやサンプル画像を作成する親フォルダを指定します。"));
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

    m_model = new FolderGridModel(m_state, this);
    StringGrid1 = named(new QTableView(client), "StringGrid1");
    StringGrid1->setAccessibleName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(m_model);
    StringGrid1->setItemDelegate(new FolderGridDelegate(m_state, unchecked, checked, StringGrid1));
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    // The row number column is 20 pixels wide, narrower than the style's minimum.
    StringGrid1->horizontalHeader()->setMinimumSectionSize(0);
    StringGrid1->setWordWrap(false);
    StringGrid1->setGeometry(8, 182, kWidth - 16, 400);
    // A click runs the selection rule even on the cell that is already current (a second
    // click on a check box unticks it), so clicks are taken from pressed(); a change of the
    // current cell runs it only when the keyboard made it, or the click would count twice.
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && !m_gridPressPending)
                    StringGrid1SelectCell(current.row() + 1, current.column());
            });
    connect(StringGrid1, &QAbstractItemView::pressed, this, [this](const QModelIndex &index) {
        m_gridPressPending = false;
        StringGrid1SelectCell(index.row() + 1, index.column());
    });

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

void TForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto item = [this](QMenu *menu, const char *name, const QString &caption, auto slot) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu *project = bar->addMenu(QStringLiteral("プロジェクト(&F)"));
    project->setObjectName(QStringLiteral("N1"));
    item(project, "N6", QStringLiteral("新規プロジェクト(&N)"), &TForm1::BitBtn9Click);
    item(project, "C1", QStringLiteral("フォルダリストのチェック(&C)"), &TForm1::C1Click);
    item(project, "M3", QStringLiteral("プロジェクトの管理(&M)"), &TForm1::M3Click);
    item(project, "N7", QStringLiteral("プロジェクトの保存(&S)"), &TForm1::BitBtn8Click);
    project->addSeparator()->setObjectName(QStringLiteral("N8"));
    item(project, "N9", QStringLiteral("終了(&Q)"), &TForm1::BitBtn11Click);

    QMenu *edit = bar->addMenu(QStringLiteral("\u3000編集(&E)\u3000"));
    edit->setObjectName(QStringLiteral("N2"));
    item(edit, "N10", QStringLiteral("連番ファイルの作成(&R)"), &TForm1::BitBtn6Click);
    item(edit, "M1", QStringLiteral("写真サンプルの作成(&L)"), &TForm1::BitBtn7Click);
    item(edit, "I1", QStringLiteral("写真注文の入力   (&I)"), &TForm1::BitBtn12Click);
    item(edit, "M2", QStringLiteral("注文別に画像保存(&M)"), &TForm1::BitBtn10Click);

    QMenu *help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("N3"));
    PDFH1 = item(help, "PDFH1", QStringLiteral("説明書PDFを開く(&H)"), &TForm1::PDFH1Click);
    PDFH1->setVisible(false);
    // Looked for each time the menu opens, so a manual copied in later shows without a restart.
    connect(help, &QMenu::aboutToShow, this, &TForm1::updateManualItem);
    item(help, "V1", QStringLiteral("バージョン情報(&A)"), &TForm1::V1Click);
}

void TForm1::refreshView()
{
    setWindowTitle(m_state.titleText);
    if (Edit1->text() != m_state.saveFolder)
        Edit1->setText(m_state.saveFolder);
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

void TForm1::refreshHistoryList()
{
    QStringList texts;
    for (int i = 0; i < m_state.history.count; ++i)
        texts.append(historyItemText(m_state.history.entries[i]));
    QStringList listed;
    for (int i = 0; i < ComboBox1->count(); ++i)
        listed.append(ComboBox1->itemText(i));

    const QSignalBlocker block(ComboBox1);
    const int open =
        m_state.currentHistoryIndex < int(texts.size()) ? m_state.currentHistoryIndex : -1;
    if (texts != listed) {
        ComboBox1->clear();
        ComboBox1->addItems(texts);
        // Filling the list makes its first item current: show the open project, or none.
        ComboBox1->setCurrentIndex(open);
        return;
    }
    if (open >= 0) {
        if (ComboBox1->currentIndex() != open)
            ComboBox1->setCurrentIndex(open);
        return;
    }
    // No listed project is open: show none, but leave text the operator typed.
    const int shown = ComboBox1->currentIndex();
    if (shown >= 0 && ComboBox1->currentText() == ComboBox1->itemText(shown))
        ComboBox1->setCurrentIndex(-1);
}

void TForm1::refreshGrid()
{
    const QSignalBlocker block(StringGrid1->selectionModel());
    m_model->refresh();
    QHeaderView *header = StringGrid1->horizontalHeader();
    for (int c = 0; c < kGridColumns; ++c) {
        if (m_state.grid.ready) {
            header->resizeSection(c, m_state.grid.widths[c]);
            StringGrid1->setColumnHidden(c, m_state.grid.widths[c] == 0);
        }
    }
    StringGrid1->setCurrentIndex(
        m_model->index(m_state.selectedRow - 1, std::max(0, m_state.selectedColumn)));
}

void TForm1::selectGridCellSilently(int row, int column)
{
    m_state.selectedRow = row;
    m_state.selectedColumn = column;
    const QSignalBlocker block(StringGrid1->selectionModel());
    const QModelIndex index = m_model->index(row - 1, column);
    StringGrid1->setCurrentIndex(index);
    StringGrid1->scrollTo(index);
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

void TForm1::StringGrid1SelectCell(int row, int column)
{
    if (!selectCell(m_state, m_services.clock, row, column)) {
        // Ignored: the grid keeps showing the row the commands act on.
        selectGridCellSilently(m_state.selectedRow, m_state.selectedColumn);
        return;
    }
    refreshView();
}

void TForm1::whileIdle(const std::function<void()> &command)
{
    // While numbering runs, the list and the project stay as the copy loop expects them.
    if (m_state.busy)
        return;
    command();
    refreshView();
}

void TForm1::BitBtn1Click()
{
    whileIdle([this] { addChosenFolder(m_state, m_services.prompter, m_chooser.chooseFolder()); });
}

void TForm1::BitBtn2Click()
{
    whileIdle([this] { moveRowUp(m_state, m_services.prompter); });
}

void TForm1::BitBtn3Click()
{
    whileIdle([this] { moveRowDown(m_state, m_services.prompter); });
}

void TForm1::BitBtn4Click()
{
    whileIdle([this] { removeRow(m_state, m_services.prompter); });
}

void TForm1::BitBtn5Click()
{
    whileIdle([this] { chooseSaveFolder(m_state, m_services.prompter, m_chooser.chooseFolder()); });
}

int TForm1::askStartNumber(int highest)
{
    if (!m_startDialog)
        return kStartCancelled;
    m_startDialog->SetStartNumber(highest);
    m_startDialog->exec();
    return m_startDialog->GetStartNumber();
}

void TForm1::BitBtn6Click()
{
    if (m_state.busy)
        return;
    BitBtn6->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { BitBtn6->setEnabled(true); });
    SequenceHooks hooks;
    hooks.askStartNumber = [this](int highest) { return askStartNumber(highest); };
    hooks.setBusyCursor = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    hooks.rowDone = [this](int row) {
        selectGridCellSilently(row, m_state.selectedColumn);
        refreshGrid();
    };
    hooks.saveProject = [this] {
        const int rc = SaveProject(m_state, m_services);
        refreshView();
        return rc;
    };
    CreateSequentialFiles(m_state, m_services, hooks);
    refreshView();
}

void TForm1::BitBtn7Click()
{
    if (!mayOpenSampleSheets(m_state, m_services.prompter))
        return;
    // A new window each time: its options and series start afresh.
    try {
        TForm2 window(m_state, m_services, m_sampleLinks, this);
        m_state.sampleWindowOpen = true;
        const auto closed = qScopeGuard([this] { m_state.sampleWindowOpen = false; });
        window.exec();
    } catch (const std::bad_alloc &) {
        m_services.prompter.inform(msg::sheetsNoMemory, m_state.titleText);
    }
}

void TForm1::BitBtn8Click()
{
    whileIdle([this] { SaveProject(m_state, m_services); });
}

void TForm1::BitBtn9Click()
{
    // A new project resets the order table, which a running export still reads.
    if (m_state.busy || exportRunning())
        return;
    if (!ordersMayBeDropped()) {
        refreshView();
        return;
    }
    if (newProject(m_state, m_services))
        StringGrid1->scrollToTop();
    refreshView();
}

void TForm1::BitBtn10Click()
{
    if (exportRunning() || !mayExportOrders(m_state, m_services.prompter))
        return;
    if (m_openExport)
        m_openExport();
}

void TForm1::BitBtn11Click()
{
    close();
}

void TForm1::BitBtn12Click()
{
    if (!mayEnterOrders(m_state, m_services.prompter))
        return;
    if (m_openOrders)
        m_openOrders();
}

void TForm1::ComboBox1Change(int index)
{
    if (m_state.busy || exportRunning()) {
        refreshView();
        return;
    }
    // Reopening replaces the orders by the project's own; typed text reopens nothing.
    if (index >= 0 && !ordersMayBeDropped()) {
        refreshView();
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(m_state.currentHistoryIndex);
        return;
    }
    if (reopenHistory(m_state, m_services, index))
        StringGrid1->scrollToTop();
    refreshView();
    if (index < 0)
        return; // typed text stays as typed
    // After a cancel the list shows the project that is really open, not the item clicked.
    const QSignalBlocker block(ComboBox1);
    ComboBox1->setCurrentIndex(m_state.currentHistoryIndex);
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

void TForm1::C1Click()
{
    // Numbering copies and saves into the projects the check may rewrite.
    if (m_state.busy || !mayCheckFolderLists(m_state, m_services.prompter))
        return;
    const FolderCheckResult result =
        CheckFolderLists(m_state.programFolder, m_state.titleText, m_services.prompter);
    if (result.code < 0) {
        m_services.prompter.inform(msg::folderCheckIncomplete, m_state.titleText);
        return;
    }
    // Repaired project files change what the history's projects hold.
    LoadHistory(m_state, m_services.prompter);
    refreshView();
}

void TForm1::M3Click()
{
    // Numbering saves the project into the work log while it runs.
    if (m_state.busy || !mayManageProjects(m_state, m_services.prompter))
        return;
    if (m_openManagement)
        m_openManagement();
}

void TForm1::reloadHistory()
{
    LoadHistory(m_state, m_services.prompter);
    refreshView();
}

void TForm1::setManualFolders(const ManualFolders &folders)
{
    m_manualFolders = folders;
    updateManualItem();
}

void TForm1::updateManualItem()
{
    PDFH1->setVisible(!findManual(m_state.programFolder, m_manualFolders).path.isEmpty());
}

void TForm1::PDFH1Click()
{
    openManual(m_state, m_manualFolders, m_services.prompter, m_services.shell);
}

void TForm1::V1Click()
{
    showVersion(m_services.prompter);
}

} // namespace mf
