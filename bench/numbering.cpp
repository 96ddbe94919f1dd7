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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int files = 200;
    int rounds = 6;
    double megabytes = 7.0;
    QString source;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--files") && i + 1 < args.size())
            files = args[++i].toInt();
        else if (args[i] == QLatin1String("--mb") && i + 1 < args.size())
            megabytes = args[++i].toDouble();
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = std::max(1, args[++i].toInt());
        else
            source = args[i];
    }

    QTemporaryDir work;
    if (source.isEmpty()) {
        source = work.filePath(QStringLiteral("camera"));
        QDir().mkpath(source);
        std::printf("generating %d files of about %.1f MB ...\n", files, megabytes);
        const QByteArray jpeg = bench::makeCameraJpeg(qint64(megabytes * 1024 * 1024));
        for (int i = 1; i <= files; ++i) {
            QFile f(source + QString::asprintf("/DSC%05d.JPG", i));
            if (!f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size()) {
                std::fprintf(stderr, "cannot write the test files\n");
                return 1;
            }
        }
    }
    const qint64 bytes = folderBytes(source);

    // Warm the cache once so both read from memory alike.
    QProcess::execute(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null"), source});

    bench::Services bench;
    mf::Services &services = bench.services;
    mf::Prompter &prompter = bench.prompter;

    const QString save = work.filePath(QStringLiteral("save"));
    const QString cpTarget = work.filePath(QStringLiteral("cp"));
    const auto number = [&] {
        QDir(save).removeRecursively();
        bench::flushWrites();
        mf::ProjectState state;
        state.titleText = mf::kTitleText;
        mf::setupGrid(state);
        mf::setProjectName(state, QStringLiteral("bench"));
        mf::setSaveFolder(state, save);
        mf::AddFolder(state, prompter, source);
        mf::SequenceHooks hooks;
        hooks.askStartNumber = [](int) { return 1; };
        hooks.flushToDisk = [](const QString &) { return true; }; // timed on its own
        return secondsOf([&] { return mf::CreateSequentialFiles(state, services, hooks) == 0; });
    };
    const auto copy = [&] {
        QDir(cpTarget).removeRecursively();
        QDir().mkpath(cpTarget);
        bench::flushWrites();
        return secondsOf([&] {
            return QProcess::execute(QStringLiteral("sh"),
                                     {QStringLiteral("-c"), QStringLiteral("cp \"$0\"/* \"$1\"/"),
                                      source, cpTarget}) == 0;
        });
    };

    struct Round {
        double numbering, flush, cp, cpSync;
        bool perFile;
    };
    std::vector<Round> done;
    for (int round = 1; round <= rounds; ++round) {
        const bool cpFirst = round % 2 == 0;
        Round r{0, 0, 0, 0, (round - 1) / 2 % 2 == 1};
        const auto numberAndFlush = [&] {
            r.numbering = number();
            const QString folder = mf::sequenceFolderOf(save);
            r.flush = secondsOf(
                [&] { return r.perFile ? fsyncEach(folder) : mf::flushFileSystem(folder); });
        };
        const auto copyAndFlush = [&] {
            r.cp = copy();
            r.cpSync = secondsOf([&] { return mf::flushFileSystem(cpTarget); });
        };
        if (cpFirst) {
            copyAndFlush();
            numberAndFlush();
        } else {
            numberAndFlush();
            copyAndFlush();
        }
        if (r.numbering < 0 || r.cp < 0 || r.flush < 0 || r.cpSync < 0) {
            std::fprintf(stderr, "round %d failed\n", round);
            return 1;
        }
        std::printf("round %d: numbering %.3f s + %s %.3f s, cp %.3f s + sync %.3f s%s\n", round,
                    r.numbering, r.perFile ? "fsync each" : "syncfs", r.flush, r.cp, r.cpSync,
                    cpFirst ? " (cp first)" : "");
        done.push_back(r);
    }

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
    return 0;
}
