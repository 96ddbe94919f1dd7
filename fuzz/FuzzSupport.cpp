#include "FuzzTarget.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace mf::fuzz {

namespace {

QMap<QString, TargetFunction> &targets()
{
    static QMap<QString, TargetFunction> map;
    return map;
}

QTemporaryDir &scratchDir()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

int failures = 0;  // read by the replay runner
int successes = 0; // likewise
bool abortOnFailure = true;

bool registerTarget(const char *name, TargetFunction function)
{
    targets().insert(QString::fromLatin1(name), function);
    return true;
}

TargetFunction findTarget(const QString &name)
{
    return targets().value(name, nullptr);
}

void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    ++failures;
    if (abortOnFailure)
        std::abort();
}

void readerSucceeded()
{
    ++successes;
}

QString scratchFolder()
{
    if (!scratchDir().isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        std::abort();
    }
    return scratchDir().path();
}

QString scratchPath(const QString &fileName)
{
    return scratchFolder() + QLatin1Char('/') + fileName;
}

bool writeScratch(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

} // namespace mf::fuzz
