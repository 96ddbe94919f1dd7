// Numbering throughput against the system's own copy of the same files.
//
//   bench_numbering [--files N] [--mb SIZE] [SOURCE_FOLDER]
//
// Without a source folder it generates N camera-size JPEG files of about SIZE megabytes
// (default 200 files of 7 MB) in a temporary folder. It then numbers them into a
// sequential-number folder exactly as the numbering command does (copy, permissions,
// conversion log, event pump between files) and copies the same files with `cp`,
// and prints both times, the throughput and the ratio.

#include "CameraJpeg.h"
#include "numbering/Sequence.h"
#include "platform/Jpeg.h"
#include "platform/SystemServices.h"
#include "project/FolderList.h"
#include "project/ProjectFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class YesPrompter : public mf::Prompter {
public:
    void inform(const QString &text, const QString &) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    mf::Answer ask(const QString &, const QString &, mf::Buttons, bool) override
    {
        return mf::Answer::Yes;
    }
};

qint64 folderBytes(const QString &folder)
{
    qint64 total = 0;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files))
        total += info.size();
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int files = 200;
    double megabytes = 7.0;
    QString source;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--files") && i + 1 < args.size())
            files = args[++i].toInt();
        else if (args[i] == QLatin1String("--mb") && i + 1 < args.size())
            megabytes = args[++i].toDouble();
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
            QFile f(source + QStringLiteral("/DSC%1.JPG").arg(i, 5, 10, QChar(u'0')));
            if (!f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size()) {
                std::fprintf(stderr, "cannot write the test files\n");
                return 1;
            }
        }
    }
    const qint64 bytes = folderBytes(source);

    // Warm the cache once so both runs read from memory alike.
    QProcess::execute(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("cat \"$0\"/* > /dev/null"), source});

    YesPrompter prompter;
    mf::QtEventPump pump;
    mf::SystemClock clock;
    struct NoShell : mf::Shell {
        bool open(const QString &) override { return true; }
    } shell;
    mf::Services services{prompter, pump, clock, shell};

    mf::ProjectState state;
    state.titleText = mf::kTitleText;
    mf::setupGrid(state);
    mf::setProjectName(state, QStringLiteral("bench"));
    mf::setSaveFolder(state, work.filePath(QStringLiteral("save")));
    mf::AddFolder(state, prompter, source);
    mf::SequenceHooks hooks;
    hooks.askStartNumber = [](int) { return 1; };

    QElapsedTimer timer;
    timer.start();
    const int rc = mf::CreateSequentialFiles(state, services, hooks);
    const double numberingSeconds = timer.nsecsElapsed() / 1e9;
    if (rc != 0) {
        std::fprintf(stderr, "numbering failed: %d\n", rc);
        return 1;
    }

    const QString cpTarget = work.filePath(QStringLiteral("cp"));
    QDir().mkpath(cpTarget);
    timer.restart();
    QProcess::execute(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("cp \"$0\"/* \"$1\"/"), source, cpTarget});
    const double cpSeconds = timer.nsecsElapsed() / 1e9;

    const double mb = bytes / (1024.0 * 1024.0);
    std::printf("files: %d, %.1f MB\n", int(QDir(source).entryList(QDir::Files).size()), mb);
    std::printf("numbering: %.3f s, %.1f MB/s\n", numberingSeconds, mb / numberingSeconds);
    std::printf("cp:        %.3f s, %.1f MB/s\n", cpSeconds, mb / cpSeconds);
    std::printf("ratio numbering / cp: %.2f\n", numberingSeconds / cpSeconds);
    return 0;
}
