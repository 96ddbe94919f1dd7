// A studio's whole day, stage by stage, against what the studio would otherwise run.
//
//   bench_studioday [--photos N[,N...]] [--rounds R] [PHOTO_DIR]
//
// For each N (default 600): a camera folder of N photos, linked from the camera-size corpus in
// PHOTO_DIR (default /tmp/mf-corpus, built by ../shared/bench/make_corpus.sh when missing) as
// many times over as it takes. Then, as the program does them:
//   1. numbering into 連番フォルダ, then on the disk;
//   2. the sample sheets of every photo (built-in size, continuous, JPEG quality 40);
//   3. 2 orders per 10 photos (both orderers of a block of ten order all ten: the first gets
//      the sample print, the second a copy), exported per orderer with sample prints, then on
//      the disk.
// Each run is a process of its own, so its peak memory is its own. The peers run on the same
// files in the same run: cp; the libvips contact sheets of peers_sheets.sh; cp into the same
// per-orderer folders. Their scripts are files, so that any number of photos fits.
//
// At 16 GB of copies both sides are bound by the disk, and whoever runs first leaves dirty pages
// for the other to pay for. So every run starts after the removal of the stage's earlier copies and
// a sync, the flush of the file system it wrote to (one syncfs, what the program does before it
// says it is done) is timed apart after it, and each stage that copies runs R rounds (default 2,
// always even) in which the sides take turns at going first, after one run that is not counted: the
// first writer into a disk that has been idle (or into blocks a virtual disk has never held) pays
// several times what a later one does. The sample sheets, bound by the processor, run 2 rounds. The
// tables give medians. Beside numbering and the export stands the disk's floor: the bytes written
// over the disk's write speed, measured here with as many bytes as a stage copies (a smaller test
// file would fit the host's write cache and measure that). With several N, a last table gives each
// stage's seconds a photo and peak memory at every N, so that a stage whose cost grows faster than
// its work shows at a glance.

#include "StudioDay.h"
#include "BenchServices.h"
#include "ExportPeer.h"
#include "Measure.h"
#include "export/OrderExport.h"
#include "numbering/Sequence.h"
#include "orders/OrderTable.h"
#include "platform/FileSystem.h"
#include "platform/SystemServices.h"
#include "project/FolderList.h"
#include "project/OutputFormat.h"
#include "project/ProjectFields.h"
#include "sheets/PageFile.h"
#include "sheets/SheetRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace {

using bench::fillOrders;
using bench::projectOf;
using bench::runSheets;

// One of the program's stages, in this process: 0 when it ran to its end. The flush that puts
// the copies on the disk is left to the caller, who times it apart with the same call.
int runStage(const QString &stage, const QString &save, const QString &camera)
{
    bench::Services bench(mf::msg::sheetsDone);
    mf::Services &services = bench.services;
    auto project = projectOf(save, camera, bench.prompter);
    const auto flushedByCaller = [](const QString &) { return true; };
    if (stage == QLatin1String("numbering")) {
        mf::SequenceHooks hooks;
        hooks.askStartNumber = [](int) { return 1; };
        hooks.flushToDisk = flushedByCaller;
        return mf::CreateSequentialFiles(*project, services, hooks);
    }
    if (stage == QLatin1String("sheets"))
        return runSheets(save, services);
    if (mf::ReadOutputFormat(QStringLiteral(MARROWFOLD_DATA_DIR), &project->outputFormat) !=
        mf::OutputFormatStatus::Complete)
        return 1;
    auto table = std::make_unique<mf::OrderTable>();
    fillOrders(*table, int(mf::numberedPhotos(mf::sequenceFolderOf(save), QString()).size()));
    mf::ExportJob job{*project, *table, mf::ExportSettings{1, mf::kMaxOrdererNumber, 4, true, true},
                      services};
    job.flushToDisk = flushedByCaller;
    mf::ExportState state;
    return mf::RunExport(job, state, false);
}

struct Run {
    double seconds = -1; // wall time, without the flush
    double flush = 0;    // the syncfs of the file system written to, after the run
    double peakMb = 0;
    bench::Copied written;
};

// One side of a stage: a command that writes into target.
struct Side {
    QString name;
    QStringList command;
    QString target;
    QString clear; // removed before each run (default: target)
    std::function<bool()> before = [] { return true; };
    std::function<void()> after = [] {}; // once the run is measured
    std::vector<Run> runs;

    double median(double Run::*field) const
    {
        std::vector<double> v;
        for (const Run &r : runs)
            v.push_back(r.*field);
        return bench::median(v);
    }
    double total() const // the median of run + flush
    {
        std::vector<double> v;
        for (const Run &r : runs)
            v.push_back(r.seconds + r.flush);
        return bench::median(v);
    }
    double peakMb() const
    {
        double peak = 0;
        for (const Run &r : runs)
            peak = std::max(peak, r.peakMb);
        return peak;
    }
};

struct Stage {
    const char *name;
    Side ours, peer;
    bool diskBound = false; // both sides copy the same bytes: the disk's floor applies
};

// One run: the stage's earlier copies removed and pending writes flushed first, wall time and peak
// memory of the command, then the flush of the file system it wrote to, timed apart. Both sides'
// copies go before every run, so that each run follows the removal of exactly the copies of the run
// before it: removing 16 GB (with the discards that follow on this disk) slowed the next run by
// about a third, and when only one side removed its own, that side paid for it.
Run measure(Side &side, const Stage &stage)
{
    for (const Side *s : {&stage.ours, &stage.peer})
        QDir(s->clear.isEmpty() ? s->target : s->clear).removeRecursively();
    if (!side.before())
        return {};
    bench::flushWrites();
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral("/usr/bin/time"),
            QStringList{QStringLiteral("-f"), QStringLiteral("%M")} + side.command);
    if (!p.waitForFinished(-1)) {
        std::fprintf(stderr, "cannot run /usr/bin/time: apt-get install time\n");
        return {};
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    QStringList err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed().split(u'\n');
    const QString peak = err.takeLast(); // "/usr/bin/time -f %M" writes its line last
    err.removeIf([](const QString &line) { return line.startsWith(u"QStandardPaths: "); });
    if (!err.isEmpty())
        std::fprintf(stderr, "%s: %s\n", qPrintable(side.name), qPrintable(err.join(u'\n')));
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(side.name),
                     qPrintable(side.command.join(u' ')));
        return {};
    }
    Run r;
    r.peakMb = peak.toDouble() / 1024.0;
    timer.restart();
    if (!mf::flushFileSystem(side.target)) {
        std::fprintf(stderr, "%s: cannot flush %s\n", qPrintable(side.name),
                     qPrintable(side.target));
        return {};
    }
    r.flush = timer.nsecsElapsed() / 1e9;
    r.seconds = seconds;
    r.written = bench::jpegsBelow(side.target);
    return r;
}

// The stage's rounds, the sides taking turns at going first (ours in the first round). A
// stage that copies starts with a run of ours that is not counted.
bool runRounds(Stage &stage, int rounds)
{
    if (stage.diskBound) {
        const Run warmUp = measure(stage.ours, stage);
        if (warmUp.seconds < 0)
            return false;
        stage.ours.after();
        std::printf("  %s, warm-up: ours %.2f s + flush %.2f s, not counted\n", stage.name,
                    warmUp.seconds, warmUp.flush);
        std::fflush(stdout);
    }
    for (int round = 1; round <= rounds; ++round) {
        const bool peerFirst = round % 2 == 0;
        for (Side *side :
             {peerFirst ? &stage.peer : &stage.ours, peerFirst ? &stage.ours : &stage.peer}) {
            const Run run = measure(*side, stage);
            if (run.seconds < 0)
                return false;
            side->runs.push_back(run);
            side->after();
        }
        const Run &o = stage.ours.runs.back();
        const Run &t = stage.peer.runs.back();
        std::printf("  %s, round %d: ours %.2f s + flush %.2f s, %s %.2f s + flush %.2f s%s\n",
                    stage.name, round, o.seconds, o.flush, qPrintable(stage.peer.name), t.seconds,
                    t.flush, peerFirst ? " (peer first)" : "");
        std::fflush(stdout);
        if (stage.diskBound &&
            (o.written.files != t.written.files || o.written.bytes != t.written.bytes)) {
            std::fprintf(
                stderr, "%s did not write the same photos: %d files, %lld bytes against %d, %lld\n",
                qPrintable(stage.peer.name), t.written.files, t.written.bytes, o.written.files,
                o.written.bytes);
            return false;
        }
    }
    return true;
}

bool writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0 &&
           f.flush();
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

const char *const kCopy = R"(set -e
mkdir -p "$2"
cp "$1"/* "$2"/
)";

struct Day {
    int photos = 0;
    qint64 sampleBytes = 0;              // written to measure the disk's speed: a stage's copies
    std::array<double, 2> writeSpeeds{}; // bytes a second, before and after the stages
    double writeSpeed() const { return std::max(writeSpeeds[0], writeSpeeds[1]); }
    std::array<Stage, 3> stages;
};

// The three stages of a day in work, the camera folder filled. Peer scripts go into work.
std::array<Stage, 3> stagesOf(const QString &self, const QString &work, const QString &camera)
{
    const QString save = work + QStringLiteral("/save");
    const QString peers = work + QStringLiteral("/peers");
    const QString sequence = mf::sequenceFolderOf(save);
    const QString exportFolder = mf::exportFolderOf(save);
    const auto ours = [&](const char *stage, const QString &target, const QString &clear) {
        Side s;
        s.name = QStringLiteral("ours");
        s.command = {self, QStringLiteral("--stage"), QLatin1String(stage), save, camera};
        s.target = target;
        s.clear = clear;
        return s;
    };
    const auto peer = [&](const char *name, const QString &script, const QStringList &args,
                          const QString &target) {
        Side s;
        s.name = QLatin1String(name);
        s.command = QStringList{QStringLiteral("bash"), script} + args;
        s.target = target;
        s.after = [target] { QDir(target).removeRecursively(); }; // the disk's room for ours
        return s;
    };
    const QString cpScript = peers + QStringLiteral("/copy.sh");
    const QString vipsScript = peers + QStringLiteral("/sheets.sh");
    const QString perOrdererScript = peers + QStringLiteral("/orders.sh");
    const QString cpTarget = peers + QStringLiteral("/cp");
    const QString vipsTarget = peers + QStringLiteral("/vips");
    const QString ordersTarget = peers + QStringLiteral("/orders");

    Stage numbering{"numbering", ours("numbering", sequence, save),
                    peer("cp", cpScript, {camera, cpTarget}, cpTarget), true};
    numbering.peer.before = [=] { return writeFile(cpScript, QLatin1String(kCopy)); };
    Stage sheets{"sample sheets", ours("sheets", mf::pageFolder(save), {}),
                 peer("libvips", vipsScript, {sequence, vipsTarget}, vipsTarget)};
    sheets.peer.before = [=] { return writeFile(vipsScript, QLatin1String(kVipsSheets)); };
    Stage exporting{"per-order export", ours("export", exportFolder, {}),
                    peer("cp a folder", perOrdererScript, {}, ordersTarget), true};
    // The copies the export made, as cp commands: known once ours has run (it goes first).
    // Then its copies go, so that the disk holds one side's at a time.
    exporting.ours.after = [=] {
        if (!QFile::exists(perOrdererScript))
            writeFile(perOrdererScript, bench::cpScript(exportFolder, sequence, ordersTarget));
        QDir(exportFolder).removeRecursively();
    };
    exporting.peer.before = [=] {
        if (QFile::exists(perOrdererScript))
            return true;
        std::fprintf(stderr, "no export to copy: ours runs first\n");
        return false;
    };
    return {std::move(numbering), std::move(sheets), std::move(exporting)};
}

// A card's names, the corpus K times over, linked (copied across file systems).
bool fillCamera(const QString &camera, const QStringList &corpus, int photos)
{
    QDir().mkpath(camera);
    for (int i = 0; i < photos; ++i) {
        const std::filesystem::path from = corpus[i % corpus.size()].toStdString();
        const std::filesystem::path to =
            (camera + QString::asprintf("/DSC_%04d.jpg", i + 1)).toStdString();
        std::error_code ec;
        std::filesystem::create_hard_link(from, to, ec);
        if (ec && !std::filesystem::copy_file(from, to, ec))
            return false;
    }
    return true;
}

double floorSeconds(const Day &day, const Stage &stage)
{
    return stage.ours.runs.back().written.bytes / day.writeSpeed();
}

void printDay(const Day &day, int rounds)
{
    std::printf("\n%d photos: medians of %d rounds (the sheets 2); the disk wrote %.0f MB at %.0f "
                "and %.0f MB/s (before and after the stages), the floor takes the faster\n",
                day.photos, rounds, day.sampleBytes / 1e6, day.writeSpeeds[0] / 1e6,
                day.writeSpeeds[1] / 1e6);
    std::printf("%-17s %8s %8s %8s   %-12s %8s %8s %8s %7s %7s %9s %8s\n", "stage", "ours s",
                "flush s", "peak MB", "peer", "peer s", "flush s", "peak MB", "ratio", "+flush",
                "writes MB", "floor s");
    const auto row = [](const char *stage, const double o[3], const char *peer, const double t[3],
                        double ratioFlushed) {
        std::printf("%-17s %8.2f %8.2f %8.1f   %-12s %8.2f %8.2f %8.1f %7.2f %7.2f", stage, o[0],
                    o[1], o[2], peer, t[0], t[1], t[2], o[0] / t[0], ratioFlushed);
    };
    double day0[3] = {}, day1[3] = {}, total0 = 0, total1 = 0; // ours, the peers
    for (const Stage &s : day.stages) {
        const double o[3] = {s.ours.median(&Run::seconds), s.ours.median(&Run::flush),
                             s.ours.peakMb()};
        const double t[3] = {s.peer.median(&Run::seconds), s.peer.median(&Run::flush),
                             s.peer.peakMb()};
        row(s.name, o, qPrintable(s.peer.name), t, s.ours.total() / s.peer.total());
        if (s.diskBound)
            std::printf(" %9.0f %8.2f", s.ours.runs.back().written.bytes / 1e6,
                        floorSeconds(day, s));
        std::printf("\n");
        for (int k = 0; k < 2; ++k) {
            day0[k] += o[k];
            day1[k] += t[k];
        }
        day0[2] = std::max(day0[2], o[2]);
        day1[2] = std::max(day1[2], t[2]);
        total0 += s.ours.total();
        total1 += s.peer.total();
    }
    row("whole day", day0, "peers", day1, total0 / total1);
    std::printf("\n");
    std::fflush(stdout);
}

// Seconds a photo (run + flush, medians) and peak memory of every stage at every size.
void printGrowth(const std::vector<Day> &days)
{
    const auto perPhoto = [](const Day &d, const Side &s) { return s.total() / d.photos; };
    std::printf("\ngrowth: seconds a photo (run + flush) and peak MB, x = last size / first\n");
    std::printf("%-17s", "stage");
    for (const char *who : {"ours", "peer"}) {
        for (const Day &d : days)
            std::printf(" %9s", qPrintable(QStringLiteral("%1@%2").arg(QLatin1String(who),
                                                                       QString::number(d.photos))));
        std::printf(" %6s  ", "x");
    }
    for (const Day &d : days)
        std::printf(" %8s", qPrintable(QStringLiteral("peak@%1").arg(d.photos)));
    std::printf("\n");
    for (std::size_t i = 0; i <= days.front().stages.size(); ++i) {
        const bool whole = i == days.front().stages.size();
        std::printf("%-17s", whole ? "whole day" : days.front().stages[i].name);
        for (Side Stage::*side : {&Stage::ours, &Stage::peer}) {
            std::vector<double> v;
            for (const Day &d : days) {
                double s = 0;
                for (std::size_t k = whole ? 0 : i; k < (whole ? d.stages.size() : i + 1); ++k)
                    s += perPhoto(d, d.stages[k].*side);
                v.push_back(s);
                std::printf(" %9.4f", s);
            }
            std::printf(" %6.2f  ", v.back() / v.front());
        }
        for (const Day &d : days) {
            double peak = 0;
            for (std::size_t k = whole ? 0 : i; k < (whole ? d.stages.size() : i + 1); ++k)
                peak = std::max(peak, d.stages[k].ours.peakMb());
            std::printf(" %8.1f", peak);
        }
        std::printf("\n");
    }
}

// The day at one size, in a folder of its own under root, removed again afterwards.
bool runDay(Day &day, const QString &self, const QString &root, const QStringList &corpus,
            int rounds)
{
    const QString work = root + QStringLiteral("/day%1").arg(day.photos);
    const QString camera = work + QStringLiteral("/camera");
    if (!fillCamera(camera, corpus, day.photos) ||
        !QDir().mkpath(work + QStringLiteral("/peers"))) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(camera));
        return false;
    }
    const bench::Copied cameraFiles = bench::jpegsBelow(camera);
    std::printf("\n%d photos (%d camera-size photos linked over, %.0f MB)\n", day.photos,
                int(corpus.size()), cameraFiles.bytes / 1e6);
    // The disk's speed, before and after the stages: the faster gives the lower floor.
    day.sampleBytes = std::max<qint64>(cameraFiles.bytes, 256 << 20);
    day.writeSpeeds[0] = bench::diskWriteSpeed(work, day.sampleBytes, 1);
    day.stages = stagesOf(self, work, camera);
    for (Stage &stage : day.stages) {
        if (!runRounds(stage, stage.diskBound ? rounds : 2))
            return false;
    }
    day.writeSpeeds[1] = bench::diskWriteSpeed(work, day.sampleBytes, 1);
    QDir(work).removeRecursively();
    if (day.writeSpeeds[0] <= 0 || day.writeSpeeds[1] <= 0) {
        std::fprintf(stderr, "cannot measure the disk's write speed in %s\n", qPrintable(work));
        return false;
    }
    return true;
}

QStringList corpusOf(const QString &photoDir)
{
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
    // Read once, so that every stage and peer starts from memory alike.
    QProcess::execute(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null; sync"), photoDir});
    return corpus;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--stage")) // one stage, measured outside
        return runStage(args[2], args[3], args[4]) == 0 ? 0 : 1;

    QString photoDir = QStringLiteral("/tmp/mf-corpus");
    std::vector<Day> days;
    int rounds = 2;
    for (int i = 1; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == QLatin1String("--photos") && i + 1 < args.size()) {
            days.clear();
            for (const QString &n : args[++i].split(u',')) {
                days.emplace_back();
                days.back().photos = n.toInt(&ok);
                if (!ok || days.back().photos < 10)
                    break;
            }
            ok = ok && days.back().photos >= 10;
        } else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size()) {
            rounds = args[++i].toInt(&ok);
            // Whoever writes first into the disk pays more: an odd count would let one side go
            // first once more than the other and tilt the medians.
            ok = ok && rounds >= 2 && rounds % 2 == 0;
        } else if (args[i].startsWith(u'-')) {
            ok = false;
        } else {
            photoDir = args[i];
        }
        if (!ok) {
            std::fprintf(
                stderr,
                "usage: bench_studioday [--photos N[,N...]] [--rounds R] "
                "[PHOTO_DIR]\n  N at least 10 photos, R an even number of rounds, at least 2\n");
            return 2;
        }
    }
    if (days.empty())
        days.emplace_back().photos = 600;

    const QStringList corpus = corpusOf(photoDir);
    if (corpus.isEmpty()) {
        std::fprintf(stderr, "no photos in %s\n", qPrintable(photoDir));
        return 1;
    }
    QTemporaryDir work;
    for (Day &day : days) {
        if (!runDay(day, app.applicationFilePath(), work.path(), corpus, rounds))
            return 1;
        printDay(day, rounds);
    }
    if (days.size() > 1)
        printGrowth(days);
    return 0;
}
