#include "project/ui/TForm8.h"

#include "platform/ui/WidgetNames.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>

namespace mf {

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 575;
constexpr int kColumns = 10;
constexpr int kGridTop = 80;
constexpr int kGridLeft = 8;

const int kColumnWidths[kColumns] = {50, 30, 250, 170, 150, 250, 60, 100, 100, 100};

// What follows the last "\" or ":" (the separators of the paths older logs hold) or "/".
QString fileNamePart(const QString &path)
{
    qsizetype cut = -1;
    for (QChar c : {u'\\', u':', u'/'})
        cut = std::max(cut, path.lastIndexOf(c));
    return path.mid(cut + 1);
}

} // namespace

// The grid's texts, read from the core history: one row per possible record.
class HistoryMarksModel : public QAbstractTableModel {
public:
    HistoryMarksModel(const ManagedHistory &history, QObject *parent)
        : QAbstractTableModel(parent), m_history(history)
    {}
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : kHistorySlots;
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : kColumns;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QString headings[kColumns] = {QStringLiteral("No."),
                                                   QStringLiteral("削除"),
                                                   QStringLiteral("プロジェクト名"),
                                                   QStringLiteral("日時"),
                                                   QStringLiteral("フォルダリスト定義ファイル"),
                                                   QStringLiteral("保存先フォルダ"),
                                                   QStringLiteral("ロット番号")};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= kColumns)
            return {};
        return headings[section];
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        // A path cut off in its cell shows whole as the cell's hint.
        if (role == Qt::ToolTipRole && index.column() >= 2)
            role = Qt::DisplayRole;
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const int row = index.row() + 1;
        if (index.column() == 0)
            return QString::number(row);
        if (row > m_history.count())
            return QString();
        const HistoryEntry &e = m_history.log.records[row - 1].entry;
        switch (index.column()) {
        case 1: return m_history.isMarked(row) ? QStringLiteral("×") : QString();
        case 2: return e.projectName;
        case 3: return e.savedAt;
        case 4: return fileNamePart(e.projectFile);
        case 5: return e.saveFolder;
        case 6: return e.schoolCode;
        default: return QString();
        }
    }
    void refresh()
    {
        beginResetModel();
        endResetModel();
    }
    void marksChanged() { Q_EMIT dataChanged(index(0, 1), index(kHistorySlots - 1, 1)); }

private:
    const ManagedHistory &m_history;
};

TForm8::TForm8(const ProjectState &state, Services &services,
               std::function<void()> historyRewritten, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_state(state),
      m_services(services), m_historyRewritten(std::move(historyRewritten))
{
    setupUi(this);
    setWindowTitle(m_state.titleText);
    setGlyphs({{BitBtn1, QStyle::SP_DialogCloseButton},
               {BitBtn2, QStyle::SP_TrashIcon},
               {BitBtn3, QStyle::SP_BrowserReload}});

    m_model = new HistoryMarksModel(m_history, this);
    StringGrid1->setModel(m_model);
    // Every heading fits its column ("フォルダリスト定義ファイル" is the widest).
    for (int c = 0; c < kColumns; ++c)
        StringGrid1->setColumnWidth(
            c, std::max(kColumnWidths[c], StringGrid1->horizontalHeader()->sectionSizeHint(c)));
    StringGrid1->viewport()->installEventFilter(this);
    // A second click on a name unmarks it.
    connectCellChoice(StringGrid1, this, m_gridPressPending,
                      [this](int row, int column) { StringGrid1SelectCell(row, column); });

    connect(BitBtn1, &QToolButton::clicked, this, &TForm8::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm8::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm8::BitBtn3Click);
}

void TForm8::reload()
{
    LoadHistoryView(m_history, m_state.programFolder, m_services.clock);
    m_model->refresh();
    showSelectedRow();
    StringGrid1->scrollToTop();
}

void TForm8::showSelectedRow()
{
    const QSignalBlocker block(StringGrid1->selectionModel());
    StringGrid1->setCurrentIndex(m_model->index(m_history.selectedRow - 1, 1));
}

bool TForm8::rewrite()
{
    if (!RewriteWorkLog(m_history, m_state.programFolder, m_state.titleText, m_services.prompter))
        return false;
    if (m_historyRewritten)
        m_historyRewritten();
    return true;
}

void TForm8::showEvent(QShowEvent *event)
{
    setWindowTitle(m_state.titleText);
    reload();
    resize(kWidth, kHeight);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TForm8::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (width() < kWidth)
        resize(kWidth, height());
    else if (height() >= kHeight)
        StringGrid1->setGeometry(kGridLeft, kGridTop, width() - 2 * kGridLeft,
                                 height() - kGridTop - 10);
    else
        resize(width(), kHeight);
}

bool TForm8::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == StringGrid1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            m_gridPressPending = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_gridPressPending = false;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm8::done(int result)
{
    // Every way out (the button, the close box, Esc) passes the question about the marks.
    if (m_history.modified) {
        switch (
            m_services.prompter.ask(msg::historyUnsaved, m_state.titleText, Buttons::YesNoCancel)) {
        case Answer::Yes:
            if (!rewrite())
                return; // the marks stay for another try
            break;
        case Answer::No: break;
        case Answer::Cancel: return;
        }
    }
    QDialog::done(result);
}

void TForm8::BitBtn1Click()
{
    close();
}

void TForm8::BitBtn2Click()
{
    ToggleDeleteMark(m_history, m_history.selectedRow);
    m_model->marksChanged();
    showSelectedRow();
}

void TForm8::BitBtn3Click()
{
    if (m_history.count() <= 0)
        return;
    // A failed rewrite changed nothing: the marks stay, so the operator can try again.
    if (rewrite())
        reload();
}

void TForm8::StringGrid1SelectCell(int row, int column)
{
    if (selectHistoryCell(m_history, m_services.clock, row, column))
        m_model->marksChanged();
    showSelectedRow();
}

} // namespace mf
