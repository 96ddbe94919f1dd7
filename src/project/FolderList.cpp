#include "project/FolderList.h"

#include "photos/NumberedPhotos.h"
#include "photos/PhotoFiles.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Jpeg.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "project/ProjectFields.h"

#include <QFileInfo>
#include <QPainter>

namespace mf {

namespace {

// A project file line is "counts,...,path" split on comma, TAB, CR, LF and 0x1A: a path
// holding one of them, or a character Shift-JIS lacks, could be saved but never reopened.
// A name a Mac wrote keeps voiced kana as a base letter and a separate mark, which
// Shift-JIS lacks; storing the composed spelling would name a folder that is not there.
// The message says which folder name stands in the way and why; empty when none does.
QString whyNotStorable(const QString &path)
{
    if (path.contains(u',') || holdsLineBreakOrTab(path))
        return msg::pathNotStorable.arg(path);
    for (const QString &name : path.split(kSeparator, Qt::SkipEmptyParts)) {
        const QString lacking =
            firstCharOutsideCp932(name.normalized(QString::NormalizationForm_C));
        if (!lacking.isEmpty())
            return msg::pathCharNotStorable.arg(name, lacking, path);
        if (!fitsCp932(name))
            return msg::pathWrittenByMac.arg(name, path);
    }
    return {};
}

void swapRows(ProjectState &state, int a, int b)
{
    GridRow &ra = state.grid.rows[a];
    GridRow &rb = state.grid.rows[b];
    for (int c = ColPath; c < kGridColumns; ++c) {
        if (c != ColCheck)
            std::swap(ra[c], rb[c]);
    }
    FolderEntry &ea = state.folders.entries[a - 1];
    FolderEntry &eb = state.folders.entries[b - 1];
    std::swap(ea.subfolderCount, eb.subfolderCount);
    std::swap(ea.totalFileCount, eb.totalFileCount);
    std::swap(ea.directJpegCount, eb.directJpegCount);
    std::swap(ea.allJpegCount, eb.allJpegCount);
    std::swap(ea.changed, eb.changed);
}

// The numbering and order checks shared by moving and removing rows: false when the
// operator is stopped or declines.
bool confirmRenumberingRisk(ProjectState &state, Prompter &prompter, int highest, bool numbered)
{
    if (state.orderCount() >= 1) {
        prompter.inform(msg::ordersEntered, state.titleText);
        return false;
    }
    if (highest > 0 && numbered &&
        prompter.ask(msg::sequenceExists, state.titleText, Buttons::YesNo) != Answer::Yes)
        return false;
    return true;
}

void selectRowAfterEdit(ProjectState &state, int row)
{
    state.selectedRow = row;
    refreshRowButtons(state);
    state.dirty = true;
}

} // namespace

OwnFolders::OwnFolders(const QString &saveFolder)
    : m_saveFolder(saveFolder.isEmpty() ? QString() : QFileInfo(saveFolder).canonicalFilePath())
{}

bool OwnFolders::skips(const QString &folder) const
{
    if (m_saveFolder.isEmpty())
        return false;
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    if (canonical == m_saveFolder)
        return true;
    // The folders the program itself fills in the save folder.
    static const QStringList written{kSequenceFolderName, QStringLiteral("一覧フォルダ"),
                                     QStringLiteral("注文別画像フォルダ")};
    return written.contains(info.fileName()) &&
           QFileInfo(info.absolutePath()).canonicalFilePath() == m_saveFolder;
}

void ScanFolder(const QString &path, ScanCounts &counts, const OwnFolders &own)
{
    QStringList undecodable;
    const QList<DirEntry> entries = listEntries(path, &undecodable);
    for (const QString &name : undecodable)
        counts.undecodable.append(joinPath(path, name));
    for (const DirEntry &e : entries) {
        if (e.isDir) {
            const QString sub = joinPath(path, e.name);
            if (own.skips(sub))
                continue;
            ++counts.subfolders;
            ScanFolder(sub, counts, own);
        } else {
            ++counts.files;
            if (isPhotoName(e.name))
                ++counts.jpegs;
        }
    }
}

QString undecodableList(const QStringList &entries)
{
    constexpr int shown = 10;
    QStringList lines = entries.mid(0, shown);
    if (entries.size() > shown)
        lines.append(QStringLiteral("…（ほか%1件）").arg(entries.size() - shown));
    return lines.join(u'\n');
}

int CountDirectJpegs(const QString &path, QStringList *names)
{
    const QStringList found = photoNames(path);
    if (names)
        *names = found;
    return int(found.size());
}

int HighestPhotoNumber(const ProjectState &state)
{
    if (state.saveFolder.isEmpty() || state.projectName.isEmpty() ||
        !isEnterableDir(state.saveFolder))
        return 0;
    return highestPhotoNumberIn(sequenceFolderOf(state.saveFolder), state.filePrefix);
}

void setupGrid(ProjectState &state)
{
    static const char16_t *headings[kGridColumns] = {
        u"No.",          u"フォルダ",   u"サブフォルダを含む", u"サブフォルダ数",
        u"総ファイル数", u"直下jpeg数", u"全jpeg数",           u"",
        u"連番開始No",   u"連番終了No"};
    static const int widths[kGridColumns] = {20, 330, 120, 80, 80, 80, 80, 0, 80, 80};
    for (int c = 0; c < kGridColumns; ++c) {
        state.grid.rows[0][c] = QString::fromUtf16(headings[c]);
        state.grid.widths[c] = widths[c];
    }
    for (int r = 1; r <= kGridRows; ++r)
        state.grid.rows[r][ColNumber] = QString::number(r);
    state.grid.ready = true;
}

bool AddFolder(ProjectState &state, Prompter &prompter, const QString &path)
{
    if (state.folders.folderCount >= kMaxFolders) {
        prompter.inform(msg::listFull, state.titleText);
        return false;
    }
    if (storedByteLength(path) > kMaxPathBytes) {
        prompter.inform(msg::pathTooLong.arg(path), state.titleText);
        return false;
    }
    if (const QString why = whyNotStorable(path); !why.isEmpty()) {
        prompter.inform(why, state.titleText);
        return false;
    }

    ScanCounts counts;
    ScanFolder(path, counts, OwnFolders(state.saveFolder));
    const int direct = CountDirectJpegs(path);
    if (!counts.undecodable.isEmpty())
        prompter.inform(msg::undecodableNames.arg(undecodableList(counts.undecodable)),
                        state.titleText);

    const int row = state.folders.folderCount + 1;
    GridRow &cells = state.grid.rows[row];
    cells[ColNumber] = QString::number(row);
    cells[ColPath] = path;
    cells[ColSubfolders] = QString::number(counts.subfolders);
    cells[ColFiles] = QString::number(counts.files);
    cells[ColDirectJpegs] = QString::number(direct);
    cells[ColAllJpegs] = QString::number(counts.jpegs);
    cells[ColInclude] = QStringLiteral("0");

    FolderEntry &entry = state.folders.entries[row - 1];
    entry = FolderEntry{};
    entry.subfolderCount = counts.subfolders;
    entry.totalFileCount = counts.files;
    entry.directJpegCount = direct;
    entry.allJpegCount = counts.jpegs;
    entry.path = path;
    state.folders.folderCount = row;

    // As after a selection, except that moving down needs a row below that is not numbered.
    refreshRowButtons(state);
    const int s = state.selectedRow;
    if (s <= state.folders.folderCount && !state.grid.isNumbered(s))
        state.buttons.moveDown = s < state.folders.folderCount - 1 && !state.grid.isNumbered(s + 1);
    return true;
}

void addChosenFolder(ProjectState &state, Prompter &prompter, const QString &path)
{
    if (path.isEmpty())
        return;
    AddFolder(state, prompter, path);
    state.dirty = true;
}

void dropFolders(ProjectState &state, Prompter &prompter, const QStringList &paths,
                 bool inClientArea)
{
    if (paths.isEmpty() || !inClientArea)
        return;
    state.dirty = true;
    bool failed = false;
    for (const QString &p : paths) {
        if (!AddFolder(state, prompter, p)) {
            failed = true;
            break;
        }
    }
    if (!(failed && state.selectedRow <= 1))
        refreshRowButtons(state);
}

void refreshRowButtons(ProjectState &state)
{
    const int r = state.selectedRow;
    const int n = state.folders.folderCount;
    if (r >= 1 && r <= n && !state.grid.isNumbered(r)) {
        state.buttons.moveUp = r > 1 && !state.grid.isNumbered(r - 1);
        state.buttons.moveDown = r < n;
        state.buttons.remove = true;
    } else {
        state.buttons = RowButtons{false, false, false};
    }
}

bool selectCell(ProjectState &state, Clock &clock, int row, int column)
{
    const quint64 now = clock.tick();
    if (now - state.lastSelectTime < kSelectGuardMs)
        return false;
    state.selectedRow = row;
    state.selectedColumn = column;

    if (row <= state.folders.folderCount && !state.grid.isNumbered(row)) {
        GridRow &cells = state.grid.rows[row];
        if (column == ColCheck && cells[ColSubfolders] != QLatin1String("0")) {
            cells[ColInclude] =
                cells[ColInclude] == QLatin1String("0") ? QStringLiteral("1") : QStringLiteral("0");
            // The flag is saved with the project: closing now must offer to save it.
            state.dirty = true;
        }
        refreshRowButtons(state);
        clearThumbnails(state);
        state.thumbnails.visible = false;
    } else {
        if ((column == ColStart || column == ColEnd) && state.grid.isNumbered(row)) {
            const int s = parseAtol(state.grid.cell(row, ColStart));
            const int e = parseAtol(state.grid.cell(row, ColEnd));
            const QString folder = sequenceFolderOf(state.saveFolder);
            if (isEnterableDir(folder)) {
                loadThumbnail(state, sequentialFilePath(folder, state.filePrefix, s), true);
                loadThumbnail(state, sequentialFilePath(folder, state.filePrefix, e), false);
            }
        } else {
            clearThumbnails(state);
        }
        state.buttons = RowButtons{false, false, false};
    }
    state.lastSelectTime = clock.tick();
    return true;
}

void moveRowUp(ProjectState &state, Prompter &prompter)
{
    const int s = state.selectedRow;
    if (!(s > 1 && s <= state.folders.folderCount))
        return;
    const int highest = HighestPhotoNumber(state);
    if (!confirmRenumberingRisk(state, prompter, highest,
                                state.grid.isNumbered(s) || state.grid.isNumbered(s - 1)))
        return;
    swapRows(state, s, s - 1);
    selectRowAfterEdit(state, s - 1);
}

void moveRowDown(ProjectState &state, Prompter &prompter)
{
    const int s = state.selectedRow;
    if (!(s > 0 && s < state.folders.folderCount))
        return;
    const int highest = HighestPhotoNumber(state);
    if (!confirmRenumberingRisk(state, prompter, highest,
                                state.grid.isNumbered(s) || state.grid.isNumbered(s + 1)))
        return;
    swapRows(state, s, s + 1);
    selectRowAfterEdit(state, s + 1);
}

void removeRow(ProjectState &state, Prompter &prompter)
{
    const int highest = HighestPhotoNumber(state);
    const int s = state.selectedRow;
    const int n = state.folders.folderCount;
    if (!(s >= 1 && s <= n))
        return;
    if (state.grid.isNumbered(s) && !confirmRenumberingRisk(state, prompter, highest, true))
        return;
    for (int r = s; r < n; ++r)
        swapRows(state, r, r + 1);
    for (int c = ColPath; c < kGridColumns; ++c)
        state.grid.rows[n][c].clear();
    state.folders.entries[n - 1] = FolderEntry{};
    state.folders.folderCount = n - 1;
    selectRowAfterEdit(state, s < n ? s : std::max(1, s - 1));
}

void clearThumbnails(ProjectState &state)
{
    for (QImage *img : {&state.thumbnails.first, &state.thumbnails.last}) {
        *img = QImage(kThumbWidth, kThumbHeight, QImage::Format_RGB32);
        img->fill(state.faceColour);
    }
}

QSize thumbnailSize(int width, int height)
{
    if (width > kThumbWidth || height > kThumbHeight) {
        // Wider than 4:3 fills the width, anything else the height, so that a nearly square
        // photo is never cut off at the bottom of the 64 x 48 frame.
        if (height * kThumbWidth < width * kThumbHeight)
            return {kThumbWidth, height * kThumbWidth / width};
        return {width * kThumbHeight / height, kThumbHeight};
    }
    return {kThumbWidth, kThumbHeight};
}

bool loadThumbnail(ProjectState &state, const QString &file, bool first)
{
    if (!isFile(file))
        return false;
    JpegInfo info;
    if (readJpegInfo(file, &info) != JpegOk)
        return false;
    // A camera held upright stores the photo lying on its side with an orientation tag.
    const QSize shown = orientedSize(QSize(info.width, info.height), info.orientation);
    const QSize size = thumbnailSize(shown.width(), shown.height());
    const QSize decodeSize = orientedSize(size, info.orientation);
    QImage photo;
    if (decodeJpeg(file, &photo, decodeSize.width(), decodeSize.height()) != JpegOk)
        return false;
    photo = orientedImage(photo, info.orientation);
    if (photo.isNull())
        return false;
    const QImage reduced = photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage &target = first ? state.thumbnails.first : state.thumbnails.last;
    target = QImage(kThumbWidth, kThumbHeight, QImage::Format_RGB32);
    target.fill(state.faceColour);
    QPainter painter(&target);
    painter.drawImage(0, 0, reduced);
    painter.end();
    state.thumbnails.visible = true;
    return true;
}

CellStyle cellStyle(const ProjectState &state, int row, int column)
{
    CellStyle style;
    if (row < 1 || row > state.folders.folderCount)
        return style;
    const GridRow &cells = state.grid.rows[row];
    if (state.grid.isNumbered(row)) {
        if (column == ColPath) {
            const bool selected = row == state.selectedRow;
            style.background = selected ? QColor(0, 0, 64) : QColor(240, 240, 240);
            style.selectedText = selected;
        }
        if (column >= ColSubfolders && column <= ColAllJpegs) {
            const FolderEntry &e = state.folders.entries[row - 1];
            const int held[] = {e.subfolderCount, e.totalFileCount, e.directJpegCount,
                                e.allJpegCount};
            if (cells[column] != QString::number(held[column - ColSubfolders]))
                style.background = QColor(255, 100, 100);
        }
    }
    if (column == ColCheck && parseAtol(cells[ColSubfolders]) > 0)
        style.check =
            cells[ColInclude] == QLatin1String("1") ? CheckGlyph::Ticked : CheckGlyph::Empty;
    return style;
}

} // namespace mf
