#include "TestRegistry.h"
#include "platform/ui/DialogServices.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// What was true while a box or chooser was up.
struct Seen {
    QString kind; // class name of the window shown
    QWidget *parent = nullptr;
    int cursor = -1; // the override cursor's shape, -1 for none
};

int overrideShape()
{
    const QCursor *c = QApplication::overrideCursor();
    return c ? int(c->shape()) : -1;
}

// Closes the next box or chooser as soon as it shows, noting what it saw.
void closeWhenShown(Seen &seen)
{
    QTimer::singleShot(0, [&seen] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() ||
                !(qobject_cast<QMessageBox *>(w) || qobject_cast<QFileDialog *>(w)))
                continue;
            seen.kind = QString::fromLatin1(w->metaObject()->className());
            seen.parent = w->parentWidget();
            seen.cursor = overrideShape();
            if (auto *box = qobject_cast<QMessageBox *>(w))
                box->buttons().constLast()->click();
            else
                static_cast<QDialog *>(w)->reject();
        }
    });
}

} // namespace

class DialogServicesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ownerAndCursor_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<bool>("modalInFront"); // a modal dialog over the main window
        QTest::addColumn<bool>("busy");         // a busy cursor was set before
        for (const QString service : {"inform", "ask", "chooser"}) {
            for (bool modal : {false, true}) {
                // The chooser is never shown during a long operation.
                for (bool busy : {false, true}) {
                    if (busy && service == QLatin1String("chooser"))
                        continue;
                    const QString tag =
                        service + (modal ? ", dialog" : ", window") + (busy ? ", busy" : ", idle");
                    QTest::newRow(qPrintable(tag)) << service << modal << busy;
                }
            }
        }
    }
    void ownerAndCursor()
    {
        QFETCH(QString, service);
        QFETCH(bool, modalInFront);
        QFETCH(bool, busy);
        QWidget fallback; // never shown: only for when no window of ours is active
        QWidget window;
        window.setWindowTitle(QStringLiteral("main"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QDialog dialog(&window);
        if (modalInFront) {
            dialog.setModal(true);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
        }
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);

        Seen seen;
        closeWhenShown(seen);
        if (service == QLatin1String("chooser")) {
            mf::FileDialogFolderChooser chooser(&fallback);
            QCOMPARE(chooser.chooseFolder(), QString());
        } else {
            mf::MessageBoxPrompter prompter(&fallback);
            if (service == QLatin1String("ask"))
                QCOMPARE(prompter.ask(QStringLiteral("続行しますか？"), QString(),
                                      mf::Buttons::YesNo, true),
                         mf::Answer::No);
            else
                prompter.inform(QStringLiteral("お知らせ"), QString());
        }

        QCOMPARE(seen.kind, QLatin1String(service == QLatin1String("chooser") ? "QFileDialog"
                                                                              : "QMessageBox"));
        QCOMPARE(seen.parent, modalInFront ? static_cast<QWidget *>(&dialog) : &window);
        // The operator is asked with the normal cursor, and the busy one is back afterwards.
        QCOMPARE(seen.cursor, busy ? int(Qt::ArrowCursor) : -1);
        QCOMPARE(overrideShape(), busy ? int(Qt::WaitCursor) : -1);
        if (busy)
            QApplication::restoreOverrideCursor();
        QVERIFY(!QApplication::overrideCursor());
    }
};

MF_REGISTER_TEST(DialogServicesTest)
#include "tst_dialogservices.moc"
