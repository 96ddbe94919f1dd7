#include "TestRegistry.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

#include <QTest>

#include <climits>

namespace {
constexpr qint64 kWideLimit = Q_INT64_C(1000000000000000000);
}

class NumbersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // parseAtol, and parseTypedNumber, which reads full-width digits as the digits they show.
    void atol_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("typed");
        QTest::addColumn<qint64>("wide"); // read in 64 bits, saturating at 10^18
        QTest::newRow("plain") << "123" << 123 << 123 << qint64(123);
        QTest::newRow("leading blanks") << " \t 42" << 42 << 42 << qint64(42);
        QTest::newRow("sign minus") << "-2" << -2 << -2 << qint64(-2);
        QTest::newRow("sign plus") << "+7" << 7 << 7 << qint64(7);
        QTest::newRow("trailing letters") << "12a" << 12 << 12 << qint64(12);
        QTest::newRow("letters only") << "abc" << 0 << 0 << qint64(0);
        QTest::newRow("empty") << "" << 0 << 0 << qint64(0);
        QTest::newRow("sign only") << "-" << 0 << 0 << qint64(0);
        QTest::newRow("blank between sign") << "- 5" << 0 << 0 << qint64(0);
        QTest::newRow("leading zeros") << "0007" << 7 << 7 << qint64(7);
        QTest::newRow("overflow saturates")
            << "99999999999999999999" << INT_MAX << INT_MAX << qint64(kWideLimit);
        QTest::newRow("negative overflow")
            << "-99999999999999999999" << INT_MIN << INT_MIN << qint64(-kWideLimit);
        QTest::newRow("one past int max")
            << "2147483648" << INT_MAX << INT_MAX << qint64(2147483648LL);
        QTest::newRow("one past the wide limit")
            << "1000000000000000001" << INT_MAX << INT_MAX << kWideLimit;
        QTest::newRow("int min") << "-2147483648" << INT_MIN << INT_MIN << qint64(INT_MIN);
        QTest::newRow("full-width 12") << QStringLiteral("１２") << 0 << 12 << qint64(0);
        QTest::newRow("half then full") << QStringLiteral("1５") << 1 << 15 << qint64(1);
        QTest::newRow("full-width then letters")
            << QStringLiteral("１５０円") << 0 << 150 << qint64(0);
        QTest::newRow("full-width minus stays a letter")
            << QStringLiteral("－５") << 0 << 0 << qint64(0);
    }
    void atol()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, typed);
        QFETCH(qint64, wide);
        QCOMPARE(mf::parseAtol(text), value);
        QCOMPARE(mf::parseAtol(text.toUtf8()), value);
        QCOMPARE(mf::parseAtol(text, kWideLimit), wide);
        QCOMPARE(mf::parseAtol(text.toUtf8(), kWideLimit), wide);
        QCOMPARE(mf::parseTypedNumber(text), typed);
    }

    // Texts as studios type them and spreadsheets save them: the value read without and with
    // a yen sign allowed, or none for "not a number".
    void readNumber_data()
    {
        constexpr qint64 none = LLONG_MIN;
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("plain");
        QTest::addColumn<qint64>("yen");
        const struct {
            const char *name, *text;
            qint64 plain, yen;
        } rows[] = {
            {"digits", "17", 17, 17},
            {"blanks around", " \t 200 ", 200, 200},
            {"full-width space around", "\u3000１７\u3000", 17, 17},
            {"full-width digits", "１２００", 1200, 1200},
            {"mixed widths", "1２0０", 1200, 1200},
            {"grouped", "1,200", 1200, 1200},
            {"grouped twice", "12,345,678", 12345678, 12345678},
            {"grouped full-width", "１,２００", 1200, 1200},
            {"full-width comma", "１，２００", 1200, 1200},
            {"group of four", "1,2000", none, none},
            {"first group of four", "1200,000", none, none},
            {"group of two", "1,20", none, none},
            {"comma first", ",200", none, none},
            {"comma last", "200,", none, none},
            {"two commas", "1,,200", none, none},
            {"negative", "-5", -5, -5},
            {"plus", "+5", 5, 5},
            {"sign alone", "-", none, none},
            {"range", "5-8", none, none},
            {"trailing letter", "12a", none, none},
            {"letters", "abc", none, none},
            {"empty", "", none, none},
            {"blanks only", "  ", none, none},
            {"blank inside", "1 200", none, none},
            {"yen sign U+00A5", "\u00A51,000", none, 1000},
            {"full-width yen", "￥1,200", none, 1200},
            {"backslash as Shift-JIS shows the yen", "\\1,000", none, 1000},
            {"yen and blank", "￥ 1,200", none, 1200},
            {"yen after sign", "-\u00A51,000", none, -1000},
            {"sign after yen", "\u00A5-1,000", none, -1000},
            {"yen alone", "\u00A5", none, none},
            {"yen after the number", "1,000\u00A5", none, none},
            {"two yen signs", "\u00A5\u00A51", none, none},
            {"en after", "1,000円", none, 1000},
            {"en after a blank", "1000 円", none, 1000},
            {"en before", "円1000", none, none},
            {"en alone", "円", none, none},
            {"yen and en", "￥1,000円", none, 1000},
            {"saturates", "99999999999999999999999", qint64(1) << 60, qint64(1) << 60},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << QString::fromUtf8(r.text) << r.plain << r.yen;
    }
    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(qint64, plain);
        QFETCH(qint64, yen);
        QCOMPARE(mf::readNumber(text).value_or(LLONG_MIN), plain);
        QCOMPARE(mf::readNumber(text, mf::NumberForm::Yen).value_or(LLONG_MIN), yen);
    }

    void endsWithSeparator_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("result");
        QTest::newRow("empty") << "" << -3;
        QTest::newRow("plain") << "/photos/a" << 0;
        QTest::newRow("trailing") << "/photos/a/" << 1;
        QTest::newRow("root") << "/" << 1;
        // 表 is 0x95 0x5C in Shift-JIS: its second byte must not pass for a separator.
        QTest::newRow("double-byte 0x5C") << QStringLiteral("/写真/表") << 0;
        QTest::newRow("ソ") << QStringLiteral("/写真/ソ") << 0;
        QTest::newRow("2047 bytes") << QString(u'/') + QString(2046, u'a') << 0;
        QTest::newRow("2048 bytes") << QString(u'/') + QString(2047, u'a') << -2;
        QTest::newRow("1024 double-byte") << QString(u'/') + QString(1024, QChar(0x8868)) << -2;
    }
    void endsWithSeparator()
    {
        QFETCH(QString, path);
        QFETCH(int, result);
        QCOMPARE(mf::EndsWithSeparator(path), result);
    }

    void joinPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("joined");
        QTest::newRow("adds one") << "/a"
                                  << "b.jpg"
                                  << "/a/b.jpg";
        QTest::newRow("keeps one") << "/a/"
                                   << "b.jpg"
                                   << "/a/b.jpg";
        QTest::newRow("double-byte end")
            << QStringLiteral("/写真/表") << "x" << QStringLiteral("/写真/表/x");
    }
    void joinPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, joined);
        QCOMPARE(mf::joinPath(folder, name), joined);
    }
};

MF_REGISTER_TEST(NumbersTest)
#include "tst_numbers.moc"
