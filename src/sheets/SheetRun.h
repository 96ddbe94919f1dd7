#pragma once
// The output run of the sample sheets: lays the numbered photos out on pages of the selected
// output size, in ascending photo-number order, saves each page and shows it.

#include "platform/FileSystem.h"
#include "platform/Services.h"
#include "sheets/CellImage.h"
#include "sheets/CellPipeline.h"
#include "sheets/OutputSize.h"
#include "sheets/PageFile.h"
#include "sheets/PageLayout.h"
#include "sheets/TitleSettings.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace mf {

// The options of the sample sheet window, read whenever one is used: a change during a run
// affects the cells that follow.
struct SheetOptions {
    int sizeIndex = 0; // -1: no size selected
    QString startText = QStringLiteral("1");
    QString endText;
    QString numberPrefix;
    bool continuous = false;
    bool showNumbers = true;
    bool lTrim = false;
    bool highQuality = false;
    bool numberInside = false;
    bool outerFrame = false;
    bool sizeFrame = false;
    NumberPosition numberPosition = NumberPosition::TopLeft;
    bool columnFirst = false;
    bool cutEdges = false;
    bool bmp = false;
    int quality = 80;
    bool upright = true; // honour the EXIF orientation of the photos
    bool pdf = false;    // a continuous series is also written as one PDF
};

// Whether the series is gathered into one PDF: the PDF box with continuous output. What
// counts is how both stand when the series ends, however they stood when it began.
inline bool wantsSeriesPdf(const SheetOptions &options)
{
    return options.pdf && options.continuous;
}

// What the run needs of the project.
struct SheetProject {
    QString workFolder; // the save folder while the sample sheet window is open
    QString filePrefix;
    int folderCount = 0;
    QString titleText; // caption of every message box
};

// Kept between presses of the output button.
struct SheetRunState {
    int pagesOutput = 0;
    int nextNumber = 1;
    int photosPlaced = 0; // since the series began
    bool continuationPending = false;
    std::atomic<bool> stopRequested{false};
    bool running = false;
    QStringList seriesPages;        // the page files saved since the series began, in order
    std::unique_ptr<SeriesPdf> pdf; // begun once the series is to be gathered into a PDF
};

// Where a series stands, after each photo placed.
struct SheetProgress {
    int page = 0;   // the page the photo went on
    int pages = 0;  // the pages the series will have
    int photos = 0; // photos of the series placed so far, this one included
    int total = 0;  // photos the series will place
    QString photo;  // the file of the photo just placed
};

// What the run needs of its window.
struct SheetHooks {
    std::function<SheetOptions()> options;
    std::function<TitleSettings()> titleSettings;
    std::function<void(const QImage &)> showPreview; // empty: no preview is drawn
    std::function<void()> scrollPreviewHome = [] {}; // before every cell
    int previewPauseMs = 100;
    std::function<void(const QString &)> setOutputCaption = [](const QString &) {};
    std::function<void(bool)> setBusy = [](bool) {}; // busy cursor, output button disabled
    std::function<void()> disableSizeList = [] {};
    // The window's reset after a stop: the run state (resetRunState) and its fields.
    std::function<void()> reset = [] {};
    // After each photo placed.
    std::function<void(const SheetProgress &)> progress = [](const SheetProgress &) {};
    int workers = 0;           // 0: one per core
    CellMaker makeCell;        // what the workers run; empty: MakeCell
    ThreadStarter startWorker; // empty: std::thread
    // Puts the pages on the disk before the run says it is done.
    std::function<bool(const QString &folder)> flushToDisk = flushFileSystem;
    // Shows a status text while the pages go onto the disk; an empty text clears it.
    std::function<void(const QString &status)> diskStatus = [](const QString &) {};
    // Told of every photo placed: its number, the cell's top-left corner and where the photo
    // was drawn.
    std::function<void(int number, QPoint cell, QRect drawn)> cellPlaced = [](int, QPoint, QRect) {
    };
};

// The state the window's reset leaves: a new series from photo 1.
void resetRunState(SheetRunState &state);

// The stop button. True when no run is going and the window should reset now; during a run
// only the request is set, and the run resets the window once it has returned, so a second
// press never restarts a series over pages already saved.
bool requestStop(SheetRunState &state);

enum class SheetRunResult {
    Ignored, // a run is going, or nothing to lay out
    Refused, // a message ended the press before any page
    Cancelled,
    Pending,  // pages saved, more photos for the next press
    Complete, // the series ended
    Stopped,
    Failed, // a worker could not be started: nothing was made
};

// BitBtn1Click of the sample sheet window.
SheetRunResult RunSampleSheets(const OutputSizeTable &sizes, const SheetProject &project,
                               SheetRunState &state, Services &services, const SheetHooks &hooks);

namespace msg {
inline const QString noSequenceFiles = QStringLiteral("連番ファイルが作成されていません。");
// Follows the message about a photo that cannot be used, so that the operator knows which
// camera file to replace.
inline const QString cameraFileLine = QStringLiteral("元の画像ファイル：%1\n");
inline const QString deleteOldPages =
    QStringLiteral("既に一覧ファイルが作成されています。削除しますか？\n削除しない場合は上書きさ"
                   "れます。");
inline const QString cannotDeletePages =
    QStringLiteral("一覧ファイルが削除出来ません。\nネットワークドライブの場合は書き込み禁止になっ"
                   "ていないか確認してください。");
inline const QString sheetsStopped = QStringLiteral("処理を中断しました。");
inline const QString sheetsDone = QStringLiteral("一覧を出力しました。");
inline const QString sheetsNone = QStringLiteral("一覧は作成されませんでした。");
inline const QString workersNotStarted =
    QStringLiteral("作業用のスレッドを開始出来ないのでサンプル画像の作成が出来ません。\n他のプ"
                   "ログラムを終了してからやり直してください。");
inline const QString nextPageCaption = QStringLiteral("次ページを出力");
inline const QString startCaption = QStringLiteral("出力開始");
} // namespace msg

} // namespace mf
