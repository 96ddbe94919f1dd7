#include "ProjectFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/LocalTime.h"
#include "project/ProjectFile.h"
#include "project/WorkLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace mf;
using namespace projecttest;
using testfiles::sjis;

struct Refusal {
    QString name, folder, code, rowPath;
    int historyCount;
    bool answerNo;
    int result;
    QString box; // empty: the work log question
};
Q_DECLARE_METATYPE(Refusal)

namespace {
QString render(const HistoryEntry &e)
{
    return QStringList{e.projectName, e.savedAt, e.projectFile, e.saveFolder, e.schoolCode}.join(
        u'|');
}

QString confirmText(const QString &name, const QString &date, const QString &file,
                    const QString &folder)
{
    return QStringLiteral(
               "以下のデータを work_log.txt に保存します。よろしいですか？\n\nプロジェクト名\t") +
           name + QStringLiteral("\n日付\t\t") + date + QStringLiteral("\nフォルダ情報\t") + file +
           QStringLiteral("\n保存先フォルダ\t") + folder + u'\n';
}
} // namespace

class WorkLogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("entries");
        const QByteArray two =
            sjis(QStringLiteral("東京\r\nd0\r\n/prog/project00000.txt\r\n/s/東京\r\nscode=12_\r\n"
                                "b\r\nd1\r\n/p1\r\n/s1\r\nscode=\r\n"));
        const QStringList twoRead{QStringLiteral("東京|d0|/prog/project00000.txt|/s/東京|12"),
                                  "b|d1|/p1|/s1|"};
        QTest::newRow("five lines") << two << twoRead;
        QTest::newRow("LF only") << QByteArray(two).replace("\r\n", "\n") << twoRead;
        QTest::newRow("four lines")
            << QByteArray("a\r\nd0\r\n/p0\r\n/s0\r\nb\r\nd1\r\n/p1\r\n/s1\r\n")
            << QStringList{"a|d0|/p0|/s0|", "b|d1|/p1|/s1|"};
        // An older version's log that this version appended to.
        QTest::newRow("four, then five lines")
            << QByteArray("a\r\nd0\r\n/p0\r\n/s0\r\nb\r\nd1\r\n/p1\r\n/s1\r\nscode=1\r\n"
                          "c\r\nd2\r\n/p2\r\n/s2\r\nscode=\r\nd\r\nd3\r\n/p3\r\n/s3\r\n")
            << QStringList{"a|d0|/p0|/s0|", "b|d1|/p1|/s1|1", "c|d2|/p2|/s2|", "d|d3|/p3|/s3|"};
        QTest::newRow("over-long line skipped in its place")
            << "a\nd0\n/p0\n" + QByteArray(9000, 's') + "\nscode=1\nb\nd1\n/p1\n/s1\nscode=\n"
            << QStringList{"a|d0|/p0||1", "b|d1|/p1|/s1|"};
        QTest::newRow("one four-line entry")
            << QByteArray("a\r\nd0\r\n/p0\r\n/s0\r\n") << QStringList{"a|d0|/p0|/s0|"};
        QTest::newRow("incomplete last entry")
            << QByteArray("a\nd0\n/p0\n/s0\nscode=1\nb\nd1\n") << QStringList{"a|d0|/p0|/s0|1"};
        QTest::newRow("code ending in two underscores kept whole")
            << QByteArray("a\nd0\n/p0\n/s0\nscode=7__\n") << QStringList{"a|d0|/p0|/s0|7__"};
        QTest::newRow("empty line, empty field")
            << QByteArray("a\r\n\r\n/p0\r\n/s0\r\nscode=7\r\n") << QStringList{"a||/p0|/s0|7"};
        QTest::newRow("long name and date")
            << QByteArray(300, 'n') + "\r\n" + QByteArray(70, 'd') + "\r\n/p\r\n/s\r\nscode=\r\n"
            << QStringList{QString(250, u'n') + u'|' + QString(60, u'd') + "|/p|/s|"};
        // 1 + 150 x 2 bytes: the 250th byte would split a character, so it is left out.
        QTest::newRow("name cut on a character")
            << sjis(u'a' + QString(150, QChar(0x8868)) + QStringLiteral("\nd\n/p\n/s\nscode=\n"))
            << QStringList{u'a' + QString(124, QChar(0x8868)) + QStringLiteral("|d|/p|/s|")};
    }
    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, entries);
        QTemporaryDir tmp;
        const QString path = tmp.path() + QStringLiteral("/work_log.txt");
        testfiles::writeFile(path, content);
        QList<HistoryEntry> read;
        QVERIFY(readWorkLog(path, &read));
        QStringList rendered;
        for (const HistoryEntry &e : read)
            rendered.append(render(e));
        QCOMPARE(rendered, entries);
    }

    void loadHistory()
    {
        QTemporaryDir tmp;
        ProjectState state;
        started(state, tmp.path());
        ScriptedPrompter prompter;
        QByteArray log;
        for (int i = 0; i < 1003; ++i)
            log += "p" + QByteArray::number(i) + "\r\nd\r\n/f\r\n/s\r\nscode=\r\n";
        testfiles::writeFile(tmp.path() + QStringLiteral("/work_log.txt"), log);
        LoadHistory(state, prompter);
        // The most recent thousand, so every list item can be reopened.
        QCOMPARE(state.history.count, 1000);
        QCOMPARE(state.history.entries[0].projectName, QStringLiteral("p3"));
        QCOMPARE(state.history.entries[999].projectName, QStringLiteral("p1002"));

        // No work log: an empty history and no word.
        QFile::remove(tmp.path() + QStringLiteral("/work_log.txt"));
        LoadHistory(state, prompter);
        QCOMPARE(state.history.count, 0);
        QVERIFY(prompter.boxes.isEmpty());

        // A work log past the size cap: what came before it, and a word.
        const QString logPath = state.programFolder + QStringLiteral("work_log.txt");
        testfiles::writeFile(logPath, "a\r\nd\r\n/f\r\n/s\r\nscode=\r\n" +
                                          QByteArray(kMaxWorkLogBytes, 'x'));
        LoadHistory(state, prompter);
        QCOMPARE(state.history.count, 1);
        QCOMPARE(prompter.texts(), QStringList{msg::workLogTooLarge.arg(logPath)});
        prompter.boxes.clear();
        QFile::remove(logPath);

        state.history.count = 2;
        state.programFolder = tmp.path() + QStringLiteral("/gone/");
        LoadHistory(state, prompter);
        QCOMPARE(state.history.count, 2);
        QCOMPARE(prompter.texts(),
                 QStringList{QStringLiteral("プログラム実行パスが見つかりません。")});
        QCOMPARE(prompter.boxes[0].caption, QString());
    }

    void saveWritesBothFiles()
    {
        QTemporaryDir tmp;
        FakeServices fx;
        ProjectState state;
        const QString prog = tmp.path() + QStringLiteral("/prog/");
        QDir().mkpath(prog);
        started(state, prog);
        state.projectName = QStringLiteral("東京小学校");
        // The longest paths a project holds, 2047 bytes in Shift-JIS, must read back whole.
        state.saveFolder = QStringLiteral("/s") + QString(1022, QChar(0x8868)) + u'a';
        const QString longPath = QStringLiteral("/") + QString(2046, u'f');
        state.schoolCode = QStringLiteral("12");
        putRow(state, QStringLiteral("/写真/表"), {"1", "4", "2", "3"}, "1", "1", "3");
        putRow(state, longPath, {"0", "0", "0", "0"});
        state.dirty = true;
        state.currentHistoryIndex = 3;
        fx.prompter.expect({Answer::Yes, Answer::Yes});
        QCOMPARE(SaveProject(state, fx.services), int(SaveOk));
        QVERIFY(!state.dirty);
        QCOMPARE(SaveProject(state, fx.services), int(SaveOk));

        const QString date = localDateTimeText(fx.clock.dateTime);
        const QString p0 = prog + QStringLiteral("project00000.txt");
        const QString p1 = prog + QStringLiteral("project00001.txt");
        const QByteArray content =
            sjis(QStringLiteral("1,4,2,3,1,1,3,/写真/表\r\n0,0,0,0,0,0,0,") + longPath + "\r\n");
        QCOMPARE(testfiles::readFile(p0), content);
        QCOMPARE(testfiles::readFile(p1), content);
        QByteArray log;
        QStringList questions;
        for (const QString &file : {p0, p1}) {
            log += sjis(
                QStringList{state.projectName, date, file, state.saveFolder, "scode=12", ""}.join(
                    QStringLiteral("\r\n")));
            questions.append(confirmText(state.projectName, date, file, state.saveFolder));
        }
        QCOMPARE(testfiles::readFile(prog + kWorkLogName), log);
        QCOMPARE(fx.prompter.texts(), questions);
        QVERIFY(fx.prompter.boxes[0].question && !fx.prompter.boxes[0].warningIcon);
        QCOMPARE(fx.prompter.boxes[0].buttons, Buttons::YesNo);
        QVERIFY(allCaptioned(fx.prompter, kTitleText));
        QCOMPARE(state.history.count, 2);
        QCOMPARE(render(state.history.entries[1]),
                 QStringList({state.projectName, date, p1, state.saveFolder, "12"}).join(u'|'));
        QCOMPARE(state.currentHistoryIndex, 3);

        QList<HistoryEntry> back;
        QVERIFY(readWorkLog(prog + kWorkLogName, &back));
        QCOMPARE(back.size(), 2);
        QCOMPARE(render(back[1]), render(state.history.entries[1]));
        ProjectState reopened;
        QCOMPARE(LoadProjectFile(reopened, p1), 0);
        QCOMPARE(listedPaths(reopened), QStringLiteral("/写真/表,") + longPath);
    }

    void saveRefused_data()
    {
        QTest::addColumn<Refusal>("r");
        const QString setBoth =
            QStringLiteral("プロジェクト名と保存先フォルダを設定してください。");
        const QString full = QStringLiteral("作業記録がいっぱいなのでログは保存されません。");
        const QString ko = QStringLiteral("한"), p = QStringLiteral("p");
        const QString cannot = msg::notEncodable.arg(p);
        QTest::newRow("no name") << Refusal{"", "/s", "", "/a", 0, false, -5, setBoth};
        QTest::newRow("declined") << Refusal{p, "/s", "", "/a", 0, true, -5, ""};
        QTest::newRow("history full") << Refusal{p, "/s", "", "/a", 1000, false, -3, full};
        QTest::newRow("name") << Refusal{p + ko, "/s",  "", "/a",
                                         0,      false, -7, msg::notEncodable.arg(p + ko)};
        QTest::newRow("folder") << Refusal{p, "/s" + ko, "", "/a", 0, false, -7, cannot};
        QTest::newRow("code") << Refusal{p, "/s", ko, "/a", 0, false, -7, cannot};
        QTest::newRow("listed path") << Refusal{p, "/s", "", "/a" + ko, 0, false, -7, cannot};
        for (const QString &bad : {QStringLiteral("\n"), QStringLiteral("\r"), QStringLiteral("\t"),
                                   QStringLiteral("\x1a")}) {
            const QString control = msg::controlCharacters.arg(p + bad);
            QTest::addRow("name %d", bad[0].unicode())
                << Refusal{p + bad, "/s", "", "/a", 0, false, -9, control};
            QTest::addRow("folder %d", bad[0].unicode())
                << Refusal{p, p + bad, "", "/a", 0, false, -9, control};
            QTest::addRow("code %d", bad[0].unicode())
                << Refusal{p, "/s", p + bad, "/a", 0, false, -9, control};
        }
    }
    void saveRefused()
    {
        QFETCH(Refusal, r);
        QTemporaryDir tmp;
        FakeServices fx;
        ProjectState state;
        started(state, tmp.path());
        state.projectName = r.name;
        state.saveFolder = r.folder;
        state.schoolCode = r.code;
        putRow(state, r.rowPath, {"0", "0", "0", "0"});
        state.history.count = r.historyCount;
        state.dirty = true;
        if (r.answerNo)
            fx.prompter.expect(Answer::No);
        QCOMPARE(SaveProject(state, fx.services), r.result);
        const QString date = localDateTimeText(fx.clock.dateTime);
        const QString box =
            !r.box.isEmpty()
                ? r.box
                : confirmText(r.name, date, projectFilePath(state.programFolder, 0), r.folder);
        QCOMPARE(fx.prompter.texts(), QStringList{box});
        QVERIFY(!fx.prompter.unexpectedQuestion);
        QVERIFY(allCaptioned(fx.prompter, kTitleText));
        QVERIFY(QDir(tmp.path()).isEmpty());
        QCOMPARE(state.history.count, r.historyCount);
        QVERIFY(state.dirty);
    }

    void saveWriteFails_data()
    {
        QTest::addColumn<bool>("logIsFolder"); // otherwise the program folder is a plain file
        QTest::newRow("work log is a folder") << true;
        QTest::newRow("program folder is a file") << false;
    }
    void saveWriteFails()
    {
        QFETCH(bool, logIsFolder);
        QTemporaryDir tmp;
        FakeServices fx;
        ProjectState state;
        const QString prog = tmp.path() + QStringLiteral("/prog");
        const QString log = prog + u'/' + kWorkLogName;
        const QString file = prog + QStringLiteral("/project00000.txt");
        if (logIsFolder)
            QDir().mkpath(log);
        else
            testfiles::writeFile(prog, "not a folder");
        started(state, prog);
        state.projectName = QStringLiteral("p");
        state.saveFolder = QStringLiteral("/s");
        putRow(state, QStringLiteral("/a"), {"0", "0", "0", "0"});
        state.dirty = true;
        fx.prompter.expect(Answer::Yes);
        QCOMPARE(SaveProject(state, fx.services), int(SaveWriteFailed));
        QCOMPARE(fx.prompter.texts().size(), 2);
        QCOMPARE(fx.prompter.texts().last(), msg::saveFailed.arg(logIsFolder ? log : file));
        QVERIFY(allCaptioned(fx.prompter, kTitleText));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(QDir(logIsFolder ? prog : tmp.path()).count(), 3u); // ".", ".." and one entry
        QCOMPARE(state.history.count, 0);
        QVERIFY(state.dirty);
    }
};

MF_REGISTER_TEST(WorkLogTest)
#include "tst_worklog.moc"
