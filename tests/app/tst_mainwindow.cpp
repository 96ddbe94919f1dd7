#include "MainWindowFixture.h"
#include "TestRegistry.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>

using mf::Answer;
using testfiles::writeFile;

namespace {

const QString kUnsaved =
    QStringLiteral("プロジェクトが変更されましたが保存されていません。\n変更を保存しますか？");
const QString kQuit = QStringLiteral("終了してよろしいですか？");

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void layout()
    {
        MainWindowFixture f;
        f.start();
        const mf::TForm1 &w = *f.window;
        QCOMPARE(w.minimumSize(), QSize(1000, 657));
        QCOMPARE(w.maximumSize(), QSize(1000, 657));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!f.child<QStatusBar>("StatusBar1")->isSizeGripEnabled());
        QCOMPARE(w.windowTitle(), kTitle);
        QVERIFY(f.child("Edit3")->isHidden());
        QVERIFY(f.child("Label4")->isHidden());
        QVERIFY(!f.child("Edit1")->isEnabled());
        QVERIFY(!f.child<QAction>("PDFH1")->isVisible());
        QVERIFY(f.child<QAction>("V1")->isVisible());
        // The manual item follows the file as the help menu opens.
        const QString manual = f.program + QStringLiteral("Velmora説明書.pdf");
        testfiles::writeFile(manual, "%PDF-1.4\n");
        Q_EMIT f.child<QMenu>("N3")->aboutToShow();
        QVERIFY(f.child<QAction>("PDFH1")->isVisible());
        QVERIFY(QFile::remove(manual));
        Q_EMIT f.child<QMenu>("N3")->aboutToShow();
        QVERIFY(!f.child<QAction>("PDFH1")->isVisible());
        QCOMPARE(w.centralWidget()->toolTip(),
                 QStringLiteral("画像フォルダを追加するにはフォルダをドラップするか"
                                "「画像フォルダの追加」ボタンをクリックします。"));
        // The glyph-only buttons need names a screen reader can speak.
        QCOMPARE(f.child("BitBtn2")->accessibleName(), QStringLiteral("上へ移動"));
        QCOMPARE(f.child("BitBtn3")->accessibleName(), QStringLiteral("下へ移動"));
        QCOMPARE(f.child("BitBtn4")->accessibleName(), QStringLiteral("削除"));
    }

    void captions_data()
    {
        QTest::addColumn<QString>("caption");
        // Control names and captions, in pairs.
        const char16_t *rows[] = {u"BitBtn9",  u"新規プロジェクト",
                                  u"BitBtn8",  u"プロジェクトの保存",
                                  u"BitBtn6",  u"連番ファイルの作成",
                                  u"BitBtn7",  u"写真サンプルの作成",
                                  u"BitBtn12", u"写真注文の入力",
                                  u"BitBtn10", u"注文別に画像保存",
                                  u"BitBtn11", u"終了(&C)",
                                  u"BitBtn5",  u"保存先の選択",
                                  u"BitBtn1",  u"画像フォルダの追加",
                                  u"Label1",   u"保存先フォルダ名",
                                  u"Label2",   u"プロジェクト名",
                                  u"Label3",   u"プロジェクトの履歴",
                                  u"Label4",   u"ロットNo.",
                                  u"N1",       u"プロジェクト(&F)",
                                  u"N6",       u"新規プロジェクト(&N)",
                                  u"C1",       u"フォルダリストのチェック(&C)",
                                  u"M3",       u"プロジェクトの管理(&M)",
                                  u"N7",       u"プロジェクトの保存(&S)",
                                  u"N9",       u"終了(&Q)",
                                  u"N2",       u"\u3000編集(&E)\u3000",
                                  u"N10",      u"連番ファイルの作成(&R)",
                                  u"M1",       u"写真サンプルの作成(&L)",
                                  u"I1",       u"写真注文の入力   (&I)",
                                  u"M2",       u"注文別に画像保存(&M)",
                                  u"N3",       u"ヘルプ(&H)",
                                  u"PDFH1",    u"説明書PDFを開く(&H)",
                                  u"V1",       u"バージョン情報(&A)"};
        for (size_t i = 0; i < std::size(rows); i += 2)
            QTest::newRow(qPrintable(QString::fromUtf16(rows[i])))
                << QString::fromUtf16(rows[i + 1]);
    }
    void captions()
    {
        QFETCH(QString, caption);
        MainWindowFixture f;
        f.start();
        const QObject *control = f.child<QObject>(QTest::currentDataTag());
        QVERIFY(control);
        QCOMPARE(control->property(control->inherits("QMenu") ? "title" : "text").toString(),
                 caption);
    }

    void fields_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("maxLength"); // -1: not a text field
        QTest::addColumn<QString>("label");
        QTest::newRow("Edit1")
            << QStringLiteral("連番ファイルやサンプル画像を作成する親フォルダを指定します。")
            << 2000 << "Label1";
        QTest::newRow("Edit2")
            << QStringLiteral("学校名やクラス名など分かり易い名前をつけてください。"
                              "ただしフォルダ名として使用出来ない文字は使わないでください。")
            << 40 << "Label2";
        QTest::newRow("Edit3") << QStringLiteral("オプションの学校の識別番号です（最大3桁）") << 3
                               << "Label4";
        QTest::newRow("ComboBox1")
            << QStringLiteral("過去に保存したプロジェクトのリストから再選択出来ます。") << -1
            << "Label3";
        QTest::newRow("Image3") << QStringLiteral("最初の画像です") << -1 << "";
        QTest::newRow("Image4") << QStringLiteral("最後の画像です") << -1 << "";
    }
    void fields()
    {
        QFETCH(QString, hint);
        QFETCH(int, maxLength);
        QFETCH(QString, label);
        MainWindowFixture f;
        f.start();
        QWidget *field = f.child(QTest::currentDataTag());
        QCOMPARE(field->toolTip(), hint);
        QCOMPARE(field->accessibleDescription(), hint);
        if (maxLength >= 0)
            QCOMPARE(qobject_cast<QLineEdit *>(field)->maxLength(), maxLength);
        if (!label.isEmpty())
            QCOMPARE(f.child<QLabel>(qPrintable(label))->buddy(), field);
    }

    void headings_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<int>("width");
        const char16_t *headings[] = {
            u"No.",          u"フォルダ",   u"サブフォルダを含む", u"サブフォルダ数",
            u"総ファイル数", u"直下jpeg数", u"全jpeg数",           u"",
            u"連番開始No",   u"連番終了No"};
        const int widths[] = {20, 330, 120, 80, 80, 80, 80, 0, 80, 80};
        for (int c = 0; c < 10; ++c)
            QTest::addRow("column %d", c) << c << QString::fromUtf16(headings[c]) << widths[c];
    }
    void headings()
    {
        QFETCH(int, column);
        QFETCH(QString, heading);
        QFETCH(int, width);
        MainWindowFixture f;
        f.start();
        auto *grid = f.child<QTableView>("StringGrid1");
        QCOMPARE(grid->model()->headerData(column, Qt::Horizontal).toString(), heading);
        QCOMPARE(grid->horizontalHeader()->sectionSize(column), width);
        QCOMPARE(grid->isColumnHidden(column), width == 0);
    }

    void startUp_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<bool>("reduced");
        const QString notFound =
            QStringLiteral("出力フォーマット設定ファイルが見つかりません。\n"
                           "再インストールするかインストールＣＤからコピーしてください。");
        const QString oldVersion = QStringLiteral(
            "出力フォーマット設定ファイルが旧版なので注文者毎のフォルダ無し設定は無効になります。");
        const QByteArray two = "%s/%04d/%s%04d_%04d.jpg\r\n%s/%04d/%s%04d_%04d(%d).jpg\r\n";
        QTest::newRow("missing") << false << QByteArray() << notFound << true;
        QTest::newRow("two lines") << true << two << oldVersion << false;
        QTest::newRow("complete") << true << kFullFormat << QString() << false;
    }
    void startUp()
    {
        QFETCH(bool, present);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(bool, reduced);
        MainWindowFixture f(present ? std::optional(content) : std::nullopt);
        writeFile(f.program + QStringLiteral("work_log.txt"),
                  testfiles::sjis(QStringLiteral("遠足\r\n2026/12/08 9:05:07\r\n%1project00000.txt"
                                                 "\r\n/tmp/遠足\r\nscode=\r\n")
                                      .arg(f.program)));
        f.start();
        const QList<RecordedBox> &boxes = f.fakes.prompter.boxes;
        QCOMPARE(f.fakes.prompter.texts(),
                 message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(boxes[0].caption, QString());
            QVERIFY(!boxes[0].question);
        }
        QCOMPARE(f.window->windowTitle(), reduced ? QString() : kTitle);
        auto *history = f.child<QComboBox>("ComboBox1");
        QCOMPARE(history->count(), reduced ? 0 : 1);
        if (!reduced)
            QCOMPARE(history->itemText(0), QStringLiteral("遠足 (2026/12/08 9:05:07)"));
        QCOMPARE(
            f.child<QTableView>("StringGrid1")->model()->headerData(1, Qt::Horizontal).toString(),
            reduced ? QString() : QStringLiteral("フォルダ"));
        QCOMPARE(f.cell(200, 0), reduced ? QString() : QStringLiteral("200"));
        // Later boxes carry the caption only once the start-up got that far.
        f.child<QAbstractButton>("BitBtn8")->click();
        QCOMPARE(boxes.last().text, kNameAndFolder);
        QCOMPARE(boxes.last().caption, reduced ? QString() : kTitle);
    }

    void close_data()
    {
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("closes");
        QTest::newRow("clean, No") << false << int(Answer::No) << QStringList{kQuit} << false;
        QTest::newRow("clean, Yes") << false << int(Answer::Yes) << QStringList{kQuit} << true;
        QTest::newRow("unsaved, Cancel")
            << true << int(Answer::Cancel) << QStringList{kUnsaved} << false;
        QTest::newRow("unsaved, No") << true << int(Answer::No) << QStringList{kUnsaved} << true;
        QTest::newRow("unsaved, Yes, save refused")
            << true << int(Answer::Yes) << QStringList{kUnsaved, kNameAndFolder} << false;
    }
    void close()
    {
        QFETCH(bool, dirty);
        QFETCH(int, answer);
        QFETCH(QStringList, texts);
        QFETCH(bool, closes);
        MainWindowFixture f;
        f.start();
        if (dirty) // the save folder is set, the project name is still empty
            f.window->Edit1Change(f.path(QStringLiteral("save")));
        f.fakes.prompter.expect(Answer(answer));
        f.child<QAbstractButton>("BitBtn11")->click();
        QCOMPARE(f.window->isVisible(), !closes);
        QCOMPARE(f.fakes.prompter.texts(), texts);
        const RecordedBox &question = f.fakes.prompter.boxes[0];
        QCOMPARE(question.caption, kTitle);
        QCOMPARE(question.buttons, dirty ? mf::Buttons::YesNoCancel : mf::Buttons::YesNo);
    }

    // The usual shortcuts reach their commands, and Tab leaves the folder grid (the arrow keys
    // move inside it).
    void keyboard_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("command"); // the menu item it triggers; empty: focus moves on
        QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N) << "N6";
        QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S) << "N7";
        QTest::newRow("Ctrl+Q") << QKeySequence(Qt::CTRL | Qt::Key_Q) << "N9";
        QTest::newRow("F1") << QKeySequence(Qt::Key_F1) << "PDFH1";
        QTest::newRow("Tab out of the grid") << QKeySequence(Qt::Key_Tab) << "";
    }
    void keyboard()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, command);
        MainWindowFixture f;
        testfiles::writeFile(f.program + QStringLiteral("Velmora説明書.pdf"), "%PDF-1.4\n");
        f.start();
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto *grid = f.child<QTableView>("StringGrid1");
        grid->setFocus();
        f.fakes.prompter.expect(Answer::No); // 終了 asks first
        if (command.isEmpty()) {
            QTest::keyClick(grid, Qt::Key_Tab);
            QVERIFY(f.window->focusWidget() != grid);
            QTest::keyClick(f.window->focusWidget(), Qt::Key_Backtab);
            QCOMPARE(f.window->focusWidget(), grid);
            return;
        }
        auto *action = f.window->findChild<QAction *>(command);
        QVERIFY(action);
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(f.window.get(), keys);
        QCOMPARE(triggered.count(), 1);
    }

    void addFolderCountsAndIncludeFlag()
    {
        MainWindowFixture f;
        f.start();
        const QString withSub = f.path(QStringLiteral("photos/event"));
        for (const char *name : {"A.JPG", "b.jpg", "c.jpeg", "sub/d.Jpg"})
            writeFile(withSub + u'/' + QLatin1String(name), "x");
        const QString flat = f.path(QStringLiteral("photos/flat"));
        writeFile(flat + QStringLiteral("/e.jpg"), "x");
        auto *add = f.child<QAbstractButton>("BitBtn1");
        for (const QString &folder : {withSub, flat}) {
            f.chooser.next = folder;
            add->click();
        }
        const QStringList row1{"1", withSub, "", "1", "4", "2", "3", "", "", ""};
        for (int c = 0; c < 10; ++c)
            QCOMPARE(f.cell(1, c), row1[c]);
        QCOMPARE(f.cell(2, 1), flat);
        QVERIFY(f.window->state().dirty);
        f.chooser.next.clear(); // nothing chosen: nothing happens
        add->click();
        QCOMPARE(f.window->state().folderCount(), 2);

        mf::ProjectState &state = f.window->state();
        auto *grid = f.child<QTableView>("StringGrid1");
        auto flags = [&] { return state.grid.cell(1, 7) + state.grid.cell(2, 7); };
        QCOMPARE(flags(), QStringLiteral("00"));
        f.fakes.clock.now_ms += 500;
        grid->setCurrentIndex(grid->model()->index(0, 2)); // a click on row 1, column 2
        QCOMPARE(flags(), QStringLiteral("10"));
        QCOMPARE(state.selectedRow, 1);
        QVERIFY(f.child("BitBtn2")->isHidden());
        QVERIFY(!f.child("BitBtn3")->isHidden());
        QVERIFY(!f.child("BitBtn4")->isHidden());
        f.fakes.clock.now_ms += 499; // too soon: ignored entirely
        f.window->StringGrid1SelectCell(2, 2);
        QCOMPARE(state.selectedRow, 1);
        f.window->StringGrid1SelectCell(1, 2);
        QCOMPARE(flags(), QStringLiteral("10"));
        f.fakes.clock.now_ms += 1;
        f.window->StringGrid1SelectCell(1, 2);
        QCOMPARE(flags(), QStringLiteral("00"));
        f.fakes.clock.now_ms += 500; // no subfolders: nothing to include
        f.window->StringGrid1SelectCell(2, 2);
        QCOMPARE(flags(), QStringLiteral("00"));
        QCOMPARE(state.selectedRow, 2);
        QVERIFY(!f.child("BitBtn2")->isHidden());
        QVERIFY(f.child("BitBtn3")->isHidden());
    }

    // The project name and school code become lines of the work log: line breaks, tabs and
    // end-of-file marks never get into them, however the text arrives.
    void singleLineFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("shown");
        const QString eof(QChar(0x1A));
        QTest::newRow("name, copied cell") << "Edit2"
                                           << "paste"
                                           << "3年1組\n"
                                           << "3年1組";
        QTest::newRow("name, CR LF inside") << "Edit2"
                                            << "paste"
                                            << "3年\r\n1組"
                                            << "3年1組";
        QTest::newRow("name, tab and EOF") << "Edit2"
                                           << "paste"
                                           << "\t遠足" + eof << "遠足";
        QTest::newRow("name, only a break") << "Edit2"
                                            << "paste"
                                            << "\r\n"
                                            << "";
        QTest::newRow("name, input method") << "Edit2"
                                            << "commit"
                                            << "遠足\r\n"
                                            << "遠足";
        QTest::newRow("name, typed") << "Edit2"
                                     << "type"
                                     << "a\nb\tc" + eof << "abc";
        QTest::newRow("code, copied cell") << "Edit3"
                                           << "paste"
                                           << "12\r\n"
                                           << "12";
        QTest::newRow("code, tab inside") << "Edit3"
                                          << "paste"
                                          << "1\t2"
                                          << "12";
        QTest::newRow("code, input method") << "Edit3"
                                            << "commit" << eof + "7"
                                            << "7";
    }
    void singleLineFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, way);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        MainWindowFixture f;
        f.start();
        auto *edit = f.child<QLineEdit>(qPrintable(field));
        if (way == QLatin1String("paste")) {
            QApplication::clipboard()->setText(input);
            QTest::keySequence(edit, QKeySequence::Paste);
        } else if (way == QLatin1String("commit")) {
            MainWindowFixture::commitText(edit, input);
        } else {
            // Key events carrying the characters themselves, as some keyboards send them.
            for (QChar c : input) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(edit, &press);
            }
        }
        QCOMPARE(edit->text(), shown);
        const mf::ProjectState &state = f.window->state();
        QCOMPARE(field == QLatin1String("Edit2") ? state.projectName : state.schoolCode, shown);
    }

    // Clicks on the check box of a folder with subfolders flip its flag, the same cell again
    // included; the keyboard still moves the selection.
    void includeFlagByMouse()
    {
        MainWindowFixture f;
        f.start();
        for (const char *name : {"event/a.jpg", "event/sub/b.jpg", "flat/c.jpg"})
            writeFile(f.path(QLatin1String(name)), "x");
        for (const char *name : {"event", "flat"}) {
            f.chooser.next = f.path(QLatin1String(name));
            f.child<QAbstractButton>("BitBtn1")->click();
        }
        mf::ProjectState &state = f.window->state();
        state.dirty = false;
        auto *grid = f.child<QTableView>("StringGrid1");
        auto click = [&](int row, int column) {
            const QRect cell = grid->visualRect(grid->model()->index(row - 1, column));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
        struct Step {
            quint64 waitMs;
            int row; // 0: the Down key
            QString flags;
            int selectedRow;
        };
        const Step steps[] = {
            {500, 1, "10", 1}, // ticked
            {500, 1, "00", 1}, // the same cell again: unticked
            {499, 1, "00", 1}, // too soon: ignored
            {1, 1, "10", 1},   // ticked again
            {500, 2, "10", 2}, // no subfolders: nothing to include
            {500, 0, "10", 3}, // the Down key moves the selection
            {500, 1, "00", 1},
        };
        for (const Step &step : steps) {
            f.fakes.clock.now_ms += step.waitMs;
            if (step.row)
                click(step.row, 2);
            else
                QTest::keyClick(grid, Qt::Key_Down);
            QCOMPARE(state.grid.cell(1, 7) + state.grid.cell(2, 7), step.flags);
            QCOMPARE(state.selectedRow, step.selectedRow);
            QVERIFY(state.dirty);
        }
        f.fakes.prompter.expect(Answer::No);
        f.child<QAbstractButton>("BitBtn11")->click();
        QCOMPARE(f.fakes.prompter.texts(), QStringList{kUnsaved});
        QVERIFY(!f.window->isVisible());
    }

    // The history list shows no project until one is opened, after a save as at the start.
    void historyListShowsNoneOpen()
    {
        MainWindowFixture f;
        QByteArray log;
        for (const char *name : {"遠足", "運動会"})
            log += testfiles::sjis(QStringLiteral("%1\r\n2026/12/08 9:05:07\r\n%2%1.txt\r\n"
                                                  "/tmp/%1\r\nscode=\r\n")
                                       .arg(QString::fromUtf8(name), f.program));
        writeFile(f.program + QStringLiteral("work_log.txt"), log);
        f.start();
        auto *history = f.child<QComboBox>("ComboBox1");
        auto shows = [&](int count) {
            QCOMPARE(history->count(), count);
            QCOMPARE(history->currentIndex(), -1);
            QCOMPARE(history->currentText(), QString());
        };
        shows(2);

        MainWindowFixture::commitText(f.child<QLineEdit>("Edit2"), QStringLiteral("卒業式"));
        f.chooser.next = f.path(QStringLiteral("save"));
        QDir().mkpath(f.chooser.next);
        f.child<QAbstractButton>("BitBtn5")->click();
        f.fakes.prompter.expect(Answer::Yes); // the work log question
        f.child<QAbstractButton>("BitBtn8")->click();
        QCOMPARE(f.fakes.prompter.boxes.size(), 1);
        shows(3);

        // A reload with as many entries as before shows the new ones.
        mf::ProjectState &state = f.window->state();
        const QString before = history->itemText(1);
        state.history.entries[1].projectName = QStringLiteral("学芸会");
        f.window->refreshView();
        QVERIFY(history->itemText(1) != before);
        QVERIFY(history->itemText(1).startsWith(QStringLiteral("学芸会")));
        shows(3);
    }

    // A file manager offers the dropped folders as text too: wherever they are dropped, they
    // are added to the list and no field takes the text.
    void dropOnControls_data()
    {
        QTest::addColumn<QString>("target");
        for (const char *target : {"Edit2", "ComboBox1", "Edit1", "StringGrid1"})
            QTest::newRow(target) << QString::fromLatin1(target);
    }
    void dropOnControls()
    {
        QFETCH(QString, target);
        MainWindowFixture f;
        f.start();
        auto *name = f.child<QLineEdit>("Edit2");
        MainWindowFixture::commitText(name, QStringLiteral("遠足"));
        const QString folder = f.path(QStringLiteral("photos"));
        testfiles::makePhotoFolder(folder, 1);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(folder + u'/')});
        mime.setText(folder);
        QWidget *control = f.child(qPrintable(target));
        const QPoint point = control->mapTo(f.window.get(), control->rect().center());
        // Delivered as the platform delivers it: to the window, which finds the receiver.
        QWindow *window = f.window->windowHandle();
        QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        QDragMoveEvent move(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &move);
        QDropEvent drop(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        QCOMPARE(f.window->state().folderCount(), 1);
        QCOMPARE(f.cell(1, 1), folder);
        QCOMPARE(name->text(), QStringLiteral("遠足"));
        QCOMPARE(f.child<QComboBox>("ComboBox1")->currentText(), QString());
        QCOMPARE(f.child<QLineEdit>("Edit1")->text(), QString());
    }

    void dropFolders_data()
    {
        QTest::addColumn<bool>("inside");
        QTest::newRow("on the client area") << true;
        QTest::newRow("outside the window") << false;
    }
    void dropFolders()
    {
        QFETCH(bool, inside);
        MainWindowFixture f;
        f.start();
        QStringList folders;
        for (const char *name : {"b", "a", "c"}) {
            folders.append(f.path(QLatin1String(name)));
            testfiles::makePhotoFolder(folders.last(), 1);
        }
        f.window->dropPaths(folders, inside ? f.insideClient() : QPoint(-20, -20));
        QCOMPARE(f.window->state().folderCount(), inside ? 3 : 0);
        QCOMPARE(f.window->state().dirty, inside);
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(f.cell(r, 1), inside ? folders[r - 1] : QString());

        // A real drop from a file manager, folder URLs ending in a separator.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(folders[0] + u'/')});
        const QPointF point(f.insideClient());
        QDragEnterEvent enter(point.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(f.window.get(), &enter);
        QDropEvent drop(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.window.get(), &drop);
        QCOMPARE(f.window->state().folderCount(), inside ? 4 : 1);
        QCOMPARE(f.cell(f.window->state().folderCount(), 1), folders[0]);
    }

    void listFull()
    {
        MainWindowFixture f;
        f.start();
        const QString folder = f.path(QStringLiteral("same"));
        QDir().mkpath(folder);
        f.window->dropPaths(QStringList(201, folder), f.insideClient());
        QCOMPARE(f.window->state().folderCount(), 200);
        QCOMPARE(f.cell(200, 1), folder);
        const QString full = QStringLiteral("リストがいっぱいです。");
        QCOMPARE(f.fakes.prompter.texts(), QStringList{full});
        QCOMPARE(f.fakes.prompter.boxes[0].caption, kTitle);
        f.chooser.next = folder;
        f.child<QAbstractButton>("BitBtn1")->click();
        QCOMPARE(f.fakes.prompter.texts(), (QStringList{full, full}));
        QCOMPARE(f.window->state().folderCount(), 200);
    }
};

MF_REGISTER_TEST(MainWindowTest)
#include "tst_mainwindow.moc"
