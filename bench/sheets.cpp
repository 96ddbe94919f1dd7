// Sample sheet output speed, side by side with its own ceiling.
//
//   bench_sheets [PHOTO_DIR] [--workers N] [--copies K]
//
// PHOTO_DIR defaults to /tmp/mf-corpus, the 48 camera-size photos that
// ../shared/bench/make_corpus.sh builds (it is run when the folder is missing). The photos
// are linked into a project's numbered photo folder (K times over with --copies, to show
// that memory stays flat) and laid out at the built-in size, continuous, JPEG quality 40,
// with no preview and no pause. For high quality off and on it prints wall time, photos per
// second and peak memory, and the same for a decode-only pass of every photo at the scale the
// engine decodes at: the ceiling no renderer of these photos can pass. Each figure is taken
// in a process of its own, so peak memory is that pass's own.

#include "BenchServices.h"
#include "platform/FileSystem.h"
#include "platform/Jpeg.h"
#include "platform/SystemServices.h"
#include "project/ProjectState.h"
#include "sheets/CellPipeline.h"
#include "sheets/OutputSize.h"
#include "sheets/SheetRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The numbered photo folder of a project in save, linking the photos copies times over.
int linkPhotos(const QString &photoDir, const QString &save, int copies)
{
    const QString folder = save + QStringLiteral("/連番フォルダ");
    QDir().mkpath(folder);
    QStringList photos;
    for (const mf::DirEntry &e : mf::listEntries(photoDir)) {
        if (!e.isDir && e.name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive))
            photos.append(photoDir + u'/' + e.name);
    }
    int n = 0;
    for (int c = 0; c < copies; ++c) {
        for (const QString &p : photos)
            QFile::link(p, folder + QString::asprintf("/%04d.jpg", ++n));
    }
    return n;
}

// flushSeconds: the time of the flush that puts the pages on the disk before "done", which
// depends on what else the machine writes; it is shown on its own.
int renderPass(const QString &save, bool highQuality, int workers, double *flushSeconds)
{
    bench::Services bench(mf::msg::sheetsDone);
    mf::Services &services = bench.services;
    mf::OutputSizeTable sizes;
    sizes.sizes[0] = mf::builtInOutputSize();
    sizes.count = 1;
    mf::SheetProject project{save, QString(), 1, mf::kTitleText};
    mf::SheetRunState state;
    mf::SheetHooks hooks;
    hooks.options = [highQuality] {
        mf::SheetOptions o;
        o.continuous = true;
        o.quality = 40;
        o.highQuality = highQuality;
        return o;
    };
    hooks.titleSettings = [] { return mf::TitleSettings{}; };
    hooks.previewPauseMs = 0;
    hooks.workers = workers;
    hooks.flushToDisk = [flushSeconds](const QString &folder) {
        QElapsedTimer timer;
        timer.start();
        const bool flushed = mf::flushFileSystem(folder);
        *flushSeconds = timer.nsecsElapsed() / 1e9;
        return flushed;
    };
    return mf::RunSampleSheets(sizes, project, state, services, hooks) ==
                   mf::SheetRunResult::Complete
               ? 0
               : 1;
}

// Every photo decoded at the smallest DCT scale covering its drawn size in a cell, on as many
// threads as the engine uses: what any renderer of these photos needs at the least.
int decodePass(const QString &save, int workers)
{
    const QString folder = save + QStringLiteral("/連番フォルダ");
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    const mf::OutputSize size = mf::builtInOutputSize();
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    {
        std::vector<std::jthread> threads;
        const int count = workers < 1 ? mf::CellPipeline::defaultWorkers() : workers;
        for (int t = 0; t < count; ++t) {
            threads.emplace_back([&] {
                for (int i = next++; i < names.size(); i = next++) {
                    const QString path = folder + u'/' + names[i];
                    mf::JpegInfo info;
                    QImage image;
                    if (mf::readJpegInfo(path, &info) != mf::JpegOk) {
                        ++failed;
                        continue;
                    }
                    // The drawn size of the photo fitted into the cell (no trim or cut).
                    const qint64 w = info.width, h = info.height;
                    int dw = size.photoWidth, dh = size.photoHeight;
                    if (qint64(size.photoWidth) * h < w * size.photoHeight)
                        dh = int(qint64(size.photoWidth) * h / w);
                    else
                        dw = int(qint64(size.photoHeight) * w / h);
                    if (mf::decodeJpeg(path, &image, dw, dh) != mf::JpegOk)
                        ++failed;
                }
            });
        }
    }
    return failed == 0 ? 0 : 1;
}

struct Options {
    QString photoDir = QStringLiteral("/tmp/mf-corpus");
    QString phase; // set in the child process that measures one pass
    QString save;
    int workers = 0;
    int copies = 1;
    bool highQuality = false;
};

Options parseOptions(const QStringList &args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--workers") && i + 1 < args.size())
            o.workers = args[++i].toInt();
        else if (args[i] == QLatin1String("--copies") && i + 1 < args.size())
            o.copies = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--phase") && i + 2 < args.size()) {
            o.phase = args[++i];
            o.save = args[++i];
        } else if (args[i] == QLatin1String("--hq"))
            o.highQuality = true;
        else
            o.photoDir = args[i];
    }
    return o;
}

// One measured pass, in a process of its own: prints its seconds, peak memory, result and
// flush seconds for the parent to read.
int runPhase(const Options &o)
{
    QElapsedTimer timer;
    timer.start();
    double flushSeconds = 0;
    const int rc = o.phase == QLatin1String("render")
                       ? renderPass(o.save, o.highQuality, o.workers, &flushSeconds)
                       : decodePass(o.save, o.workers);
    std::printf("%.3f %.1f %d %.3f\n", timer.nsecsElapsed() / 1e9, peakMegabytes(), rc,
                flushSeconds);
    return rc;
}

// Runs one pass in a child process and prints its figures; returns its seconds.
double measure(const char *name, const QStringList &extra, int workers, int photos)
{
    QProcess child;
    QStringList childArgs = extra;
    childArgs << QStringLiteral("--workers") << QString::number(workers);
    child.start(QCoreApplication::applicationFilePath(), childArgs);
    child.waitForFinished(-1);
    double seconds = 0, mb = 0, flush = 0;
    int rc = 1;
    std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %d %lf", &seconds, &mb, &rc,
                &flush);
    std::fprintf(stderr, "%s", child.readAllStandardError().constData());
    std::printf("%-26s %7.3f s  %6.1f photos/s  peak %6.1f MB%s%s\n", name, seconds,
                photos / seconds, mb,
                flush > 0 ? qPrintable(QString::asprintf("  (flush %.3f s)", flush)) : "",
                rc == 0 ? "" : "  (FAILED)");
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Options o = parseOptions(app.arguments());
    if (!o.phase.isEmpty())
        return runPhase(o);

    if (!QDir(o.photoDir).exists()) {
        std::printf("building the corpus in %s ...\n", qPrintable(o.photoDir));
        QProcess::execute(QStringLiteral("bash"),
                          {QStringLiteral(MARROWFOLD_SHARED_BENCH "/make_corpus.sh"), o.photoDir,
                           QStringLiteral("48")});
    }
    QTemporaryDir work;
    const QString project = work.filePath(QStringLiteral("save"));
    const int photos = linkPhotos(o.photoDir, project, o.copies);
    if (photos == 0) {
        std::fprintf(stderr, "no photos in %s\n", qPrintable(o.photoDir));
        return 1;
    }
    // Warm the page cache so every pass reads from memory alike.
    QProcess::execute(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null"), o.photoDir});
    std::printf("photos: %d, workers: %d\n", photos,
                o.workers < 1 ? mf::CellPipeline::defaultWorkers() : o.workers);

    const QString phase = QStringLiteral("--phase");
    const double ceiling = measure("decode only (ceiling)",
                                   {phase, QStringLiteral("decode"), project}, o.workers, photos);
    QDir(project + QStringLiteral("/一覧フォルダ")).removeRecursively();
    const double off = measure("sheets, high quality off",
                               {phase, QStringLiteral("render"), project}, o.workers, photos);
    QDir(project + QStringLiteral("/一覧フォルダ")).removeRecursively();
    measure("sheets, high quality on",
            {phase, QStringLiteral("render"), project, QStringLiteral("--hq")}, o.workers, photos);
    std::printf("high quality off reaches %.0f %% of the ceiling\n", 100.0 * ceiling / off);
    return 0;
}
