#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "export/OrderCheck.h"
#include "export/OrderExport.h"
#include "photos/NumberedPhotos.h"
#include "platform/LocalTime.h"
#include "project/FolderLocks.h"

#include <QDirIterator>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mf;
using testfiles::readFile;
using testfiles::sjis;
using testfiles::writeFile;

namespace {

// Rows written as "orderer:photo,photo,..."; the count is the number of photos listed
// unless given as "orderer/count:...".
void fillTable(OrderTable &t, const QStringList &rows)
{
    ResetOrders(t);
    for (const QString &row : rows) {
        Order &o = t.row(++t.orderCount);
        const QString orderer = row.section(u':', 0, 0).section(u'/', 0, 0);
        const QString count = row.section(u':', 0, 0).section(u'/', 1);
        const QString photoText = row.section(u':', 1);
        const QStringList photos =
            photoText.isEmpty() ? QStringList() : photoText.split(u',', Qt::KeepEmptyParts);
        o.ordererNumber = orderer;
        o.photoCount = count.isEmpty() ? QString::number(photos.size()) : count;
        for (int k = 0; k < photos.size(); ++k)
            o.photoNumbers[std::size_t(k)] = photos[k];
    }
}

QStringList filesOnly(const QStringList &entries)
{
    QStringList out;
    for (const QString &e : entries) {
        if (e.endsWith(u".jpg") || e.endsWith(u".txt"))
            out.append(e);
    }
    return out;
}

} // namespace

class OrderExportTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    ProjectState m_project;
    std::unique_ptr<OrderTable> m_table;
    ExportSettings m_settings;
    ExportState m_state;

    QString exportFolder() const { return exportFolderOf(m_project.saveFolder); }
    QString exported(const QString &relative) const { return exportFolder() + u'/' + relative; }

    QList<int> m_progress; // the last (done, total) shown
    QStringList m_flushed; // folders put on the disk
    bool m_diskTakesIt = true;

    int run(FakeServices &f, bool checkOnly = false)
    {
        ExportJob job{m_project, *m_table, m_settings, f.services};
        job.showProgress = [this](int done, int total) { m_progress = {done, total}; };
        job.flushToDisk = [this](const QString &folder) {
            m_flushed.append(folder);
            return m_diskTakesIt;
        };
        return RunExport(job, m_state, checkOnly);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_project = ProjectState();
        m_project.saveFolder = m_dir->filePath("save");
        m_project.projectName = QStringLiteral("運動会");
        m_project.titleText = kTitleText;
        m_project.outputFormat.values = {"%s/%04d/%s%04d_%04d.jpg", "%s/%04d/%s%04d_%04d(%d).jpg",
                                         "%s/%s%04d_%04d.jpg", "%s/%s%04d_%04d(%d).jpg"};
        const QString seq = sequenceFolderOf(m_project.saveFolder);
        for (int p = 1; p <= 30; ++p)
            writeFile(sequentialFilePath(seq, QString(), p), "photo " + QByteArray::number(p));
        // An unfinished numbering's mark is not a photo to check or copy.
        writeFile(seq + QStringLiteral("/連番ファイル作成中.txt"), "mark");
        m_table = std::make_unique<OrderTable>();
        m_settings = ExportSettings{1, 9999, 4, false, true};
        m_state = ExportState();
        m_flushed.clear();
        m_diskTakesIt = true;
    }

    void settingsRefusals_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("message");
        QTest::newRow("columns 0 before a bad range") << "0"
                                                      << "0"
                                                      << "0" << msg::exportColumnsInvalid;
        QTest::newRow("columns 5") << "1"
                                   << "2"
                                   << "5" << msg::exportColumnsInvalid;
        QTest::newRow("columns empty") << "1"
                                       << "2"
                                       << "" << msg::exportColumnsInvalid;
        QTest::newRow("columns 4x read as 4") << "1"
                                              << "2"
                                              << "4x" << QString();
        QTest::newRow("first 0") << "0"
                                 << "2"
                                 << "1" << msg::exportFirstInvalid;
        QTest::newRow("last 0") << "1"
                                << "0"
                                << "1" << msg::exportLastInvalid;
        QTest::newRow("last above bound") << "1"
                                          << "10000"
                                          << "1" << msg::exportLastInvalid;
        QTest::newRow("last 9999") << "1"
                                   << "9999"
                                   << "1" << QString();
        QTest::newRow("first above last") << "9"
                                          << "3"
                                          << "1" << QString();
    }
    void settingsRefusals()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, columns);
        QFETCH(QString, message);
        ScriptedPrompter p;
        const ExportSettings s = exportSettingsFromFields(first, last, columns, true, true);
        QCOMPARE(ValidateExportSettings(s, p), message.isEmpty() ? 0 : -1);
        QCOMPARE(p.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(p.boxes.first().caption, QString());
    }

    void orderCheck_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("clean, empty cells skipped")
            << QStringList{"3:1,,30", "7:2"} << QStringList();
        QTest::newRow("every kind, one row")
            << QStringList{"1:5", "0:0,31,7"}
            << QStringList{"   2行目に無効な注文者番号[    0 ] が入力されています。",
                           "   2行目の  1枚目に無効な注文番号[ 0 ]が入力されています。",
                           "   2行目　  2枚目の注文番号[ 31 ]は連番ファイルが存在しません。"};
        QTest::newRow("orderer above bound") << QStringList{"10000:1"}
                                             << QStringList{"   1行目に無効な注文者番号[ 10000 ] "
                                                            "が入力されています。"};
        QTest::newRow("bad count skips the photos")
            << QStringList{"1/101:99"}
            << QStringList{"   1行目に無効な注文枚数[ 101 ] が入力されています。"};
        QTest::newRow("photos beyond the count unchecked")
            << QStringList{"1/1:5,99"} << QStringList();
        QTest::newRow("photo above bound")
            << QStringList{"1:100000"}
            << QStringList{"   1行目の  1枚目に無効な注文番号[ 100000 ]が入力されています。"};
    }
    void orderCheck()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, errors);
        fillTable(*m_table, rows);
        QStringList found;
        QCOMPARE(CheckOrders(*m_table, m_project.saveFolder, QString(), &found), errors.size());
        QCOMPARE(found, errors);
    }

    void orderCheckStopsAfterForty_data()
    {
        QTest::addColumn<int>("badRows");
        QTest::addColumn<bool>("lastRowPhotoError");
        QTest::addColumn<int>("lines");
        // 41 rows with a bad orderer: the limit is seen at the end of row 41.
        QTest::newRow("41") << 41 << false << 41;
        // Row 41 has a bad orderer and a bad photo: the photo error makes 42 at once.
        QTest::newRow("42") << 41 << true << 42;
    }
    void orderCheckStopsAfterForty()
    {
        QFETCH(int, badRows);
        QFETCH(bool, lastRowPhotoError);
        QFETCH(int, lines);
        QStringList rows(badRows, QStringLiteral("0:1"));
        if (lastRowPhotoError)
            rows.last() = QStringLiteral("0:0,0");
        rows << "0:1"
             << "0:1"; // never reached
        fillTable(*m_table, rows);
        QStringList found;
        QCOMPARE(CheckOrders(*m_table, m_project.saveFolder, QString(), &found), lines);
        QCOMPARE(found.size(), lines + 2);
        QCOMPARE(found.at(lines - 1).left(4), QStringLiteral("  41"));
        QCOMPARE(found.mid(lines), (QStringList{" ", msg::checkTooManyErrors}));
    }

    void exportedFiles_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("samples");
        QTest::addColumn<bool>("perOrderer");
        QTest::addColumn<int>("last");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("shipped templates")
            << QStringList{"12:5"} << false << true << 9999 << QStringList{"0012/0012_0005.jpg"};
        QTest::newRow("repeats") << QStringList{"12:5,5", "12:5"} << false << true << 9999
                                 << QStringList{"0012/0012_0005(1).jpg", "0012/0012_0005(2).jpg",
                                                "0012/0012_0005.jpg"};
        QTest::newRow("flat") << QStringList{"12:5", "3:5,6"} << false << false << 9999
                              << QStringList{"0003_0005.jpg", "0003_0006.jpg", "0012_0005.jpg"};
        QTest::newRow("first order gets the sample")
            << QStringList{"12:12", "15:12,3"} << true << true << 9999
            << QStringList{"0015/0015_0012.jpg", "サンプル指定.txt", "注文者別サンプル指定.txt"};
        QTest::newRow("same photo twice in one order")
            << QStringList{"12:5,5"} << true << true << 9999
            << QStringList{"0012/0012_0005.jpg", "サンプル指定.txt", "注文者別サンプル指定.txt"};
        // Out of the range nothing is copied, but the sample still went to orderer 12.
        QTest::newRow("range") << QStringList{"12:5", "20:5,6", "3:7"} << true << true << 15
                               << QStringList{"サンプル指定.txt", "注文者別サンプル指定.txt"};
        QTest::newRow("repeats only count copied prints")
            << QStringList{"20:5", "12:5", "12:5"} << false << false << 15
            << QStringList{"0012_0005(1).jpg", "0012_0005.jpg"};
    }
    void exportedFiles()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, samples);
        QFETCH(bool, perOrderer);
        QFETCH(int, last);
        QFETCH(QStringList, files);
        fillTable(*m_table, rows);
        m_settings.subtractSamples = samples;
        m_settings.folderPerOrderer = perOrderer;
        m_settings.lastOrderer = last;
        FakeServices f;
        QCOMPARE(run(f), int(ExportOk));
        const QStringList copied = filesOnly(testfiles::listing(exportFolder())).filter(u".jpg");
        QCOMPARE(filesOnly(testfiles::listing(exportFolder())), files);
        QCOMPARE(m_progress, (QList<int>{int(copied.size()), int(copied.size())}));
        QCOMPARE(f.prompter.texts(), QStringList());
        QStringList opened;
        if (files.contains(kSampleListName))
            opened << exported(kSampleListName) << exported(kOrdererSampleListName);
        QCOMPARE(f.shell.opened, opened << exportFolder());
        QCOMPARE(m_flushed, QStringList{exportFolder()});
        if (!files.isEmpty() && files.first().endsWith(u".jpg"))
            QCOMPARE(readFile(exported(files.first())),
                     "photo " +
                         QByteArray::number(files.first().section(u'_', -1).left(4).toInt()));
    }

    // A disk that does not confirm the copies: a write failure, and the folder is not opened
    // as if the prints were ready for the lab.
    // Nor are the sample texts opened, by which the sample prints would be handed out.
    void diskThatDoesNotTakeTheCopies()
    {
        fillTable(*m_table, {"12:5,6"});
        m_settings.subtractSamples = true;
        m_diskTakesIt = false;
        FakeServices f;
        QCOMPARE(run(f), int(ExportIncomplete));
        QCOMPARE(f.prompter.texts(),
                 QStringList{QStringLiteral("以下のフォルダへの書き込みを完了出来ませんでした。\n"
                                            "ディスクの空きと接続を確認してください。\n") +
                             exportFolder()});
        QVERIFY(QFile::exists(exported(kSampleListName)));
        QVERIFY(f.shell.opened.isEmpty());
    }

    void sampleTextsByteForByte()
    {
        fillTable(*m_table, {"12:12,3", "7:", "15:12,4,9,1", "12:3"});
        m_settings.subtractSamples = true;
        m_settings.sampleColumns = 4;
        FakeServices f;
        QCOMPARE(run(f), int(ExportOk));
        const QByteArray head = sjis("運動会    " + localDateTimeText(f.clock.dateTime)) + "\r\n";
        QCOMPARE(readFile(exported(kSampleListName)),
                 head + sjis("写真番号   [ 注文者番号 ]      ") + "\r\n" +
                     "       1   [      15]           3   [      12]    "
                     "       4   [      15]           9   [      15]    \r\n"
                     "      12   [      12]    ");
        QCOMPARE(readFile(exported(kOrdererSampleListName)),
                 head + "\r\n" + sjis("注文者番号  : 写真番号...      ") + "\r\n\r\n" +
                     "[  12]     :     12      3\r\n"
                     "[  15]     :      4      9      1\r\n"
                     "[  12]     :\r\n");
        QCOMPARE(filesOnly(testfiles::listing(exportFolder())),
                 (QStringList{"0012/0012_0003.jpg", "0015/0015_0012.jpg", "サンプル指定.txt",
                              "注文者別サンプル指定.txt"}));
    }

    void rangeGivesTheSameTexts()
    {
        QStringList rows;
        for (int r = 1; r <= 30; ++r)
            rows << QStringLiteral("%1:%2,%3").arg(31 - r).arg(r % 7 + 1).arg(r % 11 + 5);
        fillTable(*m_table, rows);
        m_settings.subtractSamples = true;
        QByteArray texts[2];
        for (int pass = 0; pass < 2; ++pass) {
            m_settings.lastOrderer = pass == 0 ? 30 : 10;
            FakeServices f;
            QCOMPARE(run(f), int(ExportOk));
            texts[pass] = readFile(exported(kSampleListName)) + "|" +
                          readFile(exported(kOrdererSampleListName));
        }
        QCOMPARE(texts[1], texts[0]);
        QVERIFY(!QFileInfo::exists(exported("0011")));
        QVERIFY(QFileInfo(exported("0010")).isDir());
    }

    // A check-only run, and a real run the check stops, leave an earlier export as it was.
    void checkLeavesTheDiskAlone_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("checkOnly");
        QTest::addColumn<QString>("message");
        QTest::newRow("check only") << QStringList{"12:5"} << true << msg::checkNoErrors;
        QTest::newRow("real run with a fault")
            << QStringList{"12:5", "13:31"} << false
            << "   2行目　  1枚目の注文番号[ 31 ]は連番ファイルが存在しません。";
        // Another copy exports or numbers into the same save folder right now.
        QTest::newRow("save folder in use")
            << QStringList{"12:5"} << false
            << QStringLiteral("以下の保存先フォルダは他で作業中なので使用出来ません。\n{D}\n作業"
                              "中のパソコン　") +
                   QSysInfo::machineHostName() +
                   QStringLiteral("\n\n作業が終わってからもう一度行ってください。作業中でない"
                                  "のにこのメッセージが表示される場合は、保存先フォルダの「Vel"
                                  "mora使用中.lock」を削除してください。");
    }
    void checkLeavesTheDiskAlone()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, checkOnly);
        QFETCH(QString, message);
        writeFile(exported("0001/0001_0001.jpg"), "retouched");
        std::unique_ptr<FolderLock> other;
        if (message.contains("{D}"))
            other = std::make_unique<FolderLock>(m_project.saveFolder, kSaveFolderLockName);
        message.replace("{D}", m_project.saveFolder);
        const QStringList before = testfiles::listing(m_dir->path());
        fillTable(*m_table, rows);
        m_settings.subtractSamples = true;
        FakeServices f;
        QCOMPARE(run(f, checkOnly), checkOnly ? int(ExportOk) : int(ExportRefused));
        QCOMPARE(f.prompter.texts(), QStringList{message});
        QCOMPARE(testfiles::listing(m_dir->path()), before);
        QCOMPARE(readFile(exported("0001/0001_0001.jpg")), QByteArray("retouched"));
        QCOMPARE(f.shell.opened, QStringList());
    }

    void unsafeNamesWriteNothing_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("templ");
        QTest::addColumn<QString>("code"); // the school code
        QTest::addColumn<bool>("perOrderer");
        const QString shipped = "%s/%04d/%s%04d_%04d.jpg";
        QTest::newRow("escaping") << 0 << "%s/../%04d/%s%04d_%04d.jpg"
                                  << "" << true;
        QTest::newRow("the folder itself") << 2 << "%s/%s%04d_%04d/.."
                                           << "" << false;
        QTest::newRow("absolute") << 2 << "/tmp/%s%s%04d_%04d.jpg"
                                  << "" << false;
        QTest::newRow("too few conversions") << 0 << "%s/%04d/%s%04d.jpg"
                                             << "" << true;
        QTest::newRow("number for a text") << 2 << "%d/%s%04d_%04d.jpg"
                                           << "" << false;
        QTest::newRow("char conversion") << 0 << "%s/%04d/%s%c_%04d.jpg"
                                         << "" << true;
        QTest::newRow("control character") << 0 << "%s/%04d/%s%04d_%04d\t.jpg"
                                           << "" << true;
        QTest::newRow("too long") << 0 << "%s/%04d/%s%04d_%04d" + QString(2100, u'x') << "" << true;
        QTest::newRow("school code leaves the photos") << 0 << shipped << "../../x" << true;
        QTest::newRow("repeat template") << 1 << "%s/../%04d/%s%04d_%04d(%d).jpg"
                                         << "" << true;
    }
    void unsafeNamesWriteNothing()
    {
        QFETCH(int, value);
        QFETCH(QString, templ);
        QFETCH(QString, code);
        QFETCH(bool, perOrderer);
        m_project.outputFormat.values[std::size_t(value)] = templ;
        m_project.schoolCode = code;
        const QString prefix = code.isEmpty() ? QString() : code + "_";
        m_project.filePrefix = prefix;
        // The photos the prefix points at exist, so only the name check can stop the run.
        writeFile(m_project.saveFolder + "/x0005.jpg", "outside");
        writeFile(sequentialFilePath(sequenceFolderOf(m_project.saveFolder), prefix, 5), "p");
        writeFile(exported("0001/0001_0001.jpg"), "retouched");
        fillTable(*m_table, {"12:5", "12:5"});
        m_settings.folderPerOrderer = perOrderer;
        const QStringList before = testfiles::listing(m_dir->path());
        FakeServices f;
        // A bad school code is named, not blamed on outputFmt.def.
        const QString codeText = "ロットNo.「" + code +
                                 "」にファイル名として使用出来ない文字が含"
                                 "まれているので、注文別画像を保存出来ません。\nロットNo.を確認して"
                                 "ください。";
        QCOMPARE(run(f), int(code.isEmpty() ? ExportBadTemplate : ExportRefused));
        QCOMPARE(f.prompter.texts(),
                 QStringList{code.isEmpty() ? msg::outputFormatBroken : codeText});
        if (code.isEmpty())
            QCOMPARE(f.prompter.boxes.first().caption, perOrderer ? exported("0012") : QString());
        QCOMPARE(testfiles::listing(m_dir->path()), before);
        QCOMPARE(f.shell.opened, QStringList());
    }

    void repeatsRunOutWithoutOverwriting()
    {
        fillTable(*m_table, QStringList(101, QStringList(100, "5").join(u',').prepend("12:")));
        writeFile(exported("keep.txt"), "earlier");
        FakeServices f;
        QCOMPARE(run(f), int(ExportBadTemplate));
        QCOMPARE(f.prompter.texts(),
                 QStringList{msg::exportRepeatsExhausted.arg(exported("0012/0012_0005.jpg"))});
        QCOMPARE(testfiles::listing(exportFolder()), QStringList{"keep.txt"});
    }

    void abortStopsBetweenRows()
    {
        fillTable(*m_table, {"1:1", "2:2", "3:3"});
        m_settings.subtractSamples = false;
        FakeServices f;
        f.pump.onPump = [&](int call) { m_state.abortExport = call == 2; };
        QCOMPARE(run(f), int(ExportStopped));
        QCOMPARE(f.prompter.texts(), QStringList{msg::exportAborted});
        // Marked as unfinished until a run goes through.
        QCOMPARE(filesOnly(testfiles::listing(exportFolder())),
                 (QStringList{"0001/0001_0001.jpg", kExportMarkName}));
        QCOMPARE(f.shell.opened, QStringList());
        QVERIFY(!m_state.abortExport && !m_state.exportBusy);
    }

    // A failed copy asks, naming the photo and the orderer; Yes goes on and the run still
    // reports that prints are missing.
    void failedCopyAsks_data()
    {
        QTest::addColumn<QString>("saveFolder");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("files");
        const QStringList both{"0001/0001_0001.jpg", "0003/0003_0003.jpg"};
        QTest::newRow("go on") << "save" << QList<Answer>{Answer::Yes} << int(ExportIncomplete)
                               << both;
        QTest::newRow("stop, keep")
            << "save" << QList<Answer>{Answer::No, Answer::No} << int(ExportStopped)
            << QStringList{"0001/0001_0001.jpg", kExportMarkName};
        QTest::newRow("stop, delete") << "save" << QList<Answer>{Answer::No, Answer::Yes}
                                      << int(ExportStopped) << QStringList{kExportMarkName};
        QTest::newRow("%1 in the folder") << QStringLiteral("1年%1組") << QList<Answer>{Answer::Yes}
                                          << int(ExportIncomplete) << both;
    }
    void failedCopyAsks()
    {
        QFETCH(QString, saveFolder);
        QFETCH(QList<Answer>, answers);
        QFETCH(int, result);
        QFETCH(QStringList, files);
        m_project.saveFolder = m_dir->filePath(saveFolder);
        for (int p = 1; p <= 3; ++p)
            writeFile(sequentialFilePath(sequenceFolderOf(m_project.saveFolder), QString(), p),
                      "photo " + QByteArray::number(p));
        fillTable(*m_table, {"1:1", "2:2", "3:3"});
        const QString lost = sequentialFilePath(sequenceFolderOf(m_project.saveFolder), "", 2);
        FakeServices f;
        for (Answer a : answers)
            f.prompter.expect(a);
        f.pump.onPump = [&](int call) {
            if (call == 2)
                QFile::remove(lost); // gone after the check
        };
        QCOMPARE(run(f), result);
        QCOMPARE(f.prompter.boxes.first().text,
                 lost +
                     QStringLiteral(
                         "　が連番フォルダに見つかりません。\n学生No.2\n\n処理を続行しますか？"));
        QCOMPARE(f.prompter.pendingAnswers(), 0);
        QCOMPARE(filesOnly(testfiles::listing(exportFolder())), files);
    }

    void fullDiskLeavesNoPartialFile()
    {
        const QString seq = sequenceFolderOf(m_project.saveFolder);
        writeFile(sequentialFilePath(seq, "", 2), QByteArray(256 * 1024, 'j'));
        fillTable(*m_table, {"1:1", "2:2"});
        // The photo is there: the question says the copy could not be written.
        const QString question = sequentialFilePath(seq, "", 2) + "　を\n" +
                                 exported("0002/0002_0002.jpg") +
                                 "　に書き込めませんでした。\n学生No.2\n\nディスクの空き容量が足"
                                 "りないか、書き込み禁止になっていないか確認してください。\n処理を"
                                 "続行しますか？";
        const int rc = testfiles::runWithFileSizeLimit(128 * 1024, [&] {
            FakeServices f;
            f.prompter.expect({Answer::No, Answer::No});
            return run(f) == ExportStopped && f.prompter.boxes.size() == 2 &&
                           f.prompter.boxes.first().text == question
                       ? 0
                       : 1;
        });
        QCOMPARE(rc, 0);
        QCOMPARE(testfiles::listing(exportFolder()),
                 (QStringList{"0001", "0001/0001_0001.jpg", "0002", kExportMarkName}));
    }

    // The texts are the only record of who gets which sample print: losing one is reported
    // by name, the other is still written and the run does not pass for done.
    void unwritableTextIsNamed()
    {
        fillTable(*m_table, {"12:5"});
        m_settings.subtractSamples = true;
        FakeServices f;
        f.pump.onPump = [&](int) { QDir().mkpath(exported(kSampleListName)); };
        QCOMPARE(run(f), int(ExportIncomplete));
        QCOMPARE(f.prompter.texts(),
                 QStringList{msg::exportTextNotSaved.arg(exported(kSampleListName))});
        QVERIFY(readFile(exported(kOrdererSampleListName)).endsWith("[  12]     :      5\r\n"));
        QCOMPARE(f.shell.opened, (QStringList{exported(kOrdererSampleListName), exportFolder()}));
    }

    void readOnlyPhotoArrivesWritable()
    {
        const QString photo = sequentialFilePath(sequenceFolderOf(m_project.saveFolder), "", 4);
        QFile::setPermissions(photo, QFile::ReadOwner);
        fillTable(*m_table, {"2:4"});
        FakeServices f;
        QCOMPARE(run(f), int(ExportOk));
        QVERIFY(QFileInfo(exported("0002/0002_0004.jpg")).isWritable());
        QCOMPARE(run(f), int(ExportOk)); // the next run can empty the folder
    }
};

MF_REGISTER_TEST(OrderExportTest)
#include "tst_orderexport.moc"
