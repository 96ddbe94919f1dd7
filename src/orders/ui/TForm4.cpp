#include "orders/ui/TForm4.h"
#include "platform/ui/WidgetNames.h"

#include "orders/OrderFile.h"
#include "orders/OrderList.h"
#include "orders/ui/OrderGridModels.h"
#include "photos/NumberedPhotos.h"
#include "platform/Numbers.h"

#include <QApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
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
    setupUi(this);
    setWindowTitle(m_caption);
    setUpControls();
    connectControls();
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

void TForm4::setUpControls()
{
    setGlyphs({{BitBtn1, QStyle::SP_DialogApplyButton},
               {BitBtn7, QStyle::SP_DialogCancelButton},
               {BitBtn3, QStyle::SP_ArrowUp},
               {BitBtn4, QStyle::SP_ArrowDown},
               {BitBtn5, QStyle::SP_TrashIcon},
               {BitBtn9, QStyle::SP_FileDialogDetailedView},
               {BitBtn6, QStyle::SP_DialogOpenButton},
               {BitBtn8, QStyle::SP_DialogSaveButton},
               {BitBtn2, QStyle::SP_DialogCloseButton}});
    // Both number fields refuse what is not a digit when the order is entered, naming the
    // field; their lengths are the entry's own limits.
    Edit1->setMaxLength(kOrdererMaxChars);
    Edit2->setMaxLength(kPriceMaxChars);

    m_inputModel = new InputGridModel(
        m_input, [this](const QString &number) { return photoMissing(number); }, this);
    m_cellDelegate = new InputCellDelegate(this);
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
    StringGrid1->installEventFilter(this);

    m_tableModel = new OrderTableModel(*m_table, this);
    setUpOrderTableView(StringGrid2, m_tableModel);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(kPriceDelayMs);
}

void TForm4::connectControls()
{
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
