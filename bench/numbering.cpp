// Numbering throughput against the system's own copy of the same files.
//
//   bench_numbering [--files N] [--mb SIZE] [--rounds N] [SOURCE_FOLDER]
//
// Without a source folder it generates N camera-size JPEG files of about SIZE megabytes
// (default 200 files of 7 MB) in a temporary folder. Each round numbers them into a fresh
// sequential-number folder exactly as the numbering command does (copy, permissions,
// conversion log, event pump between files) and copies the same files with `cp`; the
// rounds (default 6) take turns at which goes first. The flush that puts the copies on the
// disk before the command says it is done is timed on its own, alternately as one syncfs
// (what the command does) and as one fsync a file. It prints every round, the medians and
// the ratios with and without the flush.

#include "BenchServices.h"
#include "CameraJpeg.h"
#include "Measure.h"
#include "numbering/Sequence.h"
#include "platform/Jpeg.h"
#include "platform/SystemServices.h"
#include "project/FolderList.h"
#include "project/ProjectFields.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

qint64 folderBytes(const QString &folder)
{
    qint64 total = 0;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files))
        total += info.size();
    return total;
}

double secondsOf(const std::function<bool()> &work)
{
    QElapsedTimer timer;
    timer.start();
    return work() ? timer.nsecsElapsed() / 1e9 : -1;
}

// The other way to put the copies on the disk: one fsync a file.
bool fsyncEach(const QString &folder)
{
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        const int fd = ::open(QFile::encodeName(folder + u'/' + name).constData(), O_RDONLY);
        if (fd < 0 || ::fsync(fd) != 0)
            return false;
        ::close(fd);
    }
    return true;
}

struct Options {
    int files = 200;
    int rounds = 6;
    double megabytes = 7.0;
    QString source;
};

Options parseOptions(const QStringList &args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--files") && i + 1 < args.size())
            o.files = args[++i].toInt();
        else if (args[i] == QLatin1String("--mb") && i + 1 < args.size())
            o.megabytes = args[++i].toDouble();
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            o.rounds = std::max(1, args[++i].toInt());
        else
            o.source = args[i];
    }
    return o;
}

// A camera's folder of `files` JPEG files of about `megabytes` each; false when it cannot.
bool writeCameraFolder(const QString &folder, int files, double megabytes)
{
    QDir().mkpath(folder);
    std::printf("generating %d files of about %.1f MB ...\n", files, megabytes);
    const QByteArray jpeg = bench::makeCameraJpeg(qint64(megabytes * 1024 * 1024));
    for (int i = 1; i <= files; ++i) {
        QFile f(folder + QString::asprintf("/DSC%05d.JPG", i));
        if (!f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size())
            return false;
    }
    return true;
}

struct Round {
    double numbering, flush, cp, cpSync;
    bool perFile;
};

// The numbering and cp of the same folder, each into a fresh folder, each timed without the
// flush that follows it.
class Race {
public:
    Race(const QString &source, const QString &save, const QString &cpTarget)
        : m_source(source), m_save(save), m_cpTarget(cpTarget)
    {}

    // Odd rounds number first; every other pair flushes one fsync a file.
    Round run(int round)
    {
        Round r{0, 0, 0, 0, (round - 1) / 2 % 2 == 1};
        const auto numberAndFlush = [&] {
            r.numbering = number();
            const QString folder = mf::sequenceFolderOf(m_save);
            r.flush = secondsOf(
                [&] { return r.perFile ? fsyncEach(folder) : mf::flushFileSystem(folder); });
        };
        const auto copyAndFlush = [&] {
            r.cp = copy();
            r.cpSync = secondsOf([&] { return mf::flushFileSystem(m_cpTarget); });
        };
        if (round % 2 == 0) {
            copyAndFlush();
            numberAndFlush();
        } else {
            numberAndFlush();
            copyAndFlush();
        }
        return r;
    }

private:
    double number()
    {
        QDir(m_save).removeRecursively();
        bench::flushWrites();
        mf::ProjectState state;
        state.titleText = mf::kTitleText;
        mf::setupGrid(state);
        mf::setProjectName(state, QStringLiteral("bench"));
        mf::setSaveFolder(state, m_save);
        mf::AddFolder(state, m_bench.prompter, m_source);
        mf::SequenceHooks hooks;
        hooks.askStartNumber = [](int) { return 1; };
        hooks.flushToDisk = [](const QString &) { return true; }; // timed on its own
        return secondsOf(
            [&] { return mf::CreateSequentialFiles(state, m_bench.services, hooks) == 0; });
    }

    double copy()
    {
        QDir(m_cpTarget).removeRecursively();
        QDir().mkpath(m_cpTarget);
        bench::flushWrites();
        return secondsOf([&] {
            return QProcess::execute(QStringLiteral("sh"),
                                     {QStringLiteral("-c"), QStringLiteral("cp \"$0\"/* \"$1\"/"),
                                      m_source, m_cpTarget}) == 0;
        });
    }

    bench::Services m_bench;
    QString m_source;
    QString m_save;
    QString m_cpTarget;
};

void printSummary(const std::vector<Round> &done, const QString &source, qint64 bytes, int rounds)
{
    std::vector<double> numbering, cp, syncfs, fsyncEachFile, ratio, ratioFlushed;
    for (const Round &r : done) {
        numbering.push_back(r.numbering);
        cp.push_back(r.cp);
        ratio.push_back(r.numbering / r.cp);
        (r.perFile ? fsyncEachFile : syncfs).push_back(r.flush);
        if (!r.perFile)
            ratioFlushed.push_back((r.numbering + r.flush) / (r.cp + r.cpSync));
    }
    const double mb = bytes / (1024.0 * 1024.0);
    const double mn = bench::median(numbering), mc = bench::median(cp);
    std::printf("files: %d, %.1f MB, %d rounds\n", int(QDir(source).entryList(QDir::Files).size()),
                mb, rounds);
    std::printf("numbering: median %.3f s, %.1f MB/s\n", mn, mb / mn);
    std::printf("cp:        median %.3f s, %.1f MB/s\n", mc, mb / mc);
    std::printf("flush:     median syncfs %.3f s, fsync each file %.3f s\n", bench::median(syncfs),
                bench::median(fsyncEachFile));
    std::printf("ratio numbering / cp: median %.2f; with the flush (cp + sync) median %.2f\n",
                bench::median(ratio), bench::median(ratioFlushed));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app.arguments());
    QTemporaryDir work;
    QString source = options.source;
    if (source.isEmpty()) {
        source = work.filePath(QStringLiteral("camera"));
        if (!writeCameraFolder(source, options.files, options.megabytes)) {
            std::fprintf(stderr, "cannot write the test files\n");
            return 1;
        }
    }
    const qint64 bytes = folderBytes(source);

    // Warm the cache once so both read from memory alike.
    QProcess::execute(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null"), source});

    Race race(source, work.filePath(QStringLiteral("save")), work.filePath(QStringLiteral("cp")));
    std::vector<Round> done;
    for (int round = 1; round <= options.rounds; ++round) {
        const Round r = race.run(round);
        if (r.numbering < 0 || r.cp < 0 || r.flush < 0 || r.cpSync < 0) {
            std::fprintf(stderr, "round %d failed\n", round);
            return 1;
        }
        std::printf("round %d: numbering %.3f s + %s %.3f s, cp %.3f s + sync %.3f s%s\n", round,
                    r.numbering, r.perFile ? "fsync each" : "syncfs", r.flush, r.cp, r.cpSync,
                    round % 2 == 0 ? " (cp first)" : "");
        done.push_back(r);
    }
    printSummary(done, source, bytes, options.rounds);
    return 0;
}
