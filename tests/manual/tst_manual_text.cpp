#include "ManualText.h"
#include "PdfOutline.h"
#include "TestRegistry.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>

namespace {

// Two pages, the first with a link to "#second" as Qt writes one from HTML.
QByteArray linkedPdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        QTextDocument doc;
        doc.setHtml(QStringLiteral("<a href=\"#second\">次へ</a>"));
        doc.drawContents(&painter);
        writer.newPage();
        painter.drawText(100, 100, QStringLiteral("2"));
    }
    return buffer.data();
}

// Every object the cross-reference table names starts where it says.
bool xrefHolds(const QByteArray &pdf)
{
    const qsizetype xref = pdf.lastIndexOf("\nxref\n") + 1;
    const QList<QByteArray> lines = pdf.mid(xref, pdf.indexOf("trailer", xref) - xref).split('\n');
    const int count = lines.value(1).split(' ').value(1).toInt();
    for (int n = 1; n < count; ++n) {
        const QList<QByteArray> entry = lines.value(n + 2).split(' ');
        if (entry.value(2) == "n" &&
            !pdf.mid(entry.value(0).toLongLong()).startsWith(QByteArray::number(n) + " 0 obj"))
            return false;
    }
    static const QRegularExpression start(QStringLiteral("startxref\\s+(\\d+)"));
    return count > 0 && start.match(QString::fromLatin1(pdf)).captured(1).toLongLong() == xref;
}

} // namespace

class ManualTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void joinJapaneseLines_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("joined");
        QTest::newRow("kana to kanji")
            << QStringLiteral("など\nフォルダ名") << QStringLiteral("などフォルダ名");
        QTest::newRow("indented, CRLF")
            << QStringLiteral("です。\r\n    次に") << QStringLiteral("です。次に");
        QTest::newRow("tag after the break")
            << QStringLiteral("の\n<b>連番</b>") << QStringLiteral("の<b>連番</b>");
        QTest::newRow("tags on both sides")
            << QStringLiteral("<b>保存</b>\n<span class=\"key\">次</span>")
            << QStringLiteral("<b>保存</b><span class=\"key\">次</span>");
        QTest::newRow("full-width bracket")
            << QStringLiteral("表示\n（注）") << QStringLiteral("表示（注）");
        QTest::newRow("latin before")
            << QStringLiteral("Ctrl+N\nで") << QStringLiteral("Ctrl+N\nで");
        QTest::newRow("latin after")
            << QStringLiteral("と\n<span>Enter</span>") << QStringLiteral("と\n<span>Enter</span>");
        QTest::newRow("space without a break stays")
            << QStringLiteral("例 です") << QStringLiteral("例 です");
        QTest::newRow("ideographic space kept")
            << QStringLiteral("目\u3000コ")
            << QStringLiteral("目<span style=\"white-space: pre\">\u3000</span>コ");
        QTest::newRow("text between tags is not skipped")
            << QStringLiteral("あ\n<b>x</b>い") << QStringLiteral("あ\n<b>x</b>い");
    }
    void joinJapaneseLines()
    {
        QFETCH(QString, html);
        QFETCH(QString, joined);
        QCOMPARE(manual::joinJapaneseLines(html), joined);
    }

    void spacesBetweenJapanese_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");
        QTest::newRow("between kana and kanji") << QStringLiteral("など フォルダ名") << 1;
        QTest::newRow("after a full stop") << QStringLiteral("ます。 次") << 1;
        QTest::newRow("no-break space") << QStringLiteral("あ\u00a0い") << 1;
        QTest::newRow("two") << QStringLiteral("あ い う") << 2;
        QTest::newRow("latin on one side") << QStringLiteral("Velmora 説明書、ページ 3") << 0;
        QTest::newRow("ideographic space") << QStringLiteral("小学校\u3000運動会") << 0;
        QTest::newRow("two spaces") << QStringLiteral("あ  い") << 0;
        QTest::newRow("at the edges") << QStringLiteral(" あ ") << 0;
    }
    void spacesBetweenJapanese()
    {
        QFETCH(QString, text);
        QFETCH(int, found);
        QCOMPARE(manual::spacesBetweenJapanese(text).size(), found);
    }

    // The stamps Qt writes, replaced with the same length; bytes without one are refused.
    void makeReproducible_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QByteArray>("fixed"); // empty: refused
        QTest::newRow("UTC") << QByteArray("/CreationDate (D:20261208230102Z)")
                             << QByteArray("/CreationDate (D:20261010010203Z)");
        QTest::newRow("local offset") << QByteArray("/CreationDate (D:20261208230102+09'00')")
                                      << QByteArray("/CreationDate (D:20261010010203+00'00')");
        QTest::newRow("two dates") << QByteArray("(D:20261208230102Z) (D:20261209000000Z)")
                                   << QByteArray("(D:20261010010203Z) (D:20261010010203Z)");
        QTest::newRow("no date") << QByteArray("%PDF-1.4 nothing dated here") << QByteArray();
    }
    void makeReproducible()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(QByteArray, fixed);
        const QDateTime date(QDate(2026, 10, 10), QTime(1, 2, 3), Qt::UTC);
        QCOMPARE(manual::makeReproducible(pdf, date), !fixed.isEmpty());
        if (!fixed.isEmpty())
            QCOMPARE(pdf, fixed);
    }
};

class PdfOutlineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outlineAndLinks()
    {
        QByteArray pdf = linkedPdf();
        QVERIFY(pdf.contains("/URI (#second)"));
        const QList<manual::PdfHeading> headings = {
            {QStringLiteral("1. はじめ"), 1, 0, 50, QString()},
            {QStringLiteral("1.1 節"), 2, 0, 300, QString()},
            {QStringLiteral("2. 次"), 1, 1, 80, QStringLiteral("second")}};
        QString error;
        QVERIFY2(manual::addOutlineAndLinks(pdf, headings, &error), qPrintable(error));
        QVERIFY(xrefHolds(pdf));
        QVERIFY(!pdf.contains("/URI (#second)"));
        QVERIFY(pdf.contains("/S /GoTo"));
        QVERIFY(pdf.contains("/Type /Outlines"));
        QVERIFY(pdf.contains("/PageMode /UseOutlines"));
        QCOMPARE(pdf.count("/Title <FEFF"), 3);
        // Two chapters at the top, the section closed under the first.
        QVERIFY(pdf.contains("/Count 2\n"));
        QVERIFY(pdf.contains("/Count -1\n"));
    }

    void linkWithoutHeadingFails()
    {
        QByteArray pdf = linkedPdf();
        const QByteArray before = pdf;
        QString error;
        QVERIFY(
            !manual::addOutlineAndLinks(pdf, {{QStringLiteral("1"), 1, 0, 0, QString()}}, &error));
        QVERIFY(error.contains(QStringLiteral("#second")));
        QCOMPARE(pdf, before);
    }

    void notQtsShapeFails()
    {
        QByteArray pdf = "%PDF-1.4\nno table here\n";
        QString error;
        QVERIFY(!manual::addOutlineAndLinks(pdf, {}, &error));
        QVERIFY(!error.isEmpty());
    }
};

MF_REGISTER_TEST(ManualTextTest)
MF_REGISTER_TEST(PdfOutlineTest)
#include "tst_manual_text.moc"
