// The window's longest pause during the three long runs of a studio day.
//
//   bench_pauses [--photos N] [--mb M] [WORK_DIR]
//
// A camera folder of N photos (default 600) of about M MB (default 7), 12 different ones linked
// over, in WORK_DIR (default the temporary folder; it should be on the disk a studio writes to).
// Then, in this process and on its main thread as the window runs them: numbering, the sample
// sheets of every photo (built-in size, continuous) and the per-order copy (2 orders per 10
// photos, with sample prints), each ending with its flush onto the disk. A timer of 5 ms stands
// in for the window: the longest gap between its ticks during a run is the longest time the
// window would not have answered. Printed beside it: the run's time and its flush's, which used
// to be a pause of its own.

#include "BenchServices.h"
#include "CameraJpeg.h"
#include "Measure.h"
#include "StudioDay.h"
#include "export/OrderExport.h"
#include "numbering/Sequence.h"
#include "photos/NumberedPhotos.h"
#include "project/OutputFormat.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

// Ticks every 5 ms on the main thread while a run goes on and keeps the longest gap.
class PauseWatch {
public:
    PauseWatch()
    {
        m_timer.setInterval(5);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double stopMs()
    {
        tick(); // the time since the last tick counts too
        m_timer.stop();
        return m_longest / 1e6;
    }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

bool fillCamera(const QString &camera, int photos, double megabytes)
{
    QDir().mkpath(camera);
    QStringList distinct;
    for (int i = 0; i < std::min(photos, 12); ++i) {
        const QString path = camera + QString::asprintf("/../distinct%02d.jpg", i);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(bench::makeCameraJpeg(qint64(megabytes * 1024 * 1024))) < 0)
            return false;
        distinct.append(path);
    }
    for (int i = 0; i < photos; ++i) {
        std::error_code ec;
        std::filesystem::create_hard_link(
            distinct[i % distinct.size()].toStdString(),
            (camera + QString::asprintf("/DSC_%04d.jpg", i + 1)).toStdString(), ec);
        if (ec)
            return false;
    }
    return true;
}

struct Timed {
    double seconds = 0;
    double flush = 0; // of it, the flush onto the disk
    double longestPauseMs = 0;
    int result = -1;
};

// Runs one stage with a flush that is timed, after the machine's earlier writes are on the disk.
Timed timed(const std::function<int(const std::function<bool(const QString &)> &)> &stage)
{
    bench::flushWrites();
    Timed t;
    PauseWatch watch;
    QElapsedTimer run;
    run.start();
    watch.start();
    t.result = stage([&t](const QString &folder) {
        QElapsedTimer flushing;
        flushing.start();
        const bool flushed = mf::flushFileSystem(folder);
        t.flush = flushing.nsecsElapsed() / 1e9;
        return flushed;
    });
    t.longestPauseMs = watch.stopMs();
    t.seconds = run.nsecsElapsed() / 1e9;
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    int photos = 600;
    double megabytes = 7;
    QString workDir;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--photos") && i + 1 < args.size())
            photos = args[++i].toInt();
        else if (args[i] == QLatin1String("--mb") && i + 1 < args.size())
            megabytes = args[++i].toDouble();
        else
            workDir = args[i];
    }
    QTemporaryDir work(workDir.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_pauses-XXXXXX")
                                         : workDir + QStringLiteral("/bench_pauses-XXXXXX"));
    const QString camera = work.path() + QStringLiteral("/camera");
    const QString save = work.path() + QStringLiteral("/save");
    std::printf("%d photos of %.0f MB in %s ...\n", photos, megabytes, qPrintable(work.path()));
    std::fflush(stdout);
    if (photos < 10 || !fillCamera(camera, photos, megabytes)) {
        std::fprintf(stderr, "cannot fill %s with %d photos\n", qPrintable(camera), photos);
        return 1;
    }

    bench::Services bench(mf::msg::sheetsDone);
    auto project = bench::projectOf(save, camera, bench.prompter);
    const Timed numbering = timed([&](const auto &flush) {
        mf::SequenceHooks hooks;
        hooks.askStartNumber = [](int) { return 1; };
        hooks.flushToDisk = flush;
        return mf::CreateSequentialFiles(*project, bench.services, hooks);
    });
    const Timed sheets =
        timed([&](const auto &flush) { return bench::runSheets(save, bench.services, flush); });
    const Timed exported = timed([&](const auto &flush) {
        if (mf::ReadOutputFormat(QStringLiteral(MARROWFOLD_DATA_DIR), &project->outputFormat) !=
            mf::OutputFormatStatus::Complete)
            return 1;
        auto table = std::make_unique<mf::OrderTable>();
        bench::fillOrders(*table,
                          int(mf::numberedPhotos(mf::sequenceFolderOf(save), QString()).size()));
        mf::ExportJob job{*project, *table,
                          mf::ExportSettings{1, mf::kMaxOrdererNumber, 4, true, true},
                          bench.services};
        job.flushToDisk = flush;
        // As the window binds it: its progress bar takes the window's events every 50 ms.
        QElapsedTimer sincePump;
        sincePump.start();
        job.showProgress = [&](int, int) {
            if (sincePump.elapsed() >= 50) {
                bench.services.pump.processPendingEvents();
                sincePump.restart();
            }
        };
        mf::ExportState state;
        return mf::RunExport(job, state, false);
    });

    std::printf("\n%-10s %9s %9s %16s\n", "run", "seconds", "flush", "longest pause");
    const std::pair<const char *, const Timed *> rows[] = {
        {"numbering", &numbering}, {"sheets", &sheets}, {"export", &exported}};
    bool ok = true;
    for (const auto &[name, t] : rows) {
        std::printf("%-10s %9.2f %9.2f %13.0f ms%s\n", name, t->seconds, t->flush,
                    t->longestPauseMs, t->result == 0 ? "" : "  (did not end well)");
        ok = ok && t->result == 0;
    }
    return ok ? 0 : 1;
}
