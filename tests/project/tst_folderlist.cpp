#include "JpegFiles.h"
#include "ProjectFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "project/FolderList.h"

#include <QTemporaryDir>
#include <QTest>

using namespace mf;
using namespace projecttest;

struct RowEdit {
    QString action; // up, down, remove
    int selected;
    int numbered; // the numbered row, 0 for none
    bool orders;
    bool sequenceFiles;
    QString answer; // y, n, or none
    QString box;
    QString pathsAfter;
    int selectedAfter;
};
Q_DECLARE_METATYPE(RowEdit)

class FolderListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scanAndAdd()
    {
        QTemporaryDir tmp;
        const QString root = tmp.path() + QStringLiteral("/src");
        for (const char *name : {"A.JPG", "b.jpg", "c.jpeg", "sub/d.Jpg"})
            testfiles::writeFile(root + u'/' + QLatin1String(name), {});
        ProjectState state;
        ScriptedPrompter prompter;
        QVERIFY(AddFolder(state, prompter, root));
        QCOMPARE(state.grid.rows[1], (GridRow{"1", root, "", "1", "4", "2", "3", "0", "", ""}));
        const FolderEntry &e = state.folders.entries[0];
        QCOMPARE(
            QList<int>({e.subfolderCount, e.totalFileCount, e.directJpegCount, e.allJpegCount}),
            QList<int>({1, 4, 2, 3}));
        QVERIFY(AddFolder(state, prompter, tmp.path() + QStringLiteral("/gone")));
        QCOMPARE(state.grid.cell(2, ColFiles), QStringLiteral("0"));
        // Moving down from row 1 is offered once the list has a third folder.
        QVERIFY(!state.buttons.moveDown);
        AddFolder(state, prompter, root);
        QVERIFY(state.buttons.moveDown);
    }

    void addFolderRefuses_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message"); // empty when the folder is listed
        const QString tooLong = msg::pathTooLong, bad = msg::pathNotStorable, slash = "/";
        const auto row = [](const char *name, const QString &path, const QString &message) {
            QTest::newRow(name) << path << message;
        };
        row("2047 bytes", slash + QString(2046, u'a'), QString());
        const QString cut = slash + QString(2047, u'a');
        row("2048 bytes", cut, tooLong.arg(cut));
        const QString wide = slash + QString(1024, QChar(0x8868));
        row("2049 double-byte", wide, tooLong.arg(wide));
        row("0x5C trail byte", QStringLiteral("/写真/表"), QString());
        for (const auto &[name, path] : {std::pair{"comma", "/photos/a,b"},
                                         {"tab", "/photos/a\tb"},
                                         {"line feed", "/photos/a\nb"}})
            row(name, QString::fromUtf8(path), bad.arg(QString::fromUtf8(path)));
        const QString korean = QStringLiteral("/photos/한국");
        row("not Shift-JIS", korean,
            msg::pathCharNotStorable.arg(QStringLiteral("한국"), "한", korean));
        // A character outside the basic plane is named whole, never half a surrogate pair.
        const QString emoji = QStringLiteral("/写真/運動会\U0001F3C3/1組");
        row("emoji in a parent folder", emoji,
            msg::pathCharNotStorable.arg(QStringLiteral("運動会\U0001F3C3"),
                                         QStringLiteral("\U0001F3C3"), emoji));
        const QString mac = QStringLiteral("/写真/か\u3099っこう/1組");
        row("parent named on a Mac", mac,
            msg::pathWrittenByMac.arg(QStringLiteral("か\u3099っこう"), mac));
        row("the same name composed", QStringLiteral("/写真/がっこう/1組"), QString());
    }
    void addFolderRefuses()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        ProjectState state;
        started(state, QStringLiteral("/prog"));
        ScriptedPrompter prompter;
        const bool listed = message.isEmpty();
        QCOMPARE(AddFolder(state, prompter, path), listed);
        QCOMPARE(state.folderCount(), listed ? 1 : 0);
        QCOMPARE(state.grid.cell(1, ColPath), listed ? path : QString());
        QCOMPARE(prompter.texts(), listed ? QStringList() : QStringList{message});
        QVERIFY(allCaptioned(prompter, kTitleText));
    }

    void fullListAndDrops()
    {
        ProjectState state;
        started(state, QStringLiteral("/prog"));
        ScriptedPrompter prompter;
        for (int i = 1; i <= 199; ++i)
            AddFolder(state, prompter, QStringLiteral("/none/%1").arg(i));
        const QStringList dropped{"/x/a", "/x/b", "/x/c"};
        dropFolders(state, prompter, dropped, false);
        QVERIFY(!state.dirty);
        dropFolders(state, prompter, dropped, true);
        QCOMPARE(state.folderCount(), 200);
        QCOMPARE(state.grid.cell(200, ColPath), QStringLiteral("/x/a"));
        QVERIFY(state.dirty);
        // The drop stops at the first refusal: one box, not one per remaining folder.
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("リストがいっぱいです。")});
        QVERIFY(allCaptioned(prompter, kTitleText));
    }

    void selection()
    {
        ProjectState state;
        FakeClock clock;
        putRow(state, "/a", {"2", "5", "1", "4"}, "7");
        putRow(state, "/b", {"0", "1", "1", "1"});
        putRow(state, "/c", {"1", "1", "1", "1"}, "0", "1", "3");
        state.lastSelectTime = clock.now_ms;
        clock.now_ms += 499;
        QVERIFY(!selectCell(state, clock, 1, ColCheck));
        QCOMPARE(state.grid.cell(1, ColInclude), QStringLiteral("7"));
        QVERIFY(!state.dirty);
        for (const char *flag : {"0", "1", "0"}) { // any value but "0" becomes "0"
            clock.now_ms += 500;
            QVERIFY(selectCell(state, clock, 1, ColCheck));
            QCOMPARE(state.grid.cell(1, ColInclude), QLatin1String(flag));
        }
        QVERIFY(state.dirty); // the flag is saved with the project
        QVERIFY(!state.buttons.moveUp && state.buttons.moveDown && state.buttons.remove);
        state.dirty = false;
        for (int row : {2, 3}) { // no subfolders; numbered
            clock.now_ms += 500;
            selectCell(state, clock, row, ColCheck);
            QCOMPARE(state.grid.cell(row, ColInclude), QStringLiteral("0"));
        }
        QVERIFY(!state.dirty);
        QVERIFY(!state.buttons.moveUp && !state.buttons.moveDown && !state.buttons.remove);
    }

    void thumbnails()
    {
        QTemporaryDir tmp;
        ProjectState state;
        state.saveFolder = tmp.path();
        state.filePrefix = QStringLiteral("12_");
        const QString seq = tmp.path() + QStringLiteral("/連番フォルダ/12_");
        testfiles::copyShared(testfiles::photo(5), seq + QStringLiteral("0003.jpg")); // portrait
        putRow(state, "/a", {"0", "2", "2", "2"}, "0", "1", "3");
        clearThumbnails(state);
        FakeClock clock;
        QVERIFY(selectCell(state, clock, 1, ColEnd));
        const QImage last = state.thumbnails.last;
        QVERIFY(last.pixel(10, 40) != state.faceColour.rgb());
        QCOMPARE(last.pixel(40, 10), state.faceColour.rgb()); // 32 x 48 at the left
        QCOMPARE(state.thumbnails.first.pixel(10, 10), state.faceColour.rgb()); // no 0001
        const QString bad = testfiles::copyShared(testfiles::testdata("damaged/truncated.jpg"),
                                                  tmp.path() + QStringLiteral("/t.jpg"));
        QVERIFY(!loadThumbnail(state, bad, false));
        QCOMPARE(state.thumbnails.last, last);
        // A portrait shot stored as landscape pixels with its orientation tag stands upright.
        const QString turned = testfiles::copyShared(
            testfiles::testdata("damaged/exif_orientation_6.jpg"), tmp.path() + "/r.jpg");
        QVERIFY(loadThumbnail(state, turned, true));
        QVERIFY(state.thumbnails.first.pixel(20, 40) != state.faceColour.rgb());
        QCOMPARE(state.thumbnails.first.pixel(40, 10), state.faceColour.rgb()); // 32 x 48
        // A 4:1:1 photo turned losslessly has 1x4 sampling, and a thumbnail like any other.
        const QString odd = tmp.path() + QStringLiteral("/odd.jpg");
        testfiles::writeFile(odd, jpegfiles::encode(480, 640, {{1, 4}, {1, 1}, {1, 1}}));
        clearThumbnails(state);
        QVERIFY(loadThumbnail(state, odd, true));
        QVERIFY(state.thumbnails.first.pixel(20, 40) != state.faceColour.rgb());
        QCOMPARE(state.thumbnails.first.pixel(40, 10), state.faceColour.rgb()); // 36 x 48

        for (const auto &[photo, thumb] : {std::pair{QSize(1600, 1067), QSize(64, 42)},
                                           {QSize(100, 100), QSize(48, 48)},
                                           {QSize(65, 48), QSize(64, 47)},
                                           {QSize(1280, 960), QSize(64, 48)},
                                           {QSize(1250, 1000), QSize(60, 48)}, // 5:4 fits
                                           {QSize(10, 20), QSize(64, 48)}})
            QCOMPARE(thumbnailSize(photo.width(), photo.height()), thumb);
    }

    void rowEdits_data()
    {
        QTest::addColumn<RowEdit>("edit");
        const QString orders = QStringLiteral("既に注文が入力されています。");
        const QString exists =
            QStringLiteral("既に連番ファイルが作成されています。\n続行する場合は「はい」を、中止す"
                           "る場合は「いいえ」を選んでください。");
        QTest::newRow("up") << RowEdit{"up", 2, 0, false, false, "", "", "b,a,c", 1};
        QTest::newRow("up from 1") << RowEdit{"up", 1, 0, false, false, "", "", "a,b,c", 1};
        QTest::newRow("down") << RowEdit{"down", 1, 0, false, false, "", "", "b,a,c", 2};
        QTest::newRow("down from last") << RowEdit{"down", 3, 0, false, false, "", "", "a,b,c", 3};
        QTest::newRow("orders") << RowEdit{"up", 2, 0, true, false, "", orders, "a,b,c", 2};
        QTest::newRow("numbered, No")
            << RowEdit{"down", 1, 2, false, true, "n", exists, "a,b,c", 1};
        QTest::newRow("numbered, Yes") << RowEdit{"up", 2, 1, false, true, "y", exists, "b,a,c", 1};
        QTest::newRow("no files") << RowEdit{"up", 2, 1, false, false, "", "", "b,a,c", 1};
        QTest::newRow("other numbered") << RowEdit{"up", 2, 3, false, true, "", "", "b,a,c", 1};
        QTest::newRow("remove, orders") << RowEdit{"remove", 2, 0, true, true, "", "", "a,c", 2};
        QTest::newRow("remove last") << RowEdit{"remove", 3, 0, false, false, "", "", "a,b", 2};
        QTest::newRow("remove numbered, orders")
            << RowEdit{"remove", 2, 2, true, true, "", orders, "a,b,c", 2};
        QTest::newRow("remove numbered, Yes")
            << RowEdit{"remove", 2, 2, false, true, "y", exists, "a,c", 2};
    }
    void rowEdits()
    {
        QFETCH(RowEdit, edit);
        QTemporaryDir tmp;
        ProjectState state;
        started(state, tmp.path());
        state.saveFolder = tmp.path();
        state.projectName = QStringLiteral("p");
        if (edit.sequenceFiles)
            testfiles::writeFile(tmp.path() + QStringLiteral("/連番フォルダ/0005.jpg"), {});
        for (int r = 1; r <= 3; ++r) {
            const QString n = QString::number(r * 10), mark = r == edit.numbered ? "5" : "";
            putRow(state, QString(QChar(u'a' + r - 1)), {"0", n, n, n}, "0", mark, mark);
            state.folders.entries[r - 1].changed = r;
        }
        if (edit.orders)
            state.orders.orderCount = [] { return 1; };
        state.selectedRow = edit.selected;
        ScriptedPrompter prompter;
        if (!edit.answer.isEmpty())
            prompter.expect(edit.answer == u'y' ? Answer::Yes : Answer::No);
        if (edit.action == QLatin1String("up"))
            moveRowUp(state, prompter);
        else if (edit.action == QLatin1String("down"))
            moveRowDown(state, prompter);
        else
            removeRow(state, prompter);

        QCOMPARE(prompter.texts(), edit.box.isEmpty() ? QStringList() : QStringList{edit.box});
        QVERIFY(!prompter.unexpectedQuestion && prompter.pendingAnswers() == 0);
        QVERIFY(allCaptioned(prompter, kTitleText));
        QCOMPARE(listedPaths(state), edit.pathsAfter);
        QCOMPARE(state.selectedRow, edit.selectedAfter);
        QCOMPARE(state.dirty, edit.pathsAfter != QLatin1String("a,b,c"));
        // Counts, numbers and marks travel with their folder; the row number stays.
        for (int r = 1; r <= state.folderCount(); ++r) {
            const int was = state.grid.cell(r, ColPath).at(0).unicode() - u'a' + 1;
            QCOMPARE(state.grid.cell(r, ColNumber), QString::number(r));
            QCOMPARE(state.grid.cell(r, ColFiles), QString::number(was * 10));
            QCOMPARE(state.folders.entries[r - 1].allJpegCount, was * 10);
            QCOMPARE(state.folders.entries[r - 1].changed, was);
            QCOMPARE(state.grid.isNumbered(r), was == edit.numbered);
        }
        for (int c = ColPath; c < kGridColumns && state.folderCount() < 3; ++c)
            QVERIFY(state.grid.cell(3, c).isEmpty());
    }

    void cellStyles()
    {
        ProjectState state;
        putRow(state, "/a", {"2", "5", "1", "4"}, "0", "1", "4");
        putRow(state, "/b", {"0", "5", "1", "1"}, "1");
        state.folders.entries[0].totalFileCount = 6; // the folder changed since the save
        state.folders.entries[1].totalFileCount = 6;
        state.grid.setCell(3, ColSubfolders, QStringLiteral("3")); // stale text past the list
        QCOMPARE(cellStyle(state, 1, ColPath).background, QColor(0, 0, 64));
        QVERIFY(cellStyle(state, 1, ColPath).selectedText);
        QCOMPARE(cellStyle(state, 1, ColFiles).background, QColor(255, 100, 100));
        QVERIFY(!cellStyle(state, 1, ColSubfolders).background);
        QVERIFY(!cellStyle(state, 2, ColFiles).background); // never red unless numbered
        QCOMPARE(cellStyle(state, 1, ColCheck).check, CheckGlyph::Empty);
        QCOMPARE(cellStyle(state, 2, ColCheck).check, CheckGlyph::None);
        QCOMPARE(cellStyle(state, 3, ColCheck).check, CheckGlyph::None);
        state.selectedRow = 2;
        state.grid.setCell(1, ColInclude, QStringLiteral("1"));
        QCOMPARE(cellStyle(state, 1, ColPath).background, QColor(240, 240, 240));
        QCOMPARE(cellStyle(state, 1, ColCheck).check, CheckGlyph::Ticked);
    }
};

MF_REGISTER_TEST(FolderListTest)
#include "tst_folderlist.moc"
