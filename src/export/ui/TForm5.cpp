#include "export/ui/TForm5.h"
#include "platform/ui/WidgetNames.h"

#include "orders/ui/OrderGridModels.h"
#include "platform/Numbers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>

namespace mf {

namespace {

constexpr int kTableLeft = 8;
constexpr int kTableTop = 112;
constexpr int kCloseButtonOffset = 124;
constexpr int kStatusHeight = 22;
// Between the pumps of the core (one per order row) an order of many photos pumps this often.
constexpr int kPumpIntervalMs = 50;

// The range the window proposes: the smallest and the largest orderer of the table.
std::pair<QString, QString> proposedRange(const OrderTable &table)
{
    int smallest = 0;
    int largest = 0;
    for (int r = 1; r <= table.orderCount; ++r) {
        const QString &text = table.row(r).ordererNumber;
        if (text.isEmpty())
            continue;
        const int n = parseAtol(text);
        if (n > 0 && n < kMaxOrdererNumber && (smallest == 0 || n < smallest))
            smallest = n;
        largest = std::max(largest, n);
    }
    return {QString::number(smallest > 0 ? smallest : 1),
            QString::number(largest > 0 ? largest : 1)};
}

QString elapsedText(quint64 ms)
{
    const quint64 tenths = (ms + 50) / 100;
    if (tenths < 600)
        return QStringLiteral("経過時間 %1.%2秒")
            .arg(QString::number(tenths / 10), QString::number(tenths % 10));
    const quint64 seconds = tenths / 10;
    return QStringLiteral("経過時間 %1分%2秒")
        .arg(QString::number(seconds / 60), QString::number(seconds % 60).rightJustified(2, u'0'));
}

} // namespace

TForm5::TForm5(const ProjectState &project, const OrderTable &orders,
               OutputFormatStatus formatStatus, Services &services, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_project(project), m_orders(orders), m_services(services),
      m_table(std::make_unique<OrderTable>())
{
    setupUi(this);
    setWindowTitle(project.titleText);
    setGlyphs({{BitBtn1, QStyle::SP_DialogSaveButton},
               {BitBtn4, QStyle::SP_DialogApplyButton},
               {BitBtn3, QStyle::SP_BrowserStop},
               {BitBtn2, QStyle::SP_DialogCloseButton}});
    m_model = new OrderTableModel(*m_table, this);
    setUpOrderTableView(StringGrid2, m_model);
    // They hold the sample texts of a run, never shown.
    Memo1->hide();
    Memo2->hide();
    buildStatusLine();

    connect(BitBtn1, &QPushButton::clicked, this, &TForm5::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm5::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm5::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm5::BitBtn4Click);
    // An outputFmt.def without the flat templates can only export per orderer.
    const auto &values = project.outputFormat.values;
    if (formatStatus == OutputFormatStatus::OldVersion || values[2].isEmpty() ||
        values[3].isEmpty()) {
        CheckBox2->setChecked(true);
        CheckBox2->hide();
    }
    resize(kExportWindowWidth, kExportWindowHeight);
}

TForm5::~TForm5()
{
    // The table view reads the copy: it goes before it.
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
}

void TForm5::buildStatusLine()
{
    // The status line is not part of the form: it sits under the table wherever the window's
    // size puts it, and holds the progress of a run.
    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    ProgressBar1 = named(new QProgressBar(StatusBar1), "ProgressBar1");
    ProgressBar1->setAccessibleName(QStringLiteral("進行状況"));
    ProgressBar1->setFormat(QStringLiteral("%v / %m ファイル"));
    ProgressBar1->setFixedWidth(260);
    ProgressBar1->hide();
    ElapsedLabel = named(new QLabel(StatusBar1), "ElapsedLabel");
    StatusBar1->addWidget(ProgressBar1);
    StatusBar1->addWidget(ElapsedLabel);
}

void TForm5::showEvent(QShowEvent *event)
{
    resize(kExportWindowWidth, kExportWindowHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (!m_running) {
        if (m_orders.orderCount > 0) {
            const auto [first, last] = proposedRange(m_orders);
            Edit1->setText(first);
            Edit2->setText(last);
        } else {
            Edit1->clear();
            Edit2->clear();
        }
        *m_table = m_orders;
        m_model->refresh();
        showRow(1);
        ProgressBar1->hide();
        ElapsedLabel->clear();
    }
    QDialog::showEvent(event);
}

void TForm5::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    StatusBar1->setGeometry(0, height() - kStatusHeight, width(), kStatusHeight);
    StringGrid2->setGeometry(kTableLeft, kTableTop, width() - 2 * kTableLeft,
                             height() - kTableTop - 10 - kStatusHeight);
    BitBtn2->move(width() - kCloseButtonOffset, BitBtn2->y());
}

void TForm5::keyPressEvent(QKeyEvent *event)
{
    // Esc stops a run, like the stop button, and leaves the window open. When no run goes
    // on it does nothing: an Esc meant for a run that just ended must not close the window
    // with its results (閉じる and the close box close it).
    if (event->key() == Qt::Key_Escape) {
        if (m_running)
            m_state.abortExport = true;
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm5::reject()
{
    // Closing under a running copy would leave it writing into a window that is gone: stop
    // it, and close once it has returned.
    if (m_running) {
        m_state.abortExport = true;
        m_closeAfterRun = true;
        return;
    }
    QDialog::reject();
}

void TForm5::clearExportTable()
{
    if (m_running) {
        m_clearAfterRun = true;
        return;
    }
    ResetOrders(*m_table);
    m_model->refresh();
    showRow(1);
}

void TForm5::BitBtn1Click()
{
    startRun(false);
}

void TForm5::BitBtn2Click()
{
    reject();
}

void TForm5::BitBtn3Click()
{
    m_state.abortExport = true;
}

void TForm5::BitBtn4Click()
{
    startRun(true);
}

void TForm5::showRow(int row)
{
    const QModelIndex index = m_model->index(row - 1, 0);
    StringGrid2->selectRow(row - 1);
    StringGrid2->scrollTo(index, QAbstractItemView::PositionAtTop);
    StringGrid2->viewport()->repaint();
}

void TForm5::showProgress(int done, int total)
{
    ProgressBar1->setMaximum(std::max(total, 1));
    ProgressBar1->setValue(done);
    ProgressBar1->repaint();
    if (m_sincePump.elapsed() >= kPumpIntervalMs) {
        m_services.pump.processPendingEvents();
        m_sincePump.restart();
    }
}

void TForm5::settleAfterRun()
{
    // The opened texts and folder come up meanwhile; the window keeps answering.
    Clock &clock = m_services.clock;
    const quint64 start = clock.tick();
    while (clock.tick() - start < quint64(kExportSettleMs) && !m_closeAfterRun) {
        m_services.pump.processPendingEvents();
        clock.pause(20);
    }
}

void TForm5::startRun(bool checkOnly)
{
    if (m_running)
        return;
    runOnce(checkOnly);
    // What was asked for while the run went on is done now that it has returned.
    if (m_clearAfterRun) {
        m_clearAfterRun = false;
        clearExportTable();
    }
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QDialog::reject();
    }
}

void TForm5::runOnce(bool checkOnly)
{
    m_running = true;
    m_closeAfterRun = false;
    BitBtn1->setEnabled(false);
    BitBtn4->setEnabled(false);
    BitBtn3->setEnabled(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto idle = qScopeGuard([this] {
        BitBtn1->setEnabled(true);
        BitBtn4->setEnabled(true);
        BitBtn3->setEnabled(false);
        QApplication::restoreOverrideCursor();
        m_running = false;
    });

    ExportJob job{m_project, *m_table,
                  exportSettingsFromFields(Edit1->text(), Edit2->text(), Edit3->text(),
                                           CheckBox1->isChecked(), CheckBox2->isChecked()),
                  m_services};
    job.showRow = [this](int row) { showRow(row); };
    job.showProgress = [this](int done, int total) { showProgress(done, total); };
    job.diskStatus = [this](const QString &status) { ElapsedLabel->setText(status); };
    ElapsedLabel->clear();
    ProgressBar1->setVisible(!checkOnly);
    ProgressBar1->setValue(0);
    m_sincePump.start();

    const quint64 started = m_services.clock.tick();
    const int result = RunExport(job, m_state, checkOnly);
    Memo1->setPlainText(m_state.errorList.join(u'\n'));
    Memo2->setPlainText(m_state.ordererSampleList.join(u'\n'));
    if (!checkOnly) {
        ElapsedLabel->setText(elapsedText(m_services.clock.tick() - started));
        if ((result == ExportOk || result == ExportIncomplete) && m_table->orderCount > 0)
            settleAfterRun();
    }
    m_state.abortExport = false;
    m_state.exportBusy = false;
}

} // namespace mf
