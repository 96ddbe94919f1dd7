#include "project/ProjectFile.h"

#include "platform/Codec.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "project/FolderList.h"

namespace mf {

namespace {
// Room for the longest line a save writes: seven numbers and a path of up to 4095 bytes.
// A shorter buffer would split such a line, and the folder would vanish on reopening.
constexpr int kLineBuffer = 8192;
} // namespace

bool parseProjectLine(const QByteArray &line, ProjectLine *out)
{
    QList<QByteArray> fields;
    QByteArray current;
    for (char c : line) {
        const bool lineEnd = c == '\r' || c == '\n' || c == '\x1a';
        if (c == ',' || c == '\t' || lineEnd) {
            fields.append(current);
            current.clear();
            if (lineEnd)
                break;
            if (fields.size() > 8)
                return false;
        } else {
            current.append(c);
        }
    }
    if (fields.size() != 8)
        return false;
    out->subfolderCount = parseAtol(fields[0]);
    out->totalFileCount = parseAtol(fields[1]);
    out->directJpegCount = parseAtol(fields[2]);
    out->allJpegCount = parseAtol(fields[3]);
    out->include = fields[4].startsWith('1');
    out->startNumber = parseAtol(fields[5]);
    out->endNumber = parseAtol(fields[6]);
    out->path = fromCp932(fields[7]);
    return true;
}

int readProjectLines(const QString &path, QList<ProjectLine> *lines)
{
    lines->clear();
    LineReader reader(kLineBuffer, LongLines::Skip, kMaxProjectFileBytes);
    if (!reader.open(path))
        return ProjectFileCannotOpen;
    QByteArray raw;
    while (lines->size() < kMaxFolders && reader.readLine(&raw)) {
        if (raw == "\n" || raw == "\r" || raw.isEmpty())
            continue;
        ProjectLine line;
        if (parseProjectLine(raw, &line))
            lines->append(line);
    }
    // The folders before a failed read are not the project's list: saved back, the list would
    // lose the rest.
    if (reader.readFailed()) {
        lines->clear();
        return ProjectFileCannotOpen;
    }
    return reader.stoppedAtCap() ? ProjectFileTooLarge : ProjectFileOk;
}

void showProjectLine(GridRow &cells, int row, const ProjectLine &line)
{
    cells[ColNumber] = QString::number(row);
    cells[ColSubfolders] = QString::number(line.subfolderCount);
    cells[ColFiles] = QString::number(line.totalFileCount);
    cells[ColDirectJpegs] = QString::number(line.directJpegCount);
    cells[ColAllJpegs] = QString::number(line.allJpegCount);
    cells[ColInclude] = line.include ? QStringLiteral("1") : QStringLiteral("0");
    cells[ColStart] = line.startNumber >= 1 ? QString::number(line.startNumber) : QString();
    cells[ColEnd] = line.endNumber >= 1 ? QString::number(line.endNumber) : QString();
    cells[ColPath] = line.path;
}

bool projectFileContent(const ProjectState &state, QByteArray *out)
{
    QStringList lines;
    for (int r = 1; r <= state.folders.folderCount; ++r) {
        const GridRow &c = state.grid.rows[r];
        lines.append(QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8")
                         .arg(c[ColSubfolders], c[ColFiles], c[ColDirectJpegs], c[ColAllJpegs],
                              c[ColInclude], QString::number(parseAtol(c[ColStart])),
                              QString::number(parseAtol(c[ColEnd])), c[ColPath]));
    }
    return encodeLinesCrLf(lines, out);
}

int LoadProjectFile(ProjectState &state, const QString &path, QStringList *undecodable)
{
    state.folders.clear();
    QList<ProjectLine> lines;
    const int result = readProjectLines(path, &lines);
    if (result == ProjectFileCannotOpen)
        return result;
    const OwnFolders own(state.saveFolder);
    for (const ProjectLine &line : lines) {
        const int row = state.folders.folderCount + 1;
        ScanCounts counts;
        ScanFolder(line.path, counts, own);
        if (undecodable)
            *undecodable += counts.undecodable;
        FolderEntry &entry = state.folders.entries[row - 1];
        entry.subfolderCount = counts.subfolders;
        entry.totalFileCount = counts.files;
        entry.directJpegCount = CountDirectJpegs(line.path);
        entry.allJpegCount = counts.jpegs;
        entry.path = line.path;
        entry.changed = ((line.include && entry.allJpegCount != line.allJpegCount) ||
                         entry.directJpegCount != line.directJpegCount)
                            ? 1
                            : 0;

        showProjectLine(state.grid.rows[row], row, line);
        state.folders.folderCount = row;
    }
    return result;
}

int ReadProjectFile(FolderTable &table, const QString &path)
{
    table.clear();
    QList<ProjectLine> lines;
    const int result = readProjectLines(path, &lines);
    if (result == ProjectFileCannotOpen)
        return result;
    for (const ProjectLine &line : lines) {
        FolderEntry &entry = table.entries[table.folderCount++];
        entry.subfolderCount = line.subfolderCount;
        entry.totalFileCount = line.totalFileCount;
        entry.directJpegCount = line.directJpegCount;
        entry.allJpegCount = line.allJpegCount;
        entry.includeSubfolders = line.include ? 1 : 0;
        entry.startNumber = line.startNumber;
        entry.endNumber = line.endNumber;
        entry.path = line.path;
    }
    return result;
}

} // namespace mf
