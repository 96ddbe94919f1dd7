#include "FakeOrderChooser.h"
#include "Fakes.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "numbering/Sequence.h"
#include "orders/OrderEntry.h"
#include "orders/OrderHooksBinding.h"
#include "orders/OrderList.h"
#include "project/ProjectCommands.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mf;
using testfiles::readFile;
using testfiles::sjis;

namespace {

// "orderer/count/price/total:photos" of row r.
QString rowText(const OrderTable &t, int r)
{
    const Order &o = t.row(r);
    QStringList photos;
    for (const QString &p : o.photoNumbers) {
        if (!p.isEmpty())
            photos.append(p);
    }
    return QStringList{o.ordererNumber, o.photoCount, o.unitPrice, o.total}.join('/') + ':' +
           photos.join(',');
}

void fill(OrderInput &in, const QString &orderer, const QString &price, const QStringList &cells)
{
    in.ordererText = orderer;
    in.priceText = price;
    for (int k = 0; k < cells.size(); ++k)
        in.photos[k] = cells[k];
}

} // namespace

class OrderEntryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The first failing check speaks, in the order the operator meets them.
    void refusals_data()
    {
        QTest::addColumn<QString>("orderer");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        const QStringList ok{"5"};
        QTest::newRow("no orderer, bad price") << ""
                                               << "x" << ok << -1 << msg::ordererMissing;
        QTest::newRow("no price, bad orderer") << "a"
                                               << "" << ok << -2 << msg::priceMissing;
        QTest::newRow("negative orderer") << "-3"
                                          << "x" << ok << -3 << msg::ordererNotDigits;
        QTest::newRow("price in groups of four")
            << "3"
            << "1,2000" << QStringList{"x"} << -4 << msg::priceNotDigits;
        QTest::newRow("yen sign alone") << "3"
                                        << "￥" << ok << -4 << msg::priceNotDigits;
        QTest::newRow("photo range")
            << "0"
            << "100" << QStringList{"", "5-8"} << -5 << msg::photoNotDigits;
        QTest::newRow("photo with yen") << "0"
                                        << "100" << QStringList{"￥5"} << -5 << msg::photoNotDigits;
        QTest::newRow("photo with letter")
            << "0"
            << "100" << QStringList{"12a"} << -5 << msg::photoNotDigits;
        QTest::newRow("orderer 0") << "0"
                                   << "100" << ok << -6 << msg::ordererInvalid;
        QTest::newRow("orderer beyond 32 bits") << "2147483648"
                                                << "100" << ok << -6 << msg::ordererInvalid;
        QTest::newRow("10-digit price") << "1"
                                        << "1000000000" << ok << -7 << msg::orderFieldTooLong;
        QTest::newRow("10-digit photo")
            << "1"
            << "1" << QStringList{"1234567890"} << -7 << msg::orderFieldTooLong;
    }
    void refusals()
    {
        QFETCH(QString, orderer);
        QFETCH(QString, price);
        QFETCH(QStringList, cells);
        QFETCH(QString, message);
        auto table = std::make_unique<OrderTable>();
        OrderInput in;
        fill(in, orderer, price, cells);
        const OrderInput before = in;
        ScriptedPrompter p;
        QTEST(EnterOrder(*table, in, p, kTitleText), "result");
        QCOMPARE(p.texts(), QStringList{message});
        QCOMPARE(table->orderCount, 0);
        QVERIFY(table->saved);
        QCOMPARE(in.ordererText, before.ordererText);
        QCOMPARE(in.photos, before.photos);
    }

    // Numbers typed as the window reads them everywhere: the running total shows, 入力 stores
    // and the price question offers the same price.
    void typedForms_data()
    {
        QTest::addColumn<QString>("orderer");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("row");
        QTest::newRow("full-width")
            << "１２"
            << "１２００" << QStringList{"１７", "5"} << "12/2/1200/2400:17,5";
        QTest::newRow("grouped full-width, blanks")
            << " 12 "
            << "１,２００" << QStringList{" 17\u3000"} << "12/1/1200/1200:17";
        QTest::newRow("yen signs and 円") << "3"
                                          << "￥1,200円" << QStringList{"4"} << "3/1/1200/1200:4";
        QTest::newRow("leading zeros kept") << "007"
                                            << "0200" << QStringList{"05"} << "007/1/0200/200:05";
    }
    void typedForms()
    {
        QFETCH(QString, orderer);
        QFETCH(QString, price);
        QFETCH(QStringList, cells);
        QFETCH(QString, row);
        auto t = std::make_unique<OrderTable>();
        t->row(1) = Order{"1", "1", "100", "100", {"1"}};
        t->orderCount = 1;
        OrderInput in;
        fill(in, orderer, price, cells);
        RecountInput(in);
        const qint64 total = row.section('/', 3, 3).section(':', 0, 0).toLongLong();
        QCOMPARE(in.totalText, QString::number(total));
        ScriptedPrompter p;
        PriceChanged(in);
        p.expect(Answer::No);
        ApplyPrice(*t, in, p, kTitleText);
        QCOMPARE(p.texts(),
                 QStringList{QStringLiteral("写真一枚の価格が") +
                             QString::number(total / cells.size()) +
                             QStringLiteral("円に変更されました。全注文に反映しますか？")});
        QCOMPARE(EnterOrder(*t, in, p, kTitleText), int(EnterOk));
        QCOMPARE(rowText(*t, 2), row);
    }

    void enterCorrectMoveDelete()
    {
        auto t = std::make_unique<OrderTable>();
        OrderInput in;
        ScriptedPrompter p;
        fill(in, "007", "999999999", {"12", "", "0", "", "", "", "13"});
        in.photos[99] = "14";
        RecountInput(in);
        QCOMPARE(in.totalText, "3999999996"); // beyond 32 bits, whole
        QCOMPARE(EnterOrder(*t, in, p, kTitleText), 0);
        QCOMPARE(rowText(*t, 1), "007/4/999999999/3999999996:12,0,13,14");
        QCOMPARE(in.priceText, "999999999");
        QVERIFY(in.ordererText.isEmpty() && in.photos[99].isEmpty() && !t->saved);
        fill(in, "8", "100", {"1", "2"});
        QCOMPARE(EnterOrder(*t, in, p, kTitleText), 0);

        // Correcting, then picking an empty row, then entering: a new order with its own
        // computed total, never the total text of the order picked before.
        SelectOrder(*t, in, 1);
        QVERIFY(in.editing);
        QCOMPARE(in.enterCaption(), "更新");
        QCOMPARE(in.photos[3], "14");
        SelectOrder(*t, in, 5);
        QVERIFY(!in.editing);
        QCOMPARE(in.totalText, "3999999996");
        in.photos[0] = "3";
        QCOMPARE(EnterOrder(*t, in, p, kTitleText), 0);
        QCOMPARE(rowText(*t, 3), "007/1/999999999/999999999:3");

        SelectOrder(*t, in, 2);
        in.photos[1].clear();
        QCOMPARE(EnterOrder(*t, in, p, kTitleText), 0);
        QCOMPARE(rowText(*t, 2), "8/1/100/100:1");
        QCOMPARE(t->orderCount, 3);

        t->saved = true;
        in.currentRow = 1;
        QVERIFY(!MoveOrderUp(*t, in));
        QVERIFY(MoveOrderDown(*t, in));
        QCOMPARE(in.currentRow, 2);
        QCOMPARE(rowText(*t, 1), "8/1/100/100:1");
        QVERIFY(!t->saved);
        in.currentRow = 3;
        QVERIFY(!MoveOrderDown(*t, in));
        QVERIFY(DeleteOrder(*t, in)); // the last: selection goes up
        QCOMPARE(in.currentRow, 2);
        in.currentRow = 1;
        QVERIFY(DeleteOrder(*t, in)); // earlier: later orders move up
        QCOMPARE(in.currentRow, 1);
        QCOMPARE(t->orderCount, 1);
        QCOMPARE(rowText(*t, 1), "007/4/999999999/3999999996:12,0,13,14");
        QVERIFY(DeleteOrder(*t, in));
        QCOMPARE(in.currentRow, 1);
        QVERIFY(t->row(1).isEmpty() && t->row(2).isEmpty() && t->row(3).isEmpty());
        QVERIFY(!DeleteOrder(*t, in));
    }

    void tableFullRefusesOnlyNewOrders()
    {
        auto t = std::make_unique<OrderTable>();
        for (int r = 1; r <= kMaxOrders; ++r)
            t->row(r) = Order{"1", "1", "10", "10", {"1"}};
        t->orderCount = kMaxOrders;
        OrderInput in;
        ScriptedPrompter p;
        fill(in, "9", "10", {"1"});
        QCOMPARE(EnterOrder(*t, in, p, kTitleText), int(EnterTableFull));
        QCOMPARE(p.texts(), QStringList{msg::orderTableFull});
        SelectOrder(*t, in, kMaxOrders);
        in.photos[1] = "2";
        QCOMPARE(EnterOrder(*t, in, p, kTitleText), 0);
        QCOMPARE(rowText(*t, kMaxOrders), "1/2/10/20:1,2");
    }

    void applyPrice_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<int>("answer"); // 0 not asked
        QTest::addColumn<QString>("asked");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("totalText");
        const QString old = "1/3/100/300:1,2,3";
        QTest::newRow("applied") << "0500" << 1 << "500" << 1 << "1/3/500/1500:1,2,3"
                                 << "1000";
        QTest::newRow("declined") << "500" << 2 << "500" << 2 << old << "1000";
        QTest::newRow("cleared asks for 0") << "" << 1 << "0" << 1 << "1/3/0/0:1,2,3"
                                            << "0";
        QTest::newRow("full-width typed") << "５００" << 1 << "500" << 1 << "1/3/500/1500:1,2,3"
                                          << "1000";
        QTest::newRow("half and full-width") << "1５0" << 1 << "150" << 1 << "1/3/150/450:1,2,3"
                                             << "300";
        QTest::newRow("full-width and a letter not offered") << "５x" << 0 << "" << 2 << old << "0";
        QTest::newRow("large, 64-bit")
            << "999999999" << 1 << "999999999" << 1 << "1/3/999999999/2999999997:1,2,3"
            << "1999999998";
    }
    void applyPrice()
    {
        QFETCH(QString, price);
        QFETCH(int, answer);
        QFETCH(QString, asked);
        auto t = std::make_unique<OrderTable>();
        t->row(1) = Order{"1", "3", "100", "300", {"1", "2", "3"}};
        t->orderCount = 1;
        OrderInput in;
        in.countText = "2";
        ScriptedPrompter p;
        QCOMPARE(ApplyPrice(*t, in, p, kTitleText), int(PriceNothingPending));
        PriceChanged(in);
        in.priceText = price;
        if (answer)
            p.expect(answer == 1 ? Answer::Yes : Answer::No);
        QTEST(ApplyPrice(*t, in, p, kTitleText), "result");
        QCOMPARE(p.boxes.size(), answer ? 1 : 0);
        if (answer)
            QCOMPARE(p.boxes.at(0).text,
                     QStringLiteral("写真一枚の価格が") + asked +
                         QStringLiteral("円に変更されました。全注文に反映しますか？"));
        QTEST(rowText(*t, 1), "row");
        QTEST(in.totalText, "totalText");
        QVERIFY(!in.priceChanged);
    }

    void orderListWithTotals()
    {
        QTemporaryDir dir;
        ProjectState project;
        project.programFolder = dir.path() + '/';
        project.projectName = "p";
        project.titleText = kTitleText;
        auto t = std::make_unique<OrderTable>();
        OrderInput in;
        FakeServices f;
        QCOMPARE(WriteOrderList(*t, in, project, f.prompter, f.shell), 0);
        const QString empty = dir.filePath("p_注文リスト.txt");
        QCOMPARE(f.shell.opened, QStringList{empty});
        const QString head = "注文者　注文枚数　　　単価　　　値段\r\n";
        const QString rule = QString(36, '-') + "\r\n";
        QCOMPARE(readFile(empty), sjis(head + rule + " 　合計枚数   0枚 　合計金額       0円\r\n"));

        t->row(1) = Order{"007", "100", "999999999", "99999999900", {}};
        t->row(2) = Order{"12345", "1", "5", "", {}};
        t->orderCount = 2;
        t->orderFilePath = dir.filePath("a.b.csv");
        QCOMPARE(WriteOrderList(*t, in, project, f.prompter, f.shell), 0);
        QCOMPARE(readFile(dir.filePath("a.b_注文リスト.txt")),
                 sjis(head + " 007　     100枚999999999円99999999900円\r\n" +
                      "12345　       1枚       5円        円\r\n" + rule +
                      " 　合計枚数 101枚 　合計金額99999999900円\r\n"));
        QVERIFY(!in.listBusy);

        t->orderFilePath = dir.filePath("missing/x.csv");
        QCOMPARE(WriteOrderList(*t, in, project, f.prompter, f.shell), int(OrderListFailed));
        QCOMPARE(f.prompter.texts(), QStringList{msg::orderListNotSaved});
        QCOMPARE(f.shell.opened.size(), 2);
    }

    // The main window's guards and reopen reach the real table.
    void projectHooks()
    {
        QTemporaryDir dir;
        ProjectState state;
        state.programFolder = dir.path() + '/';
        state.titleText = kTitleText;
        state.projectName = "p";
        state.saveFolder = dir.filePath("save");
        auto t = std::make_unique<OrderTable>();
        FakeServices f;
        int resets = 0;
        state.orders = MakeOrderHooks(*t, state, f.prompter, [&] { ++resets; });
        t->row(1) = Order{"1", "1", "1", "1", {"1"}};
        t->orderCount = 1;
        QCOMPARE(state.orderCount(), 1);

        SequenceHooks seq;
        seq.askStartNumber = [](int) { return -2; };
        f.prompter.expect({Answer::Yes, Answer::No});
        QCOMPARE(CreateSequentialFiles(state, f.services, seq), -1);
        QCOMPARE(f.prompter.texts(), (QStringList{msg::ordersContinue, msg::ordersAppendOnly}));

        testfiles::writeFile(dir.filePath("q.csv"), "4,2,10,20,7,8\r\n");
        state.history.entries[0] =
            HistoryEntry{"q", "", dir.filePath("none.txt"), state.saveFolder, ""};
        state.history.count = 1;
        QVERIFY(reopenHistory(state, f.services, 0));
        QCOMPARE(rowText(*t, 1), "4/2/10/20:7,8");
        QCOMPARE(t->orderFilePath, dir.filePath("q.csv"));
        QCOMPARE(resets, 1);
    }
};

MF_REGISTER_TEST(OrderEntryTest)
#include "tst_orderentry.moc"
