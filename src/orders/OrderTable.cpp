#include "orders/OrderTable.h"

#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"

#include <QByteArray>

namespace mf {

namespace {

constexpr qint64 kAmountLimit = Q_INT64_C(1000000000000000000);

} // namespace

qint64 parseAmount(QStringView text)
{
    return parseAtol(text, kAmountLimit);
}

qint64 parseAmount(const QByteArray &text)
{
    return parseAtol(text, kAmountLimit);
}

QString Order::cell(int column) const
{
    switch (column) {
    case ColOrderer: return ordererNumber;
    case ColPhotoCount: return photoCount;
    case ColUnitPrice: return unitPrice;
    case ColTotal: return total;
    default: break;
    }
    if (column >= ColFirstPhoto && column < ColFirstPhoto + kPhotosPerOrder)
        return photoNumbers[std::size_t(column - ColFirstPhoto)];
    return {};
}

bool Order::isEmpty() const
{
    if (!ordererNumber.isEmpty() || !photoCount.isEmpty() || !unitPrice.isEmpty() ||
        !total.isEmpty())
        return false;
    for (const QString &p : photoNumbers) {
        if (!p.isEmpty())
            return false;
    }
    return true;
}

void Order::clear()
{
    ordererNumber.clear();
    photoCount.clear();
    unitPrice.clear();
    total.clear();
    for (QString &p : photoNumbers)
        p.clear();
}

void ResetOrders(OrderTable &table)
{
    for (Order &o : table.orders)
        o.clear();
    table.orderCount = 0;
    table.orderFilePath.clear();
    table.saved = true;
}

QString DefaultOrderFilePath(const QString &programFolder, const QString &projectName)
{
    return joinPath(programFolder, programFileName(programfile::kOrders, projectName));
}

qint64 sumOfPhotoCounts(const OrderTable &table)
{
    qint64 sum = 0;
    for (int r = 1; r <= table.orderCount; ++r)
        sum += parseAtol(table.row(r).photoCount);
    return sum;
}

qint64 sumOfTotals(const OrderTable &table)
{
    // A total can exceed 32 bits (100 photos at a nine-digit price): read it whole.
    qint64 sum = 0;
    for (int r = 1; r <= table.orderCount; ++r)
        sum += parseAmount(table.row(r).total);
    return sum;
}

QString orderColumnHeading(int column)
{
    switch (column) {
    case 0: return QStringLiteral("No.");
    case ColOrderer: return QStringLiteral("注文者No.");
    case ColPhotoCount: return QStringLiteral("注文枚数");
    case ColUnitPrice: return QStringLiteral("１枚単価");
    case ColTotal: return QStringLiteral("合計金額");
    default: break;
    }
    if (column >= ColFirstPhoto && column < ColFirstPhoto + kPhotosPerOrder)
        return QString::number(column - ColFirstPhoto + 1);
    return {};
}

int orderColumnWidth(int column)
{
    if (column == 0 || column == ColOrderer)
        return 40;
    if (column >= ColPhotoCount && column <= ColTotal)
        return 80;
    return 30;
}

} // namespace mf
