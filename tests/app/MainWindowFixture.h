#pragma once
// A main window started in a temporary program folder with fake services, and a driver that
// answers the start number dialog while its exec() runs.

#include "Fakes.h"
#include "TestFiles.h"
#include "app/TForm1.h"
#include "numbering/ui/TForm7.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

inline const QString kTitle = QStringLiteral("Velmora\u3000");
inline const QString kNameAndFolder =
    QStringLiteral("プロジェクト名と保存先フォルダを設定してください。");
inline const QByteArray kFullFormat = "%s/%04d/%s%04d_%04d.jpg\r\n%s/%04d/%s%04d_%04d(%d).jpg\r\n"
                                      "%s/%s%04d_%04d.jpg\r\n%s/%s%04d_%04d(%d).jpg\r\n";

struct MainWindowFixture {
    QTemporaryDir dir;
    FakeServices fakes;
    FakeChooser chooser;
    QString program = dir.path() + QStringLiteral("/program/");
    std::unique_ptr<mf::TForm1> window;

    explicit MainWindowFixture(const std::optional<QByteArray> &format = kFullFormat)
    {
        QDir().mkpath(program);
        if (format)
            testfiles::writeFile(program + QStringLiteral("outputFmt.def"), *format);
    }
    void start()
    {
        window = std::make_unique<mf::TForm1>(program, fakes.services, chooser);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QString path(const QString &relative) const { return dir.path() + u'/' + relative; }
    template <typename T = QWidget> T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    // What the grid shows in a cell (row 1 is the first folder).
    QString cell(int row, int column) const
    {
        return child<QTableView>("StringGrid1")->model()->index(row - 1, column).data().toString();
    }
    QPoint insideClient() const { return window->centralWidget()->geometry().center(); }
    // Text as committed by an input method, the way Japanese names are typed.
    static void commitText(QLineEdit *edit, const QString &text)
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(edit, &event);
    }
};

// Answers every showing of the start number dialog: the first with the given text and
// 作成, any later one (a numbering run that should never have started) with キャンセル.
// The text replaces the proposal, or is typed as an operator would: straight into the field.
class StartDialogDriver : public QObject {
public:
    enum Typing { ClearFirst, TypeOver };
    StartDialogDriver(mf::TForm7 &dialog, const QString &text, Typing typing = ClearFirst)
        : m_dialog(dialog), m_text(text), m_typing(typing)
    {
        dialog.installEventFilter(this);
    }
    QStringList proposals; // the field's text at each showing

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            QTimer::singleShot(0, this, [this] { answer(); });
        return false;
    }

private:
    void answer()
    {
        auto *edit = m_dialog.findChild<QLineEdit *>(QStringLiteral("Edit1"));
        proposals.append(edit->text());
        if (proposals.size() > 1) {
            m_dialog.findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
            return;
        }
        if (m_typing == ClearFirst)
            edit->clear();
        QTest::keyClicks(edit, m_text);
        m_dialog.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    }

    mf::TForm7 &m_dialog;
    QString m_text;
    Typing m_typing;
};
