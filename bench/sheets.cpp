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

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString photoDir = QStringLiteral("/tmp/mf-corpus");
    QString phase, save;
    int workers = 0, copies = 1;
    bool highQuality = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--workers") && i + 1 < args.size())
            workers = args[++i].toInt();
        else if (args[i] == QLatin1String("--copies") && i + 1 < args.size())
            copies = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--phase") && i + 2 < args.size()) {
            phase = args[++i];
            save = args[++i];
        } else if (args[i] == QLatin1String("--hq"))
            highQuality = true;
        else
            photoDir = args[i];
    }

    if (!phase.isEmpty()) { // one measured pass, in a process of its own
        QElapsedTimer timer;
        timer.start();
        double flushSeconds = 0;
        const int rc = phase == QLatin1String("render")
                           ? renderPass(save, highQuality, workers, &flushSeconds)
                           : decodePass(save, workers);
        std::printf("%.3f %.1f %d %.3f\n", timer.nsecsElapsed() / 1e9, peakMegabytes(), rc,
                    flushSeconds);
        return rc;
    }

    if (!QDir(photoDir).exists()) {
        std::printf("building the corpus in %s ...\n", qPrintable(photoDir));
        QProcess::execute(QStringLiteral("bash"),
                          {QStringLiteral(MARROWFOLD_SHARED_BENCH "/make_corpus.sh"), photoDir,
                           QStringLiteral("48")});
    }
    QTemporaryDir work;
    const QString project = work.filePath(QStringLiteral("save"));
    const int photos = linkPhotos(photoDir, project, copies);
    if (photos == 0) {
        std::fprintf(stderr, "no photos in %s\n", qPrintable(photoDir));
        return 1;
    }
    // Warm the page cache so every pass reads from memory alike.
    QProcess::execute(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null"), photoDir});
    std::printf("photos: %d, workers: %d\n", photos,
                workers < 1 ? mf::CellPipeline::defaultWorkers() : workers);

    auto measure = [&](const char *name, const QStringList &extra) {
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
    };
    const double ceiling = measure("decode only (ceiling)",
                                   {QStringLiteral("--phase"), QStringLiteral("decode"), project});
    QDir(project + QStringLiteral("/一覧フォルダ")).removeRecursively();
    const double off = measure("sheets, high quality off",
                               {QStringLiteral("--phase"), QStringLiteral("render"), project});
    QDir(project + QStringLiteral("/一覧フォルダ")).removeRecursively();
    measure("sheets, high quality on",
            {QStringLiteral("--phase"), QStringLiteral("render"), project, QStringLiteral("--hq")});
    std::printf("high quality off reaches %.0f %% of the ceiling\n", 100.0 * ceiling / off);
    return 0;
}
