// A studio's whole day, stage by stage, against what the studio would otherwise run.
//
//   bench_studioday [--photos N] [PHOTO_DIR]
//
// A camera folder of N photos (default 600), linked from the camera-size corpus in PHOTO_DIR
// (default /tmp/mf-corpus, built by ../shared/bench/make_corpus.sh when missing) as many times
// over as it takes. Then, as the program does them:
//   1. numbering into 連番フォルダ, then on the disk;
//   2. the sample sheets of every photo (built-in size, continuous, JPEG quality 40);
//   3. 2 orders per 10 photos (both orderers of a block of ten order all ten: the first gets
//      the sample print, the second a copy), exported per orderer with sample prints, then on
//      the disk.
// Each stage runs in a process of its own, so its peak memory is its own. The peers run on
// the same files in the same run: cp and sync; the libvips contact sheets of peers_sheets.sh;
// cp into the same per-orderer folders and sync. One table, then the day's totals.

#include "BenchServices.h"
#include "ExportPeer.h"
#include "export/OrderExport.h"
#include "numbering/Sequence.h"
#include "orders/OrderTable.h"
#include "platform/FileSystem.h"
#include "platform/SystemServices.h"
#include "project/FolderList.h"
#include "project/OutputFormat.h"
#include "project/ProjectFields.h"
#include "sheets/SheetRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

struct Stage {
    double seconds = -1;
    double peakMb = 0;
};

// The project of the day in save, numbered from the camera folder when numbered is set.
std::unique_ptr<mf::ProjectState> projectOf(const QString &save, const QString &camera,
                                            mf::Prompter &prompter)
{
    auto state = std::make_unique<mf::ProjectState>();
    state->titleText = mf::kTitleText;
    mf::setupGrid(*state);
    mf::setProjectName(*state, QStringLiteral("studioday"));
    mf::setSaveFolder(*state, save);
    mf::AddFolder(*state, prompter, camera);
    return state;
}

// 2 orders per 10 photos: orderers 2b + 1 and 2b + 2 both order photos 10b + 1 ... 10b + 10.
void fillOrders(mf::OrderTable &table, int photos)
{
    mf::ResetOrders(table);
    for (int m = 1; m <= photos / 5 && m <= mf::kMaxOrders; ++m) {
        mf::Order &o = table.row(++table.orderCount);
        o.ordererNumber = QString::number(m);
        const int first = (m - 1) / 2 * 10 + 1;
        o.photoCount = QStringLiteral("10");
        for (int k = 0; k < 10; ++k)
            o.photoNumbers[std::size_t(k)] = QString::number(first + k);
    }
}

// One of the program's stages, in this process: 0 when it ran to its end.
int runStage(const QString &stage, const QString &save, const QString &camera)
{
    bench::Services bench(mf::msg::sheetsDone);
    mf::Services &services = bench.services;
    auto project = projectOf(save, camera, bench.prompter);
    if (stage == QLatin1String("numbering")) {
        mf::SequenceHooks hooks;
        hooks.askStartNumber = [](int) { return 1; };
        return mf::CreateSequentialFiles(*project, services, hooks);
    }
    if (stage == QLatin1String("sheets")) {
        mf::OutputSizeTable sizes;
        sizes.sizes[0] = mf::builtInOutputSize();
        sizes.count = 1;
        mf::SheetRunState state;
        mf::SheetHooks hooks;
        hooks.options = [] {
            mf::SheetOptions o;
            o.continuous = true;
            o.quality = 40;
            return o;
        };
        hooks.titleSettings = [] { return mf::TitleSettings{}; };
        hooks.previewPauseMs = 0;
        return mf::RunSampleSheets(sizes, {save, QString(), 1, mf::kTitleText}, state, services,
                                   hooks) == mf::SheetRunResult::Complete
                   ? 0
                   : 1;
    }
    if (mf::ReadOutputFormat(QStringLiteral(MARROWFOLD_DATA_DIR), &project->outputFormat) !=
        mf::OutputFormatStatus::Complete)
        return 1;
    auto table = std::make_unique<mf::OrderTable>();
    fillOrders(*table, int(mf::numberedPhotos(mf::sequenceFolderOf(save), QString()).size()));
    mf::ExportJob job{*project, *table, mf::ExportSettings{1, mf::kMaxOrdererNumber, 4, true, true},
                      services};
    mf::ExportState state;
    return mf::RunExport(job, state, false);
}

double peakOf(const QString &timeOutput, double *seconds)
{
    // "/usr/bin/time -f '%e %M'" writes its line last.
    const QStringList fields = timeOutput.trimmed().split(u'\n').last().split(u' ');
    *seconds = fields.value(0).toDouble();
    return fields.value(1).toDouble() / 1024.0;
}

// A command under /usr/bin/time: its wall time and peak memory.
Stage timed(const QStringList &command)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(QStringLiteral("/usr/bin/time"),
            QStringList{QStringLiteral("-f"), QStringLiteral("%e %M")} + command);
    p.waitForFinished(-1);
    Stage s;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(command.join(u' ')),
                     p.readAllStandardError().constData());
        return s;
    }
    s.peakMb = peakOf(QString::fromLocal8Bit(p.readAllStandardError()), &s.seconds);
    return s;
}

Stage shell(const QString &script, const QStringList &args = {})
{
    return timed(
        QStringList{QStringLiteral("bash"), QStringLiteral("-c"), script, QStringLiteral("_")} +
        args);
}

// The contact sheets of peers_sheets.sh, libvips: shrink-on-load thumbnails, one arrayjoin a
// page, at the built-in size and quality 40.
const char *const kVipsSheets = R"(set -e
dir=$1; out=$2; mkdir -p "$out/t"
vipsthumbnail "$dir"/*.jpg --size 785x560 -o "$out/t/%s.v"
th=("$out"/t/*.v)
for ((i=0;i<${#th[@]};i+=16)); do
  vips arrayjoin "${th[*]:i:16}" "$out/vips_page$(printf %03d $((i/16+1))).jpg[Q=40]" \
    --across 4 --shim 44 --hspacing 829 --vspacing 575
done
rm -rf "$out/t"
)";

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--stage")) // one stage, measured outside
        return runStage(args[2], args[3], args[4]) == 0 ? 0 : 1;

    QString photoDir = QStringLiteral("/tmp/mf-corpus");
    int photos = 600;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--photos") && i + 1 < args.size())
            photos = std::max(10, args[++i].toInt());
        else
            photoDir = args[i];
    }
    if (!QDir(photoDir).exists()) {
        std::printf("building the corpus in %s ...\n", qPrintable(photoDir));
        QProcess::execute(QStringLiteral("bash"),
                          {QStringLiteral(MARROWFOLD_SHARED_BENCH "/make_corpus.sh"), photoDir,
                           QStringLiteral("48")});
    }
    QStringList corpus;
    for (const mf::DirEntry &e : mf::listEntries(photoDir)) {
        if (!e.isDir && e.name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive))
            corpus.append(photoDir + u'/' + e.name);
    }
    if (corpus.isEmpty()) {
        std::fprintf(stderr, "no photos in %s\n", qPrintable(photoDir));
        return 1;
    }

    QTemporaryDir work;
    const QString camera = work.filePath(QStringLiteral("camera"));
    const QString save = work.filePath(QStringLiteral("save"));
    QDir().mkpath(camera);
    for (int i = 0; i < photos; ++i) { // a card's names, the corpus K times over
        const std::filesystem::path from = corpus[i % corpus.size()].toStdString();
        const std::filesystem::path to =
            (camera + QString::asprintf("/DSC_%04d.jpg", i + 1)).toStdString();
        std::error_code ec;
        std::filesystem::create_hard_link(from, to, ec);
        if (ec && !std::filesystem::copy_file(from, to, ec)) {
            std::fprintf(stderr, "cannot fill %s\n", qPrintable(camera));
            return 1;
        }
    }
    // Read once, so that every stage and peer starts from memory alike.
    QProcess::execute(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null; sync"), photoDir});

    const QString self = app.applicationFilePath();
    const auto ours = [&](const char *stage) {
        return timed({self, QStringLiteral("--stage"), QLatin1String(stage), save, camera});
    };
    const QString peers = work.filePath(QStringLiteral("peers"));
    const QString sequence = mf::sequenceFolderOf(save);
    const QString exportFolder = mf::exportFolderOf(save);

    struct Row {
        const char *stage;
        const char *peer;
        Stage ours, theirs;
    };
    QList<Row> rows;
    std::printf("photos: %d (%d camera-size photos, linked over)\n", photos, int(corpus.size()));
    rows.append({"numbering", "cp + sync", ours("numbering"),
                 shell(QStringLiteral("mkdir -p \"$2\" && cp \"$1\"/* \"$2\"/ && sync -f \"$2\""),
                       {camera, peers + QStringLiteral("/cp")})});
    rows.append({"sample sheets", "libvips", ours("sheets"),
                 shell(QString::fromLatin1(kVipsSheets), {sequence, peers + "/vips"})});
    Row exportRow{"per-order export", "cp per orderer + sync", ours("export"), {}};
    const QString perOrderer = peers + QStringLiteral("/orders");
    exportRow.theirs = shell(bench::cpScript(exportFolder, sequence, perOrderer) +
                                 QStringLiteral("sync -f \"$1\"\n"),
                             {perOrderer});
    rows.append(exportRow);

    std::printf("%-18s %9s %9s   %-22s %9s %9s %7s\n", "stage", "seconds", "peak MB", "peer",
                "seconds", "peak MB", "ratio");
    double total = 0, totalPeers = 0, peak = 0;
    for (const Row &r : rows) {
        if (r.ours.seconds < 0 || r.theirs.seconds < 0)
            return 1;
        std::printf("%-18s %9.2f %9.1f   %-22s %9.2f %9.1f %7.2f\n", r.stage, r.ours.seconds,
                    r.ours.peakMb, r.peer, r.theirs.seconds, r.theirs.peakMb,
                    r.ours.seconds / r.theirs.seconds);
        total += r.ours.seconds;
        totalPeers += r.theirs.seconds;
        peak = std::max(peak, r.ours.peakMb);
    }
    std::printf("%-18s %9.2f %9.1f   %-22s %9.2f %9s %7.2f\n", "whole day", total, peak, "peers",
                totalPeers, "", total / totalPeers);
    return 0;
}
