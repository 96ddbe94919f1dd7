#include "TestFiles.h"
#include "TestRegistry.h"
#include "sheets/OutputSize.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace mf;
using testfiles::readFile;
using testfiles::sjis;
using testfiles::writeFile;

namespace {
// A valid record: 3 columns of 326 px on 1000 px with margins of 10 leave a gap of 1.
QByteArray rec(QList<std::pair<int, QByteArray>> changes = {}, const QByteArray &eol = "\r\n")
{
    QList<QByteArray> lines{QByteArray(52, '-'),
                            "300",
                            "L",
                            "1000",
                            "800",
                            "3",
                            "2",
                            "326",
                            "300",
                            "84",
                            "84",
                            "10",
                            "10",
                            "20",
                            "20",
                            "24"};
    for (const auto &[index, text] : changes)
        lines[index] = text;
    return lines.join(eol) + eol;
}

QByteArray records(int n)
{
    QByteArray all;
    for (int i = 1; i <= n; ++i)
        all += rec({{2, "r" + QByteArray::number(i)}});
    return all;
}

QList<int> numbers(const OutputSize &s)
{
    return {s.dpi,        s.paperWidth,  s.paperHeight,  s.columns,         s.rows,
            s.photoWidth, s.photoHeight, s.paperWidthMm, s.paperHeightMm,   s.rightMargin,
            s.leftMargin, s.topMargin,   s.bottomMargin, s.numberFontHeight};
}

// Every field different, so a swapped pair shows.
OutputSize customSize(const QString &label, int photoWidth)
{
    return {300, label, 3602, 2397, 4, 3, photoWidth, 560, 304, 202, 165, 166, 60, 50, 24};
}
const QString kLabel = QStringLiteral("300dpi[ 4× 3](3602px*2397px) カスタム　");
const QByteArray kRecord = QByteArray(52, '-') + "\r\n300\r\n" + sjis(kLabel) +
                           "\r\n3602\r\n2397\r\n4\r\n3\r\n785\r\n560\r\n304\r\n202\r\n165\r\n"
                           "166\r\n60\r\n50\r\n24\r\n";
} // namespace

class OutputSizesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void builtIn()
    {
        const OutputSize s = builtInOutputSize();
        QCOMPARE(ColumnGap(s), 44);
        QCOMPARE(RowGap(s), 15);
        QCOMPARE(PixelsToMm(s.paperWidth, s.dpi), 304);
        QCOMPARE(PixelsToMm(s.paperHeight, s.dpi), 202);
        QCOMPARE(millimetresToPixels(300, 2), 23);
        QCOMPARE(PixelsToMm(18724, 0), 0);
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("lastLabel");
        QTest::addColumn<int>("lastColumnGap");
        const QString builtIn = builtInOutputSize().label;
        const QByteArray a = rec({{2, "A"}}), c = rec({{2, "C"}});
        QTest::newRow("no file") << QByteArray() << 1 << builtIn << 44;
        QTest::newRow("120 records: 99 read") << records(120) << 100 << "r99" << 1;
        QTest::newRow("separator without hyphen") << a + rec({{0, "=-"}}) + c << 2 << "A" << 1;
        QTest::newRow("empty number line") << a + rec({{8, ""}}) + c << 2 << "A" << 1;
        QTest::newRow("dpi 71") << a + rec({{1, "71"}}) + c << 2 << "A" << 1;
        QTest::newRow("mm 82") << a + rec({{9, "82"}}) + c << 2 << "A" << 1;
        QTest::newRow("font 401") << a + rec({{15, "401"}}) + c << 2 << "A" << 1;
        QTest::newRow("photo 4097") << a + rec({{8, "4097"}}) + c << 2 << "A" << 1;
        QTest::newRow("dpi 72, font 5, atol text")
            << rec({{1, " 72dpi"}, {15, "5"}, {2, "B"}}) << 2 << "B" << 1;
        QTest::newRow("gap 0 from -1") << a + rec({{7, "327"}, {2, "C"}}) << 3 << "C" << 0;
        QTest::newRow("gap -2 rejected") << a + rec({{7, "328"}}) + c << 2 << "A" << 1;
        QTest::newRow("one column, remainder -5")
            << a + rec({{5, "1"}, {7, "985"}}) << 2 << "A" << 1;
        QTest::newRow("one column, remainder 0")
            << rec({{5, "1"}, {7, "980"}, {2, "C"}}) << 2 << "C" << 0;
        QTest::newRow("LF only") << rec({}, "\n") + rec({{2, "C"}}, "\n") << 3 << "C" << 1;
        QTest::newRow("last line without line end") << a + c.chopped(2) << 3 << "C" << 1;
        QTest::newRow("last line ends in 0x1A") << a + c.chopped(2) + "\x1a" << 3 << "C" << 1;
        QTest::newRow("incomplete last record") << a + c.left(40) << 2 << "A" << 1;
        QTest::newRow("label byte for byte")
            << rec({{2, sjis(QStringLiteral(" 自由な名前 %s\t×"))}}) << 2
            << QStringLiteral(" 自由な名前 %s\t×") << 1;
    }
    void load()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, count);
        QTemporaryDir dir;
        if (!content.isNull())
            writeFile(dir.filePath("CustomSize.def"), content);
        const OutputSizeTable table = LoadOutputSizes(dir.path());
        QCOMPARE(table.count, count);
        QCOMPARE(numbers(table.sizes[0]), numbers(builtInOutputSize()));
        QTEST(table.sizes[count - 1].label, "lastLabel");
        QTEST(ColumnGap(table.sizes[count - 1]), "lastColumnGap");
    }

    void label_data()
    {
        QTest::addColumn<QList<int>>("n");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::newRow("4 x 4") << QList<int>{300, 4, 4, 3602, 2397} << QStringLiteral("カスタム　")
                               << QStringLiteral("300dpi[ 4× 4](3602px*2397px) カスタム　");
        QTest::newRow("padding") << QList<int>{72, 5, 12, 800, 18724} << "A"
                                 << QStringLiteral(" 72dpi[ 5×12]( 800px*18724px) A");
        QTest::newRow("name kept") << QList<int>{400, 100, 1, 1, 1} << "%1 %s"
                                   << QStringLiteral("400dpi[100× 1](   1px*   1px) %1 %s");
    }
    void label()
    {
        QFETCH(QList<int>, n);
        QFETCH(QString, name);
        QTEST(FormatSizeLabel(n[0], n[1], n[2], n[3], n[4], name), "label");
    }

    void append_data()
    {
        QTest::addColumn<QByteArray>("existing"); // null: no file
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("photoWidth");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("after"); // null: no file
        const QByteArray a = rec();
        QTest::newRow("creates the file") << QByteArray() << kLabel << 785 << 0 << kRecord;
        QTest::newRow("empty file") << QByteArray("") << kLabel << 785 << 0 << kRecord;
        QTest::newRow("after a record") << a << kLabel << 785 << 0 << a + kRecord;
        QTest::newRow("line end added") << a.chopped(2) << kLabel << 785 << 0 << a + kRecord;
        QTest::newRow("LF after a lone CR") << a.chopped(1) << kLabel << 785 << 0 << a + kRecord;
        QTest::newRow("LF-only file")
            << rec({}, "\n") << kLabel << 785 << 0 << rec({}, "\n") + kRecord;
        const QByteArray partial = a + a.left(30);
        QTest::newRow("partial record") << partial << kLabel << 785 << -2 << partial;
        const QByteArray invalid = rec({{1, "71"}}) + a;
        QTest::newRow("invalid record") << invalid << kLabel << 785 << -2 << invalid;
        QTest::newRow("99 records: full") << records(99) << kLabel << 785 << -5 << records(99);
        QTest::newRow("over 99 records") << records(100) << kLabel << 785 << -2 << records(100);
        QTest::newRow("emoji label")
            << QByteArray() << QStringLiteral("名前😀") << 785 << -3 << QByteArray();
        QTest::newRow("line break in label") << a << "x\r\ny" << 785 << -3 << a;
        QTest::newRow("negative gap") << a << kLabel << 900 << -4 << a;
    }
    void append()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QString, label);
        QFETCH(int, photoWidth);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("CustomSize.def");
        if (!existing.isNull())
            writeFile(path, existing);
        const OutputSize size = customSize(label, photoWidth);
        QTEST(AppendCustomSize(dir.path(), size), "result");
        QCOMPARE(QFile::exists(path), !after.isNull());
        QCOMPARE(readFile(path), after);
        if (after.endsWith(kRecord)) {
            const OutputSizeTable table = LoadOutputSizes(dir.path());
            QCOMPARE(table.sizes[table.count - 1].label, label);
            QCOMPARE(numbers(table.sizes[table.count - 1]), numbers(size));
        }
    }

    void appendOnFullDisk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("CustomSize.def");
        const QByteArray old = rec().chopped(2); // the CR LF goes into the same write
        writeFile(path, old);
        const int rc = testfiles::runWithFileSizeLimit(old.size() + 2 + kRecord.size() - 1, [&] {
            return -AppendCustomSize(dir.path(), customSize(kLabel, 785));
        });
        QCOMPARE(rc, -AppendCustomSizeWriteFailed);
        QCOMPARE(readFile(path), old);
    }
};

MF_REGISTER_TEST(OutputSizesTest)
#include "tst_outputsizes.moc"
