// What a Japanese operator types, who leaves the input method on all day: number fields keep
// it off, full-width digits that still arrive (pasted) are the digits they show where a field
// is read without a word, and free-text fields keep the input method.

#include "FakeOrderChooser.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "app/ProgramWindows.h"
#include "app/TForm1.h"
#include "export/ui/TForm5.h"
#include "numbering/ui/TForm7.h"
#include "orders/ui/TForm4.h"
#include "sheets/OutputSize.h"
#include "sheets/ui/TForm10.h"
#include "sheets/ui/TForm2.h"
#include "sheets/ui/TForm3.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <memory>

using namespace mf;

namespace {

const QString kTitle = QStringLiteral("Velmora\u3000");

// What the input context asks of the focus object before it composes anything.
bool inputMethodAccepted(QWidget *field)
{
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(field, &query);
    return query.value(Qt::ImEnabled).toBool();
}

// Every window that has a number field, made as the program makes them.
struct AllWindows {
    QTemporaryDir dir;
    FakeServices fakes;
    FakeChooser chooser;
    FakeOrderChooser orderChooser;
    QString program = dir.path() + QStringLiteral("/program/");
    std::unique_ptr<ProgramWindows> windows;
    ProjectState project;
    OutputSizeTable sizes;
    std::unique_ptr<TForm2> sample;
    std::unique_ptr<TForm3> customSize;

    AllWindows()
    {
        QDir().mkpath(program);
        windows = std::make_unique<ProgramWindows>(program, fakes.services, chooser, orderChooser);
        project.programFolder = program;
        project.titleText = kTitle;
        project.saveFolder = project.workFolder = dir.filePath(QStringLiteral("save"));
        sample = std::make_unique<TForm2>(project, fakes.services, SampleWindowLinks{});
        sizes = LoadOutputSizes(program);
        customSize = std::make_unique<TForm3>(sizes, 0, program, kTitle, fakes.prompter);
    }
    QWidget *window(const QString &name)
    {
        const QList<QWidget *> all = {&windows->mainWindow(),   &windows->orderWindow(),
                                      &windows->exportWindow(), &windows->startNumberDialog(),
                                      &windows->titleDialog(),  sample.get(),
                                      customSize.get()};
        for (QWidget *w : all) {
            if (w->objectName() == name)
                return w;
        }
        return nullptr;
    }
    QLineEdit *field(const QString &windowName, const QString &fieldName)
    {
        QWidget *w = window(windowName);
        return w ? w->findChild<QLineEdit *>(fieldName) : nullptr;
    }
};

} // namespace

class TypedInputTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AllWindows> m_all;

private Q_SLOTS:
    void initTestCase() { m_all = std::make_unique<AllWindows>(); }
    void cleanupTestCase() { m_all.reset(); }

    void inputMethodOnlyInFreeText_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("accepted");
        const QList<std::tuple<const char *, const char *, bool>> rows = {
            {"TForm1", "Edit2", true},   // project name
            {"TForm1", "Edit3", false},  // school code
            {"TForm7", "Edit1", false},  // start number
            {"TForm4", "Edit1", false},  // 注文者Ｎｏ.
            {"TForm4", "Edit2", false},  // 1枚の値段
            {"TForm5", "Edit1", false},  // 開始注文者No.
            {"TForm5", "Edit2", false},  // 終了注文者No.
            {"TForm5", "Edit3", false},  // 横列数
            {"TForm2", "Edit1", false},  // 開始番号
            {"TForm2", "Edit2", false},  // 終了番号
            {"TForm2", "Edit3", true},   // 接頭語
            {"TForm10", "Edit13", true}, // title
            {"TForm10", "Edit3", true},  // page label
            {"TForm10", "Edit4", true},  // page suffix
            {"TForm10", "Edit11", false}, {"TForm10", "Edit1", false},
            {"TForm10", "Edit2", false},  {"TForm3", "Edit13", true}, // custom size name
        };
        for (const auto &[window, field, accepted] : rows)
            QTest::addRow("%s %s", window, field) << window << field << accepted;
        for (int n = 1; n <= 12; ++n)
            QTest::addRow("TForm3 Edit%d", n)
                << "TForm3" << QStringLiteral("Edit%1").arg(n) << false;
    }
    void inputMethodOnlyInFreeText()
    {
        QFETCH(QString, window);
        QFETCH(QString, field);
        QLineEdit *edit = m_all->field(window, field);
        QVERIFY(edit);
        QTEST(inputMethodAccepted(edit), "accepted");
    }

    // Pasted full-width digits: where a field is read without a word they become the digits
    // they show; where a refusal names the field, they stay as typed, and are read as the
    // digits they show when the field is used.
    void fullWidthDigits_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const QList<std::array<const char *, 5>> rows = {
            {"sample end", "TForm2", "Edit2", "５", "5"},
            {"title height", "TForm10", "Edit11", "３０", "30"},
            {"export first", "TForm5", "Edit1", "1５", "15"},
            {"custom dpi", "TForm3", "Edit12", "３００", "300"},
            {"letters stay", "TForm2", "Edit1", "ａ５", "ａ5"},
            {"price, read at entry", "TForm4", "Edit2", "１５０", "１５０"},
            {"start number, read when created", "TForm7", "Edit1", "１８", "１８"},
        };
        for (const auto &[name, window, field, typed, shown] : rows)
            QTest::newRow(name) << window << field << QString::fromUtf8(typed)
                                << QString::fromUtf8(shown);
    }
    void fullWidthDigits()
    {
        QFETCH(QString, window);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QLineEdit *edit = m_all->field(window, field);
        QVERIFY(edit);
        edit->clear();
        // Pasted: with the input method off that is how full-width digits still arrive.
        QApplication::clipboard()->setText(typed);
        edit->paste();
        QTEST(edit->text(), "shown");
    }
};

MF_REGISTER_TEST(TypedInputTest)
#include "tst_typedinput.moc"
