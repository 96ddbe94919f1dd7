// Per-order export throughput against the system's own copy of the same files.
//
//   bench_export [--orderers N] [--rounds N] [--files N] [--mb SIZE] [SOURCE_FOLDER]
//
// Builds a project in a temporary folder whose sequential-number folder holds the photos:
// N camera-size JPEG files of about SIZE megabytes (default 200 of 7 MB), generated, or
// the JPEG files of SOURCE_FOLDER hard-linked (copied across file systems). The order table
// gives every orderer two neighbouring blocks of photos, so each photo is ordered twice: the
// first order gets the sample print, the second a copy, and every photo is copied exactly
// once into one of the per-orderer folders. Every tenth orderer orders one photo twice more,
// so the repeat counter runs too. The export runs with the shipped outputFmt.def templates,
// per-orderer folders and sample prints on, exactly as "保存処理開始" does (order check,
// planned names, copies with their times and permissions, the two texts, the event pump
// between orders), and `cp` copies the same files into as many folders; the rounds (default
// 5) take turns at which goes first. The flush that puts the copies on the disk before the
// run says it is done is timed on its own (and a sync after cp likewise). It prints every
// round, then the best and the median time of each, the throughput and the ratios with and
// without the flush.

#include "BenchServices.h"
#include "CameraJpeg.h"
#include "ExportPeer.h"
#include "Measure.h"
#include "export/OrderExport.h"
#include "orders/OrderTable.h"
#include "photos/NumberedPhotos.h"
#include "platform/Jpeg.h"
#include "platform/SystemServices.h"
#include "project/OutputFormat.h"
#include "project/ProjectState.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

// Fills the sequential-number folder with photos 1..count; false when it cannot.
bool fillSequence(const QString &sequence, const QString &source, int files, double megabytes,
                  int *count)
{
    QDir().mkpath(sequence);
    if (source.isEmpty()) {
        std::printf("generating %d files of about %.1f MB ...\n", files, megabytes);
        const QByteArray jpeg = bench::makeCameraJpeg(qint64(megabytes * 1024 * 1024));
        for (int p = 1; p <= files; ++p) {
            QFile f(mf::sequentialFilePath(sequence, QString(), p));
            if (!f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size())
                return false;
        }
        *count = files;
        return true;
    }
    const QStringList names = QDir(source).entryList(
        {QStringLiteral("*.jpg"), QStringLiteral("*.JPG"), QStringLiteral("*.jpeg")}, QDir::Files,
        QDir::Name);
    int p = 0;
    for (const QString &name : names) {
        if (p == files)
            break;
        const std::filesystem::path from = QDir(source).filePath(name).toStdString();
        const std::filesystem::path to =
            mf::sequentialFilePath(sequence, QString(), ++p).toStdString();
        std::error_code ec;
        std::filesystem::create_hard_link(from, to, ec);
        if (ec && !std::filesystem::copy_file(from, to, ec))
            return false;
    }
    *count = p;
    return p > 0;
}

// Orderer m orders block m and block m + 1 (the last wraps to the first), four photos a
// block when there are four times as many photos as orderers.
void fillOrders(mf::OrderTable &table, int orderers, int photos)
{
    mf::ResetOrders(table);
    const int block = photos / orderers;
    for (int m = 1; m <= orderers; ++m) {
        mf::Order &o = table.row(++table.orderCount);
        o.ordererNumber = QString::number(m);
        QStringList ordered;
        for (int b : {m - 1, m % orderers})
            for (int i = 1; i <= block; ++i)
                ordered.append(QString::number(b * block + i));
        if (m % 10 == 0) // a family that wants one photo three times
            ordered << ordered.first() << ordered.first();
        o.photoCount = QString::number(ordered.size());
        for (int k = 0; k < ordered.size(); ++k)
            o.photoNumbers[std::size_t(k)] = ordered[k];
    }
}

struct Options {
    int files = 200;
    int orderers = 50;
    int rounds = 5;
    double megabytes = 7.0;
    QString source;
};

Options parseOptions(const QStringList &args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--files") && i + 1 < args.size())
            o.files = args[++i].toInt();
        else if (args[i] == QLatin1String("--orderers") && i + 1 < args.size())
            o.orderers = args[++i].toInt();
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            o.rounds = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--mb") && i + 1 < args.size())
            o.megabytes = args[++i].toDouble();
        else
            o.source = args[i];
    }
    return o;
}

// The export and cp of the same files, each into a fresh folder, each timed without the
// flush that follows it; the flush's time is kept in flushSeconds.
class Race {
public:
    Race(mf::ExportJob &job, const QString &sequence, const QString &exportFolder,
         const QString &cpTarget)
        : m_job(job), m_sequence(sequence), m_exportFolder(exportFolder), m_cpTarget(cpTarget)
    {}

    // Seconds, or -1 when it failed.
    double runExport()
    {
        QDir(m_exportFolder).removeRecursively(); // a fresh folder, as on a project's first run
        bench::flushWrites();
        QElapsedTimer timer;
        timer.start();
        const int rc = mf::RunExport(m_job, state, false);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (rc != mf::ExportOk) {
            std::fprintf(stderr, "export failed: %d\n", rc);
            return -1;
        }
        exported = bench::jpegsBelow(m_exportFolder);
        return timeFlush(m_exportFolder) ? seconds : -1;
    }

    // cp copies what the last export copied, into as many folders.
    void planCp() { m_script = bench::cpScript(m_exportFolder, m_sequence, m_cpTarget); }

    double runCp()
    {
        QDir(m_cpTarget).removeRecursively();
        bench::flushWrites();
        QElapsedTimer timer;
        timer.start();
        const int rc = QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), m_script});
        const double seconds = timer.nsecsElapsed() / 1e9;
        const bench::Copied copied = bench::jpegsBelow(m_cpTarget);
        if (rc != 0 || copied.files != exported.files || copied.bytes != exported.bytes) {
            std::fprintf(stderr, "cp did not copy the same files (%d of %d)\n", copied.files,
                         exported.files);
            return -1;
        }
        return timeFlush(m_cpTarget) ? seconds : -1;
    }

    mf::ExportState state;
    bench::Copied exported;
    double flushSeconds = 0;

private:
    bool timeFlush(const QString &folder)
    {
        QElapsedTimer timer;
        timer.start();
        const bool flushed = mf::flushFileSystem(folder);
        flushSeconds = timer.nsecsElapsed() / 1e9;
        return flushed;
    }

    mf::ExportJob &m_job;
    QString m_sequence;
    QString m_exportFolder;
    QString m_cpTarget;
    QString m_script;
};

struct RoundTimes {
    std::vector<double> exportTimes;
    std::vector<double> cpTimes;
    std::vector<double> exportFlushes;
    std::vector<double> flushedRatios; // (export + flush) / (cp + sync)
};

// The first writes into fresh blocks of this machine's disk are much slower than later
// ones, whoever makes them: the rounds alternate which copy goes first, and both the best
// and the median time of each are compared. False when a run failed.
bool runRounds(Race &race, int rounds, RoundTimes *times)
{
    for (int round = 1; round <= rounds; ++round) {
        double exportSeconds = 0;
        double cpSeconds = 0;
        double exportFlush = 0;
        double cpFlush = 0;
        if (round % 2 == 1) {
            exportSeconds = race.runExport();
            exportFlush = race.flushSeconds;
            race.planCp();
            cpSeconds = exportSeconds < 0 ? -1 : race.runCp();
            cpFlush = race.flushSeconds;
        } else {
            cpSeconds = race.runCp();
            cpFlush = race.flushSeconds;
            exportSeconds = cpSeconds < 0 ? -1 : race.runExport();
            exportFlush = race.flushSeconds;
        }
        if (exportSeconds < 0 || cpSeconds < 0)
            return false;
        std::printf("round %d: export %.3f s + syncfs %.3f s, cp %.3f s + sync %.3f s%s\n", round,
                    exportSeconds, exportFlush, cpSeconds, cpFlush,
                    round % 2 == 1 ? "" : " (cp first)");
        times->exportFlushes.push_back(exportFlush);
        times->flushedRatios.push_back((exportSeconds + exportFlush) / (cpSeconds + cpFlush));
        times->exportTimes.push_back(exportSeconds);
        times->cpTimes.push_back(cpSeconds);
    }
    return true;
}

void printSummary(RoundTimes &times, const Race &race, int photos, int orderers,
                  const QString &exportFolder, int rounds)
{
    const double mb = race.exported.bytes / (1024.0 * 1024.0);
    std::printf("photos: %d, orderers: %d, samples: %d\n", photos, orderers,
                race.state.samplesTaken);
    std::printf("copies: %d into %d folders, %.1f MB\n", race.exported.files,
                int(QDir(exportFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()), mb);
    std::sort(times.exportTimes.begin(), times.exportTimes.end());
    std::sort(times.cpTimes.begin(), times.cpTimes.end());
    const double bestExport = times.exportTimes.front();
    const double bestCp = times.cpTimes.front();
    const double medianExport = bench::median(times.exportTimes);
    const double medianCp = bench::median(times.cpTimes);
    std::printf("export: best %.3f s, %.1f MB/s; median %.3f s\n", bestExport, mb / bestExport,
                medianExport);
    std::printf("cp:     best %.3f s, %.1f MB/s; median %.3f s\n", bestCp, mb / bestCp, medianCp);
    std::sort(times.exportFlushes.begin(), times.exportFlushes.end());
    std::sort(times.flushedRatios.begin(), times.flushedRatios.end());
    std::printf("flush:  median syncfs %.3f s\n", bench::median(times.exportFlushes));
    std::printf("ratio export / cp: best %.2f, median %.2f; with the flush (cp + sync) median "
                "%.2f (%d rounds)\n",
                bestExport / bestCp, medianExport / medianCp, bench::median(times.flushedRatios),
                rounds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app.arguments());

    QTemporaryDir work;
    auto project = std::make_unique<mf::ProjectState>();
    project->titleText = mf::kTitleText;
    project->projectName = QStringLiteral("bench");
    project->saveFolder = work.filePath(QStringLiteral("save"));
    if (mf::ReadOutputFormat(QStringLiteral(MARROWFOLD_DATA_DIR), &project->outputFormat) !=
        mf::OutputFormatStatus::Complete) {
        std::fprintf(stderr, "cannot read %s/outputFmt.def\n", MARROWFOLD_DATA_DIR);
        return 1;
    }
    const QString sequence = mf::sequenceFolderOf(project->saveFolder);
    int photos = 0;
    if (!fillSequence(sequence, options.source, options.files, options.megabytes, &photos)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(sequence));
        return 1;
    }
    const int orderers = std::clamp(options.orderers, 1, std::max(1, photos / 2));
    auto table = std::make_unique<mf::OrderTable>();
    fillOrders(*table, orderers, photos);

    // Warm the cache once so both runs read from memory alike, and start both with no
    // writes pending.
    QProcess::execute(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null"), sequence});
    bench::flushWrites();

    bench::Services bench;
    mf::ExportJob job{*project, *table, mf::ExportSettings{1, mf::kMaxOrdererNumber, 4, true, true},
                      bench.services};
    job.flushToDisk = [](const QString &) { return true; }; // timed on its own below
    const QString exportFolder = mf::exportFolderOf(project->saveFolder);
    Race race(job, sequence, exportFolder, work.filePath(QStringLiteral("cp")));
    RoundTimes times;
    if (!runRounds(race, options.rounds, &times))
        return 1;
    printSummary(times, race, photos, orderers, exportFolder, options.rounds);
    return 0;
}
