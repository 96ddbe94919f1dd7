#include "FakeOrderChooser.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "orders/OrderEntry.h"
#include "orders/OrderFile.h"
#include "orders/OrderList.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mf;
using testfiles::readFile;
using testfiles::sjis;
using testfiles::writeFile;

namespace {

const QByteArray kExample = "12,3,200,600,5,17,5" + QByteArray(97, ',') + "\r\n";

// Rows as "orderer/count/price/total:photo,photo,..." for comparing whole tables.
QStringList rowsOf(const OrderTable &t)
{
    QStringList out;
    for (int r = 1; r <= t.orderCount; ++r) {
        const Order &o = t.row(r);
        QStringList photos;
        for (const QString &p : o.photoNumbers) {
            if (!p.isEmpty())
                photos.append(p);
        }
        out.append(QStringList{o.ordererNumber, o.photoCount, o.unitPrice, o.total}.join('/') +
                   ':' + photos.join(','));
    }
    return out;
}

void setRow(OrderTable &t, int r, const QString &orderer, const QStringList &photos, int price)
{
    Order &o = t.row(r);
    o.ordererNumber = orderer;
    o.photoCount = QString::number(photos.size());
    o.unitPrice = QString::number(price);
    o.total = QString::number(qint64(price) * photos.size());
    for (int k = 0; k < photos.size(); ++k)
        o.photoNumbers[k] = photos[k];
    t.orderCount = std::max(t.orderCount, r);
}

} // namespace

class OrderFileTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    ProjectState m_project;
    std::unique_ptr<OrderTable> m_table;

    QString path(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_project.programFolder = m_dir->path() + '/';
        m_project.projectName = QStringLiteral("運動会");
        m_project.saveFolder = path("save");
        m_project.titleText = kTitleText;
        m_table = std::make_unique<OrderTable>();
    }

    void workedExampleBothWays()
    {
        setRow(*m_table, 1, "12", {"5", "17", "5"}, 200);
        m_table->saved = false;
        FakeServices f;
        FakeOrderChooser chooser;
        f.prompter.expect(Answer::Yes);
        QCOMPARE(SaveOrderFile(*m_table, m_project, f.prompter, chooser), int(SaveOrdersOk));
        const QString target = path("運動会.csv");
        QCOMPARE(readFile(target), kExample);
        QCOMPARE(f.prompter.texts(),
                 (QStringList{msg::orderFileConfirm.arg(target), msg::orderFileSaved.arg(target)}));
        QVERIFY(m_table->saved);
        QCOMPARE(m_table->orderFilePath, target);

        ResetOrders(*m_table);
        QCOMPARE(LoadProjectOrderFile(*m_table, m_project, f.prompter), int(LoadOrdersOk));
        QCOMPARE(rowsOf(*m_table), QStringList{"12/3/200/600:5,17,5"});
        QVERIFY(m_table->saved);
    }

    // The save's questions and dialog loop; %1 in a box text is the final target.
    void save_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("target");        // where the file went ("" none written)
        QTest::addColumn<QStringList>("suggested"); // what the dialog was shown
        const QString def = "運動会.csv";
        QTest::newRow("no file yet")
            << false << QList{Answer::Yes} << QStringList{} << 0 << def << QStringList{};
        QTest::newRow("overwrite")
            << true << QList{Answer::No, Answer::Yes} << QStringList{} << 0 << def << QStringList{};
        QTest::newRow("name without ending comes back with .csv")
            << true << QList{Answer::Yes, Answer::Yes} << QStringList{"b", "b.csv"} << 0 << "b.csv"
            << QStringList{def, "b.csv"};
        QTest::newRow("upper-case CSV accepted")
            << true << QList{Answer::Yes, Answer::Yes} << QStringList{"B.CSV"} << 0 << "B.CSV"
            << QStringList{def};
        QTest::newRow("dialog cancelled")
            << true << QList{Answer::Yes} << QStringList{} << -1 << "" << QStringList{def};
        QTest::newRow("confirmation declined")
            << false << QList{Answer::No} << QStringList{} << -2 << "" << QStringList{};
    }
    void save()
    {
        QFETCH(bool, exists);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, chosen);
        QFETCH(QString, target);
        QFETCH(QStringList, suggested);
        setRow(*m_table, 1, "12", {"5", "17", "5"}, 200);
        m_table->saved = false;
        if (exists)
            writeFile(path("運動会.csv"), "old");
        FakeServices f;
        FakeOrderChooser chooser;
        for (const QString &c : chosen)
            chooser.toSave.append(path(c));
        for (Answer a : answers)
            f.prompter.expect(a);
        QTEST(SaveOrderFile(*m_table, m_project, f.prompter, chooser), "result");
        QCOMPARE(f.prompter.pendingAnswers(), 0);
        for (QString &s : suggested)
            s = path(s);
        QCOMPARE(chooser.saveSuggestions, suggested);
        QCOMPARE(m_table->saved, !target.isEmpty());
        QCOMPARE(m_table->orderFilePath, target.isEmpty() ? QString() : path(target));
        if (!target.isEmpty())
            QCOMPARE(readFile(path(target)), kExample);
        if (exists && target != "運動会.csv")
            QCOMPARE(readFile(path("運動会.csv")), QByteArray("old"));
    }

    void emptyTableSavesEmptyFile()
    {
        FakeServices f;
        FakeOrderChooser chooser;
        f.prompter.expect(Answer::Yes);
        QCOMPARE(SaveOrderFile(*m_table, m_project, f.prompter, chooser), int(SaveOrdersOk));
        QCOMPARE(readFile(path("運動会.csv")), QByteArray());
    }

    void fullDiskKeepsOldFile()
    {
        const QByteArray old = kExample + kExample;
        writeFile(path("運動会.csv"), old);
        for (int r = 1; r <= 50; ++r)
            setRow(*m_table, r, QString::number(r), QStringList(100, "1234"), 100);
        m_table->saved = false;
        const int rc = testfiles::runWithFileSizeLimit(old.size() * 2, [&] {
            FakeServices f;
            FakeOrderChooser chooser;
            f.prompter.expect({Answer::No, Answer::Yes});
            const int r = SaveOrderFile(*m_table, m_project, f.prompter, chooser);
            return r == SaveOrdersFailed && f.prompter.texts().last() == msg::orderFileNotSaved &&
                           !m_table->saved && m_table->orderFilePath.isEmpty()
                       ? 0
                       : 1;
        });
        QCOMPARE(rc, 0);
        QCOMPARE(readFile(path("運動会.csv")), old);
    }

    void fullTableRoundTrip()
    {
        for (int r = 1; r <= kMaxOrders; ++r) {
            QStringList photos;
            for (int k = 0; k < kPhotosPerOrder; ++k)
                photos.append(QString::number(999999000 + k));
            setRow(*m_table, r, QString::number(r), photos, 999999999);
        }
        const QStringList before = rowsOf(*m_table);
        QByteArray bytes;
        QVERIFY(encodeOrderFile(*m_table, &bytes));
        writeFile(path("full.csv"), bytes);
        ResetOrders(*m_table);
        FakeServices f;
        QCOMPARE(LoadOrderFile(*m_table, path("full.csv"), m_project, f.prompter),
                 int(LoadOrdersOk));
        QCOMPARE(rowsOf(*m_table), before);
        QVERIFY(f.prompter.boxes.isEmpty()); // 64-bit totals agree: no mismatch question
    }

    // Damaged files load as the readers of the program read, or are refused by name, and a
    // refused file leaves the table as it was.
    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("boxes"); // "?" prefix: a question answered Yes
        const QByteArray tail = QByteArray(50, ',');
        const QStringList keep{"1/1/1/1:1"};
        const QString badPhoto = "注文ファイルの以下の行に数字として読めない写真番号があります：";
        QTest::newRow("skips empty and non-numbers")
            << QByteArray("12,3,200,600,5,,17,x,5\r\n") << 0 << QStringList{"12/3/200/600:5,17,5"}
            << QStringList{badPhoto + "1行目"};
        QTest::newRow("empty file, as an empty table is saved")
            << QByteArray() << 0 << QStringList{} << QStringList{};
        QTest::newRow("LF only, no last line end, TAB")
            << QByteArray("1\t1\t10\t10\t7\n2,1,10,10,8") << 0
            << QStringList{"1/1/10/10:7", "2/1/10/10:8"} << QStringList{};
        QTest::newRow("0x1A, NUL, zero orderer, no photos")
            << QByteArray("3,1,5,5,9\x1a,4\r\n0,1,5,5,9\r\n4,0,5,0\r\n5,1,5,5,6#,7\r\n\x1a")
                   .replace('#', '\0')
            << 0 << QStringList{"3/1/5/5:9", "5/2/5/10:6,7"}
            << QStringList{"?5", "注文ファイルの以下の行は注文として読み込めませんでした：2, 3行目"
                                 "\n\n" +
                                     badPhoto + "4行目"};
        QTest::newRow("count disagrees, corrected")
            << QByteArray("7,4,100,400,1,2,3\r\n") << 0 << QStringList{"7/3/100/300:1,2,3"}
            << QStringList{"?7"};
        QTest::newRow("101 photos")
            << QByteArray("1,101,1,101") + QByteArray(",9").repeated(101) + "\r\n"
            << -3 << keep << QStringList{msg::orderLineTooManyPhotos.arg(1)};
        QTest::newRow("3000-byte line")
            << QByteArray("1,1,1,1,1\r\n1,1,1,1,") + QByteArray(3000, '1') + "\r\n"
            << -3 << keep << QStringList{msg::orderLineTooLong.arg(2)};
        QTest::newRow("11-digit number") << QByteArray("12345678901,1,1,1,1\r\n") << -3 << keep
                                         << QStringList{msg::orderNumberTooLarge.arg(1)};
        QTest::newRow("20-digit photo number")
            << QByteArray("1,1,100,100,12345678901234567890\r\n") << -3 << keep
            << QStringList{msg::orderNumberTooLarge.arg(1)};
        QTest::newRow("negative unit price") << QByteArray("1,1,-100,-100,5\r\n") << -3 << keep
                                             << QStringList{msg::orderNegativePrice.arg(1)};
        QTest::newRow("CR-only file") << QByteArray("1,1,1,1,1\r2,1,1,1,2\r") << -3 << keep
                                      << QStringList{msg::orderLineCrOnly.arg(1)};
        QTest::newRow("grouped negative price")
            << QByteArray("1,1,\"-1,200\",-1200,5\r\n") << -3 << keep
            << QStringList{msg::orderNegativePrice.arg(1)};
        QTest::newRow("grouped price really too large")
            << QByteArray("1,1,\"12,345,678,901\",1,5\r\n") << -3 << keep
            << QStringList{msg::orderNumberTooLarge.arg(1)};
        QTest::newRow("UTF-16 over 16 MB")
            << QByteArray("\xFF\xFE", 2) + QByteArray("1\0,\0", 4).repeated(4 * 1024 * 1024) << -3
            << keep << QStringList{msg::orderFileTooLarge};
        // Files that are no order file, told by what they are; nothing is loaded.
        const QString workbook =
            "注文ファイルが表計算ソフトのブック（.xlsx、.ods等）なので読み込めま"
            "せん。\n表計算ソフトでCSV形式で保存してから読み込んでください。";
        QTest::newRow("xlsx") << QByteArray(
                                     "PK\x03\x04\x14\0\x06\0\x08\0\0\0!\0[Content_Types].xml")
                              << -3 << keep << QStringList{workbook};
        QTest::newRow("ods") << QByteArray("PK\x03\x04\n\0\0\0\0\0mimetypeapplication/vnd.oasis")
                             << -3 << keep << QStringList{workbook};
        QTest::newRow("semicolons")
            << sjis("注文者No.;枚数;単価\r\n12;3;200;600;5;17;5\r\n") << -3 << keep
            << QStringList{
                   "注文ファイルがセミコロン区切りなので読み込めません。\nカンマ区切りかタブ"
                   "区切りのCSV形式で保存してから読み込んでください。"};
        QTest::newRow("binary") << QByteArray("\x7f"
                                              "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
                                              16)
                                << -3 << keep
                                << QStringList{
                                       "注文ファイルがカンマ区切りやタブ区切りのテキストファイ"
                                       "ルではないので読み込めません。"};
        QTest::newRow("2001 orders") << QByteArray("1,1,1,1,1\r\n").repeated(2001) << -3 << keep
                                     << QStringList{msg::orderFileTooManyOrders.arg(2001)};
    }
    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, boxes);
        writeFile(path("in.csv"), bytes);
        setRow(*m_table, 1, "1", {"1"}, 1);
        FakeServices f;
        QStringList expected;
        for (const QString &b : boxes) {
            if (b.startsWith('?')) {
                f.prompter.expect(Answer::Yes);
                expected.append(msg::orderMismatch.arg(b.mid(1)));
            } else {
                expected.append(b);
            }
        }
        QFETCH(int, result);
        QCOMPARE(LoadOrderFile(*m_table, path("in.csv"), m_project, f.prompter), result);
        QTEST(rowsOf(*m_table), "rows");
        QCOMPARE(f.prompter.texts(), expected);
        // A loaded table that differs from its file (a line corrected, dropped or named) is
        // unsaved; a refused load leaves the table as it was.
        QCOMPARE(m_table->saved, boxes.isEmpty() || result != LoadOrdersOk);
        QVERIFY(QFileInfo(m_project.saveFolder).isDir()); // created on the way
    }

    // A file that fails as it is read (here the kernel's memory file, unreadable at 0) is
    // refused, never loaded as the orders read before the failure.
    void readErrorLoadsNothing()
    {
        setRow(*m_table, 1, "1", {"1"}, 1);
        FakeServices f;
        QCOMPARE(LoadOrderFile(*m_table, QStringLiteral("/proc/self/mem"), m_project, f.prompter),
                 int(LoadOrdersRefused));
        QCOMPARE(f.prompter.texts(),
                 QStringList{"注文ファイルを最後まで読めなかったので読み込めません。"});
        QCOMPARE(rowsOf(*m_table), QStringList{"1/1/1/1:1"});
    }

    // The same two orders as the program writes them and as spreadsheets save them back;
    // a line that held a number but is no order is named once, and the table is changed.
    void spreadsheetCopies_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("message"); // "" none
        const QByteArray own = kExample + "8,2,1000,2000,6,6" + QByteArray(98, ',') + "\r\n";
        const QStringList both{"12/3/200/600:5,17,5", "8/2/1000/2000:6,6"};
        const QByteArray quoted = "\"12\",\"3\",\"200\",\"600\",\"5\",\"17\",\"5\",\"\"\r\n"
                                  "\"8\",\"2\",\"1,000\",\"2,000\",\"6\",\"x,7\",\"6\"\r\n";
        const QString text = "注文者No.\t枚数\t単価\t合計\t1枚目\r\n12\t3\t200\t600\t5\t17\t5\r\n"
                             "8\t2\t1,000\t2,000\t6\t6\r\n";
        const QString notRead = "注文ファイルの以下の行は注文として読み込めませんでした：";
        const QString badPhoto = "注文ファイルの以下の行に数字として読めない写真番号があります：";
        auto utf16 = [&text](QStringConverter::Encoding e, const char *mark) {
            QStringEncoder encoder(e);
            return QByteArray(mark, 2) + QByteArray(encoder.encode(text));
        };
        QTest::newRow("own file") << own << both << "";
        QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + own << both << "";
        QTest::newRow("quoted, thousands, quoted comma") << quoted << both << badPhoto + "2行目";
        QTest::newRow("quote in quotes, number after it")
            << QByteArray("1,2,5,10,\"9\"\"\",9\r\n") << QStringList{"1/2/5/10:9,9"}
            << badPhoto + "1行目";
        QTest::newRow("UTF-16 LE, TABs, heading")
            << utf16(QStringConverter::Utf16LE, "\xFF\xFE") << both << "";
        QTest::newRow("UTF-16 BE") << utf16(QStringConverter::Utf16BE, "\xFE\xFF") << both << "";
        QTest::newRow("short rows, LF, heading, empty rows at the end")
            << sjis("注文者No.,枚数,単価,合計,1枚目,2枚目\n12,3,200,600,5,17,5\n"
                    "8,2,1000,2000,6,6\n,,,,,\n\n0,0\n")
            << both << "";
        QTest::newRow("TAB line keeps 7,8 apart and 1,2000 unjoined")
            << QByteArray("1\t2\t10\t20\t7,8\r\n2\t3\t1\t3\t9\t1,2000\r\n")
            << QStringList{"1/2/10/20:7,8", "2/3/1/3:9,1,2000"} << "";
        QTest::newRow("orderer 0, no photos, heading not first, huge number unread")
            << QByteArray("12,3,200,600,5,17,5\r\n0,1,5,5,9\r\n8,2,1000,2000,6,6\r\n"
                          "12,0,200,0\r\nNo.,,,,1\r\n0,1,1,1,12345678901\r\n")
            << both << notRead + "2, 4, 5, 6行目";
        QTest::newRow("full-width or missing orderer first is no heading")
            << sjis("１２,1,5,5,9\r\n") + ",1,5,5,9\r\n" + own << QStringList{"12/1/5/5:9"} + both
            << notRead + "2行目";
        QTest::newRow("quoted TAB, price with yen after it")
            << QByteArray("12\t3\t200\t600\t5\t17\t5\t\"x\t9\"\r\n8,2,\"1,000") + sjis("円") +
                   "\",2000,6,6\r\n"
            << both << badPhoto + "1行目";
        // Numbers as spreadsheets format them: yen signs, full-width digits, UTF-8 and UTF-16.
        const QByteArray first = kExample.left(kExample.indexOf('\n') + 1);
        QTest::newRow("Shift-JIS yen signs (5C)") << first + "8,2,\"\\1,000\",\"\\2,000\",6,6\r\n"
                                                  << both << "";
        QTest::newRow("UTF-8 ￥ and 円")
            << first + QStringLiteral("8,2,\"￥1,000\",\"2,000円\",6,6\r\n").toUtf8() << both << "";
        QTest::newRow("UTF-8 ¥, TABs, byte-order mark")
            << "\xEF\xBB\xBF" + QStringLiteral("12\t3\t200\t600\t5\t17\t5\r\n"
                                               "8\t2\t¥1,000\t¥2,000\t6\t6\r\n")
                                    .toUtf8()
            << both << "";
        QTest::newRow("UTF-16 TABs, ¥ before grouped price")
            << utf16Of(QStringLiteral("7\t1\t¥1,000\t1,000\t42\r\n"), QStringConverter::Utf16LE,
                       true)
            << QStringList{"7/1/1000/1000:42"} << "";
        QTest::newRow("UTF-16 without a byte-order mark, 一 and a full-width space")
            << utf16Of("一\u3000" + text, QStringConverter::Utf16LE, false) << both << "";
        QTest::newRow("UTF-16 BE without a byte-order mark")
            << utf16Of(text, QStringConverter::Utf16BE, false) << both << "";
        QTest::newRow("full-width photo number")
            << sjis("12,2,200,400,5,１７\r\n") << QStringList{"12/2/200/400:5,17"} << "";
        QTest::newRow("photo cells 5-8 and 12a: read, and the lines named")
            << QByteArray("3,1,200,200,5-8\r\n4,1,200,200,12a\r\n")
            << QStringList{"3/1/200/200:5", "4/1/200/200:12"} << badPhoto + "1, 2行目";
        QTest::newRow("price or total no number: named, not loaded as 0 yen")
            << first + "5,1,abc,200,5\r\n6,1,\"\\\",0,5\r\n7,1,200,x,5\r\n" +
                   sjis("9,1,\"1,2000\",1200,5\r\n")
            << QStringList{"12/3/200/600:5,17,5"} << notRead + "2, 3, 4, 5行目";
        QTest::newRow("orderer 12a is no orderer")
            << first + "12a,1,200,200,5\r\n"
            << QStringList{"12/3/200/600:5,17,5"} << notRead + "2行目";
        QByteArray twenty;
        for (int i = 0; i < 20; ++i)
            twenty += "0,1,5,5,9\r\n";
        QTest::newRow("20 lines unread: all named")
            << twenty + own << both
            << notRead +
                   "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20行目";
        QByteArray many = own;
        for (int i = 0; i < 21; ++i)
            many += "x,1,200,200,5\r\n";
        QTest::newRow("21 lines unread: 20 named and the count")
            << many << both
            << notRead + "3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, "
                         "22, …行目（全21行）";
    }
    static QByteArray utf16Of(const QString &text, QStringConverter::Encoding e, bool mark)
    {
        QStringEncoder encoder(e, mark ? QStringEncoder::Flag::WriteBom
                                       : QStringEncoder::Flag::Default);
        return encoder.encode(text);
    }
    void spreadsheetCopies()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        writeFile(path("in.csv"), bytes);
        FakeServices f;
        QCOMPARE(LoadOrderFile(*m_table, path("in.csv"), m_project, f.prompter), int(LoadOrdersOk));
        QTEST(rowsOf(*m_table), "rows");
        QCOMPARE(f.prompter.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(m_table->saved, message.isEmpty());
    }

    // The default order file and order list are named after the project in the program
    // folder; a name that would lead out of it writes and reads nothing anywhere.
    void projectNameNeverLeavesProgramFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("escaped"); // where the files would go, without ending
        QTest::addColumn<int>("operation");   // 0 save orders, 1 order list, 2 reopen's orders
        const char *ops[] = {"save orders", "order list", "reopen"};
        for (int op = 0; op < 3; ++op) {
            QTest::addRow("%s, ../", ops[op]) << QStringLiteral("../運動会") << "運動会" << op;
            QTest::addRow("%s, /", ops[op]) << QStringLiteral("a/b") << "prog/a/b" << op;
        }
    }
    void projectNameNeverLeavesProgramFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, escaped);
        QFETCH(int, operation);
        m_project.programFolder = path("prog/");
        QDir().mkpath(m_project.programFolder);
        m_project.projectName = name;
        writeFile(path(escaped + ".csv"), kExample); // what a load would find, a save replace
        setRow(*m_table, 1, "12", {"5"}, 200);
        FakeServices f;
        FakeOrderChooser chooser;
        OrderInput input;
        const int result = operation == 0 ? SaveOrderFile(*m_table, m_project, f.prompter, chooser)
                           : operation == 1
                               ? WriteOrderList(*m_table, input, m_project, f.prompter, f.shell)
                               : LoadProjectOrderFile(*m_table, m_project, f.prompter);
        const int expected[] = {SaveOrdersFailed, OrderListBadName, LoadOrdersNoFile};
        QCOMPARE(result, expected[operation]);
        const QString what = QStringList{"注文ファイル", "注文リスト", ""}[operation];
        QCOMPARE(f.prompter.texts().join(""),
                 what.isEmpty() ? QString()
                                : "プロジェクト名がファイル名として使えないので、" + what +
                                      "を保存出来ません。\nプロジェクト名が空でないか、「/」、改行"
                                      "、タブやShift-JISで表せない文字が含まれていないか確認してく"
                                      "ださい。");
        QCOMPARE(readFile(path(escaped + ".csv")), kExample);
        QVERIFY(!QFile::exists(path(escaped + "_注文リスト.txt")));
        QCOMPARE(rowsOf(*m_table), QStringList{"12/1/200/200:5"});
        QVERIFY(f.shell.opened.isEmpty());
    }

    void loadCommandGoesOnOnlyAfterRealSave()
    {
        setRow(*m_table, 1, "12", {"5"}, 200);
        m_table->saved = false;
        writeFile(path("other.csv"), kExample);
        OrderInput input;
        FakeServices f;
        FakeOrderChooser chooser;
        chooser.toOpen = path("other.csv");
        f.prompter.expect({Answer::Yes, Answer::No}); // save? yes; confirm: no
        QCOMPARE(LoadOrdersCommand(*m_table, input, m_project, f.prompter, chooser),
                 int(LoadCommandCancelled));
        QCOMPARE(rowsOf(*m_table), QStringList{"12/1/200/200:5"});
        QVERIFY(chooser.openShownIn.isEmpty());

        f.prompter.expect({Answer::No});
        QCOMPARE(LoadOrdersCommand(*m_table, input, m_project, f.prompter, chooser),
                 int(LoadCommandLoaded));
        QCOMPARE(rowsOf(*m_table), QStringList{"12/3/200/600:5,17,5"});
        QCOMPARE(m_table->orderFilePath, path("other.csv"));
        QCOMPARE(chooser.openShownIn, QStringList{m_project.programFolder});
    }
};

MF_REGISTER_TEST(OrderFileTest)
#include "tst_orderfile.moc"
