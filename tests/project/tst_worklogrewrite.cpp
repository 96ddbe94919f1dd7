#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/FileSystemSeams.h"
#include "project/WorkLog.h"
#include "project/WorkLogRewrite.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace mf;
using testfiles::readFile;
using testfiles::writeFile;

namespace {

const QString kCaption = QStringLiteral("Velmora\u3000");

QByteArray records(int from, int to)
{
    QByteArray out;
    for (int i = from; i < to; ++i)
        out += "p" + QByteArray::number(i) + "\r\nd\r\n/f\r\n/s\r\nscode=" + QByteArray::number(i) +
               "\r\n";
    return out;
}

// A name that another copy of the program takes while a backup is being copied.
QString g_takenWhileCopying;

void takeNameWhileCopying(seams::CopyPoint point)
{
    if (point == seams::CopyPoint::TemporaryCreated && !g_takenWhileCopying.isEmpty())
        writeFile(std::exchange(g_takenWhileCopying, QString()), "other");
}

QStringList fieldsOf(const HistoryEntry &e)
{
    return {e.projectName, e.savedAt, e.projectFile, e.saveFolder, e.schoolCode};
}

// A work log as years of saves, older versions and hand edits leave it: four- and five-line
// records, line ends of every kind, lines around the reader's 8191 bytes, stray CR and 0x1A,
// Shift-JIS, codes with underscores, and an end anywhere.
QByteArray randomWorkLog(QRandomGenerator &rng)
{
    static const QByteArray ends[] = {"\r\n", "\n", "\r\n", "\x1a\n", "\r\r\n"};
    static const char bytes[] = {'a', 'z', '_', '/', '\r', '\x1a', ' ', '\x82', '\xa0'};
    auto text = [&](int length) {
        QByteArray t(length, 'x');
        for (char &c : t)
            c = bytes[rng.bounded(int(sizeof bytes))];
        return t;
    };
    auto length = [&] {
        switch (rng.bounded(6)) {
        case 0: return 8189 + rng.bounded(5); // around the reader's room
        case 1: return rng.bounded(2);
        default: return rng.bounded(12);
        }
    };
    QByteArray log;
    const int records = rng.bounded(7);
    for (int r = 0; r < records; ++r) {
        for (int line = 0; line < 4; ++line)
            log += text(length()) + ends[rng.bounded(5)];
        if (rng.bounded(3) > 0)
            log += "scode=" + text(rng.bounded(3) == 0 ? length() - 6 : rng.bounded(5)) +
                   QByteArray(rng.bounded(3), '_') + ends[rng.bounded(5)];
    }
    switch (rng.bounded(4)) {
    case 0: // the last line end missing
        while (!log.isEmpty() && (log.endsWith('\n') || log.endsWith('\r')))
            log.chop(1);
        break;
    case 1: log.truncate(rng.bounded(int(log.size()) + 1)); break;
    case 2: log += '\x1a'; break;
    default: break;
    }
    return log;
}

} // namespace

class WorkLogRewriteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rewrite_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QList<int>>("marks"); // rows
        QTest::addColumn<QByteArray>("expected");

        const QByteArray a = "a\r\nd0\r\n/p0\r\n/s0\r\nscode=1\r\n";
        const QByteArray b =
            testfiles::sjis(QStringLiteral("東京\r\nd1\r\n/p1\r\n/s1\r\nscode=\r\n"));
        QTest::newRow("marked record left out") << a + b << QList<int>{1} << b;
        QTest::newRow("every record marked") << a + b << QList<int>{1, 2} << QByteArray();
        QTest::newRow("four-line records gain a code line")
            << QByteArray("a\r\nd0\r\n/p0\r\n/s0\r\nb\nd1\n/p1\n/s1") << QList<int>{}
            << QByteArray("a\r\nd0\r\n/p0\r\n/s0\r\nscode=\r\nb\r\nd1\r\n/p1\r\n/s1\r\nscode=\r\n");
        // The shown code, and so the prefix, stays what it was: "7__" is not made "7_".
        QTest::newRow("one trailing underscore dropped, a double one kept")
            << QByteArray("a\nd\n/p\n/s\nscode=123_\nb\nd\n/p\n/s\nscode=_\n"
                          "c\nd\n/p\n/s\nscode=7__\n")
            << QList<int>{}
            << QByteArray("a\r\nd\r\n/p\r\n/s\r\nscode=123\r\nb\r\nd\r\n/p\r\n/s\r\nscode=\r\n"
                          "c\r\nd\r\n/p\r\n/s\r\nscode=7__\r\n");
        // Cut for the grid, undecodable, or too long to read: written back as they were.
        const QByteArray odd = QByteArray(300, 'n') + "\x81\xff\r\n\r\n/p\r\n" +
                               QByteArray(9000, 's') + "\r\nscode=7\r\n";
        QTest::newRow("bytes as read") << odd + a << QList<int>{2} << odd;
        QTest::newRow("one-byte last line stays empty")
            << QByteArray("a\r\nd\r\n/p\r\ns") << QList<int>{}
            << QByteArray("a\r\nd\r\n/p\r\n\r\nscode=\r\n");
        QTest::newRow("trailing incomplete record kept") << a + b + "c\r\nd\n"
                                                         << QList<int>{2} << a + "c\r\nd\n";
        QTest::newRow("records beyond the thousand kept")
            << records(0, 1100) << QList<int>{1000} << records(0, 999) + records(1000, 1100);
    }
    void rewrite()
    {
        QFETCH(QByteArray, log);
        QFETCH(QList<int>, marks);
        QFETCH(QByteArray, expected);
        QTemporaryDir tmp;
        const QString program = tmp.path() + u'/';
        writeFile(program + kWorkLogName, log);
        FakeClock clock;
        ScriptedPrompter prompter;
        ManagedHistory history;
        LoadHistoryView(history, program, clock);
        for (int row : marks)
            ToggleDeleteMark(history, row);
        QVERIFY(RewriteWorkLog(history, program, kCaption, prompter));
        QCOMPARE(prompter.boxes.size(), 0);
        QVERIFY(!history.modified);
        QCOMPARE(readFile(program + kWorkLogName), expected);
        QCOMPARE(readFile(program + QStringLiteral("work_log00000.txt")), log);
    }

    // Reading the rewritten log gives what reading the old one gave, less the marked records.
    void rewriteKeepsWhatTheHistoryReads()
    {
        QTemporaryDir tmp;
        const QString before = tmp.filePath("before.txt"), after = tmp.filePath("after.txt");
        QRandomGenerator rng(20261208);
        for (int round = 0; round < 600; ++round) {
            const QByteArray log = randomWorkLog(rng);
            // Removed, not overwritten: the file system flushes a file truncated to nothing.
            QFile::remove(before);
            QFile::remove(after);
            writeFile(before, log);
            QList<HistoryEntry> read;
            WorkLogView view;
            QVERIFY(readWorkLog(before, &read) && readWorkLogRecords(before, &view));
            QCOMPARE(view.records.size(), read.size());
            QList<bool> marked;
            QList<QStringList> expected;
            for (const HistoryEntry &e : read) {
                marked.append(rng.bounded(3) == 0);
                if (!marked.last())
                    expected.append(fieldsOf(e));
            }
            writeFile(after, workLogWithout(view, marked));
            QList<HistoryEntry> reread;
            QVERIFY(readWorkLog(after, &reread));
            QList<QStringList> got;
            for (const HistoryEntry &e : reread)
                got.append(fieldsOf(e));
            if (got != expected)
                qWarning("round %d", round);
            QCOMPARE(got, expected);
        }
    }

    void shownFields()
    {
        QTemporaryDir tmp;
        const QString program = tmp.path() + u'/';
        writeFile(program + kWorkLogName, records(0, 1001) + "a\nscode=9_\n\n/s\nscode=1_\n");
        FakeClock clock;
        ManagedHistory history;
        LoadHistoryView(history, program, clock);
        // The first thousand, not the latest as in the main window's list.
        QCOMPARE(history.count(), 1000);
        QCOMPARE(history.log.records[999].entry.projectName, QStringLiteral("p999"));
        QCOMPARE(history.log.records[999].entry.schoolCode, QStringLiteral("999"));

        writeFile(program + kWorkLogName, "a\nscode=9_\n\n/s\nscode=123_\n");
        LoadHistoryView(history, program, clock);
        QCOMPARE(history.count(), 1);
        const HistoryEntry &e = history.log.records[0].entry;
        QCOMPARE(QStringList({e.projectName, e.savedAt, e.projectFile, e.saveFolder, e.schoolCode}),
                 QStringList({"a", "scode=9_", "", "/s", "123"}));
    }

    void backups()
    {
        QTemporaryDir tmp;
        const QString program = tmp.path() + u'/';
        const QByteArray first = records(0, 3);
        writeFile(program + kWorkLogName, first);
        FakeClock clock;
        ScriptedPrompter prompter;
        ManagedHistory history;
        LoadHistoryView(history, program, clock);
        ToggleDeleteMark(history, 1);
        QVERIFY(RewriteWorkLog(history, program, kCaption, prompter));
        LoadHistoryView(history, program, clock);
        QVERIFY(RewriteWorkLog(history, program, kCaption, prompter));
        QCOMPARE(readFile(program + QStringLiteral("work_log00000.txt")), first);
        QCOMPARE(readFile(program + QStringLiteral("work_log00001.txt")), records(1, 3));

        // A freed number is taken again; a taken one, even by a folder, is never replaced.
        QFile::remove(program + QStringLiteral("work_log00000.txt"));
        QVERIFY(RewriteWorkLog(history, program, kCaption, prompter));
        QCOMPARE(readFile(program + QStringLiteral("work_log00000.txt")), records(1, 3));
        QDir().mkdir(program + QStringLiteral("work_log00002.txt"));
        QVERIFY(RewriteWorkLog(history, program, kCaption, prompter));
        QCOMPARE(readFile(program + QStringLiteral("work_log00003.txt")), records(1, 3));
        QCOMPARE(readFile(program + QStringLiteral("work_log00001.txt")), records(1, 3));
        // Nor one taken while the backup is copied: the next number is taken.
        g_takenWhileCopying = program + QStringLiteral("work_log00004.txt");
        seams::setCopyPointHook(takeNameWhileCopying);
        const bool rewritten = RewriteWorkLog(history, program, kCaption, prompter);
        seams::setCopyPointHook(nullptr);
        QVERIFY(rewritten);
        QCOMPARE(readFile(program + QStringLiteral("work_log00004.txt")), QByteArray("other"));
        QCOMPARE(readFile(program + QStringLiteral("work_log00005.txt")), records(1, 3));
        QCOMPARE(prompter.boxes.size(), 0);
    }

    void failures()
    {
        QTemporaryDir tmp;
        const QString program = tmp.path() + u'/';
        const QByteArray log = "a\r\nd\r\n/p\r\n/s\r\nb\r\nd\r\n/p\r\n/s\r\n";
        writeFile(program + kWorkLogName, log);
        FakeClock clock;
        ScriptedPrompter prompter;
        ManagedHistory history;
        LoadHistoryView(history, program, clock);
        ToggleDeleteMark(history, 2);
        ToggleDeleteMark(history, 2);

        // The new log, with its code lines, outgrows what the disk still takes.
        const int rc = testfiles::runWithFileSizeLimit(log.size() + 4, [&] {
            const bool ok = RewriteWorkLog(history, program, kCaption, prompter);
            return !ok && history.modified &&
                           prompter.texts() == QStringList{msg::workLogWriteFailed}
                       ? 0
                       : 1;
        });
        QCOMPARE(rc, 0);
        QCOMPARE(readFile(program + kWorkLogName), log);
        QCOMPARE(readFile(program + QStringLiteral("work_log00000.txt")), log);

        // Killed half way through the backup (the size limit ends the process as a kill
        // would): no cut backup takes a backup's name.
        writeFile(program + kWorkLogName, records(0, 200));
        QCOMPARE(testfiles::runInChild([&] {
                     const rlimit noCore{0, 0}, limit{4096, 4096};
                     setrlimit(RLIMIT_CORE, &noCore);
                     setrlimit(RLIMIT_FSIZE, &limit);
                     return RewriteWorkLog(history, program, kCaption, prompter) ? 1 : 2;
                 }),
                 -1);
        QVERIFY(!QFile::exists(program + QStringLiteral("work_log00001.txt")));
        writeFile(program + kWorkLogName, log);

        QVERIFY(!RewriteWorkLog(history, program + QStringLiteral("gone/"), kCaption, prompter));
        ManagedHistory empty;
        QVERIFY(!RewriteWorkLog(empty, program, kCaption, prompter));
        QVERIFY(QFile::exists(program + QStringLiteral("work_log00001.txt")));
        // A folder where the log should be: nothing to back up.
        QFile::remove(program + kWorkLogName);
        QDir().mkdir(program + kWorkLogName);
        QVERIFY(!RewriteWorkLog(history, program, kCaption, prompter));
        QCOMPARE(
            prompter.texts(),
            (QStringList{
                QStringLiteral("プログラム実行パスが見つかりません。"),
                QStringLiteral("作業記録が無いなのでログは保存されません。"),
                QStringLiteral("worklog.txt\u3000のバックアップが出来なかったので中断します。")}));
        for (const RecordedBox &box : prompter.boxes)
            QCOMPARE(box.caption, kCaption);
    }

    void selection()
    {
        QTemporaryDir tmp;
        const QString program = tmp.path() + u'/';
        writeFile(program + kWorkLogName, records(0, 2));
        FakeClock clock;
        ManagedHistory history;
        LoadHistoryView(history, program, clock);
        struct Step {
            quint64 after;
            int row, column;
            bool handled;
            QList<bool> marks;
        };
        const Step steps[] = {
            {0, 1, 2, false, {false, false}},  // row 1 is selected: a repeat right after showing
            {500, 1, 2, true, {true, false}},  // a click on the name marks
            {499, 1, 2, false, {true, false}}, // the second click of a double click
            {1, 1, 2, true, {false, false}},   // 500 ms after the first: unmarks
            {10, 2, 2, true, {false, true}},   // another row at once
            {600, 2, 3, true, {false, true}},  // not the name: selects only
            {600, 3, 2, true, {false, true}},  // below the last record
        };
        for (const Step &s : steps) {
            clock.now_ms += s.after;
            QCOMPARE(selectHistoryCell(history, clock, s.row, s.column), s.handled);
            QCOMPARE(history.marked, s.marks);
        }
        QCOMPARE(history.selectedRow, 3);
        history.modified = false;
        ToggleDeleteMark(history, 3);
        QVERIFY(!history.modified);
    }
};

MF_REGISTER_TEST(WorkLogRewriteTest)
#include "tst_worklogrewrite.moc"
