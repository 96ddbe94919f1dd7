#include "TestRegistry.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

#include <QTest>

#include <climits>

class NumbersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // parseAtol, and parseTypedNumber, which reads full-width digits as the digits they show.
    void atol_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("typed");
        QTest::newRow("plain") << "123" << 123 << 123;
        QTest::newRow("leading blanks") << " \t 42" << 42 << 42;
        QTest::newRow("sign minus") << "-2" << -2 << -2;
        QTest::newRow("sign plus") << "+7" << 7 << 7;
        QTest::newRow("trailing letters") << "12a" << 12 << 12;
        QTest::newRow("letters only") << "abc" << 0 << 0;
        QTest::newRow("empty") << "" << 0 << 0;
        QTest::newRow("sign only") << "-" << 0 << 0;
        QTest::newRow("blank between sign") << "- 5" << 0 << 0;
        QTest::newRow("leading zeros") << "0007" << 7 << 7;
        QTest::newRow("overflow saturates") << "99999999999999999999" << INT_MAX << INT_MAX;
        QTest::newRow("negative overflow") << "-99999999999999999999" << INT_MIN << INT_MIN;
        QTest::newRow("int min") << "-2147483648" << INT_MIN << INT_MIN;
        QTest::newRow("full-width 12") << QStringLiteral("１２") << 0 << 12;
        QTest::newRow("half then full") << QStringLiteral("1５") << 1 << 15;
        QTest::newRow("full-width then letters") << QStringLiteral("１５０円") << 0 << 150;
        QTest::newRow("full-width minus stays a letter") << QStringLiteral("－５") << 0 << 0;
    }
    void atol()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, typed);
        QCOMPARE(mf::parseAtol(text), value);
        QCOMPARE(mf::parseAtol(text.toUtf8()), value);
        QCOMPARE(mf::parseTypedNumber(text), typed);
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
