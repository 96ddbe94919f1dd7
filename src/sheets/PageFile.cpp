#include "sheets/PageFile.h"

#include "platform/FileSystem.h"
#include "platform/Jpeg.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
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

bool isPageFileName(QStringView name)
{
    if (name.endsWith(u"一覧.pdf"))
        return true;
    if (!name.endsWith(QLatin1String(".jpg")) && !name.endsWith(QLatin1String(".bmp")))
        return false;
    // "page" and three or more digits before the extension.
    qsizetype digits = 0;
    for (qsizetype i = name.size() - 5; i >= 0 && name[i] >= u'0' && name[i] <= u'9'; --i)
        ++digits;
    return digits >= 3 && name.chopped(4 + digits).endsWith(QLatin1String("page"));
}

bool removeStalePageTemporaries(const QString &saveFolder)
{
    return removeStaleTemporaries(pageFolder(saveFolder), isPageFileName);
}

struct SeriesPdf::Writer {
    explicit Writer(const QString &path) : file(path), pdf(&file) {}
    AtomicFileWriter file;
    QPdfWriter pdf;
    QPainter painter;
};

SeriesPdf::SeriesPdf(const OutputSize &size, const QString &path) : m_size(size), m_path(path) {}

// Without a commit, the new file is thrown away with the writer.
SeriesPdf::~SeriesPdf() = default;

bool SeriesPdf::begin()
{
    if (m_writer || m_failed)
        return !m_failed;
    // Qt reports exhaustion by throwing; it must not end the series' pages.
    try {
        const QString folder = QFileInfo(m_path).absolutePath();
        m_failed = m_size.dpi <= 0 || (!pathExists(folder) && !makePath(folder));
        if (m_failed)
            return false;
        m_writer = std::make_unique<Writer>(m_path);
        QPdfWriter &pdf = m_writer->pdf;
        const QSizeF millimetres(m_size.paperWidth * 25.4 / m_size.dpi,
                                 m_size.paperHeight * 25.4 / m_size.dpi);
        pdf.setPageSize(QPageSize(millimetres, QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(m_size.dpi);
        pdf.setCreator(QStringLiteral("Marrowfold"));
        m_failed = !m_writer->file.open() || !m_writer->painter.begin(&pdf);
    } catch (const std::bad_alloc &) {
        m_failed = true;
    }
    return !m_failed;
}

bool SeriesPdf::addPage(const QImage &page)
{
    if (!begin())
        return false;
    try {
        if (m_pages > 0)
            m_failed = !m_writer->pdf.newPage();
        if (!m_failed)
            m_writer->painter.drawImage(QRect(0, 0, m_size.paperWidth, m_size.paperHeight), page);
    } catch (const std::bad_alloc &) {
        m_failed = true;
    }
    if (m_writer && m_writer->file.failed())
        m_failed = true;
    if (!m_failed)
        ++m_pages;
    return !m_failed;
}

bool SeriesPdf::catchUp(const QStringList &saved)
{
    for (qsizetype i = m_pages; i < saved.size() && !m_failed; ++i) {
        QImage page;
        if (saved[i].endsWith(QLatin1String(".jpg"))) {
            m_failed = decodeJpeg(saved[i], &page) != JpegOk;
        } else {
            QImageReader reader(saved[i]);
            reader.setAllocationLimit(0); // a page is as large as its paper asks
            m_failed = !reader.read(&page);
        }
        if (!m_failed)
            addPage(page);
    }
    return !m_failed;
}

int SeriesPdf::commit(const PageTarget &target, Prompter &prompter)
{
    bool ok = !m_failed && m_writer && m_writer->painter.end();
    ok = ok && m_writer->file.commit();
    m_failed = !ok;
    if (!ok) {
        prompter.inform(msg::pageWriteFailed.arg(m_path), target.caption);
        return PageWriteFailed;
    }
    return PageSaved;
}

} // namespace mf
