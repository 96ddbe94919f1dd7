#include "FakeOrderChooser.h"
#include "Fakes.h"
#include "TestRegistry.h"
#include "orders/ui/TForm4.h"
#include "platform/ui/DialogServices.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace mf;

// The order window driven by the X server's own key events, as an operator's keyboard drives
// it: the focus moves and the price question comes and goes as in the program, which events
// sent to a widget do not reproduce.
class OrderKeysTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void threeOrdersAtThreePrices()
    {
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (QGuiApplication::platformName() != QLatin1String("xcb") || xdotool.isEmpty())
            QSKIP("needs an X server (xvfb-run) and xdotool");

        QTemporaryDir dir;
        FakeServices fakes;
        MessageBoxPrompter prompter(nullptr);
        Services services{prompter, fakes.pump, fakes.clock, fakes.shell};
        FakeOrderChooser chooser;
        ProjectState project;
        project.titleText = QStringLiteral("Velmora　");
        project.programFolder = dir.path() + QStringLiteral("/program/");
        project.projectName = QStringLiteral("keys");
        project.saveFolder = dir.path() + QStringLiteral("/save");
        QDir().mkpath(project.programFolder);
        TForm4 form(project, services, chooser);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        // Orderer, Enter, price, Enter, No to the price question (Tab to it, Space), the
        // photo, Enter on it, Enter on the empty cell, Enter on "入力". One script sends them
        // all: the question box runs its own event loop, and the keys must go on meanwhile.
        QString script =
            QStringLiteral("set -e; x=\"$1\"; \"$x\" windowfocus --sync %1; sleep 0.3;")
                .arg(form.winId());
        const struct {
            const char *orderer, *price, *photo;
            bool question;
        } orders[] = {{"1", "200", "1", false}, {"2", "300", "2", true}, {"3", "400", "3", true}};
        for (const auto &o : orders) {
            script += QStringLiteral(" \"$x\" type --delay 30 %1; \"$x\" key Return; sleep 0.3;"
                                     " \"$x\" type --delay 30 %2; \"$x\" key Return; sleep 0.8;")
                          .arg(QLatin1String(o.orderer), QLatin1String(o.price));
            if (o.question)
                script +=
                    QStringLiteral(" \"$x\" key Tab; sleep 0.2; \"$x\" key space; sleep 0.5;");
            script += QStringLiteral(" \"$x\" type %1; sleep 0.2;").arg(QLatin1String(o.photo));
            for (int i = 0; i < 3; ++i)
                script += QStringLiteral(" \"$x\" key Return; sleep 0.3;");
        }
        QProcess keys;
        keys.start(QStringLiteral("sh"),
                   {QStringLiteral("-c"), script, QStringLiteral("sh"), xdotool});
        QVERIFY(keys.waitForStarted());
        // A box that the keys left open (a refusal where a key went astray) is closed once
        // they have all been sent, so that the test fails instead of waiting for an operator.
        QTimer strayBoxes;
        QObject::connect(&strayBoxes, &QTimer::timeout, [&keys, &form] {
            QWidget *modal = QApplication::activeModalWidget();
            if (keys.state() == QProcess::NotRunning && modal && modal != &form)
                modal->close();
        });
        strayBoxes.start(500);
        QTRY_VERIFY_WITH_TIMEOUT(keys.state() == QProcess::NotRunning, 60000);
        QCOMPARE(keys.exitCode(), 0);
        QTest::qWait(200);

        const OrderTable &table = form.table();
        QCOMPARE(table.orderCount, 3);
        const char *prices[] = {"200", "300", "400"};
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(table.row(r).ordererNumber, QString::number(r));
            QCOMPARE(table.row(r).unitPrice, QString::fromLatin1(prices[r - 1]));
            QCOMPARE(table.row(r).photoNumbers[0], QString::number(r));
        }
    }
};

MF_REGISTER_TEST(OrderKeysTest)
#include "tst_orderkeys.moc"
