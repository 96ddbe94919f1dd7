#pragma once
// Saving sample sheet pages in 一覧フォルダ under the project's save folder.

#include "platform/Services.h"
#include "sheets/OutputSize.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

namespace mf {

inline const QString kPageFolderName = QStringLiteral("一覧フォルダ");

QString pageFolder(const QString &workFolder);
// "<folder>/<prefix>page%03d.jpg" or ".bmp".
QString pageFilePath(const QString &workFolder, const QString &filePrefix, int pageNumber,
                     bool asBmp);

enum PageFileResult {
    PageSaved = 0,
    PageNoSaveFolder = -1,
    PageFolderFailed = -2,
    PageWriteFailed = -3,
    PageNoMemory = -4,
};

struct PageTarget {
    QString workFolder;
    QString filePrefix;
    QString caption; // of the message boxes
};

// Writes the page as page pageNumber, JPEG at quality or 24-bit BMP. The file is replaced
// whole or not at all: a full disk never leaves a cut page over a good one. Reports every
// failure itself.
int SavePage(const QImage &page, int pageNumber, bool asBmp, int quality, const PageTarget &target,
             Prompter &prompter);

// The two halves of SavePage, so that encoding can run while the preview is shown: the file's
// bytes (false when there is no memory for them), and writing bytes already encoded.
bool encodePage(const QImage &page, bool asBmp, int quality, QByteArray *out);
int savePageBytes(const QByteArray *bytes, int pageNumber, bool asBmp, const PageTarget &target,
                  Prompter &prompter);

// "<folder>/<prefix>一覧.pdf".
QString seriesPdfPath(const QString &workFolder, const QString &filePrefix);

// A page's or the series PDF's file name, whatever the prefix: the files a sample sheet run
// replaces whole in the page folder.
bool isPageFileName(QStringView name);

// Removes the temporaries that an interrupted page save left in the page folder below
// saveFolder. False when the folder could not be read whole or a temporary stayed.
bool removeStalePageTemporaries(const QString &saveFolder);

// The whole series as one PDF, a page per sheet at the paper's physical size, made from
// the pages in memory as they are saved (so no page left from an earlier series can reach
// it); pages saved before it was begun are read back from the files this series wrote. It replaces
// an earlier PDF only on commit(): a series that stops or fails leaves that one as it was.
class SeriesPdf {
public:
    SeriesPdf(const OutputSize &size, const QString &path);
    ~SeriesPdf();
    SeriesPdf(const SeriesPdf &) = delete;
    SeriesPdf &operator=(const SeriesPdf &) = delete;

    // Opens the file (the writer's objects then belong to the calling thread); addPage opens
    // it when this was not called. False once anything failed.
    bool begin();
    // Adds the next page; false once anything failed (the file is then never put in place).
    bool addPage(const QImage &page);
    // Adds, read back from their files, the pages of saved (the page files of the series in
    // order) that it does not hold yet: those saved before it was begun.
    bool catchUp(const QStringList &saved);
    int pages() const { return m_pages; }
    // Ends the file and puts it in place. Reports a failure itself.
    int commit(const PageTarget &target, Prompter &prompter);

private:
    struct Writer;
    OutputSize m_size;
    QString m_path;
    std::unique_ptr<Writer> m_writer;
    int m_pages = 0;
    bool m_failed = false;
};

namespace msg {
inline const QString noSaveFolder = QStringLiteral("保存先フォルダが指定されていません。");
inline const QString pageFolderFailedPath =
    QStringLiteral("一覧保存先フォルダを作成出来ません。\n%1");
inline const QString pageFolderFailed = QStringLiteral("一覧保存先フォルダを作成出来ません。");
inline const QString pageWriteFailed = QStringLiteral("一覧ファイルを保存出来ませんでした。\n%1");
inline const QString sheetsNoMemory =
    QStringLiteral("メモリが足りないのでサンプル画像の作成が出来ません。");
} // namespace msg

} // namespace mf
