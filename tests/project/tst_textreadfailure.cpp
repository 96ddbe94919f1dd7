#include "ProjectFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "orders/OrderFile.h"
#include "platform/FileSystemSeams.h"
#include "project/FolderRepair.h"
#include "project/OutputFormat.h"
#include "project/ProjectFile.h"
#include "project/WorkLog.h"
#include "project/WorkLogRewrite.h"
#include "sheets/OutputSize.h"
#include "sheets/TitleData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <memory>

#include <unistd.h>

using namespace mf;
using testfiles::readFile;
using testfiles::sjis;
using testfiles::writeFile;

namespace {

// The file that fails, and after how many of its bytes: reads before that point are served
// (in pieces no longer than what is left), every read after it fails as a dying drive does.
QString g_failing;
qint64 g_failAt = 0;

long long failPartWay(QFile &file, char *data, long long maxSize)
{
    char target[PATH_MAX];
    const QByteArray fd = "/proc/self/fd/" + QByteArray::number(file.handle());
    const ssize_t n = ::readlink(fd.constData(), target, sizeof target);
    if (n <= 0 || QFile::decodeName(QByteArray(target, n)) != g_failing)
        return file.read(data, maxSize);
    const qint64 left = g_failAt - file.pos();
    return left <= 0 ? -1 : file.read(data, std::min<qint64>(maxSize, left));
}

struct SeamReset {
    ~SeamReset() { seams::setFileReadCall(nullptr); }
};

const QByteArray kSizeRecord = QByteArray(52, '-') +
                               "\r\n300\r\nS\r\n3602\r\n2397\r\n4\r\n3\r\n785\r\n560\r\n304\r\n"
                               "202\r\n165\r\n166\r\n60\r\n50\r\n24\r\n";

// A studio with one project "p" numbered from the folders A and B: its photos, its work log
// entry and its project file, so that the folder check reaches the conversion log.
struct Studio {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    QString program() const { return dir.filePath("prog") + u'/'; }
    QString seq() const { return dir.filePath(QStringLiteral("p/連番フォルダ")); }
    QString log() const { return seq() + QStringLiteral("/連番ファイル変換ログ.txt"); }
    QString projectFile() const { return program() + "project00000.txt"; }

    void numberedProject()
    {
        QByteArray record;
        workLogRecord({"p", "2026/12/08 09:05:07", projectFile(), dir.filePath("p"), {}}, &record);
        writeFile(program() + kWorkLogName, record);
        writeFile(
            projectFile(),
            sjis(QStringLiteral("0,0,0,0,0,1,2,%1/A\r\n0,0,0,0,0,3,4,%1/B\r\n").arg(dir.path())));
        for (int i = 1; i <= 4; ++i)
            writeFile(seq() + QString::asprintf("/P%04d.jpg", i), "x");
    }

    QString fileOf(const QString &reader) const
    {
        if (reader.startsWith("history"))
            return program() + kWorkLogName;
        if (reader == "project file")
            return projectFile();
        if (reader == "folder check" || reader == "camera file")
            return log();
        if (reader == "output formats")
            return program() + "outputFmt.def";
        if (reader.startsWith("sizes"))
            return program() + "CustomSize.def";
        if (reader == "title data")
            return titleDataPath(program(), "p");
        return dir.filePath("p.csv");
    }

    // Runs the reader on its file, and gives what it made of it.
    QString run(const QString &reader)
    {
        if (reader == "history") {
            ProjectState state;
            projecttest::started(state, program());
            LoadHistory(state, prompter);
            return QString::number(state.history.count);
        }
        if (reader == "history rewrite") {
            FakeClock clock;
            ManagedHistory history;
            LoadHistoryView(history, program(), clock);
            ToggleDeleteMark(history, 1);
            const bool rewritten = RewriteWorkLog(history, program(), kTitleText, prompter);
            return QStringLiteral("%1 %2").arg(QString::number(history.count()),
                                               rewritten ? "rewritten" : "kept");
        }
        if (reader == "project file") {
            auto table = std::make_unique<FolderTable>();
            const int result = ReadProjectFile(*table, projectFile());
            return QStringLiteral("%1 %2").arg(QString::number(result),
                                               QString::number(table->folderCount));
        }
        if (reader == "folder check") {
            numberedProject();
            return QString::number(CheckFolderLists(program(), kTitleText, prompter).code);
        }
        if (reader == "camera file")
            return cameraFileOf(seq(), 1);
        if (reader == "output formats") {
            OutputFormatSettings settings;
            const OutputFormatStatus status = ReadOutputFormat(program(), &settings);
            return QStringLiteral("%1 %2").arg(QString::number(int(status)), settings.values[0]);
        }
        if (reader == "sizes")
            return QString::number(LoadOutputSizes(program()).count);
        if (reader == "sizes register") {
            OutputSize size = LoadOutputSizes(QString()).sizes[0];
            size.label = "T";
            return QString::number(AppendCustomSize(program(), size));
        }
        if (reader == "title data") {
            TitleFields fields;
            const int result = LoadTitleData(program(), "p", fields, prompter);
            return QStringLiteral("%1 %2").arg(QString::number(result), fields.title);
        }
        ProjectState project;
        projecttest::started(project, program());
        project.saveFolder = dir.filePath("save");
        auto table = std::make_unique<OrderTable>();
        const int result = LoadOrderFile(*table, fileOf(reader), project, prompter);
        return QStringLiteral("%1 %2").arg(QString::number(result),
                                           QString::number(table->orderCount));
    }
};

} // namespace

class TextReadFailureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every text file the program reads, failing after its first lines: what came before the
    // failure is never taken for the whole file, nothing is written from it, and the file
    // stays as it was.
    void failedReadIsNoEndOfFile_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QByteArray>("content"); // {D}: the studio's folder
        QTest::addColumn<int>("linesBefore");    // read whole before the failure
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("boxes"); // {L}: the failing file
        const QByteArray log =
            sjis(QStringLiteral("[0001] {D}/A/IMG_1.jpg, {D}/p/連番フォルダ/P0001.jpg\r\n"
                                "[0002] {D}/A/IMG_2.jpg, {D}/p/連番フォルダ/P0002.jpg\r\n"
                                "[0003] {D}/B/IMG_1.jpg, {D}/p/連番フォルダ/P0003.jpg\r\n"
                                "[0004] {D}/B/IMG_2.jpg, {D}/p/連番フォルダ/P0004.jpg\r\n"));
        const QByteArray workLog = "a\r\nd\r\n/p0\r\n/s0\r\nscode=1\r\nb\r\nd\r\n/p1\r\n/s1\r\n"
                                   "scode=2\r\n";
        QTest::newRow("work log, history") << "history" << workLog << 5 << "0" << QStringList{};
        // Rewritten from the first record, the log would lose the second.
        QTest::newRow("work log, management window")
            << "history rewrite" << workLog << 5 << "0 kept"
            << QStringList{QStringLiteral("作業記録が無いなのでログは保存されません。")};
        QTest::newRow("project file") << "project file"
                                      << QByteArray("0,1,1,1,0,0,0,/a\r\n"
                                                    "0,1,1,1,0,0,0,/b\r\n")
                                      << 1 << "-1 0" << QStringList{};
        QTest::newRow("conversion log, folder check")
            << "folder check" << log << 2 << "-1"
            << QStringList{QStringLiteral("{L}　がオープン出来ませんでした。")};
        QTest::newRow("conversion log, camera file")
            << "camera file" << log << 2 << "" << QStringList{};
        // Without its last two templates the file would pass for an old version.
        QTest::newRow("output formats")
            << "output formats" << QByteArray("%1\r\n%1_%2\r\n/%1\r\n/%1_%2\r\n") << 2 << "0 "
            << QStringList{};
        QTest::newRow("custom sizes")
            << "sizes" << kSizeRecord + kSizeRecord << 16 << "1" << QStringList{};
        QTest::newRow("custom sizes, register")
            << "sizes register" << kSizeRecord + kSizeRecord << 16 << "-1" << QStringList{};
        QTest::newRow("title data")
            << "title data" << QByteArray("T\r\n20\r\nON\r\nON\r\n0\r\nC\r\n20\r\nP\r\nS\r\n") << 1
            << "-6 " << QStringList{};
        QTest::newRow("order file")
            << "order file" << QByteArray("1,1,200,200,5\r\n2,1,200,200,6\r\n") << 1 << "-3 0"
            << QStringList{
                   QStringLiteral("注文ファイルを最後まで読めなかったので読み込めません。")};
    }
    void failedReadIsNoEndOfFile()
    {
        QFETCH(QString, reader);
        QFETCH(QByteArray, content);
        QFETCH(int, linesBefore);
        QFETCH(QStringList, boxes);
        Studio s;
        content.replace("{D}", QFile::encodeName(s.dir.path()));
        const QString file = s.fileOf(reader);
        writeFile(file, content);
        qsizetype failAt = 0;
        for (int k = 0; k < linesBefore; ++k)
            failAt = content.indexOf('\n', failAt) + 1;
        QVERIFY(failAt > 0 && failAt < content.size());
        g_failing = QFileInfo(file).canonicalFilePath();
        g_failAt = failAt;
        const SeamReset reset;
        seams::setFileReadCall(failPartWay);

        QTEST(s.run(reader), "result");
        for (QString &box : boxes)
            box.replace("{L}", file);
        QCOMPARE(s.prompter.texts(), boxes);
        QCOMPARE(readFile(file), content);
    }
};

MF_REGISTER_TEST(TextReadFailureTest)
#include "tst_textreadfailure.moc"
