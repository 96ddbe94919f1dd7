#include "export/OrderCheck.h"

#include "export/ExportSettings.h"
#include "photos/NumberedPhotos.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"

namespace mf {

namespace {

// "%4d" and "%3d" of the messages.
QString padded(int n, int width)
{
    return QString::number(n).rightJustified(width, u' ');
}

} // namespace

int CheckOrders(const OrderTable &table, const QString &saveFolder, const QString &filePrefix,
                QStringList *errors)
{
    errors->clear();
    const QString sequence = sequenceFolderOf(saveFolder);
    int count = 0;
    for (int r = 1; r <= table.orderCount; ++r) {
        const Order &o = table.row(r);
        const int orderer = parseAtol(o.ordererNumber);
        if (orderer < 1 || orderer > kMaxOrdererNumber) {
            errors->append(
                msg::checkBadOrderer.arg(padded(r, 4), o.ordererNumber.rightJustified(4, u' ')));
            ++count;
        }
        const int photos = parseAtol(o.photoCount);
        if (photos < 0 || photos > kPhotosPerOrder) {
            errors->append(msg::checkBadCount.arg(padded(r, 4), o.photoCount));
            ++count;
        } else {
            for (int i = 1; i <= photos; ++i) {
                const QString &cell = o.photoNumbers[std::size_t(i - 1)];
                if (cell.isEmpty())
                    continue;
                const int p = parseAtol(cell);
                if (p < 1 || p > kMaxExportPhotoNumber)
                    errors->append(msg::checkBadPhoto.arg(padded(r, 4), padded(i, 3), cell));
                else if (!isFile(sequentialFilePath(sequence, filePrefix, p)))
                    errors->append(msg::checkMissingPhoto.arg(padded(r, 4), padded(i, 3), cell));
                else
                    continue;
                if (++count > kMaxCheckErrors)
                    break;
            }
        }
        if (count > kMaxCheckErrors) {
            errors->append(QStringLiteral(" "));
            errors->append(msg::checkTooManyErrors);
            break;
        }
    }
    return count;
}

} // namespace mf
