// A whole project file as reopening reads it: at most 200 lines, whatever the file holds.
#include "FuzzTarget.h"

#include "project/FolderTable.h"
#include "project/ProjectFile.h"

MF_FUZZ_TARGET(projectfile)
{
    const QString path = mf::fuzz::scratchPath(QStringLiteral("project.txt"));
    if (!mf::fuzz::writeScratch(path, mf::fuzz::bytesOf(data, size)))
        return 0;
    QList<mf::ProjectLine> lines;
    const int result = mf::readProjectLines(path, &lines);
    MF_FUZZ_CHECK(result == mf::ProjectFileOk || result == mf::ProjectFileTooLarge);
    MF_FUZZ_CHECK(lines.size() <= mf::kMaxFolders);

    auto table = std::make_unique<mf::FolderTable>();
    MF_FUZZ_CHECK(mf::ReadProjectFile(*table, path) == result);
    MF_FUZZ_CHECK(table->folderCount == lines.size());
    return 0;
}
