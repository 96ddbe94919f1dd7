#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/Numbers.h"
#include "sheets/CustomSizeForm.h"

#include <QTemporaryDir>
#include <QTest>

using namespace mf;

Q_DECLARE_METATYPE(mf::CustomSizeTexts)

namespace {

const QString kTitle = QStringLiteral("Velmora\u3000");

// Field edits on top of the built-in size's texts: "field=text".
CustomSizeTexts edited(const QStringList &edits)
{
    CustomSizeTexts t = customSizeTexts(builtInOutputSize());
    for (const QString &edit : edits) {
        const QString field = edit.section(u'=', 0, 0), text = edit.section(u'=', 1);
        QString CustomSizeTexts::*member = field == u"name"    ? &CustomSizeTexts::name
                                           : field == u"dpi"   ? &CustomSizeTexts::dpi
                                           : field == u"pw"    ? &CustomSizeTexts::paperWidth
                                           : field == u"ph"    ? &CustomSizeTexts::paperHeight
                                           : field == u"w"     ? &CustomSizeTexts::photoWidth
                                           : field == u"h"     ? &CustomSizeTexts::photoHeight
                                           : field == u"cols"  ? &CustomSizeTexts::columns
                                           : field == u"rows"  ? &CustomSizeTexts::rows
                                           : field == u"left"  ? &CustomSizeTexts::leftMargin
                                           : field == u"right" ? &CustomSizeTexts::rightMargin
                                           : field == u"top"   ? &CustomSizeTexts::topMargin
                                           : field == u"bottom"
                                               ? &CustomSizeTexts::bottomMargin
                                               : &CustomSizeTexts::numberFontHeight;
        t.*member = text;
    }
    return t;
}

CustomSizeTexts allEmpty()
{
    CustomSizeTexts t;
    return t;
}

QString range(const QString &text, int min, int max)
{
    return text + QStringLiteral("(%1 ～%2)").arg(min).arg(max);
}

const QString dpiMsg = range(QStringLiteral("画面の解像度(DPI)が不正です。"), 72, 400);
const QString fontMsg = range(QStringLiteral("フォントの高さが不正な値です。"), 5, 400);
const QString widthMmMsg = range(QStringLiteral("画面の幅サイズが不正です。"), 83, 1189);
const QString heightMmMsg = range(QStringLiteral("画面の縦サイズが不正です。"), 83, 1189);
const QStringList layoutMsgs{
    range(QStringLiteral("画面の幅が不正な値です。"), 1, 18724),
    range(QStringLiteral("画面の高さが不正な値です。"), 1, 18724),
    range(QStringLiteral("写真1枚あたりの幅が不正な値です。"), 1, 4096),
    range(QStringLiteral("写真1枚あたりの高さが不正な値です。"), 1, 4096),
    range(QStringLiteral("行数が不正な値です。"), 1, 100),
    range(QStringLiteral("列数が不正な値です。"), 1, 100),
    range(QStringLiteral("左余白サイズが不正な値です。"), 1, 999),
    range(QStringLiteral("右余白サイズが不正な値です。"), 1, 999),
    range(QStringLiteral("上余白サイズが不正な値です。"), 1, 999),
    range(QStringLiteral("下余白サイズが不正な値です。"), 1, 999),
};

QList<int> numbers(const OutputSize &s)
{
    return {s.dpi,        s.paperWidth,  s.paperHeight,  s.columns,         s.rows,
            s.photoWidth, s.photoHeight, s.paperWidthMm, s.paperHeightMm,   s.rightMargin,
            s.leftMargin, s.topMargin,   s.bottomMargin, s.numberFontHeight};
}

} // namespace

class CustomSizeFormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Both commands on the same texts: every message in its order, and what was written.
    void commands_data()
    {
        QTest::addColumn<CustomSizeTexts>("texts");
        QTest::addColumn<QStringList>("applyMessages");
        QTest::addColumn<QStringList>("registerMessages");
        const QStringList none;
        const QString negative = msg::negativeGap;
        QTest::newRow("unchanged") << edited({}) << none << none;
        QTest::newRow("edges") << edited({"dpi=72", "pw=3370", "font=5", "left=1", "right=329",
                                          "cols=1", "w=3039"})
                               << none << none;
        QTest::newRow("dpi 71: no millimetre check")
            << edited({"dpi=71"}) << QStringList{dpiMsg} << QStringList{dpiMsg};
        QTest::newRow("dpi 401") << edited({"dpi=401"}) << QStringList{dpiMsg}
                                 << QStringList{dpiMsg};
        QTest::newRow("font 4") << edited({"font=4"}) << QStringList{fontMsg}
                                << QStringList{fontMsg};
        QTest::newRow("900 px at 300 dpi is 76 mm: applied, not registered")
            << edited({"pw=900", "cols=1", "w=500"}) << none << QStringList{widthMmMsg};
        QTest::newRow("14055 px at 300 dpi is 1189 mm") << edited({"ph=14055"}) << none << none;
        QTest::newRow("14056 px at 300 dpi is 1190 mm")
            << edited({"ph=14056"}) << none << QStringList{heightMmMsg};
        QTest::newRow("empty name and wrong margin")
            << edited({"name=", "left=0"}) << QStringList{layoutMsgs[6]}
            << QStringList{msg::customNameMissing, layoutMsgs[6]};
        QTest::newRow("negative gap")
            << edited({"w=900"}) << QStringList{negative} << QStringList{negative};
        QTest::newRow("negative gap after an empty name")
            << edited({"name=", "w=900"}) << QStringList{negative}
            << QStringList{msg::customNameMissing, negative};
        // The gap is that of the size's own values where a field is invalid.
        QTest::newRow("invalid field, gap from the others")
            << edited({"rows=0", "h=800"}) << QStringList{layoutMsgs[4], negative}
            << QStringList{layoutMsgs[4]};
        QTest::newRow("all empty")
            << allEmpty() << QStringList{dpiMsg, fontMsg} + layoutMsgs
            << QStringList{msg::customNameMissing, dpiMsg, fontMsg} + layoutMsgs;
        QTest::newRow("all empty but dpi")
            << edited({"pw=", "ph=", "w=", "h=", "cols=", "rows=", "left=", "right=", "top=",
                       "bottom=", "font=", "name="})
            << QStringList{fontMsg} + layoutMsgs
            << QStringList{msg::customNameMissing, widthMmMsg, heightMmMsg, fontMsg} + layoutMsgs;
        QTest::newRow("emoji in the name")
            << edited({"name=名前😀"}) << none << QStringList{msg::customNameUnsavable};
        QTest::newRow("line break in the name")
            << edited({"name=a\nb"}) << none << QStringList{msg::customNameUnsavable};
        QTest::newRow("end-of-file mark in the name")
            << edited({"name=a\x1a"}) << none << QStringList{msg::customNameUnsavable};
    }
    void commands()
    {
        QFETCH(CustomSizeTexts, texts);
        QFETCH(QStringList, applyMessages);
        QFETCH(QStringList, registerMessages);

        ScriptedPrompter prompter;
        const OutputSize before = builtInOutputSize();
        OutputSize size = before;
        QCOMPARE(ApplySizeEdits(size, texts, prompter, kTitle), applyMessages.isEmpty());
        QCOMPARE(prompter.texts(), applyMessages);
        // What was applied shows as the texts that were typed (a swapped field shows).
        CustomSizeTexts shown = customSizeTexts(applyMessages.isEmpty() ? size : before);
        shown.name = texts.name;
        QVERIFY(applyMessages.isEmpty() ? shown == texts : numbers(size) == numbers(before));
        QCOMPARE(size.label, before.label);

        QTemporaryDir dir;
        OutputSizeTable table = LoadOutputSizes(dir.path());
        ScriptedPrompter registering;
        const int index = RegisterCustomSize(table, texts, dir.path(), registering, kTitle);
        QCOMPARE(registering.texts(), registerMessages);
        for (const RecordedBox &box : registering.boxes + prompter.boxes) {
            QCOMPARE(box.caption, kTitle);
            QVERIFY(!box.question);
        }
        QCOMPARE(index, registerMessages.isEmpty() ? 1 : RegisterInvalid);
        QCOMPARE(table.count, registerMessages.isEmpty() ? 2 : 1);
        const OutputSizeTable reloaded = LoadOutputSizes(dir.path());
        QCOMPARE(reloaded.count, table.count);
        if (index == 1) {
            QCOMPARE(numbers(reloaded.sizes[1]), numbers(table.sizes[1]));
            QCOMPARE(reloaded.sizes[1].label, table.sizes[1].label);
        }
    }

    void registeredSize()
    {
        QTemporaryDir dir;
        OutputSizeTable table = LoadOutputSizes(dir.path());
        ScriptedPrompter prompter;
        // A wave dash typed on Linux is stored in the spelling Shift-JIS has.
        const CustomSizeTexts texts = edited({"name=A\u301CB", "rows=3", "left=166"});
        QCOMPARE(RegisterCustomSize(table, texts, dir.path(), prompter, kTitle), 1);
        const OutputSize &s = table.sizes[1];
        QCOMPARE(s.label, QStringLiteral("300dpi[ 4× 3](3602px*2397px) A\uFF5EB"));
        QCOMPARE(numbers(s),
                 (QList<int>{300, 3602, 2397, 4, 3, 785, 560, 304, 202, 165, 166, 60, 50, 24}));
    }

    void tableLimit_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("99 sizes: the last slot") << 99 << 99 << QStringList();
        QTest::newRow("100 sizes: full")
            << 100 << int(RegisterTableFull) << QStringList{msg::customSizeTableFull};
    }
    void tableLimit()
    {
        QFETCH(int, count);
        QTemporaryDir dir;
        OutputSizeTable table;
        table.count = count;
        ScriptedPrompter prompter;
        QTEST(RegisterCustomSize(table, edited({}), dir.path(), prompter, kTitle), "result");
        QTEST(prompter.texts(), "messages");
        QCOMPARE(table.count, 100);
        QCOMPARE(QFile::exists(dir.filePath("CustomSize.def")), count < 100);
    }

    // The size enters the table even when the file cannot take it; the operator is told.
    void failures()
    {
        QTemporaryDir dir;
        OutputSizeTable table = LoadOutputSizes(dir.path());
        ScriptedPrompter prompter;
        QCOMPARE(RegisterCustomSize(table, edited({}), dir.filePath("missing"), prompter, kTitle),
                 int(RegisterNoProgramFolder));
        QCOMPARE(prompter.texts(), QStringList{msg::customSizeNoFolder});
        QCOMPARE(table.count, 1);

        const QByteArray damaged = QByteArray(52, '-') + "\r\n300\r\n";
        testfiles::writeFile(dir.filePath("CustomSize.def"), damaged);
        prompter.boxes.clear();
        QCOMPARE(RegisterCustomSize(table, edited({}), dir.path(), prompter, kTitle), 1);
        QCOMPARE(prompter.texts(), QStringList{msg::customSizeNotSaved});
        QCOMPARE(table.count, 2);
        QCOMPARE(testfiles::readFile(dir.filePath("CustomSize.def")), damaged);
    }

    void displays_data()
    {
        QTest::addColumn<CustomSizeTexts>("texts");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("row");
        QTest::newRow("one row") << edited({"rows=1"}) << "44 pix (3mm)"
                                 << "-";
        QTest::newRow("dpi 71") << edited({"dpi=71"}) << "-"
                                << "-";
        QTest::newRow("gap at 72 dpi") << edited({"dpi=72"}) << "44 pix (15mm)"
                                       << "15 pix (5mm)";
        QTest::newRow("font height plays no part") << edited({"font="}) << "44 pix (3mm)"
                                                   << "15 pix (1mm)";
        QTest::newRow("negative gap shown") << edited({"w=830"}) << "-16 pix (-1mm)"
                                            << "15 pix (1mm)";
    }
    void displays()
    {
        QFETCH(CustomSizeTexts, texts);
        const GapLabels gaps = gapLabels(texts);
        QTEST(gaps.column, "column");
        QTEST(gaps.row, "row");
    }
};

MF_REGISTER_TEST(CustomSizeFormTest)
#include "tst_customsizeform.moc"
