#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "sheets/TitleData.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace mf;
using testfiles::readFile;
using testfiles::sjis;
using testfiles::writeFile;

Q_DECLARE_METATYPE(mf::TitleFields)

namespace {
QStringList render(const TitleFields &f)
{
    return {f.title,
            f.titleHeight,
            f.showTitle ? "on" : "off",
            f.showPageNumber ? "on" : "off",
            f.pageOffset,
            QString::number(int(f.align)),
            f.pageHeight,
            f.pageLabel,
            f.pageSuffix};
}

// Something other than the defaults, to see what a load leaves alone.
TitleFields earlier()
{
    return {"old", "33", true, true, "7", TitleAlign::Right, "44", "L0", "S0"};
}

const QString kA = QStringLiteral("あ"); // two bytes in Shift-JIS
} // namespace

class TitleDataTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void save_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<int>("answer"); // 0 none asked, 1 yes, 2 no
        QTest::addColumn<TitleFields>("fields");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("boxes"); // caption|text, %1 the file's path
        QTest::addColumn<QByteArray>("file");   // null: none
        const QString t = QStringLiteral("Marrowfold|");
        const QString confirm = t + msg::titleDataConfirm, saved = t + msg::titleDataSaved;
        // The WAVE DASH typed on Linux is stored as the Shift-JIS full-width tilde.
        const TitleFields f{QStringLiteral("運動会\u301c2024"),
                            "40",
                            true,
                            false,
                            "3",
                            TitleAlign::Centre,
                            "30",
                            QStringLiteral("ページ "),
                            QStringLiteral("枚目")};
        const QByteArray bytes =
            sjis(QStringLiteral("運動会\uff5e2024\r\n40\r\nON\r\nOFF\r\n3\r\nC\r\n30\r\nページ "
                                "\r\n枚目\r\n"));
        const QString nen = QStringLiteral("2年1組");
        QTest::newRow("first save asks")
            << nen << false << 1 << f << 0 << QStringList{confirm, saved} << bytes;
        QTest::newRow("later save does not ask")
            << nen << true << 0 << f << 0 << QStringList{saved} << bytes;
        QTest::newRow("declined") << nen << false << 2 << f << -2 << QStringList{confirm}
                                  << QByteArray();
        const TitleFields longTexts{QString(300, kA[0]),
                                    "",
                                    false,
                                    true,
                                    "",
                                    TitleAlign::Right,
                                    "",
                                    QStringLiteral("ページ番号ページ番号ページ"),
                                    u'a' + QString(12, kA[0])};
        QTest::newRow("texts cut between characters")
            << "p" << true << 0 << longTexts << 0 << QStringList{saved}
            << sjis(QString(250, kA[0]) +
                    QStringLiteral("\r\n\r\nOFF\r\nON\r\n\r\nR\r\n\r\n"
                                   "ページ番号ページ番号\r\na") +
                    QString(9, kA[0]) + "\r\n");
        const QStringList badName{t + msg::titleDataBadProjectName};
        for (const QString &name :
             {QString(), QStringLiteral("a/b"), QStringLiteral(".."), QStringLiteral("a\tb"),
              QStringLiteral("a\nb"), QStringLiteral("名前😀")})
            QTest::addRow("project name %s", qPrintable(QString(name).replace(u'\n', u'|')))
                << name << false << 0 << f << -4 << badName << QByteArray();
        const QStringList unsavable{t + msg::titleDataUnsavableText};
        TitleFields emoji = f, lineBreak = f;
        emoji.pageSuffix = QStringLiteral("😀");
        lineBreak.title = "a\nb";
        QTest::newRow("emoji") << nen << true << 0 << emoji << -5 << unsavable << QByteArray("x");
        QTest::newRow("line break")
            << nen << false << 0 << lineBreak << -5 << unsavable << QByteArray();
    }
    void save()
    {
        QFETCH(QString, project);
        QFETCH(bool, fileExists);
        QFETCH(int, answer);
        QFETCH(TitleFields, fields);
        QFETCH(QStringList, boxes);
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(project + "_title.dat");
        if (fileExists)
            writeFile(path, "x");
        ScriptedPrompter prompter;
        if (answer)
            prompter.expect(answer == 1 ? Answer::Yes : Answer::No);
        QTEST(SaveTitleData(dir.path(), project, fields, prompter, "Marrowfold"), "result");
        QCOMPARE(prompter.pendingAnswers(), 0);
        QStringList shown;
        for (const RecordedBox &box : prompter.boxes)
            shown << box.caption + u'|' + box.text;
        for (QString &b : boxes) {
            if (b.contains("%1"))
                b = b.arg(path);
        }
        QCOMPARE(shown, boxes);
        if (!project.isEmpty() && !project.contains(u'/'))
            QCOMPARE(readFile(path), file);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 file.isNull() ? 0 : 1);
    }

    void saveWithoutProgramFolder()
    {
        ScriptedPrompter prompter;
        QCOMPARE(SaveTitleData("/nonexistent/x", "p", {}, prompter, "M"), -1);
        TitleFields fields;
        QCOMPARE(LoadTitleData("/nonexistent/x", "p", fields, prompter), -1);
        QCOMPARE(prompter.texts(), QStringList(2, msg::programFolderMissing));
        QCOMPARE(prompter.boxes[0].caption, QString());
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("fields");
        const QStringList old = render(earlier());
        auto with = [&](QList<std::pair<int, QString>> changes) {
            QStringList f = old;
            for (const auto &[i, v] : changes)
                f[i] = v;
            return f;
        };
        QTest::newRow("no file") << QByteArray() << -6 << old;
        QTest::newRow("heights 3 and 4001, on not ON")
            << QByteArray("t\r\n3\r\non\r\nOFF\r\n-5x\r\nR\r\n4001\r\nP\r\nS\r\n") << 0
            << QStringList{"t", "33", "off", "off", "-5", "2", "44", "P", "S"};
        QTest::newRow("heights 5 and 4000, LF only")
            << QByteArray("t\n5\nON\nON\n0\nC\n4000\nP\nS") << 0
            << QStringList{"t", "5", "on", "on", "0", "1", "4000", "P", "S"};
        QTest::newRow("four lines")
            << sjis(QStringLiteral("新\r\n100\r\nOFF\r\nOFF\r\n")) << 0
            << with({{0, QStringLiteral("新")}, {1, "100"}, {2, "off"}, {3, "off"}});
        QTest::newRow("lone X aligns left") << QByteArray("t\r\n\r\nON\r\nON\r\n1\r\nX\r\n") << 0
                                            << with({{0, "t"}, {1, "20"}, {4, "1"}, {5, "0"}});
        QTest::newRow("empty lines") << QByteArray("\r\n").repeated(9) << 0
                                     << QStringList{"", "20", "off", "off", "0", "2", "20", "", ""};
        QTest::newRow("600-byte title")
            << sjis(QString(300, kA[0])) << 0 << with({{0, QString(250, kA[0])}});
        QTest::newRow("cut between characters")
            << sjis(u'a' + QString(300, kA[0]) + "\r\n\r\n\r\n\r\n\r\n\r\n\r\na" +
                    QString(10, kA[0]) + "\r\nab" + QString(10, kA[0]))
            << 0 << QStringList{u'a' + QString(249, kA[0]),
                                "20",
                                "off",
                                "off",
                                "0",
                                "2",
                                "20",
                                u'a' + QString(9, kA[0]),
                                "ab" + QString(9, kA[0])};
    }
    void load()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        if (!content.isNull())
            writeFile(dir.filePath(QStringLiteral("2年1組_title.dat")), content);
        TitleFields fields = earlier();
        ScriptedPrompter prompter;
        QTEST(LoadTitleData(dir.path(), QStringLiteral("2年1組"), fields, prompter), "result");
        QTEST(render(fields), "fields");
        QVERIFY(prompter.boxes.isEmpty());
    }

    void derivedValues()
    {
        const TitleHeights h60 = AutoHeights(60), h50 = AutoHeights(50);
        QCOMPARE(QList<int>({h60.title, h60.page, h50.title, h50.page}),
                 QList<int>({40, 30, 33, 25}));
        QCOMPARE(fontHeightLabel(40, 300), QStringLiteral("pix (3mm)"));
        QCOMPARE(fontHeightLabel(40, 0), QStringLiteral("pix (0mm)"));
    }
};

MF_REGISTER_TEST(TitleDataTest)
#include "tst_titledata.moc"
