#pragma once
// The sample sheet window: the output size, the JPEG quality, the photo range and the drawing
// options of the sample sheets; starts the output and shows each finished page.

#include "platform/Services.h"
#include "project/ProjectState.h"
#include "sheets/OutputSize.h"
#include "sheets/SheetRun.h"
#include "sheets/TitleSettings.h"
#include "ui_TForm2.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QStatusBar;

namespace mf {

// The dialogs this window opens belong to other parts of the program; they are reached
// through these.
struct SampleWindowLinks {
    std::function<TitleSettings()> titleSettings; // the title dialog's settings
    std::function<void()> openTitleSettings;      // "タイトル設定": show the title dialog
    // "余白の調整": edits sizes.sizes[selected] (memory) or registers a new size; returns the
    // index of a newly registered size to add to the list and select, -1 for none.
    std::function<int(OutputSizeTable &sizes, int selected)> openCustomSize;
    // Told when the window opens which size is selected (a function that gives nullptr when
    // none is), and an empty function when it closes: the title dialog shows millimetres and
    // automatic heights only while this window is open.
    std::function<void(std::function<const OutputSize *()>)> selectedSizeSource;
    // "全体表示", kept between runs of the program; without these it starts on, unkept.
    std::function<bool()> fitPreview;
    std::function<void(bool)> setFitPreview;
};

inline constexpr int kSampleWindowWidth = 908;
inline constexpr int kSampleWindowHeight = 744;
inline constexpr int kPreviewWheelStep = 20;

namespace msg {
inline const QString noSizeSelected = QStringLiteral("解像度が選択されていません。");
inline const QString sampleWindowCaption = QStringLiteral("\u3000[写真サンプルの作成]");
} // namespace msg

// The controls come from the form TForm2.ui, but for the status line.
class TForm2 : public QDialog, private Ui::TForm2 {
    Q_OBJECT
public:
    TForm2(const ProjectState &project, Services &services, const SampleWindowLinks &links,
           QWidget *parent = nullptr);
    ~TForm2() override;

    // The size selected in the list, nullptr when none is.
    const OutputSize *selectedSize() const;

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn11Click();
    void ComboBox1Change(int index);
    void TrackBar1Change(int position);
    void CheckBox4Click(bool checked);
    void CheckBox13Click(bool fit);
    // Closing while a series is drawn stops it; the window closes once the run has returned.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpControls();
    void connectOptions();
    void reset();
    void updateStatus();
    void setBusy(bool busy);
    void showProgress(const SheetProgress &progress);
    void fillSizeList();
    void scrollPreviewHome();
    void wheelPreview(int steps);

    const ProjectState &m_project;
    Services &m_services;
    SampleWindowLinks m_links;
    OutputSizeTable m_sizes;
    SheetOptions m_options; // what the controls show; the run reads it
    SheetRunState m_state;
    bool m_closeAfterRun = false;
    int m_wheelDelta = 0; // wheel turns not yet a whole step

    QStatusBar *StatusBar1;
    QLabel *statusText;
    QProgressBar *progressBar;
};

} // namespace mf
