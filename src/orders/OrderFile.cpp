#include "orders/OrderFile.h"

#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QStringList>

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

// One line of an order file, split the way every reader of the program splits: a field
// ends at a comma, TAB, CR, LF or 0x1A, and the line ends at the first CR, LF or 0x1A.
struct SplitLine {
    QList<QByteArray> fields;
    bool moreAfterCr = false; // data after a CR: the file separates lines by CR alone
};

SplitLine splitOrderLine(const QByteArray &line)
{
    SplitLine out;
    QByteArray field;
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ',' || c == '\t') {
            out.fields.append(field);
            field.clear();
        } else if (c == '\r' || c == '\n' || c == '\x1a') {
            break;
        } else {
            field.append(c);
        }
    }
    out.fields.append(field);
    if (i < line.size() && line[i] == '\r') {
        for (qsizetype j = i + 1; j < line.size(); ++j) {
            if (line[j] != '\r' && line[j] != '\n' && line[j] != '\x1a') {
                out.moreAfterCr = true;
                break;
            }
        }
    }
    return out;
}

bool fitsInt(qint64 v)
{
    return v >= INT_MIN && v <= INT_MAX;
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

int LoadOrderFile(OrderTable &table, const QString &path, const ProjectState &project,
                  Prompter &prompter)
{
    const QString &caption = project.titleText;
    const QString &folder = project.saveFolder;
    if (!isEnterableDir(folder)) {
        if (!makePath(folder) && prompter.ask(msg::orderSaveFolderNotCreated.arg(folder), caption,
                                              Buttons::YesNo) != Answer::Yes)
            return LoadOrdersStopped;
        if (!isEnterableDir(folder) &&
            prompter.ask(msg::orderSaveFolderNotEnterable, caption, Buttons::YesNo) != Answer::Yes)
            return LoadOrdersStopped;
    }

    LineReader reader(kOrderLineBuffer, LongLines::Split, kOrderFileMaxBytes);
    if (!reader.open(path)) {
        prompter.inform(msg::orderFileCannotOpen, caption);
        return LoadOrdersCannotOpen;
    }
    auto refuse = [&](const QString &text) {
        prompter.inform(text, caption);
        return LoadOrdersRefused;
    };

    // Rows are collected apart and replace the table only when the whole file was taken,
    // so a refused or stopped load leaves the table as it was.
    auto loaded = std::make_unique<OrderTable>();
    bool corrected = false;
    int lineNumber = 0;
    QByteArray line;
    while (reader.readLine(&line)) {
        ++lineNumber;
        if (!line.endsWith('\n') && line.size() >= kOrderLineBuffer - 1)
            return refuse(msg::orderLineTooLong.arg(lineNumber));
        const SplitLine split = splitOrderLine(line);
        if (split.moreAfterCr)
            return refuse(msg::orderLineCrOnly.arg(lineNumber));

        const QList<QByteArray> &f = split.fields;
        auto number = [&f](int i) -> qint64 { return i < f.size() ? parseAmount(f[i]) : 0; };
        const qint64 orderer = number(0), statedCount = number(1), price = number(2);
        const qint64 statedTotal = number(3);
        QList<qint64> photos;
        bool tooLarge = !fitsInt(orderer) || !fitsInt(statedCount) || !fitsInt(price);
        for (qsizetype i = 4; i < f.size(); ++i) {
            const qint64 photo = parseAmount(f[i]);
            if (photo <= 0)
                continue;
            tooLarge = tooLarge || !fitsInt(photo);
            photos.append(photo);
        }
        if (photos.size() > kPhotosPerOrder)
            return refuse(msg::orderLineTooManyPhotos.arg(lineNumber));
        if (photos.isEmpty() || orderer < 1)
            continue;
        if (tooLarge)
            return refuse(msg::orderNumberTooLarge.arg(lineNumber));
        // The entry takes digits only; a negative price would take money off the totals.
        if (price < 0)
            return refuse(msg::orderNegativePrice.arg(lineNumber));
        if (loaded->orderCount >= kMaxOrders)
            return refuse(msg::orderFileTooManyOrders.arg(lineNumber));

        if (price * statedCount != statedTotal || statedCount != photos.size()) {
            if (prompter.ask(msg::orderMismatch.arg(orderer), caption, Buttons::YesNo) !=
                Answer::Yes)
                return LoadOrdersStopped;
            corrected = true;
        }
        Order &row = loaded->row(++loaded->orderCount);
        row.ordererNumber = QString::number(orderer);
        row.photoCount = QString::number(photos.size());
        row.unitPrice = QString::number(price);
        row.total = QString::number(price * photos.size());
        for (qsizetype k = 0; k < photos.size(); ++k)
            row.photoNumbers[std::size_t(k)] = QString::number(photos[k]);
    }
    if (reader.stoppedAtCap())
        return refuse(msg::orderFileTooLarge);

    table.orders = std::move(loaded->orders);
    table.orderCount = loaded->orderCount;
    if (corrected)
        table.saved = false;
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
