#include "sheets/ui/TForm2.h"
#include "platform/Format.h"
#include "platform/ui/DirectInputEdit.h"
#include "platform/ui/ScreenFit.h"
#include "platform/ui/WidgetNames.h"

#include "sheets/PhotoOps.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>

#include <new>

namespace mf {

QSize previewFitSize(QSize page, QSize area)
{
    if (page.isEmpty() || area.isEmpty())
        return {};
    return page.scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// The preview raster: drawn straight from the image, so a page shown costs no conversion. Fitted
// to the preview area, it shows the last page whole, scaled once per page or resize.
class PreviewImage : public QWidget {
public:
    explicit PreviewImage(QWidget *parent) : QWidget(parent)
    {
        m_image = QImage(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
        if (m_image.isNull())
            throw std::bad_alloc();
        setFixedSize(kPreviewSide, kPreviewSide);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void clear(const QColor &colour)
    {
        m_background = colour;
        m_image.fill(colour);
        m_page = m_fitted = QImage();
        update();
    }
    void show(const QImage &page, const QColor &background)
    {
        m_background = background;
        m_image.fill(background);
        QPainter(&m_image).drawImage(0, 0, page);
        m_page = page;
        refit();
        update();
    }
    // Fitted: as large as area, the page scaled into it; otherwise the full-size raster.
    void setFit(bool fit, QSize area)
    {
        m_fit = fit;
        setFixedSize(fit ? area.expandedTo(QSize(1, 1)) : QSize(kPreviewSide, kPreviewSide));
        refit();
        update();
    }
    bool fit() const { return m_fit; }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter p(this);
        if (!m_fit) {
            p.drawImage(event->rect(), m_image, event->rect());
            return;
        }
        p.fillRect(rect(), m_background);
        p.drawImage(0, 0, m_fitted);
    }

private:
    void refit()
    {
        m_fitted = QImage();
        if (m_fit && !m_page.isNull())
            m_fitted = m_page.scaled(previewFitSize(m_page.size(), size()), Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
    }

    QImage m_image;
    QImage m_page;   // the last page shown
    QImage m_fitted; // it, scaled to the area
    QColor m_background;
    bool m_fit = false;
};

namespace {

constexpr int kScrollBoxLeft = 4;
constexpr int kScrollBoxTop = 112;
constexpr int kCloseButtonMargin = 5;
// The JPEG quality of a new window; the slider shows it until it is moved.
constexpr int kStartQuality = 40;

} // namespace

TForm2::TForm2(const ProjectState &project, Services &services, const SampleWindowLinks &links,
               QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_project(project), m_services(services), m_links(links)
{
    setObjectName(QStringLiteral("TForm2"));
    setModal(true);
    setWindowTitle(project.titleText + QStringLiteral("\u3000写真サンプルの作成"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);

    buildControls();
    m_sizes = LoadOutputSizes(project.programFolder);
    fillSizeList();
    ComboBox1->setCurrentIndex(0);
    m_options.sizeIndex = ComboBox1->currentIndex();
    m_options.quality = kStartQuality;
    connectOptions();

    resize(kSampleWindowWidth, kSampleWindowHeight);
    fitToScreen(this, QSize(kSampleWindowWidth, kSampleWindowHeight));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    reset();
    if (m_links.selectedSizeSource)
        m_links.selectedSizeSource([this] { return selectedSize(); });
}

TForm2::~TForm2()
{
    if (m_links.selectedSizeSource)
        m_links.selectedSizeSource({});
}

const OutputSize *TForm2::selectedSize() const
{
    const int index = ComboBox1->currentIndex();
    return index >= 0 && index < m_sizes.count ? &m_sizes.sizes[size_t(index)] : nullptr;
}

void TForm2::buildControls()
{
    auto label = [this](const char *name, const QString &text, const QRect &geometry) {
        auto *l = named(new QLabel(text, this), name);
        l->setGeometry(geometry);
        return l;
    };
    auto button = [this](const char *name, const QString &caption, QStyle::StandardPixmap icon,
                         const QRect &geometry) {
        auto *b = named(new QPushButton(style()->standardIcon(icon), caption, this), name);
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };

    Label1 = label("Label1", QStringLiteral("解像度"), {8, 8, 40, 20});
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox1->setGeometry(50, 6, 420, 24);
    QFont fixed(QStringLiteral("ＭＳ ゴシック"));
    fixed.setPixelSize(12);
    ComboBox1->setFont(fixed);
    ComboBox1->setMaxVisibleItems(50);
    Label1->setBuddy(ComboBox1);

    Label3 = label("Label3", QStringLiteral("JPEG画質"), {486, 8, 56, 20});
    TrackBar1 = named(new QSlider(Qt::Horizontal, this), "TrackBar1");
    TrackBar1->setGeometry(544, 4, 220, 26);
    TrackBar1->setRange(0, 100);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(10);
    TrackBar1->setPageStep(10);
    // Set before the slider is connected: showing the start quality changes nothing else.
    TrackBar1->setValue(kStartQuality);
    Label3->setBuddy(TrackBar1);
    Label4 = label("Label4", QStringLiteral("0"), {546, 30, 30, 14});
    Label5 = label("Label5", QStringLiteral("50"), {639, 30, 30, 14});
    Label5->setAlignment(Qt::AlignHCenter);
    Label6 = label("Label6", QStringLiteral("100"), {732, 30, 30, 14});
    Label6->setAlignment(Qt::AlignRight);

    BitBtn11 = named(new QToolButton(this), "BitBtn11");
    BitBtn11->setText(QStringLiteral("閉じる"));
    BitBtn11->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn11->setIconSize(QSize(32, 32));
    BitBtn11->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    BitBtn11->setGeometry(kSampleWindowWidth - kCloseButtonMargin - 72, 4, 72, 60);

    BitBtn1 = button("BitBtn1", msg::startCaption, QStyle::SP_MediaPlay, {8, 44, 124, 28});
    BitBtn2 = button("BitBtn2", QStringLiteral("中止"), QStyle::SP_BrowserStop, {136, 44, 80, 28});
    BitBtn3 = button("BitBtn3", QStringLiteral("余白の調整"), QStyle::SP_FileDialogDetailedView,
                     {220, 44, 104, 28});
    BitBtn4 = button("BitBtn4", QStringLiteral("タイトル設定"), QStyle::SP_FileDialogInfoView,
                     {328, 44, 108, 28});

    auto field = [this](QLabel *caption, const char *name, const QRect &geometry) {
        auto *e = named(new QLineEdit(this), name);
        e->setGeometry(geometry);
        caption->setBuddy(e);
        return e;
    };
    Label8 = label("Label8", QStringLiteral("接頭語"), {446, 48, 38, 20});
    Edit3 = field(Label8, "Edit3", {486, 46, 70, 24});
    Edit3->setMaxLength(16);
    Label2 = label("Label2", QStringLiteral("開始番号"), {566, 48, 50, 20});
    auto numberField = [this](QLabel *caption, const char *name, const QRect &geometry) {
        auto *e = named(new DirectInputEdit(this), name);
        e->setGeometry(geometry);
        caption->setBuddy(e);
        return e;
    };
    Edit1 = numberField(Label2, "Edit1", {618, 46, 56, 24});
    Label7 = label("Label7", QStringLiteral("終了番号"), {684, 48, 50, 20});
    Edit2 = numberField(Label7, "Edit2", {736, 46, 56, 24});

    auto check = [this](const char *name, const QString &caption, bool on, const QString &hint) {
        auto *c = named(new QCheckBox(caption, this), name);
        c->setChecked(on);
        if (!hint.isEmpty())
            setHint(c, hint);
        return c;
    };
    CheckBox1 = check("CheckBox1", QStringLiteral("全ページを連続出力"), false, {});
    CheckBox2 = check("CheckBox2", QStringLiteral("写真番号を表示"), true, {});
    CheckBox5 = check("CheckBox5", QStringLiteral("写真番号を中に入れる"), true,
                      QStringLiteral("写真の端から左下に1mmづつ画像の中に表示します。"));
    CheckBox6 = check("CheckBox6", QStringLiteral("外枠を付ける"), true,
                      QStringLiteral("画像の周りに１ピクセル幅の黒枠を表示します。"));
    CheckBox7 = check("CheckBox7", QStringLiteral("サイズ枠を付ける"), false,
                      QStringLiteral("指定サイズの周りに１ピクセル幅の黒枠を表示します。"));
    CheckBox9 = check("CheckBox9", QStringLiteral("周囲を切り捨て"), false,
                      QStringLiteral("画像の周辺部を1mm切捨てます"));
    CheckBox3 = check("CheckBox3", QStringLiteral("Ｌ判比にトリミング"), false,
                      QStringLiteral("連番フォルダ内のAPSフィルムをトリミングして上書き保存して"
                                     "インデックスを作成します。"));
    CheckBox8 = check("CheckBox8", QStringLiteral("縦列を優先"), false, {});
    CheckBox4 = check("CheckBox4", QStringLiteral("高品質で縮小"), false,
                      QStringLiteral("画質は良くなりますが時間がかかります。"));
    CheckBox10 = check("CheckBox10", QStringLiteral(".BMPで保存"), false, {});
    CheckBox11 = check("CheckBox11", QStringLiteral("Exifの向きで回転"), true,
                       QStringLiteral("カメラが記録した向きに合わせて写真を回転します。"));
    CheckBox12 = check("CheckBox12", QStringLiteral(".PDFにまとめる"), false,
                       QStringLiteral("全ページを連続出力したとき、全ページを1つのPDFファイルにも"
                                      "まとめます。"));
    CheckBox13 = check("CheckBox13", QStringLiteral("全体表示"),
                       m_links.fitPreview ? m_links.fitPreview() : true,
                       QStringLiteral("プレビューにページ全体を縮小して表示します。"));
    const QList<QList<QCheckBox *>> rows = {
        {CheckBox1, CheckBox2, CheckBox5, CheckBox6, CheckBox7, CheckBox9},
        {CheckBox3, CheckBox8, CheckBox4, CheckBox10, CheckBox11, CheckBox12, CheckBox13}};
    for (int r = 0; r < rows.size(); ++r) {
        int x = 8;
        for (QCheckBox *c : rows[r]) {
            const int w = c->sizeHint().width();
            c->setGeometry(x, 76 + 18 * r, w, 17);
            x += w + 10;
        }
    }

    RadioGroup1 = named(new QGroupBox(QStringLiteral("番号位置"), this), "RadioGroup1");
    RadioGroup1->setGeometry(780, 70, 120, 40);
    topLeftButton = new QRadioButton(QStringLiteral("左上"), RadioGroup1);
    bottomRightButton = new QRadioButton(QStringLiteral("右下"), RadioGroup1);
    topLeftButton->setChecked(true);
    auto *radios = new QHBoxLayout(RadioGroup1);
    radios->setContentsMargins(6, 0, 6, 0);
    radios->addWidget(topLeftButton);
    radios->addWidget(bottomRightButton);

    ScrollBox1 = named(new QScrollArea(this), "ScrollBox1");
    ScrollBox1->setAccessibleName(QStringLiteral("プレビュー"));
    Image1 = named(new PreviewImage(ScrollBox1), "Image1");
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setFocusPolicy(Qt::StrongFocus);
    // The wheel steps and the focus on hover are the window's own.
    ScrollBox1->viewport()->installEventFilter(this);
    ScrollBox1->viewport()->setMouseTracking(true);
    Image1->installEventFilter(this);
    Image1->setMouseTracking(true);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(true);
    statusText = named(new QLabel(StatusBar1), "statusText");
    StatusBar1->addWidget(statusText, 1);
    progressBar = new QProgressBar(StatusBar1);
    progressBar->setMaximumWidth(240);
    progressBar->setMaximumHeight(16);
    progressBar->setTextVisible(false);
    StatusBar1->addPermanentWidget(progressBar);
    progressBar->hide();

    connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm2::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm2::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm2::BitBtn4Click);
    connect(BitBtn11, &QToolButton::clicked, this, &TForm2::BitBtn11Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TForm2::CheckBox4Click);
    connect(CheckBox13, &QCheckBox::toggled, this, &TForm2::CheckBox13Click);
    Image1->setFit(CheckBox13->isChecked(), ScrollBox1->viewport()->size());

    setHint(BitBtn1, QStringLiteral("サンプルのページを作って一覧フォルダに保存します。"));
    setHint(BitBtn2, QStringLiteral("サンプルの作成を中止します。"));
    setHint(BitBtn3, QStringLiteral("選んだサイズの余白を調整し、新しいサイズを登録します。"));
    setHint(BitBtn4, QStringLiteral("ページのタイトルとページ番号を設定します。"));
    setHint(BitBtn11, QStringLiteral("写真サンプルの作成を閉じます。"));
}

void TForm2::CheckBox13Click(bool fit)
{
    Image1->setFit(fit, ScrollBox1->viewport()->size());
    scrollPreviewHome();
    if (m_links.setFitPreview)
        m_links.setFitPreview(fit);
}

// Every control writes its option as it changes, so a run in progress reads the new value
// for the cells that follow.
void TForm2::connectOptions()
{
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm2::ComboBox1Change);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm2::TrackBar1Change);
    connect(Edit1, &QLineEdit::textChanged, this,
            [this](const QString &t) { m_options.startText = t; });
    connect(Edit2, &QLineEdit::textChanged, this,
            [this](const QString &t) { m_options.endText = t; });
    connect(Edit3, &QLineEdit::textChanged, this,
            [this](const QString &t) { m_options.numberPrefix = t; });
    const QList<std::pair<QCheckBox *, bool SheetOptions::*>> flags = {
        {CheckBox1, &SheetOptions::continuous},   {CheckBox2, &SheetOptions::showNumbers},
        {CheckBox3, &SheetOptions::lTrim},        {CheckBox4, &SheetOptions::highQuality},
        {CheckBox5, &SheetOptions::numberInside}, {CheckBox6, &SheetOptions::outerFrame},
        {CheckBox7, &SheetOptions::sizeFrame},    {CheckBox8, &SheetOptions::columnFirst},
        {CheckBox9, &SheetOptions::cutEdges},     {CheckBox10, &SheetOptions::bmp},
        {CheckBox11, &SheetOptions::upright},     {CheckBox12, &SheetOptions::pdf}};
    for (const auto &[box, flag] : flags) {
        m_options.*flag = box->isChecked();
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) { m_options.*flag = on; });
    }
    connect(bottomRightButton, &QRadioButton::toggled, this, [this](bool on) {
        m_options.numberPosition = on ? NumberPosition::BottomRight : NumberPosition::TopLeft;
    });
    m_options.startText = Edit1->text();
    m_options.endText = Edit2->text();
    m_options.numberPrefix = Edit3->text();
}

void TForm2::fillSizeList()
{
    const QSignalBlocker block(ComboBox1);
    const int selected = ComboBox1->currentIndex();
    ComboBox1->clear();
    for (int i = 0; i < m_sizes.count; ++i)
        ComboBox1->addItem(m_sizes.sizes[size_t(i)].label);
    ComboBox1->setCurrentIndex(selected < m_sizes.count ? selected : -1);
}

void TForm2::reset()
{
    setWindowTitle(m_project.titleText + msg::sampleWindowCaption);
    Image1->clear(palette().color(QPalette::Window));
    scrollPreviewHome();
    resetRunState(m_state);
    BitBtn1->setText(msg::startCaption);
    ComboBox1->setEnabled(true);
    Edit1->setText(QStringLiteral("1"));
    Edit2->clear();
    updateStatus();
}

void TForm2::updateStatus()
{
    const int index = m_options.sizeIndex;
    const OutputSize size =
        index >= 0 && index < m_sizes.count ? m_sizes.sizes[size_t(index)] : OutputSize{};
    statusText->setText(QStringLiteral("解像度 %1 幅 %2pixel 高さ %3pixel  Jpeg品質 %4")
                            .arg(size.label, QString::number(size.paperWidth),
                                 QString::number(size.paperHeight),
                                 QString::number(m_options.quality)));
}

void TForm2::scrollPreviewHome()
{
    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
}

void TForm2::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    // The size, its margins and the title are fixed while pages are drawn; the size list
    // stays disabled until the next reset.
    for (QWidget *w : {static_cast<QWidget *>(BitBtn1), static_cast<QWidget *>(BitBtn3),
                       static_cast<QWidget *>(BitBtn4)})
        w->setEnabled(!busy);
    if (busy) {
        ComboBox1->setEnabled(false);
    } else {
        progressBar->hide();
        updateStatus();
    }
}

void TForm2::showProgress(const SheetProgress &progress)
{
    // Photos, not cells: a partly filled last page still ends with a full bar.
    progressBar->setRange(0, std::max(1, progress.total));
    progressBar->setValue(progress.photos);
    progressBar->show();
    statusText->setText(QStringLiteral("ページ %1 / %2  %3")
                            .arg(QString::number(progress.page), QString::number(progress.pages),
                                 QFileInfo(progress.photo).fileName()));
}

void TForm2::BitBtn1Click()
{
    if (m_state.running)
        return;
    const SheetProject project{m_project.workFolder, m_project.filePrefix, m_project.folderCount(),
                               m_project.titleText};
    SheetHooks hooks;
    hooks.options = [this] { return m_options; };
    hooks.titleSettings = [this] {
        return m_links.titleSettings ? m_links.titleSettings() : TitleSettings{};
    };
    hooks.showPreview = [this](const QImage &page) {
        Image1->show(page, palette().color(QPalette::Window));
    };
    hooks.scrollPreviewHome = [this] { scrollPreviewHome(); };
    hooks.setOutputCaption = [this](const QString &caption) { BitBtn1->setText(caption); };
    hooks.setBusy = [this](bool busy) { setBusy(busy); };
    hooks.disableSizeList = [this] { ComboBox1->setEnabled(false); };
    hooks.reset = [this] { reset(); };
    hooks.progress = [this](const SheetProgress &progress) { showProgress(progress); };
    hooks.diskStatus = [this](const QString &status) {
        status.isEmpty() ? updateStatus() : statusText->setText(status);
    };
    RunSampleSheets(m_sizes, project, m_state, m_services, hooks);
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QDialog::reject();
    }
}

void TForm2::BitBtn2Click()
{
    // The first press only asks a run to stop; a second one resets, but never under a run.
    if (!m_state.stopRequested) {
        m_state.stopRequested = true;
        return;
    }
    if (requestStop(m_state))
        reset();
}

void TForm2::BitBtn3Click()
{
    if (m_state.running)
        return;
    const int selected = ComboBox1->currentIndex();
    if (selected < 0 || selected >= m_sizes.count) {
        m_services.prompter.inform(msg::noSizeSelected, m_project.titleText);
        return;
    }
    const int added = m_links.openCustomSize ? m_links.openCustomSize(m_sizes, selected) : -1;
    fillSizeList();
    if (added >= 0 && added < m_sizes.count) {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(added);
    }
    m_options.sizeIndex = ComboBox1->currentIndex();
    reset();
}

void TForm2::BitBtn4Click()
{
    if (m_state.running)
        return;
    if (m_links.openTitleSettings)
        m_links.openTitleSettings();
}

void TForm2::BitBtn11Click()
{
    close();
}

void TForm2::ComboBox1Change(int index)
{
    m_options.sizeIndex = index;
    reset();
}

void TForm2::TrackBar1Change(int position)
{
    m_options.quality = position;
    updateStatus();
}

void TForm2::CheckBox4Click(bool checked)
{
    if (!checked)
        return;
    QString text;
    formatChecked(msg::HighQualityNotice, {kMaxHighQualityResult, kMaxHighQualityResult}, &text);
    m_services.prompter.inform(text, m_project.titleText);
}

void TForm2::reject()
{
    if (m_state.running) {
        requestStop(m_state);
        m_closeAfterRun = true;
        return;
    }
    QDialog::reject();
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitToScreen(this, QSize(kSampleWindowWidth, kSampleWindowHeight)); // now with its frame
    if (!event->spontaneous())
        reset();
}

void TForm2::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int statusHeight = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
    // On a screen too small for the window's usual size the preview gives up its room first,
    // so that the status line and every control stay in view.
    ScrollBox1->setGeometry(kScrollBoxLeft, kScrollBoxTop,
                            std::max(0, width() - 2 * kScrollBoxLeft),
                            std::max(0, height() - kScrollBoxTop - statusHeight - 10));
    if (Image1->fit())
        Image1->setFit(true, ScrollBox1->viewport()->size());
    scrollPreviewHome();
    BitBtn11->move(width() - kCloseButtonMargin - BitBtn11->width(), BitBtn11->y());
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        // Scroll bars that come or go change the area a fitted page has.
        if (watched == ScrollBox1->viewport() && Image1->fit())
            Image1->setFit(true, ScrollBox1->viewport()->size());
        break;
    case QEvent::Wheel: {
        // One step of 20 pixels per notch; finer wheels add up to a notch first.
        m_wheelDelta += static_cast<QWheelEvent *>(event)->angleDelta().y();
        const int steps = m_wheelDelta / QWheelEvent::DefaultDeltasPerStep;
        m_wheelDelta -= steps * QWheelEvent::DefaultDeltasPerStep;
        wheelPreview(-steps);
        return true;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
        // The wheel acts on the preview without a click first.
        ScrollBox1->setFocus(Qt::MouseFocusReason);
        break;
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::wheelPreview(int steps)
{
    QScrollBar *bar = ScrollBox1->verticalScrollBar();
    for (; steps > 0; --steps) {
        if (bar->value() + kPreviewWheelStep > bar->maximum())
            break;
        bar->setValue(bar->value() + kPreviewWheelStep);
    }
    for (; steps < 0; ++steps) {
        if (bar->value() < kPreviewWheelStep)
            break;
        bar->setValue(bar->value() - kPreviewWheelStep);
    }
}

} // namespace mf
