// One project file line; a line that parses is written the way a save writes it and must
// parse back to the same fields.
#include "FuzzTarget.h"

#include "project/ProjectFile.h"

MF_FUZZ_TARGET(projectline)
{
    mf::ProjectLine line;
    if (!mf::parseProjectLine(mf::fuzz::bytesOf(data, size), &line))
        return 0;

    auto state = std::make_unique<mf::ProjectState>();
    state->folders.folderCount = 1;
    mf::GridRow &row = state->grid.rows[1];
    row[mf::ColSubfolders] = QString::number(line.subfolderCount);
    row[mf::ColFiles] = QString::number(line.totalFileCount);
    row[mf::ColDirectJpegs] = QString::number(line.directJpegCount);
    row[mf::ColAllJpegs] = QString::number(line.allJpegCount);
    row[mf::ColInclude] = line.include ? QStringLiteral("1") : QStringLiteral("0");
    row[mf::ColStart] = QString::number(line.startNumber);
    row[mf::ColEnd] = QString::number(line.endNumber);
    row[mf::ColPath] = line.path;
    QByteArray content;
    if (!mf::projectFileContent(*state, &content))
        return 0; // a path with bytes that do not decode cannot be saved again

    mf::ProjectLine back;
    MF_FUZZ_CHECK(mf::parseProjectLine(content, &back));
    MF_FUZZ_CHECK(
        back.subfolderCount == line.subfolderCount && back.totalFileCount == line.totalFileCount &&
        back.directJpegCount == line.directJpegCount && back.allJpegCount == line.allJpegCount &&
        back.include == line.include && back.startNumber == line.startNumber &&
        back.endNumber == line.endNumber && back.path == line.path);
    return 0;
}
