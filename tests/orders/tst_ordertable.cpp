#include "TestRegistry.h"
#include "orders/OrderTable.h"

#include <QTest>

class OrderTableTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsEmpty()
    {
        auto table = std::make_unique<mf::OrderTable>();
        QCOMPARE(table->orderCount, 0);
    }
};

MF_REGISTER_TEST(OrderTableTest)
#include "tst_ordertable.moc"
