#pragma once
// The families' orders of one project: up to 2000 rows, each an orderer number, a photo
// count, a unit price, a total and up to 100 photo numbers, all held as the texts they were
// entered or loaded as. The entry window edits it, the order list prints it, the per-order
// export reads it.

#include <QByteArray>
#include <QString>

#include <array>

namespace mf {

inline constexpr int kMaxOrders = 2000;
inline constexpr int kPhotosPerOrder = 100;
// Orderer number, count, unit price, total, then the photo cells.
inline constexpr int kOrderColumns = 4 + kPhotosPerOrder;

// Columns of a row as the table display and the order CSV file number them.
enum OrderColumn {
    ColOrderer = 1,
    ColPhotoCount = 2,
    ColUnitPrice = 3,
    ColTotal = 4,
    ColFirstPhoto = 5, // photo cell k (1..100) is column 4 + k
};

struct Order {
    QString ordererNumber;
    QString photoCount;
    QString unitPrice;
    QString total;
    std::array<QString, kPhotosPerOrder> photoNumbers; // photo cell k at index k - 1

    // Column 1..104; an empty text for any other column.
    QString cell(int column) const;
    bool isEmpty() const;
    void clear();
};

// About 5 MB of strings when full: keep one instance on the heap (the entry window owns it).
struct OrderTable {
    std::array<Order, kMaxOrders> orders; // row r (1..2000) at index r - 1
    int orderCount = 0;                   // rows 1..orderCount are orders, later rows empty
    QString orderFilePath;                // empty: no file associated
    bool saved = true;                    // nothing in the table that is not written

    Order &row(int r) { return orders[std::size_t(r - 1)]; }
    const Order &row(int r) const { return orders[std::size_t(r - 1)]; }
    bool isFull() const { return orderCount >= kMaxOrders; }
};

// Empties every row, no file, saved.
void ResetOrders(OrderTable &table);

// "<programFolder>/<projectName>.csv".
QString DefaultOrderFilePath(const QString &programFolder, const QString &projectName);

// A text read like atol (leading blanks, a sign, digits up to the first non-digit, 0 without
// digits) into 64 bits, saturating far beyond any amount: totals need more than 32 bits.
qint64 parseAmount(QStringView text);
qint64 parseAmount(const QByteArray &text);

// Sums over rows 1..orderCount of the texts read like atol, in 64 bits so that no amount
// of orders can wrap them.
qint64 sumOfPhotoCounts(const OrderTable &table);
qint64 sumOfTotals(const OrderTable &table);

// Headings and widths of the 105 columns of the order table displays (column 0 shows the
// row number).
QString orderColumnHeading(int column);
int orderColumnWidth(int column);
inline constexpr int kOrderRowHeight = 20;

} // namespace mf
