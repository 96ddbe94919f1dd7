#include "orders/OrderFile.h"

#include "orders/OrderFileText.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <memory>

namespace mf {

namespace {

QString orderLine(const Order &o)
{
    QString line = o.ordererNumber + u',' + o.photoCount + u',' + o.unitPrice + u',' + o.total;
    for (const QString &photo : o.photoNumbers) {
        line += u',';
        line += photo;
    }
    return line;
}

bool isCsvName(const QString &path)
{
    return path.right(3).compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

bool fitsInt(qint64 v)
{
    return v >= INT_MIN && v <= INT_MAX;
}

// What one line of an order file holds, its fields read as numbers.
struct LineValues {
    qint64 orderer = 0, statedCount = 0, price = 0, statedTotal = 0;
    QList<qint64> photos;     // the values above 0 among the fields after the fourth
    bool tooLarge = false;    // a number that the table cannot hold
    bool holdsNumber = false; // some field is a number above 0
    bool badAmount = false;   // a count, price or total that is text but not a number
    bool badPhoto = false;    // a photo cell that is text but not a number
};

// A field as a number; empty is 0. *bad is set for text that is not a number, which reads
// as its leading digits, as the order file was always read.
qint64 fieldValue(const QByteArray &field, NumberForm form, bool *bad)
{
    if (const std::optional<qint64> n = orderFieldNumber(field, form))
        return *n;
    if (!field.trimmed().isEmpty())
        *bad = true;
    return parseAmount(halfWidthDigits(fromCp932(field)));
}

LineValues valuesOf(const QList<QByteArray> &f)
{
    LineValues v;
    bool badOrderer = false;
    auto number = [&f](int i, NumberForm form, bool *bad) -> qint64 {
        return i < f.size() ? fieldValue(f[i], form, bad) : 0;
    };
    // An orderer that is not a number is no order at all.
    v.orderer = number(0, NumberForm::Plain, &badOrderer);
    if (badOrderer)
        v.orderer = 0;
    v.statedCount = number(1, NumberForm::Plain, &v.badAmount);
    v.price = number(2, NumberForm::Yen, &v.badAmount);
    v.statedTotal = number(3, NumberForm::Yen, &v.badAmount);
    v.tooLarge = !fitsInt(v.orderer) || !fitsInt(v.statedCount) || !fitsInt(v.price);
    for (qsizetype i = 4; i < f.size(); ++i) {
        const qint64 photo = fieldValue(f[i], NumberForm::Plain, &v.badPhoto);
        if (photo <= 0)
            continue;
        v.tooLarge = v.tooLarge || !fitsInt(photo);
        v.photos.append(photo);
    }
    v.holdsNumber = v.orderer > 0 || v.statedCount > 0 || v.price > 0 || v.statedTotal > 0 ||
                    !v.photos.isEmpty();
    return v;
}

bool isBlankLine(const QList<QByteArray> &fields)
{
    return std::all_of(fields.begin(), fields.end(),
                       [](const QByteArray &f) { return f.trimmed().isEmpty(); });
}

// Lines named once after the load, the first ones by number, so that a file of thousands of
// such lines still fits a message box.
class NamedLines {
public:
    NamedLines(const QString &few, const QString &many) : m_few(few), m_many(many) {}
    void add(int line)
    {
        if (m_listed.size() < kListed)
            m_listed.append(QString::number(line));
        ++m_count;
    }
    bool isEmpty() const { return m_count == 0; }
    QString message() const
    {
        const QString listed = m_listed.join(QStringLiteral(", "));
        return m_count <= kListed ? m_few.arg(listed)
                                  : m_many.arg(listed, QString::number(m_count));
    }

private:
    QString m_few, m_many;
    static constexpr int kListed = 20;
    QStringList m_listed;
    int m_count = 0;
};

// The save folder is made current before a load; asks whether to go on when it cannot be.
bool settleSaveFolder(const ProjectState &project, Prompter &prompter)
{
    const QString &caption = project.titleText;
    const QString &folder = project.saveFolder;
    if (isEnterableDir(folder))
        return true;
    if (!makePath(folder) && prompter.ask(msg::orderSaveFolderNotCreated.arg(folder), caption,
                                          Buttons::YesNo) != Answer::Yes)
        return false;
    return isEnterableDir(folder) ||
           prompter.ask(msg::orderSaveFolderNotEnterable, caption, Buttons::YesNo) == Answer::Yes;
}

void appendOrder(OrderTable &table, const LineValues &v)
{
    Order &row = table.row(++table.orderCount);
    row.ordererNumber = QString::number(v.orderer);
    row.photoCount = QString::number(v.photos.size());
    row.unitPrice = QString::number(v.price);
    row.total = QString::number(v.price * v.photos.size());
    for (qsizetype k = 0; k < v.photos.size(); ++k)
        row.photoNumbers[std::size_t(k)] = QString::number(v.photos[k]);
}

} // namespace

bool encodeOrderFile(const OrderTable &table, QByteArray *out)
{
    QStringList lines;
    lines.reserve(table.orderCount);
    for (int r = 1; r <= table.orderCount; ++r)
        lines.append(orderLine(table.row(r)));
    return encodeLinesCrLf(lines, out);
}

int SaveOrderFile(OrderTable &table, const ProjectState &project, Prompter &prompter,
                  OrderFileChooser &chooser)
{
    const QString &caption = project.titleText;
    if (table.orderFilePath.isEmpty() && !isPlainFileName(project.projectName)) {
        prompter.inform(msg::orderFileBadProjectName, caption);
        return SaveOrdersFailed;
    }
    QString target = table.orderFilePath.isEmpty()
                         ? DefaultOrderFilePath(project.programFolder, project.projectName)
                         : table.orderFilePath;
    if (pathExists(target) &&
        prompter.ask(msg::orderFileExists.arg(target), caption, Buttons::YesNo) == Answer::Yes) {
        QString suggestion = target;
        for (;;) {
            const QString chosen = chooser.chooseOrderFileToSave(suggestion);
            if (chosen.isEmpty())
                return SaveOrdersCancelled;
            if (isCsvName(chosen)) {
                target = chosen;
                break;
            }
            suggestion = chosen + QStringLiteral(".csv");
        }
    }
    if (prompter.ask(msg::orderFileConfirm.arg(target), caption, Buttons::YesNo) != Answer::Yes)
        return SaveOrdersDeclined;

    // Written whole or not at all: a full disk leaves the previous file as it was, and the
    // table stays unsaved and tied to its old file.
    QByteArray content;
    if (!encodeOrderFile(table, &content) || !saveFileAtomically(target, content)) {
        prompter.inform(msg::orderFileNotSaved, caption);
        return SaveOrdersFailed;
    }
    table.saved = true;
    prompter.inform(msg::orderFileSaved.arg(target), caption);
    table.orderFilePath = target;
    return SaveOrdersOk;
}

namespace {

// Lines that held a number but were not loaded as an order, and orders loaded from lines with
// a photo cell that is not a number.
struct LinesToName {
    NamedLines notRead{msg::orderLinesNotRead, msg::orderLinesNotReadMany};
    NamedLines badPhotos{msg::orderLinesBadPhoto, msg::orderLinesBadPhotoMany};
    bool isEmpty() const { return notRead.isEmpty() && badPhotos.isEmpty(); }
    QString message() const
    {
        QStringList parts;
        for (const NamedLines *lines : {&notRead, &badPhotos}) {
            if (!lines->isEmpty())
                parts.append(lines->message());
        }
        return parts.join(QStringLiteral("\n\n"));
    }
};

// A line that is one field holding ";": the file is separated by semicolons.
bool isSemicolonLine(const QByteArray &line, const OrderLineFields &split)
{
    return split.fields.size() == 1 && line.contains(';');
}

// Reads the orders of the file into loaded. corrected: a line's count or total disagreed and
// the operator went on.
int readOrders(LineReader &reader, OrderTable &loaded, LinesToName &named, bool &corrected,
               const QString &caption, Prompter &prompter)
{
    auto refuse = [&](const QString &text) {
        prompter.inform(text, caption);
        return LoadOrdersRefused;
    };
    bool contentSeen = false;
    int lineNumber = 0;
    QByteArray line;
    while (reader.readLine(&line)) {
        ++lineNumber;
        if (!line.endsWith('\n') && line.size() >= kOrderLineBuffer - 1)
            return refuse(msg::orderLineTooLong.arg(lineNumber));
        if (lineNumber == 1)
            skipUtf8Bom(&line);
        const OrderLineFields split = splitOrderLine(line);
        if (split.moreAfterCr)
            return refuse(msg::orderLineCrOnly.arg(lineNumber));
        const LineValues v = valuesOf(split.fields);
        if (v.photos.size() > kPhotosPerOrder)
            return refuse(msg::orderLineTooManyPhotos.arg(lineNumber));
        const bool firstContent = !contentSeen && !isBlankLine(split.fields);
        contentSeen = contentSeen || firstContent;
        if (firstContent && isSemicolonLine(line, split))
            return refuse(msg::orderFileSemicolons);
        if (v.photos.isEmpty() || v.orderer < 1 || v.badAmount) {
            // Empty rows and a heading row above the orders are no orders; any other line
            // that holds a number looked like one, and the operator is told. So is a line
            // whose count, price or total is no number: it must not load as 0 yen.
            if ((v.holdsNumber || v.badAmount) &&
                !(firstContent && isHeadingField(split.fields[0])))
                named.notRead.add(lineNumber);
            continue;
        }
        if (v.badPhoto)
            named.badPhotos.add(lineNumber);
        if (v.tooLarge)
            return refuse(msg::orderNumberTooLarge.arg(lineNumber));
        // The entry takes digits only; a negative price would take money off the totals.
        if (v.price < 0)
            return refuse(msg::orderNegativePrice.arg(lineNumber));
        if (loaded.orderCount >= kMaxOrders)
            return refuse(msg::orderFileTooManyOrders.arg(lineNumber));
        if (v.price * v.statedCount != v.statedTotal || v.statedCount != v.photos.size()) {
            if (prompter.ask(msg::orderMismatch.arg(v.orderer), caption, Buttons::YesNo) !=
                Answer::Yes)
                return LoadOrdersStopped;
            corrected = true;
        }
        appendOrder(loaded, v);
    }
    if (reader.readFailed())
        return refuse(msg::orderFileReadError);
    if (reader.stoppedAtCap())
        return refuse(msg::orderFileTooLarge);
    return LoadOrdersOk;
}

} // namespace

int LoadOrderFile(OrderTable &table, const QString &path, const ProjectState &project,
                  Prompter &prompter)
{
    const QString &caption = project.titleText;
    if (!settleSaveFolder(project, prompter))
        return LoadOrdersStopped;

    LineReader reader(kOrderLineBuffer, LongLines::Split, kOrderFileMaxBytes);
    switch (openOrderText(reader, path, kOrderFileMaxBytes)) {
    case OrderTextOpen::Ready: break;
    case OrderTextOpen::CannotOpen:
        prompter.inform(msg::orderFileCannotOpen, caption);
        return LoadOrdersCannotOpen;
    case OrderTextOpen::TooLarge:
        prompter.inform(msg::orderFileTooLarge, caption);
        return LoadOrdersRefused;
    case OrderTextOpen::ReadError:
        prompter.inform(msg::orderFileReadError, caption);
        return LoadOrdersRefused;
    case OrderTextOpen::Workbook:
        prompter.inform(msg::orderFileWorkbook, caption);
        return LoadOrdersRefused;
    case OrderTextOpen::NotText:
        prompter.inform(msg::orderFileNotText, caption);
        return LoadOrdersRefused;
    }

    // Rows are collected apart and replace the table only when the whole file was taken,
    // so a refused or stopped load leaves the table as it was.
    auto loaded = std::make_unique<OrderTable>();
    LinesToName named;
    bool corrected = false;
    const int result = readOrders(reader, *loaded, named, corrected, caption, prompter);
    if (result != LoadOrdersOk)
        return result;

    table.orders = std::move(loaded->orders);
    table.orderCount = loaded->orderCount;
    // The table no longer matches the file: closing asks to save it.
    if (corrected || !named.isEmpty())
        table.saved = false;
    if (!named.isEmpty())
        prompter.inform(named.message(), caption);
    return LoadOrdersOk;
}

int LoadProjectOrderFile(OrderTable &table, const ProjectState &project, Prompter &prompter)
{
    // A name that could point outside the program folder has no order file there.
    if (!isPlainFileName(project.projectName))
        return LoadOrdersNoFile;
    table.orderFilePath = DefaultOrderFilePath(project.programFolder, project.projectName);
    if (!isFile(table.orderFilePath))
        return LoadOrdersNoFile;
    return LoadOrderFile(table, table.orderFilePath, project, prompter);
}

bool SettleUnsavedOrders(OrderTable &table, const ProjectState &project, Prompter &prompter,
                         OrderFileChooser &chooser)
{
    if (table.orderCount < 1 || table.saved)
        return true;
    switch (prompter.ask(msg::unsavedOrders, project.titleText, Buttons::YesNoCancel)) {
    case Answer::Yes: return SaveOrderFile(table, project, prompter, chooser) == SaveOrdersOk;
    case Answer::No: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

} // namespace mf
