// A whole project file as reopening reads it: at most 200 lines, whatever the file holds.
// The lines read are saved again the way a save writes them and must read back the same.
#include "FuzzTarget.h"

#include "project/FolderTable.h"
#include "project/ProjectFile.h"

#include <memory>

namespace {

bool sameLine(const mf::ProjectLine &a, const mf::ProjectLine &b)
{
    return a.subfolderCount == b.subfolderCount && a.totalFileCount == b.totalFileCount &&
           a.directJpegCount == b.directJpegCount && a.allJpegCount == b.allJpegCount &&
           a.include == b.include && a.startNumber == b.startNumber && a.endNumber == b.endNumber &&
           a.path == b.path;
}

} // namespace

MF_FUZZ_TARGET(projectfile)
{
    const QString path = mf::fuzz::scratchPath(QStringLiteral("project.txt"));
    if (!mf::fuzz::writeScratch(path, mf::fuzz::bytesOf(data, size)))
        return 0;
    QList<mf::ProjectLine> lines;
    const int result = mf::readProjectLines(path, &lines);
    MF_FUZZ_CHECK(result == mf::ProjectFileOk || result == mf::ProjectFileTooLarge);
    MF_FUZZ_CHECK(lines.size() <= mf::kMaxFolders);

    static auto table = std::make_unique<mf::FolderTable>();
    *table = mf::FolderTable{};
    MF_FUZZ_CHECK(mf::ReadProjectFile(*table, path) == result);
    MF_FUZZ_CHECK(table->folderCount == lines.size());

    static auto state = std::make_unique<mf::ProjectState>();
    state->folders.folderCount = int(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const mf::ProjectLine &line = lines[i];
        mf::GridRow &row = state->grid.rows[i + 1];
        row[mf::ColSubfolders] = QString::number(line.subfolderCount);
        row[mf::ColFiles] = QString::number(line.totalFileCount);
        row[mf::ColDirectJpegs] = QString::number(line.directJpegCount);
        row[mf::ColAllJpegs] = QString::number(line.allJpegCount);
        row[mf::ColInclude] = line.include ? QStringLiteral("1") : QStringLiteral("0");
        row[mf::ColStart] = QString::number(line.startNumber);
        row[mf::ColEnd] = QString::number(line.endNumber);
        row[mf::ColPath] = line.path;
    }
    QByteArray content;
    if (!mf::projectFileContent(*state, &content))
        return 0; // a path with bytes that do not decode cannot be saved again
    const QString again = mf::fuzz::scratchPath(QStringLiteral("project-again.txt"));
    if (!mf::fuzz::writeScratch(again, content))
        return 0;
    QList<mf::ProjectLine> back;
    MF_FUZZ_CHECK(mf::readProjectLines(again, &back) == mf::ProjectFileOk);
    MF_FUZZ_CHECK(back.size() == lines.size());
    for (qsizetype i = 0; i < lines.size() && i < back.size(); ++i)
        MF_FUZZ_CHECK(sameLine(lines[i], back[i]));
    return 0;
}
