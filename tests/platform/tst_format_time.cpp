#include "TestRegistry.h"
#include "platform/Format.h"
#include "platform/LocalTime.h"

#include <QTest>

using mf::FormatArg;

class FormatTimeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void check_data()
    {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        const QString per = "%s/%04d/%s%04d_%04d.jpg";
        QTest::newRow("per-orderer") << per << int(mf::FormatOk) << "/o/0012/7_0012_0345.jpg";
        QTest::newRow("percent literal")
            << "%s/%d%%%s%d_%d" << int(mf::FormatOk) << "/o/12%7_12_345";
        QTest::newRow("too few conversions") << "%s/%04d.jpg" << int(mf::FormatTooManyArgs) << "";
        QTest::newRow("too many conversions") << per + "%d%d" << int(mf::FormatTooFewArgs) << "";
        QTest::newRow("text for number")
            << "%s/%s/%s%04d_%04d" << int(mf::FormatTypeMismatch) << "";
        QTest::newRow("number for text")
            << "%d/%04d/%s%04d_%04d" << int(mf::FormatTypeMismatch) << "";
        QTest::newRow("%n refused") << "%s%n%s%d%d" << int(mf::FormatBadConversion) << "";
        QTest::newRow("star width refused")
            << "%s/%*d/%s%d%d" << int(mf::FormatBadConversion) << "";
        QTest::newRow("long modifier refused")
            << "%s/%ld/%s%d%d" << int(mf::FormatBadConversion) << "";
        QTest::newRow("huge width refused")
            << "%s/%99999d/%s%d%d" << int(mf::FormatBadConversion) << "";
        QTest::newRow("dangling percent") << "%s/%d/%s%d%d%" << int(mf::FormatBadConversion) << "";
    }
    void check()
    {
        QFETCH(QString, templ);
        QFETCH(int, result);
        QFETCH(QString, text);
        const QList<FormatArg> args{QStringLiteral("/o"), 12, QStringLiteral("7_"), 12, 345};
        QCOMPARE(mf::checkFormat(templ, args), result);
        QString out = "untouched";
        QCOMPARE(mf::formatChecked(templ, args, &out), result);
        QCOMPARE(out, result == mf::FormatOk ? text : QString("untouched"));
    }

    void japaneseTextArguments()
    {
        QString out;
        QCOMPARE(mf::formatChecked("%s/%s%04d.jpg",
                                   {QStringLiteral("/写真"), QStringLiteral("表_"), 7}, &out),
                 int(mf::FormatOk));
        QCOMPARE(out, QStringLiteral("/写真/表_0007.jpg"));
    }

    void dateTimeText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("japanese") << QLocale(QLocale::Japanese, QLocale::Japan);
        QTest::newRow("c") << QLocale::c();
        QTest::newRow("german") << QLocale(QLocale::German, QLocale::Germany);
    }
    void dateTimeText()
    {
        QFETCH(QLocale, locale);
        const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
        const QString text = mf::localDateTimeText(when, locale);
        // Date, a blank, the time with seconds, and no time zone name.
        QVERIFY2(text.contains(u' '), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("05")) && text.contains(QLatin1String("07")),
                 qPrintable(text));
        for (const char *zone : {"UTC", "JST", "CET", "GMT"})
            QVERIFY2(!text.contains(QLatin1String(zone)), qPrintable(text));
        QVERIFY2(!text.endsWith(u' '), qPrintable(text));
    }
};

MF_REGISTER_TEST(FormatTimeTest)
#include "tst_format_time.moc"
