#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Typing.h"
#include "sheets/ui/TForm3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mf;

namespace {

const QString kTitle = QStringLiteral("Velmora\u3000");

struct CustomSizeDialog {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    OutputSizeTable sizes;
    std::unique_ptr<TForm3> form;

    explicit CustomSizeDialog(const QByteArray &customSizes = QByteArray(), int selected = 0)
    {
        if (!customSizes.isNull())
            testfiles::writeFile(defPath(), customSizes);
        sizes = LoadOutputSizes(dir.path());
        form = std::make_unique<TForm3>(sizes, selected, dir.path(), kTitle, prompter);
        form->show();
    }
    QString defPath() const { return dir.filePath(QStringLiteral("CustomSize.def")); }
    template <typename T = QLineEdit> T *child(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QString text(const char *label) const { return child<QLabel>(label)->text(); }
    void type(const char *edit, const QString &text)
    {
        child(edit)->clear();
        typeInto(child(edit), text);
    }
};

} // namespace

class CustomSizeDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opening()
    {
        CustomSizeDialog d;
        QCOMPARE(d.form->windowTitle(), kTitle + QStringLiteral("　[余白調整]"));
        QCOMPARE(d.child("Edit13")->text(), QStringLiteral("カスタム　"));
        QCOMPARE(d.child("Edit12")->text(), QStringLiteral("300"));
        // Truncating millimetres: 304 and 202, where the size itself stores 305 and 203.
        QCOMPARE(d.text("Label15"), QStringLiteral("pix (304mm)"));
        QCOMPARE(d.text("Label16"), QStringLiteral("pix (202mm)"));
        QCOMPARE(d.text("Label1"), QStringLiteral("pix (5mm)"));
        QCOMPARE(d.text("Label29"), QStringLiteral("44 pix (3mm)"));
        QCOMPARE(d.text("Label30"), QStringLiteral("15 pix (1mm)"));
        QVERIFY(d.prompter.boxes.isEmpty());
        // Every field is reachable by a label.
        QList<QWidget *> labelled;
        for (QLabel *label : d.form->findChildren<QLabel *>())
            labelled.append(label->buddy());
        for (QLineEdit *edit : d.form->findChildren<QLineEdit *>())
            QVERIFY2(labelled.contains(edit), qPrintable(edit->objectName()));

        d.type("Edit5", QStringLiteral("1"));
        QCOMPARE(d.text("Label29"), QStringLiteral("-"));
        QCOMPARE(d.text("Label30"), QStringLiteral("15 pix (1mm)"));
        d.type("Edit3", QString());
        QCOMPARE(d.text("Label1"), QStringLiteral("pix (0mm)"));
        QCOMPARE(d.text("Label30"), QStringLiteral("-"));
    }

    void noSelection()
    {
        CustomSizeDialog d(QByteArray(), 1);
        QVERIFY(d.child("Edit9")->text().isEmpty());
        QVERIFY(d.child("Edit13")->text().isEmpty());
        d.child<QPushButton>("BitBtn1")->click();
        QVERIFY(d.form->isVisible());
        QVERIFY(d.prompter.boxes.isEmpty());
    }

    void typedResolution()
    {
        CustomSizeDialog d;
        d.type("Edit12", QStringLiteral("72"));
        QCOMPARE(d.prompter.texts(), QStringList{msg::dpiChangeAdvice});
        QCOMPARE(d.prompter.boxes[0].caption, kTitle);
        QCOMPARE(d.text("Label15"), QStringLiteral("pix (304mm)"));
        d.type("Edit9", QStringLiteral("3602"));
        QCOMPARE(d.text("Label15"), QStringLiteral("pix (1270mm)"));
        QCOMPARE(d.text("Label16"), QStringLiteral("pix (202mm)"));
        d.type("Edit12", QStringLiteral("401"));
        QCOMPARE(d.prompter.boxes.size(), 1);
    }

    // What each way out leaves in the table and in CustomSize.def.
    void closing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("topMargin"); // typed into Edit3
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("storedTop");
        QTest::addColumn<QStringList>("messages");
        const QString fontMsg = QStringLiteral("フォントの高さが不正な値です。(5 ～400)");
        QTest::newRow("OK applies") << "ok"
                                    << "70" << false << 70 << QStringList();
        QTest::newRow("OK refuses")
            << "ok"
            << "0" << true << 60
            << QStringList{QStringLiteral("上余白サイズが不正な値です。(1 ～999)")};
        QTest::newRow("cancel") << "cancel"
                                << "70" << false << 60 << QStringList();
        QTest::newRow("Esc") << "esc"
                             << "70" << false << 60 << QStringList();
        QTest::newRow("Enter does nothing") << "enter"
                                            << "70" << true << 60 << QStringList();
    }
    void closing()
    {
        QFETCH(QString, action);
        QFETCH(QString, topMargin);
        CustomSizeDialog d;
        d.type("Edit3", topMargin);
        if (action == u"ok")
            QTest::mouseClick(d.child<QPushButton>("BitBtn1"), Qt::LeftButton);
        else if (action == u"cancel")
            QTest::mouseClick(d.child<QPushButton>("BitBtn2"), Qt::LeftButton);
        else
            QTest::keyClick(d.child("Edit3"), action == u"esc" ? Qt::Key_Escape : Qt::Key_Return);
        QTEST(d.form->isVisible(), "open");
        QTEST(d.sizes.sizes[0].topMargin, "storedTop");
        QTEST(d.prompter.texts(), "messages");
        QCOMPARE(d.sizes.count, 1);
        QCOMPARE(d.sizes.sizes[0].label, builtInOutputSize().label);
        QCOMPARE(d.form->registeredIndex(), -1);
        QVERIFY(!QFile::exists(d.defPath()));
    }

    void registering_data()
    {
        QTest::addColumn<QByteArray>("existing"); // null: no file yet
        QTest::addColumn<QByteArray>("before");   // what precedes the new record afterwards
        const QByteArray record = QByteArray(52, '-') +
                                  "\r\n300\r\nB\r\n1000\r\n800\r\n3\r\n2\r\n326\r\n300\r\n84\r\n84"
                                  "\r\n10\r\n10\r\n20\r\n20\r\n24\r\n";
        QTest::newRow("new file") << QByteArray() << QByteArray();
        QTest::newRow("after a record") << record << record;
        QTest::newRow("last line without its end") << record.chopped(2) << record;
    }
    void registering()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, before);
        CustomSizeDialog d(existing);
        const int index = d.sizes.count;
        d.type("Edit13", QStringLiteral("六切 2列"));
        d.type("Edit6", QStringLiteral("3"));
        QTest::mouseClick(d.child<QPushButton>("BitBtn3"), Qt::LeftButton);
        QVERIFY(d.prompter.boxes.isEmpty());
        QVERIFY(!d.form->isVisible());
        QCOMPARE(d.form->registeredIndex(), index);
        QCOMPARE(d.sizes.count, index + 1);
        const QString label = QStringLiteral("300dpi[ 4× 3](3602px*2397px) 六切 2列");
        QCOMPARE(d.sizes.sizes[index].label, label);
        QCOMPARE(testfiles::readFile(d.defPath()),
                 before + QByteArray(52, '-') + "\r\n300\r\n" + testfiles::sjis(label) +
                     "\r\n3602\r\n2397\r\n4\r\n3\r\n785\r\n560\r\n304\r\n202\r\n165\r\n165\r\n60"
                     "\r\n50\r\n24\r\n");
        const OutputSizeTable next = LoadOutputSizes(d.dir.path());
        QCOMPARE(next.count, index + 1);
        QCOMPARE(next.sizes[index].label, label);
        QCOMPARE(next.sizes[index].rows, 3);
    }
};

MF_REGISTER_TEST(CustomSizeDialogTest)
#include "tst_customsizedialog.moc"
