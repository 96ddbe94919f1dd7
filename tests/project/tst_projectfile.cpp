#include "TestFiles.h"
#include "TestRegistry.h"
#include "project/ProjectFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace mf;

namespace {
QString render(const ProjectLine &l)
{
    QStringList f;
    for (int v : {l.subfolderCount, l.totalFileCount, l.directJpegCount, l.allJpegCount,
                  int(l.include), l.startNumber, l.endNumber})
        f.append(QString::number(v));
    return f.join(u',') + u',' + l.path;
}
} // namespace

class ProjectFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("fields"); // empty when the line is not taken
        QTest::newRow("CR LF") << QByteArray("3,120,0,118,1,1,118,/photos/a\r\n")
                               << "3,120,0,118,1,1,118,/photos/a";
        QTest::newRow("LF") << QByteArray("3,120,0,118,0,0,0,/a\n") << "3,120,0,118,0,0,0,/a";
        QTest::newRow("tabs") << QByteArray("1\t2\t3\t4\t1\t5\t6\t/a\n") << "1,2,3,4,1,5,6,/a";
        QTest::newRow("0x1A ends") << QByteArray("1,2,3,4,1,5,6,/a\x1a") << "1,2,3,4,1,5,6,/a";
        QTest::newRow("comma in path") << QByteArray("3,120,0,118,1,1,118,/photos/a,b\n") << "";
        QTest::newRow("no line end") << QByteArray("1,2,3,4,1,5,6,/a") << "";
        QTest::newRow("seven fields") << QByteArray("1,2,3,4,1,5,/a\n") << "";
        QTest::newRow("trailing comma") << QByteArray("1,2,3,4,1,5,6,/a,\n") << "";
        QTest::newRow("flag 10") << QByteArray("0,0,0,0,10,0,0,/a\n") << "0,0,0,0,1,0,0,/a";
        QTest::newRow("atol") << QByteArray(" 12x,-3,+4,,1,007,8z,/a\n") << "12,-3,4,0,1,7,8,/a";
        QTest::newRow("Shift-JIS path")
            << testfiles::sjis(QStringLiteral("1,1,1,1,0,0,0,/写真/表\r\n"))
            << QStringLiteral("1,1,1,1,0,0,0,/写真/表");
    }
    void parseLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, fields);
        ProjectLine parsed;
        QCOMPARE(parseProjectLine(line, &parsed), !fields.isEmpty());
        if (!fields.isEmpty())
            QCOMPARE(render(parsed), fields);
    }

    void loadAndRead()
    {
        QTemporaryDir tmp;
        const QString src = tmp.path() + QStringLiteral("/src");
        for (const char *name : {"a.jpg", "b.jpg", "sub/c.jpg"})
            testfiles::writeFile(src + u'/' + QLatin1String(name), {});
        const QString file = tmp.path() + QStringLiteral("/project00000.txt");
        const QString gone = tmp.path() + QStringLiteral("/gone");
        testfiles::writeFile(
            file,
            testfiles::sjis(QStringLiteral("1,3,2,3,1,4,6,%1\r\n" // as saved
                                           "1,3,2,9,1,0,0,%1\r\n" // all JPEGs changed, taken
                                           "1,3,2,9,0,0,0,%1\r\n" // all JPEGs changed, not taken
                                           "1,3,5,3,0,0,0,%1\r\n" // direct JPEGs changed
                                           "\r\n"
                                           "3,120,0,118,1,1,118,/photos/a,b\r\n"
                                           "0,0,0,0,0,7,8,%2\r\n"
                                           "1,1,1,1,0,0,0,/last")
                                .arg(src, gone)));
        ProjectState state;
        state.folders.folderCount = 9;
        QCOMPARE(LoadProjectFile(state, file), 0);
        QCOMPARE(state.folderCount(), 5);
        QList<int> changed;
        for (int i = 0; i < 5; ++i)
            changed.append(state.folders.entries[i].changed);
        QCOMPARE(changed, QList<int>({0, 1, 0, 1, 0}));
        const FolderEntry &e = state.folders.entries[1];
        QCOMPARE(
            QList<int>({e.subfolderCount, e.totalFileCount, e.directJpegCount, e.allJpegCount}),
            QList<int>({1, 3, 2, 3}));
        const GridRow row2{"2", src, "", "1", "3", "2", "9", "1", "", ""};
        QCOMPARE(state.grid.rows[2], row2);
        QCOMPARE(state.grid.cell(1, ColStart), QStringLiteral("4"));
        QCOMPARE(state.grid.cell(5, ColPath), gone);
        QCOMPARE(state.grid.cell(5, ColEnd), QStringLiteral("8"));
        QCOMPARE(state.folders.entries[4].directJpegCount, 0);

        // The folder list check reads the saved values without scanning.
        FolderTable table;
        QCOMPARE(ReadProjectFile(table, file), 0);
        QCOMPARE(table.folderCount, 5);
        const FolderEntry &saved = table.entries[1];
        QCOMPARE(QList<int>({saved.allJpegCount, saved.includeSubfolders, saved.startNumber,
                             saved.changed}),
                 QList<int>({9, 1, 0, 0}));
        QCOMPARE(table.entries[0].startNumber, 4);
        QCOMPARE(table.entries[4].path, gone);

        QCOMPARE(LoadProjectFile(state, gone), -1);
        QCOMPARE(state.folderCount(), 0);
        QCOMPARE(ReadProjectFile(table, gone), -1);
        QCOMPARE(table.folderCount, 0);
    }

    // A line too long for the buffer is skipped whole, never split into pieces (whose tail
    // could pass for a line of its own); anything but a regular file, or a file past the
    // size cap, never hangs the reopen.
    void overLongLinesAndOddFiles()
    {
        QTemporaryDir tmp;
        const QString file = tmp.path() + QStringLiteral("/p.txt");
        const QByteArray ghost =
            "0,0,0,0,0,0,0,/" + QByteArray(8200, 'x') + ",1,1,1,1,0,0,0,/ghost\n";
        testfiles::writeFile(file, "1,1,1,1,0,0,0,/first\r\n" + ghost + "1,1,1,1,0,0,0,/real\r\n");
        ProjectState state;
        QCOMPARE(LoadProjectFile(state, file), int(ProjectFileOk));
        QCOMPARE(state.folderCount(), 2);
        QCOMPARE(state.grid.cell(2, ColPath), QStringLiteral("/real"));

        QCOMPARE(LoadProjectFile(state, QStringLiteral("/dev/zero")), int(ProjectFileCannotOpen));
        FolderTable table;
        QCOMPARE(ReadProjectFile(table, tmp.path()), int(ProjectFileCannotOpen)); // a folder

        QByteArray huge = "1,1,1,1,0,0,0,/a\n";
        huge += QByteArray(kMaxProjectFileBytes, '\n');
        huge += "1,1,1,1,0,0,0,/beyond\n";
        testfiles::writeFile(file, huge);
        QCOMPARE(ReadProjectFile(table, file), int(ProjectFileTooLarge));
        QCOMPARE(table.folderCount, 1);
    }

    void atMost200Lines()
    {
        QTemporaryDir tmp;
        QByteArray content;
        for (int i = 1; i <= 205; ++i)
            content += "0,0,0,0,0,0,0,/none/" + QByteArray::number(i) + "\r\n";
        const QString file = tmp.path() + QStringLiteral("/p.txt");
        testfiles::writeFile(file, content);
        ProjectState state;
        QCOMPARE(LoadProjectFile(state, file), 0);
        QCOMPARE(state.folderCount(), 200);
        QCOMPARE(state.grid.cell(200, ColPath), QStringLiteral("/none/200"));
    }
};

MF_REGISTER_TEST(ProjectFileTest)
#include "tst_projectfile.moc"
