// A whole project file as reopening reads it: at most 200 lines, whatever the file holds.
// The lines read are shown and saved again as reopening and saving do, and must read back
// the same.
#include "FuzzTarget.h"
#include "ProjectLines.h"

#include "project/FolderTable.h"

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
    MF_FUZZ_CHECK(mf::ReadProjectFile(*table, path) == result);
    MF_FUZZ_CHECK(table->folderCount == lines.size());

    QByteArray content;
    if (!mf::fuzz::savedAgain(lines, &content))
        return 0;
    const QString again = mf::fuzz::scratchPath(QStringLiteral("project-again.txt"));
    if (!mf::fuzz::writeScratch(again, content))
        return 0;
    QList<mf::ProjectLine> back;
    MF_FUZZ_CHECK(mf::readProjectLines(again, &back) == mf::ProjectFileOk);
    MF_FUZZ_CHECK(back.size() == lines.size());
    for (qsizetype i = 0; i < lines.size() && i < back.size(); ++i)
        MF_FUZZ_CHECK(mf::fuzz::sameAfterSave(lines[i], back[i]));
    if (!lines.isEmpty())
        mf::fuzz::readerSucceeded();
    return 0;
}
