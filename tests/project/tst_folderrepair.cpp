#include "ProjectFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "numbering/Sequence.h"
#include "project/FolderList.h"
#include "project/FolderRepair.h"
#include "project/ProjectFields.h"
#include "project/ProjectFile.h"
#include "project/WorkLog.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace mf;
using testfiles::readFile;
using testfiles::sjis;
using testfiles::writeFile;

namespace {

const QString kLogName = QStringLiteral("連番ファイル変換ログ.txt");

// A program folder with a work log, and projects whose save folders hold numbered photos.
struct Studio {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    QString program() const { return dir.filePath("prog") + u'/'; }

    void addHistory(const QString &name, const QString &projectFile, const QString &saveFolder)
    {
        QByteArray record;
        workLogRecord({name, "2026/12/08 09:05:07", projectFile, saveFolder, {}}, &record);
        QDir().mkpath(program());
        QFile f(program() + kWorkLogName);
        f.open(QIODevice::Append);
        f.write(record);
    }
    // A project "name" whose numbered folder holds photos 1 to count and the given log lines.
    QString addProject(const QString &name, const QByteArray &projectFile, int count,
                       const QList<QPair<QString, int>> &sources)
    {
        const QString save = dir.filePath(name);
        const QString seq = save + QStringLiteral("/連番フォルダ");
        QByteArray log;
        int n = 0;
        for (const auto &[folder, photos] : sources) {
            for (int i = 1; i <= photos; ++i) {
                ++n;
                log += sjis(QStringLiteral("[%1] %2/IMG_%3.jpg, %4/P%5.jpg\r\n")
                                .arg(QString::asprintf("%04d", n), folder)
                                .arg(i)
                                .arg(seq, QString::asprintf("%04d", n)));
            }
        }
        for (int i = 1; i <= count; ++i)
            writeFile(seq + QString::asprintf("/P%04d.jpg", i), "x");
        writeFile(seq + u'/' + kLogName, log);
        // A numbering's mark beside the photos is no photo of the project.
        writeFile(seq + QStringLiteral("/連番ファイル作成中.txt"),
                  sjis("連番ファイルの作成中です。"));
        const QString file = program() + name + ".txt";
        writeFile(file, projectFile);
        addHistory(name, file, save);
        return file;
    }
    FolderCheckResult run() { return CheckFolderLists(program(), kTitleText, prompter); }
};

} // namespace

class FolderRepairTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A message template that no longer fits the arguments the check fills it with.
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("does not fit"))); }

    void parsesLogLinesByStructure_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("number"); // -1: not readable
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("folder");
        const QString t = QStringLiteral(", /s/連番フォルダ/P0001.jpg");
        QTest::newRow("four digits") << "[0007] /a/b/x.jpg" + t << 7 << "/a/b/x.jpg"
                                     << "/a/b";
        QTest::newRow("five digits") << "[12345] /a/x.jpg" + t << 12345 << "/a/x.jpg"
                                     << "/a";
        QTest::newRow("comma in source") << "[0001] /a, b/x,y.jpg" + t << 1 << "/a, b/x,y.jpg"
                                         << "/a, b";
        QTest::newRow("root folder") << "[0001] /x.jpg" + t << 1 << "/x.jpg"
                                     << "/";
        QTest::newRow("save folder moved")
            << "[0002] /a, b/x.jpg, /old/連番フォルダ/P0002.jpg" << 2 << "/a, b/x.jpg"
            << "/a, b";
        QTest::newRow("no target") << "[0001] /a/x.jpg" << -1 << ""
                                   << "";
        QTest::newRow("no number") << "[] /a/x.jpg" + t << -1 << ""
                                   << "";
        QTest::newRow("letters in number") << "[00a1] /a/x.jpg" + t << -1 << ""
                                           << "";
        QTest::newRow("no bracket") << "0001 /a/x.jpg" + t << -1 << ""
                                    << "";
    }
    void parsesLogLinesByStructure()
    {
        QFETCH(QString, line);
        QFETCH(int, number);
        QFETCH(QString, source);
        QFETCH(QString, folder);
        ConversionLogLine parsed;
        QCOMPARE(parseConversionLogLine(line, QStringLiteral("/s/連番フォルダ"), &parsed),
                 number >= 0);
        if (number < 0)
            return;
        QCOMPARE(parsed.number, number);
        QCOMPARE(parsed.source, source);
        QCOMPARE(sourceFolderOfPath(parsed.source), folder);
    }

    // What the check says and asks in each case, word for word. In the expected texts {N} is the
    // project name, {D} its save folder, {S} the numbered folder, {L} the conversion log and {F}
    // the project file. Folders A, B and X lie in the temporary folder.
    void messages_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("boxes");
        const QString none =
            QStringLiteral("修正する必要のあるプロジェクトは見つかりませんでした。");
        const QString ask = QStringLiteral("{N}　はフォルダ情報と連番フォルダ内のファイル情報が違っ"
                                           "ています。\n修正してよろしいですか？");
        auto counts = [](int listed, int runs, int unnumbered = 0) {
            return QStringLiteral(
                       "{L}　のカウントが違います。\nフォルダ情報ファイル　{F} フォルダ数[") +
                   QString::number(listed) + QStringLiteral(" ] - 連番未作成フォルダ数　[") +
                   QString::number(unnumbered) +
                   QStringLiteral("]\n連番ファイル変換ログ.txt フォルダ数[") +
                   QString::number(runs) + u']';
        };
        QTest::newRow("no history")
            << "no history" << QList<Answer>{}
            << QStringList{QStringLiteral("プロジェクト履歴がありません。")};
        QTest::newRow("no save folder")
            << "no save folder" << QList<Answer>{}
            << QStringList{
                   QStringLiteral("{N}　はプロジェクトの保存先フォルダが存在しないのでスキッ"
                                  "プします。\n{D}"),
                   none};
        QTest::newRow("no numbered folder")
            << "no numbered folder" << QList<Answer>{}
            << QStringList{
                   QStringLiteral("{N}　は連番フォルダが存在しないのでスキップします。\n{S}"),
                   none};
        QTest::newRow("no photos")
            << "no photos" << QList<Answer>{}
            << QStringList{QStringLiteral("{N}　は連番フォルダにｊｐｇファイ"
                                          "ルが存在しないのでスキップします。"
                                          "\n{S}"),
                           none};
        QTest::newRow("all photos counted, looked at")
            << "0,50,50,50,0,1,50,{A}\r\n0,30,30,30,0,51,80,{B}" << QList<Answer>{Answer::No}
            << QStringList{
                   QStringLiteral("{N}　は全ｊｐｇファイル数が連番フォルダ内のファイル数と同"
                                  "じです。\n恐らく問題は無いと思われますがスキップしてよろ"
                                  "しいですか？"),
                   none};
        QTest::newRow("direct photos counted, skipped")
            << "0,99,80,99,0,1,70,{A}" << QList<Answer>{Answer::Yes}
            << QStringList{QStringLiteral("{N}　は直下ｊｐｇファイル数が連番フォルダ内のファイル数"
                                          "と同じです。\n恐らく問題は無いと思われますがスキップして"
                                          "よろしいですか？"),
                           none};
        QTest::newRow("counts differ") << "0,50,50,50,0,1,50,{A}" << QList<Answer>{Answer::No}
                                       << QStringList{counts(1, 2), ask, none};
        QTest::newRow("subfolders expanded")
            << "0,40,40,40,1,1,40,{A}\r\n0,39,39,39,0,41,80,{B}" << QList<Answer>{Answer::No}
            << QStringList{
                   QStringLiteral("{F}　は[サブフォルダを含む]設定になっているので展開されま"
                                  "す。"),
                   ask, none};
        QTest::newRow("200 runs expanded")
            << "200 runs" << QList<Answer>{Answer::No}
            << QStringList{
                   QStringLiteral("{F}　は[サブフォルダを含む]設定になっているので展開されま"
                                  "す。"),
                   ask, none};
        // A project file holds 200 folders: 201 runs never pair up with its entries, and a
        // repaired file of 201 lines could not be read back.
        QTest::newRow("201 runs")
            << "201 runs" << QList<Answer>{}
            << QStringList{
                   counts(200, 201),
                   QStringLiteral("{N}　は修正後のフォルダ情報をプロジェクトファイルとして読"
                                  "み込めない（フォルダ数が200を超える、またはパスにカンマ"
                                  "、タブ、改行、Shift-JISで表せない文字が含まれる）ので修"
                                  "正しません。"),
                   QStringLiteral("1 つのプロジェクトは安全に修正出来ないので修正していませ"
                                  "ん。")};
        QTest::newRow("never numbered between numbered")
            << "0,50,50,50,0,1,50,{A}\r\n0,4,4,4,0,0,0,{X}\r\n0,30,30,30,0,51,80,{B}"
            << QList<Answer>{} << QStringList{none};
        QTest::newRow("project file missing")
            << "missing" << QList<Answer>{Answer::Yes}
            << QStringList{counts(0, 2), ask, QStringLiteral("{F} を修正保存しました。\n"),
                           QStringLiteral("1 つのプロジェクトを修正しました。")};
        // Numbered, then killed before the save: the list is the one saved before, without
        // numbers. Repaired to the log's folders once each, not once numbered and once again
        // unnumbered for the next append to number a second time.
        QTest::newRow("killed before the save")
            << "0,0,0,0,0,0,0,{A}\r\n0,0,0,0,1,0,0,{B}" << QList<Answer>{Answer::Yes}
            << QStringList{counts(2, 2, 2), ask,
                           QStringLiteral("古い間違ったフォルダ情報定義ファイル　{F}　は以下のフ"
                                          "ァイル名に改名されました。\n\n{K}"),
                           QStringLiteral("{F} を修正保存しました。\n元のファイルは {K} に改名さ"
                                          "れました。"),
                           QStringLiteral("1 つのプロジェクトを修正しました。")};
        QTest::newRow("rename fails")
            << "0,50,50,50,0,1,50,{A}" << QList<Answer>{Answer::Yes}
            << QStringList{counts(1, 2), ask, QStringLiteral("{F}　を改名出来ませんでした。"),
                           QStringLiteral("1 つのプロジェクトは修正保存出来ませんでした。")};
    }
    void messages()
    {
        QFETCH(QString, setup);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, boxes);
        Studio s;
        // A name as long as a file name may be: the backup's leading "_" makes it too long.
        const QString name = QString::fromLatin1(QTest::currentDataTag()) == "rename fails"
                                 ? QString(251, u'p')
                                 : QStringLiteral("p");
        const QString save = s.dir.filePath(name);
        const QString seq = save + QStringLiteral("/連番フォルダ");
        const QString a = s.dir.filePath("A"), b = s.dir.filePath("B");
        QString file = s.program() + name + ".txt";
        if (setup == "no save folder" || setup == "no numbered folder" || setup == "no photos") {
            if (setup != "no save folder")
                QDir().mkpath(setup == "no photos" ? seq : save);
            s.addHistory(name, file, save);
        } else if (setup.endsWith("runs")) {
            const int runs = setup.left(3).toInt();
            QByteArray lines;
            QList<QPair<QString, int>> sources;
            for (int i = 0; i < runs; ++i) {
                const QString folder = s.dir.filePath(QStringLiteral("F%1").arg(i));
                sources.append({folder, 1});
                if (i < 200) // the first with its subfolders, and numbers the log does not give
                    lines += sjis(QStringLiteral("0,0,0,0,") + (i == 0 ? "1," : "0,") +
                                  QString::number(i + 1) + u',' +
                                  QString::number(i == 0 ? 2 : i + 1) + u',' + folder + "\r\n");
            }
            s.addProject(name, lines, runs, sources);
        } else if (setup != "no history") {
            QString content = setup == "missing" ? QString() : setup;
            content.replace("{A}", a).replace("{B}", b).replace("{X}", s.dir.filePath("X"));
            s.addProject(name, sjis(content + "\r\n"), 80, {{a, 50}, {b, 30}});
            if (setup == "missing")
                QFile::remove(file);
        }
        for (Answer answer : answers)
            s.prompter.expect(answer);
        const QByteArray before = readFile(file);

        QCOMPARE(s.run().code, 0);
        for (QString &box : boxes)
            box.replace("{N}", name.left(250)) // as much of a name as the history keeps
                .replace("{D}", save)
                .replace("{S}", seq)
                .replace("{L}", seq + u'/' + kLogName)
                .replace("{F}", file)
                .replace("{K}", s.program() + u'_' + name + ".txt");
        QCOMPARE(s.prompter.texts(), boxes);
        QCOMPARE(s.prompter.pendingAnswers(), 0);
        QVERIFY(!s.prompter.unexpectedQuestion);
        for (const RecordedBox &box : s.prompter.boxes) {
            QCOMPARE(box.caption, kTitleText);
            QCOMPARE(box.warningIcon,
                     box.text.endsWith(QStringLiteral("修正してよろしいですか？")));
        }
        if (!boxes.contains(QStringLiteral("1 つのプロジェクトを修正しました。")))
            QCOMPARE(readFile(file), before);
        else // every repair here is to the log's two folders
            QCOMPARE(readFile(file),
                     sjis("0,50,50,50,0,1,50," + a + "\r\n0,30,30,30,0,51,80," + b + "\r\n"));
    }

    // A project numbered by our own numbering, one folder with its subfolders taken, is never
    // offered for repair.
    void ownNumberingNeedsNoRepair()
    {
        QTemporaryDir dir;
        FakeServices fakes;
        ProjectState state;
        projecttest::started(state, dir.filePath("prog"));
        setupGrid(state);
        setProjectName(state, "event");
        setSaveFolder(state, dir.filePath("save"));
        testfiles::makePhotoFolder(dir.filePath("a"), 3);
        testfiles::makePhotoFolder(dir.filePath("b"), 2);
        testfiles::makePhotoFolder(dir.filePath("b/inner"), 2);
        testfiles::makePhotoFolder(dir.filePath("c"), 1);
        for (const char *f : {"a", "b", "c"})
            QVERIFY(AddFolder(state, fakes.prompter, dir.filePath(f)));
        state.grid.setCell(2, ColInclude, "1");
        state.folders.entries[1].includeSubfolders = 1;
        SequenceHooks hooks;
        hooks.askStartNumber = [](int) { return 1; };
        hooks.saveProject = [] { return 0; };
        QCOMPARE(CreateSequentialFiles(state, fakes.services, hooks), 0);
        testfiles::makePhotoFolder(dir.filePath("d"), 1); // listed, never numbered
        QVERIFY(AddFolder(state, fakes.prompter, dir.filePath("d")));

        Studio studio;
        QByteArray content;
        QVERIFY(projectFileContent(state, &content));
        const QString file = studio.program() + "p.txt";
        writeFile(file, content);
        studio.addHistory("event", file, state.saveFolder);
        studio.prompter.expect(Answer::No); // the JPEG count question: look closer
        const FolderCheckResult r = studio.run();
        QCOMPARE(r.code, 0);
        QCOMPARE(studio.prompter.texts().last(), msg::repairNoneNeeded);
        QVERIFY(!studio.prompter.unexpectedQuestion);
        QCOMPARE(readFile(file), content);
        QCOMPARE(r.memo.size(), 5); // the log and four runs
    }

    // Photos 1-50 from A and 51-80 from B, the file giving B 51-79: repaired after Yes, three
    // times, keeping every older version; a folder never numbered is kept.
    void repairsFromTheLog()
    {
        Studio s;
        const QString a = s.dir.filePath("A"), b = s.dir.filePath("B");
        const QByteArray old = sjis("0,50,50,50,0,1,50," + a + "\r\n0,29,29,29,0,51,79," + b +
                                    "\r\n0,4,4,4,0,0,0,/new\r\n");
        const QString file = s.addProject("proj", old, 80, {{a, 50}, {b, 30}});
        const QByteArray repaired = sjis("0,50,50,50,0,1,50," + a + "\r\n0,30,30,30,0,51,80," + b +
                                         "\r\n0,4,4,4,0,0,0,/new\r\n");
        const QString log = s.dir.filePath("proj") + "/連番フォルダ/" + kLogName;
        const QString backup = s.program() + "_proj.txt";
        s.prompter.expect(Answer::Yes);
        FolderCheckResult r = s.run();
        QCOMPARE(r.code, 0);
        QCOMPARE(r.repaired, 1);
        QCOMPARE(s.prompter.texts(),
                 QStringList({log + "　のデータが違います。\n" + file + " [51][79][" + b +
                                  "]\n変換ログ [51][80][" + b + "]",
                              "proj　はフォルダ情報と連番フォルダ内のファイル情報が違っています。"
                              "\n修正してよろしいですか？",
                              "古い間違ったフォルダ情報定義ファイル　" + file +
                                  "　は以下のファイル名に改名されました。\n\n" + backup,
                              file + " を修正保存しました。\n元のファイルは " + backup +
                                  " に改名されました。",
                              "1 つのプロジェクトを修正しました。"}));
        QVERIFY(s.prompter.boxes[1].warningIcon);
        QCOMPARE(r.memo, QStringList({log, "1,50," + a, "51,80," + b}));
        QCOMPARE(readFile(file), repaired);
        QCOMPARE(readFile(backup), old);

        for (int i = 2; i <= 3; ++i) { // the repaired file stays wrong against a wrong file
            writeFile(file, old);
            s.prompter.expect(Answer::Yes);
            QCOMPARE(s.run().repaired, 1);
        }
        QCOMPARE(readFile(s.program() + "__proj.txt"), old);
        QCOMPARE(readFile(s.program() + "___proj.txt"), old);
        QVERIFY(!QFile::exists(s.program() + "____proj.txt"));
    }

    // A repair the disk cannot hold leaves the project file as it was and no backup behind.
    void failedRepairKeepsTheOldFile()
    {
        Studio s;
        const QString a = s.dir.filePath("A"), b = s.dir.filePath("B");
        const QByteArray old = sjis("0,50,50,50,0,1,50," + a + "\r\n0,9,9,9,0,51,59," + b + "\r\n");
        const QString file = s.addProject("proj", old, 60, {{a, 50}, {b, 10}});
        // The repaired file is longer ("10" where "9" stood): the backup fits, the repair not.
        const int rc = testfiles::runWithFileSizeLimit(old.size(), [&] {
            s.prompter.expect(Answer::Yes);
            const FolderCheckResult r = s.run();
            const bool told = s.prompter.texts().contains(file + " を修正保存出来ませんでした。");
            return r.repaired == 0 && r.failed == 1 && told ? 0 : 1;
        });
        QCOMPARE(rc, 0);
        QCOMPARE(readFile(file), old);
        QVERIFY(!QFile::exists(s.program() + "_proj.txt"));
    }

    // Cases that must write nothing, with what the operator is told.
    void refusesUnsafeRepairs_data()
    {
        QTest::addColumn<int>("photos");      // in the numbered folder
        QTest::addColumn<QString>("blocker"); // a folder at this project file name
        QTest::addColumn<QString>("lastBox");
        QTest::addColumn<int>("code");
        QTest::newRow("photo not in log")
            << 81 << ""
            << "1 つのプロジェクトは安全に修正出来ないので修正していません。" << 0;
        QTest::newRow("project file unreadable")
            << 80 << "proj.txt"
            << "1 つのプロジェクトは安全に修正出来ないので修正していません。" << 0;
        QTest::newRow("log unreadable") << 80 << kLogName << "" << -1;
        // Hand-edited counts whose sum wraps round to the 80 photos in an int.
        QTest::newRow("counts beyond int")
            << 80 << "counts"
            << "修正する必要のあるプロジェクトは見つかりませんでした。" << 0;
        QTest::newRow("log numbers beyond int")
            << 80 << "numbers"
            << "1 つのプロジェクトは安全に修正出来ないので修正していません。" << 0;
    }
    void refusesUnsafeRepairs()
    {
        QFETCH(int, photos);
        QFETCH(QString, blocker);
        QFETCH(QString, lastBox);
        QFETCH(int, code);
        Studio s;
        const QString a = s.dir.filePath("A"), b = s.dir.filePath("B");
        const QByteArray old =
            sjis("0,50,50,50,0,1,50," + a + "\r\n0,29,29,29,0,51,79," + b + "\r\n");
        const QString file = s.addProject("proj", old, photos, {{a, 50}, {b, 30}});
        const QString seq = s.dir.filePath("proj") + "/連番フォルダ/";
        if (blocker == "counts") {
            const QByteArray most = ",2147483647,2147483647,2147483647,0,";
            writeFile(file, sjis("0,50,50,50,0,1,50," + a + "\r\n0" + most + "51,80," + b +
                                 "\r\n0" + most + "0,0,/c\r\n0,32,32,32,0,0,0,/d\r\n"));
        } else if (blocker == "numbers") {
            writeFile(seq + kLogName, sjis("[0000] " + a + "/1.jpg, " + seq + "P0000.jpg\r\n[" +
                                           "2147483647] " + a + "/2.jpg, " + seq + "P9.jpg\r\n"));
        } else if (blocker == kLogName) {
            QFile::remove(seq + kLogName);
            QDir().mkpath(seq + kLogName);
            lastBox = seq + kLogName + "　がオープン出来ませんでした。";
        } else if (!blocker.isEmpty()) {
            QFile::remove(file);
            QDir().mkpath(file);
        }
        const FolderCheckResult r = s.run();
        QCOMPARE(r.code, code);
        QCOMPARE(s.prompter.texts().last(), lastBox);
        QCOMPARE(r.repaired, 0);
        if (blocker.isEmpty() || blocker == "numbers")
            QCOMPARE(readFile(file), old);
        QVERIFY(!QFile::exists(s.program() + "_proj.txt"));
        QVERIFY(!s.prompter.unexpectedQuestion);
    }

    // Only the last entry of a name is examined; a line without a source asks to stop.
    void lastEntryAndUnreadableLine()
    {
        Studio s;
        const QString a = s.dir.filePath("A");
        const QByteArray good = sjis("0,2,2,2,0,1,2," + a + "\r\n");
        s.addProject("proj", "0,1,1,1,0,9,9,/elsewhere\r\n", 2, {{a, 2}});
        s.addProject("other", good, 2, {{a, 2}});
        s.addHistory("proj", s.program() + "other.txt", s.dir.filePath("other"));
        QFile log(s.dir.filePath("other") + "/連番フォルダ/" + kLogName);
        QVERIFY(log.open(QIODevice::Append));
        log.write("garbage\r\n");
        log.close();
        s.prompter.expect({Answer::No, Answer::No, Answer::No, Answer::Yes});
        FolderCheckResult r = s.run();
        QCOMPARE(r.code, -2);
        QCOMPARE(r.memo.size(), 3); // "other" read and in agreement, then again as "proj"
        QCOMPARE(s.prompter.boxes.size(), 4);
        QVERIFY(s.prompter.texts()[1].endsWith(
            "の3行目の元ファイル名が取得出来ませんでした。\n中断しますか？"));
    }
};

MF_REGISTER_TEST(FolderRepairTest)
#include "tst_folderrepair.moc"
