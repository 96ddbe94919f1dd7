#include "TestFiles.h"

#include "platform/Codec.h"
#include "platform/FileSystemSeams.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testfiles {

QString testdata(const QString &relative)
{
    return QStringLiteral(MARROWFOLD_TESTDATA) + u'/' + relative;
}

QString photo(int n)
{
    return testdata(QStringLiteral("photos/photo%1.jpg").arg(n, 2, 10, QChar(u'0')));
}

QString copyShared(const QString &sharedPath, const QString &target)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    if (!QFile::copy(sharedPath, target))
        qFatal("cannot copy %s", qPrintable(sharedPath));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    return target;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList listing(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(it.next().mid(root.size() + 1));
    out.sort();
    return out;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void makePhotoFolder(const QString &folder, int count, const QString &stem)
{
    QDir().mkpath(folder);
    for (int i = 1; i <= count; ++i)
        copyShared(photo((i - 1) % 12 + 1),
                   folder + u'/' + stem + QStringLiteral("%1.jpg").arg(i, 2, 10, QChar(u'0')));
}

QByteArray sjis(const QString &text)
{
    QByteArray out;
    if (!mf::encodeCp932(text, &out))
        qFatal("not Shift-JIS: %s", qPrintable(text));
    return out;
}

int runInChild(const std::function<int()> &body)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0)
        _exit(body() & 0xff);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

std::string g_killKind;
int g_killAt = 0;
int g_killPoints = 0;

void reachPoint(const char *kind)
{
    if (g_killKind == kind && ++g_killPoints == g_killAt)
        ::kill(::getpid(), SIGKILL);
}

} // namespace

void killAtPoint(const char *kind, int at)
{
    g_killKind = kind;
    g_killAt = at;
    g_killPoints = 0;
    mf::seams::setCopyPointHook([](mf::seams::CopyPoint point) {
        reachPoint(point == mf::seams::CopyPoint::BytesCopied ? "piece copied" : "copy point");
    });
    mf::seams::setWritePointHook([](mf::seams::WritePoint point) {
        reachPoint(point == mf::seams::WritePoint::FileRemoved ? "file removed" : "file synced");
    });
}

int runWithFileSizeLimit(qint64 maxFileBytes, const std::function<int()> &body)
{
    return runInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(maxFileBytes), rlim_t(maxFileBytes)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 255;
        return body();
    });
}

} // namespace testfiles
