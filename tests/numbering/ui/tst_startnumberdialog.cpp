#include "TestRegistry.h"
#include "numbering/ui/TForm7.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct ShownDialog {
    mf::TForm7 form{QStringLiteral("Velmora\u3000")};
    QLineEdit *edit = form.findChild<QLineEdit *>(QStringLiteral("Edit1"));
    QPushButton *create = form.findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    QPushButton *cancel = form.findChild<QPushButton *>(QStringLiteral("BitBtn2"));

    ShownDialog() { form.show(); }
    void type(const QString &text)
    {
        edit->clear();
        // Key clicks carry ASCII only; other text is committed in one piece, as a paste is.
        if (text.toLatin1() == text.toUtf8()) {
            QTest::keyClicks(edit, text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(edit, &commit);
        }
    }
};

} // namespace

class StartNumberDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layout()
    {
        ShownDialog d;
        QCOMPARE(d.form.windowTitle(), QStringLiteral("Velmora\u3000"));
        QVERIFY(!(d.form.windowFlags() & Qt::WindowCloseButtonHint));
        auto *label = d.form.findChild<QLabel *>(QStringLiteral("Label1"));
        QCOMPARE(label->text(), QStringLiteral("連番開始番号"));
        QCOMPARE(label->buddy(), d.edit);
        QCOMPARE(d.create->text(), QStringLiteral("作成"));
        QCOMPARE(d.cancel->text(), QStringLiteral("キャンセル"));
        QCOMPARE(d.edit->text(), QStringLiteral("1"));
        d.type(QStringLiteral("12345")); // four characters at most
        QCOMPARE(d.edit->text(), QStringLiteral("1234"));
    }

    void answer_data()
    {
        QTest::addColumn<int>("highest");
        QTest::addColumn<QString>("proposal");
        QTest::addColumn<QString>("typed"); // null: the proposal is taken as it is
        QTest::addColumn<QString>("closedBy");
        QTest::addColumn<int>("result");
        const QString none;
        QTest::newRow("fresh") << 0 << "1" << none << "作成" << 1;
        QTest::newRow("after 250") << 250 << "251" << none << "作成" << 251;
        QTest::newRow("after 4998") << 4998 << "4999" << none << "作成" << 4999;
        QTest::newRow("after 6000") << 6000 << "4999" << none << "作成" << 4999;
        QTest::newRow("150") << 0 << "1"
                             << "150"
                             << "作成" << 150;
        QTest::newRow("9999") << 0 << "1"
                              << "9999"
                              << "作成" << 9999;
        QTest::newRow("trailing letter") << 0 << "1"
                                         << "12a"
                                         << "作成" << 12;
        QTest::newRow("full-width, as the order entry reads it")
            << 0 << "1" << QStringLiteral("１８") << "作成" << 18;
        QTest::newRow("typed -2 is a cancel") << 0 << "1"
                                              << "-2"
                                              << "作成" << -2;
        QTest::newRow("emptied") << 0 << "1"
                                 << ""
                                 << "作成" << -1;
        QTest::newRow("zero") << 0 << "1"
                              << "0"
                              << "作成" << -1;
        QTest::newRow("negative") << 0 << "1"
                                  << "-5"
                                  << "作成" << -1;
        QTest::newRow("letters") << 0 << "1"
                                 << "abc"
                                 << "作成" << -1;
        QTest::newRow("cancel after typing") << 0 << "1"
                                             << "150"
                                             << "キャンセル" << -2;
        QTest::newRow("cancel at once") << 250 << "251" << none << "キャンセル" << -2;
        QTest::newRow("window manager close") << 0 << "1"
                                              << "150"
                                              << "close" << -2;
    }
    void answer()
    {
        QFETCH(int, highest);
        QFETCH(QString, proposal);
        QFETCH(QString, typed);
        QFETCH(QString, closedBy);
        QFETCH(int, result);
        ShownDialog d;
        d.type(QStringLiteral("77")); // what an earlier showing left must not stay
        d.form.SetStartNumber(highest);
        QCOMPARE(d.edit->text(), proposal);
        if (!typed.isNull())
            d.type(typed);
        if (closedBy == QLatin1String("close"))
            d.form.close();
        else
            (closedBy == d.create->text() ? d.create : d.cancel)->click();
        QVERIFY(!d.form.isVisible());
        QCOMPARE(d.form.GetStartNumber(), result);
    }

    // Each showing selects the proposal and gives it focus: what is typed replaces it.
    void typedOverProposal_data()
    {
        QTest::addColumn<int>("highest");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("result");
        QTest::newRow("proposal 6, typed 10") << 5 << "10" << 10;
        QTest::newRow("proposal 251, typed 7") << 250 << "7" << 7;
        QTest::newRow("proposal 4999, typed 4 digits") << 6000 << "1234" << 1234;
    }
    void typedOverProposal()
    {
        QFETCH(int, highest);
        QFETCH(QString, typed);
        QFETCH(int, result);
        ShownDialog d;
        for (int showing = 1; showing <= 2; ++showing) {
            d.form.hide();
            d.edit->deselect();
            d.form.SetStartNumber(highest);
            d.form.show();
            QCOMPARE(d.form.focusWidget(), d.edit);
            QTest::keyClicks(d.edit, typed);
            QCOMPARE(d.form.GetStartNumber(), result);
        }
    }

    void enterAndEscapeDoNothing()
    {
        ShownDialog d;
        d.type(QStringLiteral("42"));
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(d.edit, key);
            QVERIFY(d.form.isVisible());
        }
        QCOMPARE(d.form.GetStartNumber(), 42);
    }
};

MF_REGISTER_TEST(StartNumberDialogTest)
#include "tst_startnumberdialog.moc"
