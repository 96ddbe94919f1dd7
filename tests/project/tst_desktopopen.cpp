#include "ProjectFixture.h"
#include "SlowDisk.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "export/OrderExport.h"
#include "numbering/Sequence.h"
#include "orders/OrderList.h"
#include "photos/NumberedPhotos.h"
#include "project/FolderList.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFields.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mf;

// Every command that opens what it wrote, on a desktop that cannot open anything: the command
// still succeeds, and the operator is told which file or folder to open by hand. The runs that
// copy photos first wait for a slow disk off the window's thread, the window answering and
// saying meanwhile that the disk is being written.
class DesktopOpenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namesWhatCouldNotBeOpened_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("opened"); // relative to the temporary folder
        QTest::newRow("manual") << "manual" << QStringList{"prog/Velmora説明書.pdf"};
        QTest::newRow("numbering") << "numbering" << QStringList{"save/連番フォルダ"};
        QTest::newRow("order list") << "order list" << QStringList{"prog/遠足_注文リスト.txt"};
        QTest::newRow("export") << "export"
                                << QStringList{"save/注文別画像フォルダ/サンプル指定.txt",
                                               "save/注文別画像フォルダ/注文者別サンプル指定.txt",
                                               "save/注文別画像フォルダ"};
    }
    void namesWhatCouldNotBeOpened()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, opened);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        FakeServices f;
        f.shell.failing = true;
        SlowDisk disk(f.pump);
        ProjectState state;
        projecttest::started(state, root + "prog");
        setupGrid(state);
        setProjectName(state, QStringLiteral("遠足"));
        setSaveFolder(state, root + "save");
        testfiles::writeFile(root + "save/連番フォルダ/0001.jpg", "jpg");
        QVERIFY(QDir().mkpath(root + "prog"));

        int result = -100;
        if (command == "manual") {
            testfiles::writeFile(root + "prog/Velmora説明書.pdf", "%PDF-1.4\n");
            openManual(state, {}, f.prompter, f.shell);
            result = 0;
        } else if (command == "numbering") {
            QFile::remove(root + "save/連番フォルダ/0001.jpg");
            testfiles::makePhotoFolder(root + "photos", 2);
            QVERIFY(AddFolder(state, f.prompter, root + "photos"));
            SequenceHooks hooks;
            hooks.askStartNumber = [](int) { return 1; };
            hooks.saveProject = [] { return 0; };
            hooks.flushToDisk = disk.flush();
            hooks.diskStatus = disk.status();
            result = CreateSequentialFiles(state, f.services, hooks);
        } else if (command == "order list") {
            auto table = std::make_unique<OrderTable>();
            OrderInput input;
            result = WriteOrderList(*table, input, state, f.prompter, f.shell);
        } else {
            auto table = std::make_unique<OrderTable>();
            table->orderCount = 1;
            table->row(1) = Order{"3", "1", "100", "100", {}};
            table->row(1).photoNumbers[0] = QStringLiteral("1");
            state.outputFormat.values = {"%s/%04d/%s%04d_%04d.jpg", "%s/%04d/%s%04d_%04d(%d).jpg",
                                         "%s/%s%04d_%04d.jpg", "%s/%s%04d_%04d(%d).jpg"};
            ExportSettings settings;
            settings.lastOrderer = 3;
            ExportJob job{state, *table, settings, f.services};
            job.flushToDisk = disk.flush();
            job.diskStatus = disk.status();
            ExportState exportState;
            result = RunExport(job, exportState, false);
        }
        QCOMPARE(result, 0);
        QStringList expectedPaths, expectedBoxes;
        for (const QString &path : opened) {
            expectedPaths.append(root + path);
            expectedBoxes.append(QStringLiteral("以下のファイルまたはフォルダを開けませんでした。\n"
                                                "手動で開いてください。\n") +
                                 root + path);
        }
        QCOMPARE(f.shell.opened, expectedPaths);
        QCOMPARE(f.prompter.texts(), expectedBoxes);
        for (const RecordedBox &box : f.prompter.boxes)
            QCOMPARE(box.caption, kTitleText);
        const bool copies = command == "numbering" || command == "export";
        QCOMPARE(disk.flushed, copies ? QStringList{root + opened.last()} : QStringList());
        QVERIFY(disk.offThread || !copies);
        const QStringList shown{QStringLiteral("ディスクに書き込んでいます…"), QString()};
        QCOMPARE(disk.statuses, copies ? shown : QStringList());
    }
};

MF_REGISTER_TEST(DesktopOpenTest)
#include "tst_desktopopen.moc"
