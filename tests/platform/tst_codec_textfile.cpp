#include "TestFiles.h"
#include "TestRegistry.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Jpeg.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using testfiles::readFile;
using testfiles::writeFile;

class CodecTextFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // empty: must be refused
        QTest::newRow("ascii") << "abc" << QByteArray("abc");
        QTest::newRow("kanji with 0x5C trail") << QStringLiteral("表") << QByteArray("\x95\x5c");
        QTest::newRow("full-width tilde") << QStringLiteral("～") << QByteArray("\x81\x60");
        QTest::newRow("NEC special") << QStringLiteral("①") << QByteArray("\x87\x40");
        QTest::newRow("half-width kana") << QStringLiteral("ｱ") << QByteArray("\xb1");
        QTest::newRow("emoji refused") << QStringLiteral("a😀") << QByteArray();
        QTest::newRow("wave dash refused") << QStringLiteral("〜") << QByteArray();
        QTest::newRow("hangul refused") << QStringLiteral("한") << QByteArray();
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QByteArray out = "untouched";
        QCOMPARE(mf::encodeCp932(text, &out), !bytes.isEmpty());
        QCOMPARE(out, bytes.isEmpty() ? QByteArray("untouched") : bytes);
        if (!bytes.isEmpty())
            QCOMPARE(mf::fromCp932(bytes), text);
    }

    // Bytes 0x00 to 0x7F are the same code points both ways, controls included: a name
    // holding U+001C must never be written as 0x1A, which readers take as a line end.
    void asciiIsItself_data()
    {
        QTest::addColumn<int>("code");
        for (int c = 0; c < 0x80; ++c)
            QTest::newRow(qPrintable(QStringLiteral("U+%1").arg(c, 4, 16, QChar(u'0')))) << c;
    }
    void asciiIsItself()
    {
        QFETCH(int, code);
        const QString text = QStringLiteral("a") + QChar(char16_t(code)) + QStringLiteral("表");
        const QByteArray bytes = QByteArray("a") + char(code) + QByteArray("\x95\x5c");
        QByteArray out;
        QVERIFY(mf::encodeCp932(text, &out));
        QCOMPARE(out, bytes);
        QCOMPARE(mf::fromCp932(bytes), text);
    }

    void undecodableBytesBecomeReplacement_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString bad = QString(QChar(0xFFFD));
        QTest::newRow("lone lead byte at the end") << QByteArray("a\x81") << "a" + bad;
        QTest::newRow("lead byte before a space") << QByteArray("\x81 b") << bad + " b";
        QTest::newRow("lead byte before a line end") << QByteArray("\x95\n") << bad + "\n";
        QTest::newRow("lead byte before DEL") << QByteArray("\x81\x7f") << bad + "\x7f";
        QTest::newRow("0x80") << QByteArray("\x80") << bad;
        QTest::newRow("0xA0") << QByteArray("\xa0") << bad;
        QTest::newRow("0xFD 0xFE 0xFF") << QByteArray("\xfd\xfe\xff") << bad + bad + bad;
        QTest::newRow("unassigned pair") << QByteArray("\x85\x80x") << bad + "x";
        QTest::newRow("unassigned pair, ASCII trail kept")
            << QByteArray("\x85\x5cx") << bad + "\\x";
        QTest::newRow("half-width kana ends")
            << QByteArray("\xa1\xdf") << QStringLiteral("\uff61\uff9f");
        QTest::newRow("kana, kanji, NEC, IBM")
            << QByteArray("\x83\x65\x83\x58\x83\x67\x95\x5c\x87\x40\xfa\x40")
            << QStringLiteral("テスト表①ⅰ");
    }
    void undecodableBytesBecomeReplacement()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(mf::fromCp932(bytes), text);
        if (!text.contains(QChar(0xFFFD)))
            QCOMPARE(testfiles::sjis(text), bytes);
        else
            QVERIFY(!mf::fitsCp932(text)); // U+FFFD itself is never written
    }

    void spellingMapsLinuxInputToCp932()
    {
        const QString typed = QStringLiteral("1〜2−3—4‖¢£¬");
        QVERIFY(!mf::fitsCp932(typed));
        const QString mapped = mf::toCp932Spelling(typed);
        QVERIFY(mf::fitsCp932(mapped));
        QCOMPARE(mapped, QStringLiteral("1～2－3―4∥￠￡￢"));
    }

    void cutsOnlyBetweenCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("kept");
        QTest::newRow("fits") << QStringLiteral("あい") << 4 << QStringLiteral("あい");
        QTest::newRow("odd limit") << QStringLiteral("あい") << 3 << QStringLiteral("あ");
        QTest::newRow("mixed") << QStringLiteral("aあb") << 2 << QStringLiteral("a");
        QTest::newRow("zero") << QStringLiteral("abc") << 0 << QString();
    }
    void cutsOnlyBetweenCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, max);
        QFETCH(QString, kept);
        QCOMPARE(mf::leftCp932(text, max), kept);
        QCOMPARE(mf::fromCp932(mf::leftCp932Bytes(testfiles::sjis(text), max)), kept);
    }

    void lineReader_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("buffer");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("LF") << QByteArray("a\nbc\n") << 100 << QList<QByteArray>{"a\n", "bc\n"};
        QTest::newRow("CR LF reads as LF")
            << QByteArray("a\r\nbc\r\n") << 100 << QList<QByteArray>{"a\n", "bc\n"};
        QTest::newRow("no final line end")
            << QByteArray("a\nlast") << 100 << QList<QByteArray>{"a\n", "last"};
        QTest::newRow("long line in pieces")
            << QByteArray("abcdefg\n") << 4 << QList<QByteArray>{"abc", "def", "g\n"};
        QTest::newRow("CR LF split by the buffer")
            << QByteArray("ab\r\nc") << 3 << QList<QByteArray>{"ab", "\n", "c"};
        QTest::newRow("NUL bytes kept")
            << QByteArray("a\0b\n", 4) << 100 << QList<QByteArray>{QByteArray("a\0b\n", 4)};
        QTest::newRow("lone CR is data")
            << QByteArray("a\rb\n") << 100 << QList<QByteArray>{"a\rb\n"};
        QTest::newRow("empty file") << QByteArray() << 100 << QList<QByteArray>{};
    }
    void lineReader()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, buffer);
        QFETCH(QList<QByteArray>, lines);
        QTemporaryDir dir;
        writeFile(dir.filePath("f.txt"), content);
        mf::LineReader reader(buffer);
        QVERIFY(reader.open(dir.filePath("f.txt")));
        QList<QByteArray> got;
        QByteArray line;
        while (reader.readLine(&line))
            got.append(line);
        QCOMPARE(got, lines);
    }

    void lineReaderSurvivesHugeLineWithoutGrowing()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("big.txt"), QByteArray(3 * 1024 * 1024, 'x'));
        mf::LineReader reader(2048);
        QVERIFY(reader.open(dir.filePath("big.txt")));
        QByteArray line;
        int pieces = 0;
        while (reader.readLine(&line)) {
            QVERIFY(line.size() <= 2047);
            ++pieces;
        }
        QCOMPARE(pieces, (3 * 1024 * 1024 + 2046) / 2047);
        QVERIFY(!reader.readFailed());
        // A read that fails is told apart from the end of the file.
        QVERIFY(reader.open(QStringLiteral("/proc/self/mem")));
        QVERIFY(!reader.readLine(&line));
        QVERIFY(reader.readFailed());
    }

    // Skip mode drops a line longer than the buffer whole (never returns its pieces); the
    // cap stops reading after maxFileBytes, and a line cut by the cap is not returned.
    void lineReaderLimits_data()
    {
        using Mode = mf::LineReader::LongLines;
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("buffer");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<bool>("stopped");
        const Mode skip = Mode::Skip, split = Mode::Split;
        QTest::newRow("exactly at the limit") << QByteArray("abc\nxy\n") << 5 << skip << qint64(-1)
                                              << QList<QByteArray>{"abc\n", "xy\n"} << 0 << false;
        QTest::newRow("one byte over") << QByteArray("abcd\nxy\n") << 5 << skip << qint64(-1)
                                       << QList<QByteArray>{"xy\n"} << 1 << false;
        QTest::newRow("CR LF at the boundary fits")
            << QByteArray("abc\r\nx") << 5 << skip << qint64(-1) << QList<QByteArray>{"abc\n", "x"}
            << 0 << false;
        QTest::newRow("CR LF at the boundary over")
            << QByteArray("abcd\r\nx") << 5 << skip << qint64(-1) << QList<QByteArray>{"x"} << 1
            << false;
        QTest::newRow("last line at the limit without LF")
            << QByteArray("a\nabcd") << 5 << skip << qint64(-1) << QList<QByteArray>{"a\n", "abcd"}
            << 0 << false;
        QTest::newRow("last line over without LF")
            << QByteArray("a\nabcde") << 5 << skip << qint64(-1) << QList<QByteArray>{"a\n"} << 1
            << false;
        QTest::newRow("huge line in the middle")
            << QByteArray("a\n" + QByteArray(3 * 1024 * 1024, 'x') + "\nb\n") << 2048 << skip
            << qint64(-1) << QList<QByteArray>{"a\n", "b\n"} << 1 << false;
        QTest::newRow("two long lines in a row")
            << QByteArray("xxxxxx\nyyyyy\r\nz") << 5 << skip << qint64(-1) << QList<QByteArray>{"z"}
            << 2 << false;
        QTest::newRow("split mode unchanged") << QByteArray("abcd\nx") << 5 << split << qint64(-1)
                                              << QList<QByteArray>{"abcd", "\n", "x"} << 0 << false;
        QTest::newRow("file exactly the cap") << QByteArray("ab\ncd\n") << 100 << split << qint64(6)
                                              << QList<QByteArray>{"ab\n", "cd\n"} << 0 << false;
        QTest::newRow("cap at a line end")
            << QByteArray("ab\ncd\nef\n") << 100 << split << qint64(6)
            << QList<QByteArray>{"ab\n", "cd\n"} << 0 << true;
        QTest::newRow("cap in the middle of a line")
            << QByteArray("ab\ncdef\n") << 100 << skip << qint64(5) << QList<QByteArray>{"ab\n"}
            << 0 << true;
        QTest::newRow("cap between CR and LF") << QByteArray("ab\r\ncd") << 100 << split
                                               << qint64(3) << QList<QByteArray>{} << 0 << true;
        QTest::newRow("cap in a skipped line")
            << QByteArray("a\nxxxxxxxx\nb\n") << 5 << skip << qint64(8) << QList<QByteArray>{"a\n"}
            << 1 << true;
        QTest::newRow("cap 0, empty file")
            << QByteArray() << 100 << split << qint64(0) << QList<QByteArray>{} << 0 << false;
        QTest::newRow("cap 0") << QByteArray("a") << 100 << split << qint64(0)
                               << QList<QByteArray>{} << 0 << true;
    }
    void lineReaderLimits()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, buffer);
        QFETCH(mf::LineReader::LongLines, mode);
        QFETCH(qint64, cap);
        QFETCH(QList<QByteArray>, lines);
        QFETCH(int, skipped);
        QFETCH(bool, stopped);
        QTemporaryDir dir;
        writeFile(dir.filePath("f.txt"), content);
        mf::LineReader reader(buffer, mode, cap);
        QVERIFY(reader.open(dir.filePath("f.txt")));
        QList<QByteArray> got;
        QByteArray line;
        while (reader.readLine(&line))
            got.append(line);
        QCOMPARE(got, lines);
        QCOMPARE(reader.skippedLines(), skipped);
        QCOMPARE(reader.stoppedAtCap(), stopped);
        QVERIFY(!reader.readLine(&line)); // stays at the end
    }

    // Anything but a regular file is refused at once by every reader, the photo readers and
    // the copy included: a FIFO without a writer must not block, /dev/zero must not feed an
    // endless line. A child process with an alarm turns a hang into a failure.
    void readersRefuseSpecialFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("/dev/zero") << "zero";
        QTest::newRow("folder") << "folder";
        QTest::newRow("missing") << "missing";
    }
    void readersRefuseSpecialFiles()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(kind);
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "zero")
            path = "/dev/zero";
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        const QString copy = dir.filePath("copy.jpg");
        // One bit per reader that took the file.
        const int taken = testfiles::runInChild([&] {
            alarm(5);
            mf::LineReader reader(2048, mf::LineReader::LongLines::Skip, 1024 * 1024);
            mf::JpegInfo info;
            QImage image;
            return int(reader.open(path)) |
                   int(mf::readJpegInfo(path, &info) != mf::JpegCannotOpen) << 1 |
                   int(mf::decodeJpeg(path, &image) != mf::JpegCannotOpen) << 2 |
                   int(mf::copyFile(path, copy) != mf::CopyResult::Failed) << 3 |
                   int(QFile::exists(copy)) << 4;
        });
        QCOMPARE(taken, 0);
    }

    void chopRemovesOneEnd_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("chopped");
        QTest::newRow("LF") << QByteArray("a\n") << QByteArray("a");
        QTest::newRow("CR") << QByteArray("a\r") << QByteArray("a");
        QTest::newRow("EOF mark") << QByteArray("a\x1a") << QByteArray("a");
        QTest::newRow("only one") << QByteArray("a\r\n") << QByteArray("a\r");
        QTest::newRow("none") << QByteArray("a") << QByteArray("a");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void chopRemovesOneEnd()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, chopped);
        mf::chopOneLineEnd(&line);
        QCOMPARE(line, chopped);
    }

    void writersUseCp932AndCrLf()
    {
        QByteArray out;
        QVERIFY(mf::encodeLinesCrLf({QStringLiteral("表"), QString(), "x"}, &out));
        QCOMPARE(out, QByteArray("\x95\x5c\r\n\r\nx\r\n"));
        QVERIFY(!mf::encodeLinesCrLf({"ok", QStringLiteral("😀")}, &out));
        QCOMPARE(out, QByteArray("\x95\x5c\r\n\r\nx\r\n")); // untouched on refusal
    }

    void atomicSaveAndAppend()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("f.txt");
        writeFile(path, "old");
        QVERIFY(mf::saveFileAtomically(path, "new content"));
        QCOMPARE(readFile(path), QByteArray("new content"));
        // A folder in the way: the save fails and reports it.
        QVERIFY(!mf::saveFileAtomically(dir.filePath("missing/f.txt"), "x"));

        QVERIFY(mf::appendRecord(path, "\r\nrecord"));
        QCOMPARE(readFile(path), QByteArray("new content\r\nrecord"));
        QVERIFY(!mf::appendRecord(dir.path(), "x")); // a folder cannot take a record
    }

    // The disk fills (a file size limit in a child process) while the new bytes are
    // written: the operation must say so and leave the old file exactly as it was.
    void fullDiskChangesNothing_data()
    {
        QTest::addColumn<bool>("append");
        QTest::addColumn<int>("size");  // bytes of the new content or record
        QTest::addColumn<int>("spare"); // room left on the "disk" beyond the new bytes
        QTest::newRow("save, short") << false << 1000 << -100;
        QTest::newRow("save, longer than a buffer") << false << 100000 << -100;
        QTest::newRow("save, one byte short") << false << 1000 << -1;
        QTest::newRow("save, fits exactly") << false << 1000 << 0;
        QTest::newRow("append, short") << true << 200 << -100;
        QTest::newRow("append, longer than a buffer") << true << 100000 << -100;
        QTest::newRow("append, one byte short") << true << 200 << -1;
        QTest::newRow("append, fits exactly") << true << 200 << 0;
    }
    void fullDiskChangesNothing()
    {
        QFETCH(bool, append);
        QFETCH(int, size);
        QFETCH(int, spare);
        QTemporaryDir dir;
        const QString path = dir.filePath("f.txt");
        const QByteArray old = QByteArray("old line\r\n").repeated(300);
        writeFile(path, old);
        const QByteArray data(size, 'n');
        const qint64 limit = (append ? old.size() : 0) + size + spare;
        const int rc = testfiles::runWithFileSizeLimit(limit, [&] {
            return int(append ? mf::appendRecord(path, data) : mf::saveFileAtomically(path, data));
        });
        const bool fits = spare >= 0;
        QCOMPARE(rc, int(fits));
        QCOMPARE(readFile(path), fits ? (append ? old + data : data) : old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"f.txt"}));
    }
};

MF_REGISTER_TEST(CodecTextFileTest)
#include "tst_codec_textfile.moc"
