#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Typing.h"
#include "sheets/ui/TForm10.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace mf;

namespace {

const QString kTitle = QStringLiteral("Velmora\u3000");
const QString kProject = QStringLiteral("2年1組");

struct TitleDialog {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    OutputSize size = builtInOutputSize();
    TForm10 form{kTitle, dir.path(), prompter};

    TitleDialog()
    {
        form.setProjectName([] { return kProject; });
        form.show();
    }
    QString path() const { return dir.filePath(kProject + QStringLiteral("_title.dat")); }
    template <typename T = QLineEdit> T *child(const char *name) const
    {
        return form.findChild<T *>(QString::fromLatin1(name));
    }
    void type(const char *edit, const QString &text)
    {
        child(edit)->clear();
        typeInto(child(edit), text);
    }
    void click(const char *name)
    {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
};

} // namespace

class TitleDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layout()
    {
        TitleDialog d;
        QCOMPARE(d.form.windowTitle(), QStringLiteral("タイトル文字列設定"));
        QCOMPARE(d.form.size(), QSize(706, 210));
        QCOMPARE(d.child<QPushButton>("BitBtn1")->text(), QStringLiteral("　Ｏ　Ｋ"));
        const QString hint = QStringLiteral("タイトルは全角250文字以内で入力して下さい");
        QCOMPARE(d.child("Edit13")->toolTip(), hint);
        QCOMPARE(d.child("Edit13")->accessibleDescription(), hint);
        QCOMPARE(d.child<QLabel>("Label26")->buddy(), d.child("Edit13"));
        QCOMPARE(d.child("Edit3")->text(), QStringLiteral("ページ "));
        QVERIFY(d.child<QRadioButton>("RadioButton1")->isChecked());
    }

    // What a text field keeps of what is typed into it or read back from the title data file:
    // the texts are limited in Shift-JIS bytes as the file stores them, and a loaded value is
    // shown whole.
    void fieldLimits_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("line"); // 0: typed; else the file line that is read back
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("kept");
        const QString haru(260, QChar(u'春')), pe = QStringLiteral("ページ番号ページ番号");
        QTest::newRow("title, 260 full-width typed") << "Edit13" << 0 << haru << haru.left(250);
        QTest::newRow("label, 11 full-width typed") << "Edit3" << 0 << pe + u'ペ' << pe;
        QTest::newRow("label, 21 half-width typed")
            << "Edit3" << 0 << QString(21, u'p') << QString(20, u'p');
        QTest::newRow("label, cut between characters")
            << "Edit3" << 0 << u'p' + pe << u'p' + pe.left(9);
        QTest::newRow("label, 20 bytes loaded") << "Edit3" << 8 << pe << pe;
        QTest::newRow("suffix, 11 full-width typed")
            << "Edit4" << 0 << u'枚' + pe << u'枚' + pe.left(9);
        QTest::newRow("suffix, 20 half-width typed")
            << "Edit4" << 0 << QString(20, u's') << QString(20, u's');
        QTest::newRow("suffix, 20 bytes loaded") << "Edit4" << 9 << pe << pe;
        QTest::newRow("offset, 7 digits typed") << "Edit1" << 0 << "1234567"
                                                << "12345";
        QTest::newRow("offset, 6 digits loaded") << "Edit1" << 5 << "123456"
                                                 << "123456";
        QTest::newRow("offset, lowest int loaded") << "Edit1" << 5 << "-2147483648"
                                                   << "-2147483648";
    }
    void fieldLimits()
    {
        QFETCH(QString, field);
        QFETCH(int, line);
        QFETCH(QString, input);
        QFETCH(QString, kept);
        TitleDialog d;
        const QByteArray name = field.toLatin1();
        if (line == 0) {
            d.type(name.constData(), input);
        } else {
            QStringList lines{"t", "20", "ON", "ON", "0", "L", "20", "P", "S"};
            lines[line - 1] = input;
            testfiles::writeFile(d.path(), testfiles::sjis(lines.join("\r\n") + "\r\n"));
            d.click("BitBtn2");
        }
        QCOMPARE(d.child(name.constData())->text(), kept);
        const TitleFields &f = d.form.fields();
        const QString stored = field == "Edit13"  ? f.title
                               : field == "Edit3" ? f.pageLabel
                               : field == "Edit4" ? f.pageSuffix
                                                  : f.pageOffset;
        QCOMPARE(stored, kept);
        if (field == "Edit1")
            QCOMPARE(QString::number(d.form.settings().pageOffset), kept);
    }

    void heights_data()
    {
        QTest::addColumn<int>("topMargin"); // 0: the sample sheet window is closed
        QTest::addColumn<QString>("titleHeight");
        QTest::addColumn<QString>("pageHeight"); // both null: automatic heights
        QTest::addColumn<int>("title");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("titleLabel");
        QTest::addColumn<QString>("pageLabel");
        const QString automatic;
        QTest::newRow("typed, window open") << 60 << "60"
                                            << "30" << 60 << 30 << "pix (5mm)"
                                            << "pix (2mm)";
        QTest::newRow("emptied, window open") << 60 << ""
                                              << "-12" << 0 << -12 << "pix (0mm)"
                                              << "pix (-1mm)";
        QTest::newRow("typed, window closed") << 0 << "60"
                                              << "30" << 60 << 30 << "pix"
                                              << "pix";
        QTest::newRow("automatic, margin 60")
            << 60 << automatic << automatic << 40 << 30 << "pix (3mm)"
            << "pix (2mm)";
        QTest::newRow("automatic, margin 50")
            << 50 << automatic << automatic << 33 << 25 << "pix (2mm)"
            << "pix (2mm)";
        QTest::newRow("automatic, window closed")
            << 0 << automatic << automatic << 20 << 20 << "pix"
            << "pix";
    }
    void heights()
    {
        QFETCH(int, topMargin);
        QFETCH(QString, titleHeight);
        QFETCH(QString, pageHeight);
        TitleDialog d;
        d.size.topMargin = topMargin;
        if (topMargin > 0)
            d.form.setSelectedSize([&d] { return &d.size; });
        else
            d.form.setSelectedSize([]() -> const OutputSize * { return nullptr; });
        if (titleHeight.isNull()) {
            d.click("BitBtn3");
        } else {
            d.type("Edit11", titleHeight);
            d.type("Edit2", pageHeight);
        }
        QTEST(d.form.settings().titleFontHeight, "title");
        QTEST(d.form.settings().pageFontHeight, "page");
        QTEST(d.child<QLabel>("Label18")->text(), "titleLabel");
        QTEST(d.child<QLabel>("Label3")->text(), "pageLabel");
        QVERIFY(d.prompter.boxes.isEmpty());
    }

    void saveThenCancel()
    {
        TitleDialog d;
        d.click("CheckBox1");
        d.type("Edit13", QStringLiteral("春の遠足"));
        d.click("RadioButton2");
        d.type("Edit1", QStringLiteral("10"));
        d.type("Edit4", QStringLiteral("枚目"));
        d.prompter.expect(Answer::Yes);
        d.click("BitBtn1");
        QVERIFY(!d.form.isVisible());
        QCOMPARE(d.prompter.texts(), (QStringList{msg::titleDataConfirm.arg(d.path()),
                                                  msg::titleDataSaved.arg(d.path())}));
        const QByteArray saved =
            testfiles::sjis(QStringLiteral("春の遠足\r\n20\r\nON\r\nOFF\r\n10\r\nC\r\n20\r\n"
                                           "ページ \r\n枚目\r\n"));
        QCOMPARE(testfiles::readFile(d.path()), saved);

        // Cancel and Esc give up the edits: the settings come back from the file.
        for (const char *how : {"BitBtn2", "Esc"}) {
            d.prompter.boxes.clear();
            d.form.show();
            d.type("Edit13", QStringLiteral("秋"));
            d.click("CheckBox1");
            d.click("RadioButton3");
            d.type("Edit2", QStringLiteral("99"));
            if (qstrcmp(how, "Esc") == 0)
                QTest::keyClick(d.child("Edit13"), Qt::Key_Escape);
            else
                d.click(how);
            QVERIFY(!d.form.isVisible());
            QVERIFY(d.prompter.boxes.isEmpty());
            QCOMPARE(d.child("Edit13")->text(), QStringLiteral("春の遠足"));
            QVERIFY(d.child<QCheckBox>("CheckBox1")->isChecked());
            QVERIFY(d.child<QRadioButton>("RadioButton2")->isChecked());
            const TitleSettings s = d.form.settings();
            QCOMPARE(s.title, QStringLiteral("春の遠足"));
            QCOMPARE(s.titleAlign, TitleAlign::Centre);
            QCOMPARE(s.pageFontHeight, 20);
            QCOMPARE(s.pageOffset, 10);
        }

        // The file exists now: saving again overwrites it without asking.
        d.form.show();
        d.type("Edit13", QStringLiteral("秋"));
        d.click("BitBtn1");
        QVERIFY(!d.form.isVisible());
        QCOMPARE(d.prompter.texts(), QStringList{msg::titleDataSaved.arg(d.path())});
        QVERIFY(
            testfiles::readFile(d.path()).startsWith(testfiles::sjis(QStringLiteral("秋\r\n"))));
    }

    void saveDeclined()
    {
        TitleDialog d;
        d.prompter.expect(Answer::No);
        d.click("BitBtn1");
        QVERIFY(d.form.isVisible());
        QCOMPARE(d.prompter.boxes.size(), 1);
        QVERIFY(!QFile::exists(d.path()));
    }
};

MF_REGISTER_TEST(TitleDialogTest)
#include "tst_titledialog.moc"
