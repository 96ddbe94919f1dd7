#include "sheets/SheetRun.h"

#include "photos/NumberedPhotos.h"
#include "photos/PhotoFiles.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "project/DesktopOpen.h"
#include "project/FolderRepair.h"
#include "project/Messages.h"
#include "sheets/CellImage.h"
#include "sheets/CellPipeline.h"
#include "sheets/PageFile.h"
#include "sheets/PhotoOps.h"

#include <future>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace mf {

namespace {

CellRequest cellRequest(const OutputSize &size, const SheetOptions &options, const QString &path)
{
    CellRequest r;
    r.path = path;
    r.dpi = size.dpi;
    r.cellWidth = size.photoWidth;
    r.cellHeight = size.photoHeight;
    r.cutEdges = options.cutEdges;
    r.lTrim = options.lTrim;
    r.highQuality = options.highQuality;
    r.upright = options.upright;
    return r;
}

// The message about a numbered photo the sheets cannot use, with the camera file it came from.
QString photoFailure(const QString &text, const QString &path, int number)
{
    const QString camera = cameraFileOf(sourceFolderOfPath(path), number);
    return text.arg(path) + (camera.isEmpty() ? QString() : msg::cameraFileLine.arg(camera));
}

bool sameRequest(const CellRequest &a, const CellRequest &b)
{
    return a.path == b.path && a.dpi == b.dpi && a.cellWidth == b.cellWidth &&
           a.cellHeight == b.cellHeight && a.cutEdges == b.cutEdges && a.lTrim == b.lTrim &&
           a.highQuality == b.highQuality && a.upright == b.upright;
}

// A job beside the window's thread, on a worker of its own. When the system has no thread to
// give, the job runs when its result is asked for: slower, but the page is made all the same.
class JobBeside {
public:
    JobBeside(const ThreadStarter &start, std::function<bool()> job)
        : m_job(std::move(job)), m_result(m_done.get_future())
    {
        auto body = [this] { m_done.set_value(m_job()); };
        try {
            m_thread = start ? start(body) : std::thread(body);
        } catch (const std::system_error &) {
        }
    }
    JobBeside(const JobBeside &) = delete;
    JobBeside &operator=(const JobBeside &) = delete;
    ~JobBeside()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    // The window answers while it waits: only flags and options change then, not the page.
    bool get(EventPump &pump)
    {
        if (!m_thread.joinable())
            return m_job();
        const bool result = awaitPumping(m_result, pump);
        m_thread.join();
        return result;
    }

private:
    std::function<bool()> m_job;
    std::promise<bool> m_done;
    std::future<bool> m_result;
    std::thread m_thread;
};

// One press of the output button from step 12 on: pages until the series is complete (or,
// one page at a time, until the page is done).
class Press {
public:
    Press(const OutputSize &size, const SheetProject &project, SheetRunState &state,
          Services &services, const SheetHooks &hooks, QList<NumberedPhoto> photos, int endNumber)
        : m_size(size), m_project(project), m_state(state), m_services(services), m_hooks(hooks),
          m_photos(std::move(photos)), m_end(endNumber),
          m_highest(m_photos.isEmpty() ? 0 : m_photos.last().number),
          m_pipeline(
              hooks.workers,
              2 * std::max(1, hooks.workers < 1 ? CellPipeline::defaultWorkers() : hooks.workers) +
                  2,
              hooks.makeCell, hooks.startWorker)
    {
        // The photos this series may still place, in order; their cells are made ahead.
        const SheetOptions options = m_hooks.options();
        for (const NumberedPhoto &p : m_photos) {
            if (p.number < m_state.nextNumber || (m_end >= 1 && p.number > m_end))
                continue;
            m_pipeline.enqueue(cellRequest(m_size, options, p.path));
            m_queuedNumbers.append(p.number);
        }
        const qint64 cells = qint64(m_size.columns) * m_size.rows;
        m_pages = m_state.pagesOutput + int((m_queuedNumbers.size() + cells - 1) / cells);
        m_photoTotal = m_state.photosPlaced + int(m_queuedNumbers.size());
    }

    // False when a worker could not be started (told): run() must not be called.
    bool workersStarted()
    {
        if (m_pipeline.started())
            return true;
        m_services.prompter.inform(msg::workersNotStarted, m_project.titleText);
        return false;
    }

    // Produces pages; returns whether the series became complete.
    bool run()
    {
        QImage page(m_size.paperWidth, m_size.paperHeight, QImage::Format_BGR888);
        if (page.isNull()) {
            m_services.prompter.inform(msg::sheetsNoMemory, m_project.titleText);
            m_outOfMemory = true;
            return true;
        }
        for (;;) {
            const SheetOptions options = m_hooks.options();
            const TitleSettings title = m_hooks.titleSettings();
            page.fill(Qt::white);
            if (title.showTitle)
                drawText(page, titleRect(m_size, title), title.title, title.titleFontHeight);
            if (title.showPageNumber)
                drawText(page, pageNumberRect(m_size, title, m_state.pagesOutput),
                         pageNumberText(title, m_state.pagesOutput), title.pageFontHeight);
            bool placed = false;
            const int outer = options.columnFirst ? m_size.columns : m_size.rows;
            const int inner = options.columnFirst ? m_size.rows : m_size.columns;
            for (int i = 0; i < outer && !m_complete; ++i) {
                for (int j = 0; j < inner && !m_complete; ++j) {
                    const int column = options.columnFirst ? i : j;
                    const int row = options.columnFirst ? j : i;
                    placed = cell(page, cellOrigin(m_size, column, row)) || placed;
                }
            }
            if (m_state.stopRequested || m_outOfMemory)
                return true;
            if (!placed) {
                showPreview(page);
                return true;
            }
            // The page is encoded, and added to the PDF, while the preview shows it.
            const SheetOptions now = m_hooks.options();
            QByteArray bytes;
            JobBeside encoding(m_hooks.startWorker,
                               [&] { return encodePage(page, now.bmp, now.quality, &bytes); });
            std::optional<JobBeside> adding;
            if (SeriesPdf *pdf = seriesPdf(now)) {
                adding.emplace(m_hooks.startWorker, [&, pdf] {
                    return pdf->catchUp(m_state.seriesPages) && pdf->addPage(page);
                });
            }
            showPreview(page);
            const bool encoded = encoding.get(m_services.pump);
            if (adding)
                adding->get(m_services.pump);
            const PageTarget target{m_project.workFolder, m_project.filePrefix,
                                    m_project.titleText};
            const int number = m_state.pagesOutput + 1;
            if (savePageBytes(encoded ? &bytes : nullptr, number, now.bmp, target,
                              m_services.prompter) == PageSaved)
                m_state.seriesPages.append(
                    pageFilePath(m_project.workFolder, m_project.filePrefix, number, now.bmp));
            else
                m_complete = m_failed = true;
            m_state.pagesOutput += 1;
            if (m_complete || !now.continuous)
                return m_complete;
        }
    }

    // A message told of a failure: no success box may follow it.
    bool failed() const { return m_failed || m_outOfMemory; }

private:
    // The series' PDF once it is to be made, begun on this thread (its writer's objects belong
    // to it); null while it is not wanted. A failure is told when the PDF would be put in place.
    SeriesPdf *seriesPdf(const SheetOptions &now)
    {
        if (!m_state.pdf && wantsSeriesPdf(now))
            m_state.pdf = std::make_unique<SeriesPdf>(
                m_size, seriesPdfPath(m_project.workFolder, m_project.filePrefix));
        return m_state.pdf && m_state.pdf->begin() ? m_state.pdf.get() : nullptr;
    }

    void showPreview(const QImage &page)
    {
        if (m_hooks.showPreview) {
            m_hooks.showPreview(previewImage(page));
            m_services.pump.processPendingEvents();
        }
        if (m_hooks.previewPauseMs > 0)
            m_services.clock.pause(m_hooks.previewPauseMs);
    }

    void pump()
    {
        m_services.pump.processPendingEvents();
        if (m_state.stopRequested)
            m_pipeline.cancel();
    }

    // One cell; true when a photo was placed.
    bool cell(QImage &page, QPoint origin)
    {
        if (m_state.nextNumber > m_highest) {
            m_complete = true;
            return false;
        }
        m_hooks.scrollPreviewHome();
        pump();
        if (m_state.stopRequested) {
            // Stopping before a cell leaves the cell empty.
            m_complete = true;
            return false;
        }
        // The next photo present from nextNumber on; gaps are skipped without a word.
        while (m_taken < m_queuedNumbers.size() && m_queuedNumbers[m_taken] < m_state.nextNumber)
            m_pipeline.take(m_taken++, [this] { pump(); });
        if (m_taken >= m_queuedNumbers.size()) {
            m_complete = true; // past the end number, or no photo left
            return false;
        }
        const int number = m_queuedNumbers[m_taken];
        const int index = m_taken++;
        const SheetOptions options = m_hooks.options();
        const CellRequest queued = m_pipeline.request(index);
        const CellRequest wanted = cellRequest(m_size, options, queued.path);
        if (!sameRequest(wanted, queued)) {
            // An option changed since the cells were queued: this one and the rest are made
            // anew with it, still on the workers.
            m_pipeline.requeue(
                index, [&](const CellRequest &r) { return cellRequest(m_size, options, r.path); });
        }
        CellImage made = m_pipeline.take(index, [this] { pump(); });
        switch (made.result) {
        case CellOk: break;
        case CellTooSmall:
            m_services.prompter.inform(photoFailure(msg::photoTooSmall, wanted.path, number),
                                       m_project.titleText);
            m_complete = m_failed = true;
            return false;
        case CellNotLoadable:
        case CellCropFailed: // told like a photo that cannot be loaded, never passed over
            m_services.prompter.inform(photoFailure(msg::photoNotLoadable, wanted.path, number),
                                       m_project.titleText);
            m_complete = m_failed = true;
            return false;
        case CellStopped: m_complete = true; return false;
        default:
            m_services.prompter.inform(msg::sheetsNoMemory, m_project.titleText);
            m_outOfMemory = m_complete = true;
            return false;
        }
        draw(page, origin, made, options, number);
        m_hooks.cellPlaced(number, origin,
                           QRect(origin + QPoint(made.offsetX, made.offsetY),
                                 QSize(made.drawnWidth, made.drawnHeight)));
        m_state.nextNumber = number + 1;
        ++m_state.photosPlaced;
        m_hooks.progress({m_state.pagesOutput + 1, std::max(m_pages, m_state.pagesOutput + 1),
                          m_state.photosPlaced, std::max(m_photoTotal, m_state.photosPlaced),
                          wanted.path});
        if (number >= m_highest)
            m_complete = true;
        return true;
    }

    void draw(QImage &page, QPoint origin, const CellImage &made, const SheetOptions &options,
              int number)
    {
        const QPoint at = origin + QPoint(made.offsetX, made.offsetY);
        placeImage(page, made.image, at);
        const QRect drawn(at, QSize(made.drawnWidth, made.drawnHeight));
        if (options.outerFrame)
            drawFrame(page, drawn);
        if (options.sizeFrame)
            drawFrame(page, QRect(origin, QSize(m_size.photoWidth, m_size.photoHeight)));
        if (!options.showNumbers)
            return;
        const int mm = millimetresToPixels(m_size.dpi, 1);
        const bool topLeft = options.numberPosition == NumberPosition::TopLeft;
        const int d = options.numberInside ? (topLeft ? mm : -mm) : 0;
        const QString label = numberLabel(options.numberPrefix, number);
        const int f = m_size.numberFontHeight;
        const LabelBoxes boxes =
            labelBoxes(at.x() + d, at.y() + d, made.drawnWidth, made.drawnHeight,
                       textWidth(labelBoxText(label), f), textWidth(label, f), f,
                       options.numberPosition, options.outerFrame || options.sizeFrame);
        fillWhite(page, boxes.box);
        drawText(page, boxes.text, label, f);
    }

    const OutputSize &m_size;
    const SheetProject &m_project;
    SheetRunState &m_state;
    Services &m_services;
    const SheetHooks &m_hooks;
    QList<NumberedPhoto> m_photos;
    int m_end;
    int m_highest;
    CellPipeline m_pipeline;
    QList<int> m_queuedNumbers;
    int m_taken = 0;
    int m_pages = 0;      // the pages the series will have
    int m_photoTotal = 0; // the photos it will have
    bool m_complete = false;
    bool m_outOfMemory = false;
    bool m_failed = false;
};

// The end of a series that was not stopped: its PDF, as the options now ask, then the pages
// and the PDF onto the disk, then the completion message unless a failure was told. False
// when the disk did not confirm the pages.
bool endSeries(const OutputSize &size, const SheetProject &project, SheetRunState &state,
               Services &services, const SheetHooks &hooks, bool failed)
{
    const QString &caption = project.titleText;
    std::unique_ptr<SeriesPdf> pdf = std::move(state.pdf);
    const QStringList pages = std::exchange(state.seriesPages, {});
    if (state.pagesOutput == 0) {
        if (!failed)
            services.prompter.inform(msg::sheetsNone, caption);
        return true;
    }
    if (!failed && wantsSeriesPdf(hooks.options())) {
        // Begun late (the boxes were ticked after the first pages), or not at all: the pages
        // saved before it are read back.
        if (!pdf)
            pdf = std::make_unique<SeriesPdf>(
                size, seriesPdfPath(project.workFolder, project.filePrefix));
        pdf->catchUp(pages);
        const PageTarget target{project.workFolder, project.filePrefix, caption};
        failed = pdf->commit(target, services.prompter) != PageSaved;
    }
    const QString folder = pageFolder(project.workFolder);
    if (!finishOnDisk(services, caption, folder, hooks.flushToDisk, hooks.diskStatus, {}))
        return false;
    // After a message that told of a failure, no box may claim that all went well.
    if (!failed)
        services.prompter.inform(msg::sheetsDone, caption);
    return true;
}

// The end of a press whose workers could not start (told): no page was made, so a series
// begun by an earlier press stays where it was, for a press once other programs have made
// room, and no folder opens.
SheetRunResult endWithoutWorkers(SheetRunState &state, const SheetHooks &hooks)
{
    if (!state.continuationPending)
        hooks.setOutputCaption(msg::startCaption);
    hooks.setBusy(false);
    state.running = false;
    return SheetRunResult::Failed;
}

// The gaps and the title fit the chosen size; false after telling the operator.
bool sheetFitsSize(const OutputSize &size, const SheetProject &project, const SheetRunState &state,
                   Prompter &prompter, const SheetHooks &hooks)
{
    if (ColumnGap(size) < 0 || RowGap(size) < 0) {
        prompter.inform(msg::negativeGap, project.titleText);
        return false;
    }
    const TitleSettings title = hooks.titleSettings();
    if (title.showTitle || title.showPageNumber) {
        const QString problem = checkTitleFits(size, title, state.pagesOutput);
        if (!problem.isEmpty()) {
            prompter.inform(problem, project.titleText);
            return false;
        }
    }
    return true;
}

void beginSeries(SheetRunState &state, int start)
{
    state.pagesOutput = 0;
    state.photosPlaced = 0;
    state.nextNumber = start;
    state.seriesPages.clear();
    state.pdf.reset();
}

// The save folder and its numbered photos are there, and the pages of an earlier series are
// gone where the operator wants them gone. Otherwise why the press does not go ahead.
std::optional<SheetRunResult> checkFolders(const SheetProject &project, const SheetRunState &state,
                                           Prompter &prompter)
{
    const QString &caption = project.titleText;
    if (project.workFolder.size() <= 2) {
        prompter.inform(msg::noSaveFolder, caption);
        return SheetRunResult::Refused;
    }
    if (photoNames(sequenceFolderOf(project.workFolder)).isEmpty()) {
        prompter.inform(msg::noSequenceFiles, caption);
        return SheetRunResult::Refused;
    }
    const QString pages = pageFolder(project.workFolder);
    if (state.continuationPending || photoNames(pages).isEmpty())
        return std::nullopt;
    switch (prompter.ask(msg::deleteOldPages, caption, Buttons::YesNoCancel)) {
    case Answer::Yes:
        if (ClearFolder(pages) == -1) {
            prompter.inform(msg::cannotDeletePages, caption);
            return SheetRunResult::Refused;
        }
        return std::nullopt;
    case Answer::No: return std::nullopt;
    case Answer::Cancel: return SheetRunResult::Cancelled;
    }
    return std::nullopt;
}

// After the press: stopped, a page of a series that goes on at the next press, or the end of
// the series. The page folder opens for the operator to look at the pages, except after a stop.
// At the end of a series it opens only once the disk has confirmed the pages and the PDF. A
// page of a series that goes on is shown at once, as it was made: the series is not done, and
// its end puts every page of it onto the disk before it says so.
SheetRunResult endPress(const OutputSize &size, const SheetProject &project, SheetRunState &state,
                        Services &services, const SheetHooks &hooks, bool complete, bool failed)
{
    const QString &caption = project.titleText;
    if (state.stopRequested) {
        services.prompter.inform(msg::sheetsStopped, caption);
        state.running = false;
        hooks.reset();
        return SheetRunResult::Stopped;
    }
    SheetRunResult result = SheetRunResult::Pending;
    bool onDisk = true;
    if (complete) {
        state.continuationPending = false;
        hooks.setOutputCaption(msg::startCaption);
        onDisk = endSeries(size, project, state, services, hooks, failed);
        result = SheetRunResult::Complete;
    }
    if (onDisk)
        openOrTell(services.shell, services.prompter, pageFolder(project.workFolder), caption);
    return result;
}

} // namespace

void resetRunState(SheetRunState &state)
{
    state.pagesOutput = 0;
    state.nextNumber = 1;
    state.photosPlaced = 0;
    state.continuationPending = false;
    state.stopRequested = false;
    state.seriesPages.clear();
    state.pdf.reset(); // an unfinished PDF is thrown away; an earlier one stays as it was
}

bool requestStop(SheetRunState &state)
{
    state.stopRequested = true;
    return !state.running;
}

SheetRunResult RunSampleSheets(const OutputSizeTable &sizes, const SheetProject &project,
                               SheetRunState &state, Services &services, const SheetHooks &hooks)
{
    if (state.running)
        return SheetRunResult::Ignored;
    const SheetOptions options = hooks.options();
    if (project.folderCount < 1 || options.sizeIndex < 0 || options.sizeIndex >= sizes.count)
        return SheetRunResult::Ignored;
    const int end = parseTypedNumber(options.endText);
    const OutputSize &size = sizes.sizes[size_t(options.sizeIndex)];
    if (!sheetFitsSize(size, project, state, services.prompter, hooks))
        return SheetRunResult::Refused;
    if (!options.continuous)
        hooks.setOutputCaption(msg::nextPageCaption);
    if (!state.continuationPending)
        beginSeries(state, std::max(1, parseTypedNumber(options.startText)));
    if (const std::optional<SheetRunResult> refused =
            checkFolders(project, state, services.prompter))
        return *refused;
    if (state.running)
        return SheetRunResult::Ignored;
    // Pages and a PDF whose saving a kill cut short left their temporaries behind. One left
    // behind is never taken for a page; the next press sweeps again.
    if (!removeStalePageTemporaries(project.workFolder))
        qWarning("temporaries of interrupted saves may be left in %s",
                 qUtf8Printable(pageFolder(project.workFolder)));

    hooks.disableSizeList();
    hooks.setBusy(true);
    state.running = true;
    state.stopRequested = false;
    // The numbered photos are listed once per press and walked in ascending order.
    QList<NumberedPhoto> photos =
        numberedPhotos(sequenceFolderOf(project.workFolder), project.filePrefix);
    const int highest = photos.isEmpty() ? 0 : photos.last().number;
    bool complete;
    bool failed;
    {
        Press press(size, project, state, services, hooks, std::move(photos), end);
        if (!press.workersStarted())
            return endWithoutWorkers(state, hooks);
        complete = press.run();
        failed = press.failed();
    }
    if (state.nextNumber <= highest)
        state.continuationPending = true;
    const SheetRunResult result = endPress(size, project, state, services, hooks, complete, failed);
    hooks.setBusy(false);
    state.running = false;
    return result;
}

} // namespace mf
