#include "sheets/ui/TForm2.h"
#include "platform/Format.h"
#include "platform/ui/ScreenFit.h"
#include "platform/ui/WidgetNames.h"

#include "sheets/PhotoOps.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QWheelEvent>

#include <new>

namespace mf {

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
    setupUi(this);
    setUpControls();
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

void TForm2::setUpControls()
{
    setGlyphs({{BitBtn11, QStyle::SP_DialogCloseButton},
               {BitBtn1, QStyle::SP_MediaPlay},
               {BitBtn2, QStyle::SP_BrowserStop},
               {BitBtn3, QStyle::SP_FileDialogDetailedView},
               {BitBtn4, QStyle::SP_FileDialogInfoView}});
    // Set before the slider is connected: showing the start quality changes nothing else.
    TrackBar1->setValue(kStartQuality);
    CheckBox13->setChecked(m_links.fitPreview ? m_links.fitPreview() : true);
    // Each row of options takes the width its captions need in the font this PC draws them in.
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
