#include "orders/OrderList.h"

#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFile.h"
#include "project/DesktopOpen.h"

#include <QFileInfo>
#include <QStringList>

namespace mf {

namespace {

// Right-aligned in at least width characters, never cut.
QString padded(const QString &text, int width)
{
    return text.size() >= width ? text : QString(width - text.size(), u' ') + text;
}

} // namespace

QString orderListPath(const OrderTable &table, const ProjectState &project)
{
    QString folder = project.programFolder;
    QString base = project.projectName;
    if (!table.orderFilePath.isEmpty()) {
        const QFileInfo info(table.orderFilePath);
        folder = info.path();
        base = info.fileName();
        const qsizetype dot = base.lastIndexOf(u'.');
        if (dot >= 0)
            base.truncate(dot);
    }
    return joinPath(folder, programFileName(programfile::kOrderList, base));
}

QByteArray orderListBytes(const OrderTable &table)
{
    QStringList lines{QStringLiteral("注文者　注文枚数　　　単価　　　値段")};
    for (int r = 1; r <= table.orderCount; ++r) {
        const Order &o = table.row(r);
        lines.append(padded(o.ordererNumber, 4) + QStringLiteral("　") + padded(o.photoCount, 8) +
                     QStringLiteral("枚") + padded(o.unitPrice, 8) + QStringLiteral("円") +
                     padded(o.total, 8) + QStringLiteral("円"));
    }
    lines.append(QString(36, u'-'));
    lines.append(QStringLiteral(" 　合計枚数") +
                 padded(QString::number(sumOfPhotoCounts(table)), 4) +
                 QStringLiteral("枚 　合計金額") + padded(QString::number(sumOfTotals(table)), 8) +
                 QStringLiteral("円"));
    QByteArray bytes;
    if (!encodeLinesCrLf(lines, &bytes))
        return {};
    return bytes;
}

int WriteOrderList(const OrderTable &table, OrderInput &input, const ProjectState &project,
                   Prompter &prompter, Shell &shell)
{
    if (input.listBusy)
        return OrderListBusy;
    if (table.orderFilePath.isEmpty() && !isPlainFileName(project.projectName)) {
        prompter.inform(msg::orderListBadProjectName, project.titleText);
        return OrderListBadName;
    }
    input.listBusy = true;
    const QString path = orderListPath(table, project);
    const QByteArray bytes = orderListBytes(table);
    int result = OrderListOk;
    if (bytes.isEmpty() || !saveFileAtomically(path, bytes)) {
        prompter.inform(msg::orderListNotSaved, project.titleText);
        result = OrderListFailed;
    } else {
        openOrTell(shell, prompter, path, project.titleText);
    }
    input.listBusy = false;
    return result;
}

} // namespace mf
