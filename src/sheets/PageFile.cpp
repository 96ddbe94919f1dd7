#include "sheets/PageFile.h"

#include "platform/FileSystem.h"
#include "platform/Jpeg.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QBuffer>

namespace mf {

QString pageFolder(const QString &workFolder)
{
    return joinPath(workFolder, kPageFolderName);
}

QString pageFilePath(const QString &workFolder, const QString &filePrefix, int pageNumber,
                     bool asBmp)
{
    return joinPath(pageFolder(workFolder),
                    filePrefix + QString::asprintf("page%03d", pageNumber) +
                        (asBmp ? QLatin1String(".bmp") : QLatin1String(".jpg")));
}

bool encodePage(const QImage &page, bool asBmp, int quality, QByteArray *out)
{
    out->clear();
    if (asBmp) {
        QBuffer buffer(out);
        // Qt writes images without alpha as 24-bit BMP.
        return buffer.open(QIODevice::WriteOnly) && page.save(&buffer, "BMP");
    }
    return encodeJpeg(page, quality, out) == JpegOk;
}

int savePageBytes(const QByteArray *bytes, int pageNumber, bool asBmp, const PageTarget &target,
                  Prompter &prompter)
{
    if (target.workFolder.size() <= 2) {
        prompter.inform(msg::noSaveFolder, target.caption);
        return PageNoSaveFolder;
    }
    const QString folder = pageFolder(target.workFolder);
    if (!pathExists(folder) && !makePath(folder)) {
        prompter.inform(msg::pageFolderFailedPath.arg(folder), target.caption);
        return PageFolderFailed;
    }
    if (!isEnterableDir(folder)) {
        prompter.inform(msg::pageFolderFailed, target.caption);
        return PageFolderFailed;
    }
    if (!bytes) {
        prompter.inform(msg::sheetsNoMemory, target.caption);
        return PageNoMemory;
    }
    const QString path = pageFilePath(target.workFolder, target.filePrefix, pageNumber, asBmp);
    if (!saveFileAtomically(path, *bytes)) {
        prompter.inform(msg::pageWriteFailed.arg(path), target.caption);
        return PageWriteFailed;
    }
    return PageSaved;
}

int SavePage(const QImage &page, int pageNumber, bool asBmp, int quality, const PageTarget &target,
             Prompter &prompter)
{
    QByteArray bytes;
    const bool encoded = encodePage(page, asBmp, quality, &bytes);
    return savePageBytes(encoded ? &bytes : nullptr, pageNumber, asBmp, target, prompter);
}

} // namespace mf
