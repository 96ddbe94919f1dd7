#include "sheets/PageFile.h"

#include "platform/FileSystem.h"
#include "platform/Jpeg.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

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

QString seriesPdfPath(const QString &workFolder, const QString &filePrefix)
{
    return joinPath(pageFolder(workFolder), filePrefix + QStringLiteral("一覧.pdf"));
}

int writeSeriesPdf(const OutputSize &size, int pages, bool asBmp, const PageTarget &target,
                   Prompter &prompter)
{
    const QString path = seriesPdfPath(target.workFolder, target.filePrefix);
    QSaveFile file(path);
    bool ok = size.dpi > 0 && pages > 0 && file.open(QIODevice::WriteOnly);
    if (ok) {
        QPdfWriter pdf(&file);
        // The paper's own size: its pixels at its resolution.
        const QSizeF millimetres(size.paperWidth * 25.4 / size.dpi,
                                 size.paperHeight * 25.4 / size.dpi);
        pdf.setPageSize(QPageSize(millimetres, QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(size.dpi);
        pdf.setCreator(QStringLiteral("Marrowfold"));
        QPainter painter;
        ok = painter.begin(&pdf);
        for (int n = 1; ok && n <= pages; ++n) {
            const QImage page(pageFilePath(target.workFolder, target.filePrefix, n, asBmp));
            if (page.isNull()) {
                ok = false;
                break;
            }
            if (n > 1)
                ok = pdf.newPage();
            painter.drawImage(QRect(0, 0, size.paperWidth, size.paperHeight), page);
        }
        if (painter.isActive())
            ok = painter.end() && ok;
    }
    if (!ok || !file.commit()) {
        prompter.inform(msg::pageWriteFailed.arg(path), target.caption);
        return PageWriteFailed;
    }
    return PageSaved;
}

} // namespace mf
