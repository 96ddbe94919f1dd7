#include "orders/ui/TForm4.h"
#include "platform/ui/DirectInputEdit.h"
#include "platform/ui/WidgetNames.h"

#include "orders/OrderFile.h"
#include "orders/OrderList.h"
#include "orders/ui/OrderGridModels.h"
#include "photos/NumberedPhotos.h"
#include "platform/Numbers.h"

#include <QApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

namespace mf {

namespace {

constexpr int kTableLeft = 8;
constexpr int kTableTop = 242;
constexpr int kCloseButtonOffset = 124;
constexpr int kInputCellWidth = 50;
// While another box of the window is up, the price question waits and looks again this soon.
constexpr int kPriceRetryMs = 250;

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Focus that leaves because a box or another window came up is not the operator leaving
// the field.
bool isOperatorFocusChange(const QFocusEvent *event)
{
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

} // namespace

TForm4::TForm4(const ProjectState &project, Services &services, OrderFileChooser &chooser,
               QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_project(project), m_services(services), m_chooser(chooser), m_caption(project.titleText),
      m_table(std::make_unique<OrderTable>())
{
    setObjectName(QStringLiteral("TForm4"));
    setModal(true);
    setWindowTitle(m_caption);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setMinimumSize(kOrderWindowWidth, kOrderWindowHeight);

    buildControls();
    resize(kOrderWindowWidth, kOrderWindowHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    markCurrentRow(1);
    refreshInput();
}

TForm4::~TForm4()
{
    // The views read the table and the input: they go before them.
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
}

void TForm4::buildControls()
{
    auto label = [](QWidget *parent, const char *name, const QString &text, const QRect &geometry) {
        auto *l = named(new QLabel(text, parent), name);
        l->setGeometry(geometry);
        return l;
    };
    auto field = [](QWidget *parent, QLabel *caption, const char *name, const QRect &geometry) {
        auto *e = named(new QLineEdit(parent), name);
        e->setGeometry(geometry);
        caption->setBuddy(e);
        return e;
    };
    auto button = [this](QWidget *parent, const char *name, const QString &caption,
                         QStyle::StandardPixmap icon, const QRect &geometry) {
        auto *b = named(new QPushButton(style()->standardIcon(icon), caption, parent), name);
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };

    GroupBox1 = named(new QGroupBox(QStringLiteral("入力"), this), "GroupBox1");
    GroupBox1->setGeometry(8, 6, 600, 228);

    Label1 = label(GroupBox1, "Label1", QStringLiteral("注文者Ｎｏ."), {12, 28, 80, 24});
    // Both refuse what is not a digit when the order is entered, naming the field.
    auto numberField = [](QWidget *parent, QLabel *caption, const char *name,
                          const QRect &geometry) {
        auto *e = named(new DirectInputEdit(parent, DirectInputEdit::FullWidthDigits::Keep), name);
        e->setGeometry(geometry);
        e->setAlignment(Qt::AlignRight);
        caption->setBuddy(e);
        return e;
    };
    Edit1 = numberField(GroupBox1, Label1, "Edit1", {96, 28, 110, 24});
    Edit1->setMaxLength(kOrdererMaxChars);
    Label2 = label(GroupBox1, "Label2", QStringLiteral("1枚の値段"), {12, 62, 80, 24});
    auto *price = numberField(GroupBox1, Label2, "Edit2", {96, 62, 110, 24});
    // The price stands for the next order too: typing replaces it, however the field was
    // reached (after a price question the focus comes back without a Tab).
    price->setSelectAllOnFocus(true);
    Edit2 = price;
    Edit2->setMaxLength(kPriceMaxChars);
    Label3 = label(GroupBox1, "Label3", QStringLiteral("円"), {210, 62, 20, 24});

    Label4 = label(GroupBox1, "Label4", QStringLiteral("合計枚数"), {12, 112, 80, 24});
    Edit3 = field(GroupBox1, Label4, "Edit3", {96, 112, 110, 24});
    Label7 = label(GroupBox1, "Label7", QStringLiteral("枚"), {210, 112, 20, 24});
    Label5 = label(GroupBox1, "Label5", QStringLiteral("合計金額"), {12, 146, 80, 24});
    Edit4 = field(GroupBox1, Label5, "Edit4", {96, 146, 110, 24});
    Label6 = label(GroupBox1, "Label6", QStringLiteral("円"), {210, 146, 20, 24});
    for (QLineEdit *e : {Edit3, Edit4}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setAlignment(Qt::AlignRight);
    }

    m_inputModel = new InputGridModel(
        m_input, [this](const QString &number) { return photoMissing(number); }, this);
    m_cellDelegate = new InputCellDelegate(this);
    StringGrid1 = named(new QTableView(GroupBox1), "StringGrid1");
    StringGrid1->setAccessibleName(QStringLiteral("StringGrid1"));
    setHint(StringGrid1, QStringLiteral("写真番号を入力してEnterキーで次の欄へ移動します。"
                                        "空欄でEnterキーを押すと[入力]ボタンへ移動します。"));
    StringGrid1->setModel(m_inputModel);
    StringGrid1->setItemDelegate(m_cellDelegate);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->horizontalHeader()->setMinimumSectionSize(0);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kInputCellWidth);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setMinimumSectionSize(0);
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setFixedWidth(kInputCellWidth);
    StringGrid1->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::CurrentChanged |
                                 QAbstractItemView::AnyKeyPressed |
                                 QAbstractItemView::DoubleClicked);
    StringGrid1->setTabKeyNavigation(true);
    StringGrid1->setWordWrap(false);
    // Eight rows show; the scroll bar reaches the other twelve.
    StringGrid1->setGeometry(250, 24, kInputCellWidth * 6 + 20, 8 * 20 + 4);
    StringGrid1->installEventFilter(this);

    BitBtn1 = button(GroupBox1, "BitBtn1", QStringLiteral("入力"), QStyle::SP_DialogApplyButton,
                     {250, 192, 100, 30});
    // Enter on the focused button enters the order: the last step of the keyboard chain.
    BitBtn1->setAutoDefault(true);
    BitBtn7 = button(GroupBox1, "BitBtn7", QStringLiteral("中止"), QStyle::SP_DialogCancelButton,
                     {356, 192, 100, 30});

    BitBtn3 = glyphButton(this, "BitBtn3", QString(), QStyle::SP_ArrowUp, {620, 198, 35, 35});
    BitBtn4 = glyphButton(this, "BitBtn4", QString(), QStyle::SP_ArrowDown, {660, 198, 35, 35});
    BitBtn5 = glyphButton(this, "BitBtn5", QString(), QStyle::SP_TrashIcon, {700, 198, 35, 35});
    const std::pair<QPushButton *, QString> glyphs[] = {{BitBtn3, QStringLiteral("上へ移動")},
                                                        {BitBtn4, QStringLiteral("下へ移動")},
                                                        {BitBtn5, QStringLiteral("削除")}};
    for (const auto &[b, text] : glyphs) {
        b->setAccessibleName(text);
        setHint(b, text);
    }

    BitBtn9 = button(this, "BitBtn9", QStringLiteral("リストの出力"),
                     QStyle::SP_FileDialogDetailedView, {620, 14, 150, 32});
    BitBtn6 = button(this, "BitBtn6", QStringLiteral(".csvから読み込み"),
                     QStyle::SP_DialogOpenButton, {620, 52, 150, 32});
    BitBtn8 = button(this, "BitBtn8", QStringLiteral("保存"), QStyle::SP_DialogSaveButton,
                     {620, 90, 150, 32});
    BitBtn2 = button(this, "BitBtn2", QStringLiteral("閉じる(&C)"), QStyle::SP_DialogCloseButton,
                     {kOrderWindowWidth - kCloseButtonOffset, 14, 110, 32});

    m_tableModel = new OrderTableModel(*m_table, this);
    StringGrid2 = makeOrderTableView(this, m_tableModel);
    StringGrid2->setGeometry(kTableLeft, kTableTop, kOrderWindowWidth - 2 * kTableLeft,
                             kOrderWindowHeight - kTableTop - 10);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(kPriceDelayMs);

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, StringGrid1);
    setTabOrder(StringGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn7);
    setTabOrder(BitBtn7, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
    setTabOrder(BitBtn4, BitBtn5);
    setTabOrder(BitBtn5, StringGrid2);
    setTabOrder(StringGrid2, BitBtn9);
    setTabOrder(BitBtn9, BitBtn6);
    setTabOrder(BitBtn6, BitBtn8);
    setTabOrder(BitBtn8, BitBtn2);

    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    connect(Edit1, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_input.ordererText = text; });
    connect(Edit2, &QLineEdit::textEdited, this, &TForm4::Edit2Change);
    connect(m_inputModel, &InputGridModel::countsChanged, this, [this] {
        Edit3->setText(m_input.countText);
        Edit4->setText(m_input.totalText);
    });
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid()) {
                    m_input.inputRow = current.row() + 1;
                    m_input.inputColumn = current.column() + 1;
                }
            });
    m_cellDelegate->enterMovesOn = [this](const QModelIndex &cell) {
        return !m_input.cell(cell.row() + 1, cell.column() + 1).isEmpty();
    };
    m_cellDelegate->leaveGrid = [this] { BitBtn1->setFocus(Qt::TabFocusReason); };
    connect(StringGrid2->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && !m_markingRow) {
                    m_rowSelectedByPress = true;
                    StringGrid2SelectCell(current.row() + 1);
                }
            });
    // A click on the row already marked selects it too: after a move, or at the first
    // showing, row 1 is marked without being loaded.
    StringGrid2->viewport()->installEventFilter(this);
    connect(StringGrid2, &QAbstractItemView::pressed, this, [this](const QModelIndex &index) {
        if (!m_rowSelectedByPress)
            StringGrid2SelectCell(index.row() + 1);
    });

    connect(BitBtn1, &QPushButton::clicked, this, &TForm4::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm4::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm4::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm4::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm4::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TForm4::BitBtn6Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TForm4::BitBtn7Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TForm4::BitBtn8Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TForm4::BitBtn9Click);
    connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
}

bool TForm4::photoMissing(const QString &number) const
{
    const std::optional<qint64> n = readNumber(number);
    if (!n || *n < 1 || *n >= kPhotoNumberLimit)
        return true;
    const QString folder = sequenceFolderOf(m_project.saveFolder);
    return !QFileInfo(sequentialFilePath(folder, m_project.filePrefix, int(*n))).isFile();
}

void TForm4::refreshInput()
{
    // Only changed texts are set: setting a field moves its caret to the end.
    auto show = [](QLineEdit *edit, const QString &text) {
        if (edit->text() != text)
            edit->setText(text);
    };
    show(Edit1, m_input.ordererText);
    show(Edit2, m_input.priceText);
    show(Edit3, m_input.countText);
    show(Edit4, m_input.totalText);
    BitBtn1->setText(m_input.enterCaption());
    BitBtn7->setVisible(m_input.editing);
    m_inputModel->refresh();
    const QModelIndex cell = m_inputModel->index(m_input.inputRow - 1, m_input.inputColumn - 1);
    if (StringGrid1->currentIndex() != cell) {
        const QSignalBlocker block(StringGrid1->selectionModel());
        StringGrid1->setCurrentIndex(cell);
        StringGrid1->viewport()->update();
    }
    StringGrid1->scrollTo(cell);
}

void TForm4::refreshTable()
{
    m_tableModel->refresh();
}

void TForm4::markCurrentRow(int row)
{
    m_markingRow = true;
    const int column = std::max(1, StringGrid2->currentIndex().column());
    const QModelIndex index = m_tableModel->index(row - 1, column);
    StringGrid2->setCurrentIndex(index);
    // Scrolled to the row only: the row numbers stay in sight.
    StringGrid2->scrollTo(m_tableModel->index(row - 1, 0));
    m_markingRow = false;
}

void TForm4::stopPriceTimer()
{
    Timer1->stop();
}

void TForm4::tableWasReset()
{
    ResetOrdersAndInput(*m_table, m_input);
    refreshTable();
    refreshInput();
}

bool TForm4::settleUnsavedOrders()
{
    const bool goOn = SettleUnsavedOrders(*m_table, m_project, m_services.prompter, m_chooser);
    refreshTable();
    return goOn;
}

void TForm4::showEvent(QShowEvent *event)
{
    ShowEntry(m_input);
    refreshInput();
    refreshTable();
    resize(kOrderWindowWidth, kOrderWindowHeight);
    QDialog::showEvent(event);
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TForm4::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    StringGrid2->setGeometry(kTableLeft, kTableTop, width() - 2 * kTableLeft,
                             height() - kTableTop - 10);
    BitBtn2->move(width() - kCloseButtonOffset, BitBtn2->y());
}

bool TForm4::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == StringGrid2->viewport() && event->type() == QEvent::MouseButtonPress)
        m_rowSelectedByPress = false;
    if (event->type() == QEvent::KeyPress && (watched == Edit1 || watched == Edit2)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isEnter(key)) {
            // Enter moves on as Tab does; the orderer number only once it is typed.
            if (watched == Edit2 || !m_input.ordererText.isEmpty())
                focusNextChild();
            return true;
        }
    }
    if (watched == Edit2 && event->type() == QEvent::FocusIn &&
        isOperatorFocusChange(static_cast<QFocusEvent *>(event)))
        Edit2Enter();
    if (watched == Edit2 && event->type() == QEvent::FocusOut &&
        isOperatorFocusChange(static_cast<QFocusEvent *>(event)))
        Edit2Exit();
    // The cell editor opens as the operator moves into the grid. The grid takes the focus
    // itself too, for a moment, whenever an editor closes: that is not an arrival.
    if (watched == StringGrid1 && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::OtherFocusReason) {
        const QModelIndex cell = m_inputModel->index(m_input.inputRow - 1, m_input.inputColumn - 1);
        if (StringGrid1->currentIndex() != cell)
            StringGrid1->setCurrentIndex(cell);
        else
            StringGrid1->edit(cell);
    }
    return QDialog::eventFilter(watched, event);
}

void TForm4::BitBtn1Click()
{
    if (EnterOrder(*m_table, m_input, m_services.prompter, m_caption) != EnterOk)
        return;
    refreshTable();
    refreshInput();
    StringGrid2->scrollTo(m_tableModel->index(m_table->orderCount - 1, 0));
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TForm4::BitBtn2Click()
{
    close();
}

void TForm4::BitBtn3Click()
{
    if (MoveOrderUp(*m_table, m_input)) {
        refreshTable();
        markCurrentRow(m_input.currentRow);
    }
}

void TForm4::BitBtn4Click()
{
    if (MoveOrderDown(*m_table, m_input)) {
        refreshTable();
        markCurrentRow(m_input.currentRow);
    }
}

void TForm4::BitBtn5Click()
{
    const bool wasEditing = m_input.editing;
    if (!DeleteOrder(*m_table, m_input))
        return;
    refreshTable();
    markCurrentRow(m_input.currentRow);
    refreshInput();
    if (wasEditing)
        Edit1->setFocus(Qt::OtherFocusReason);
}

void TForm4::BitBtn6Click()
{
    LoadOrdersCommand(*m_table, m_input, m_project, m_services.prompter, m_chooser);
    refreshTable();
    refreshInput();
}

void TForm4::BitBtn7Click()
{
    if (!m_input.editing)
        return;
    CancelEdit(m_input);
    refreshInput();
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TForm4::BitBtn8Click()
{
    SaveOrderFile(*m_table, m_project, m_services.prompter, m_chooser);
    refreshTable();
}

void TForm4::BitBtn9Click()
{
    WriteOrderList(*m_table, m_input, m_project, m_services.prompter, m_services.shell);
}

void TForm4::Edit2Change(const QString &text)
{
    m_input.priceText = text;
    PriceChanged(m_input);
    // The first change starts the wait; later keystrokes do not push the question back.
    if (!Timer1->isActive())
        Timer1->start(kPriceDelayMs);
}

void TForm4::Edit2Enter()
{
    PriceEntered(m_input);
    stopPriceTimer();
}

void TForm4::Edit2Exit()
{
    stopPriceTimer();
    if (ApplyPrice(*m_table, m_input, m_services.prompter, m_caption) == PriceApplied)
        refreshTable();
    Edit4->setText(m_input.totalText);
}

void TForm4::Timer1Timer()
{
    if (!isVisible())
        return;
    // Never a second box over one of ours (a refusal, a question, a file dialog).
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this) {
        Timer1->start(kPriceRetryMs);
        return;
    }
    Edit2Exit();
}

void TForm4::StringGrid2SelectCell(int row)
{
    SelectOrder(*m_table, m_input, row);
    refreshInput();
}

void TForm4::reject()
{
    stopPriceTimer();
    // A price typed and not yet applied is settled first: the save below writes the orders
    // with the price the operator chose.
    if (m_input.priceChanged)
        Edit2Exit();
    if (!ConfirmClose(*m_table, m_project, m_services.prompter, m_chooser)) {
        refreshTable();
        return;
    }
    QDialog::reject();
}

} // namespace mf
