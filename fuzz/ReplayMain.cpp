// Runs every file of fuzz/corpus/<harness>/ through its harness: the findings of past fuzzing
// stay fixed, and the seed files keep working, in the normal build and in seconds. Each
// harness must also get at least one of its files through its reader's success path.

#include "FuzzTarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace mf::fuzz {
extern int failures;
extern int successes;
extern bool abortOnFailure;
} // namespace mf::fuzz

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_replay <corpus folder>\n");
        return 2;
    }
    mf::fuzz::abortOnFailure = false;
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    const QStringList harnesses = corpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    if (harnesses.isEmpty()) {
        std::fprintf(stderr, "no corpus in %s\n", argv[1]);
        return 2;
    }
    int passed = 0;
    int failed = 0;
    qint64 slowestMs = -1;
    QString slowest;
    for (const QString &name : harnesses) {
        const mf::fuzz::TargetFunction target = mf::fuzz::findTarget(name);
        if (!target) {
            // A corpus folder without its harness would silently test nothing.
            std::fprintf(stderr, "FAIL %s: no harness of that name\n", qPrintable(name));
            ++failed;
            continue;
        }
        const QDir folder(corpus.filePath(name));
        const int successesBefore = mf::fuzz::successes;
        for (const QString &fileName : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(fileName));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "FAIL %s/%s: cannot read\n", qPrintable(name),
                             qPrintable(fileName));
                ++failed;
                continue;
            }
            const QByteArray bytes = file.readAll();
            const int before = mf::fuzz::failures;
            QElapsedTimer timer;
            timer.start();
            target(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            const qint64 ms = timer.elapsed();
            if (ms > slowestMs) {
                slowestMs = ms;
                slowest = name + QLatin1Char('/') + fileName;
            }
            if (mf::fuzz::failures != before) {
                std::fprintf(stderr, "FAIL %s/%s\n", qPrintable(name), qPrintable(fileName));
                ++failed;
            } else {
                ++passed;
            }
        }
        if (mf::fuzz::successes == successesBefore) {
            std::fprintf(stderr, "FAIL %s: no corpus file reaches the reader's success path\n",
                         qPrintable(name));
            ++failed;
        }
    }
    std::printf("slowest: %s (%lld ms)\n", qPrintable(slowest), static_cast<long long>(slowestMs));
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
