#pragma once
// Project files: one line per source folder, "%s,%s,%s,%s,%s,%d,%d,%s".

#include "project/ProjectState.h"

#include <QByteArray>
#include <QList>

namespace mf {

// The eight fields of one project file line.
struct ProjectLine {
    int subfolderCount = 0;
    int totalFileCount = 0;
    int directJpegCount = 0;
    int allJpegCount = 0;
    bool include = false;
    int startNumber = 0;
    int endNumber = 0;
    QString path;
};

// Splits one line on comma, TAB, CR, LF and 0x1A, stopping after the first line end.
// False unless it yields exactly eight fields (so a path with a comma, or a last line
// without its line end, is not taken).
bool parseProjectLine(const QByteArray &line, ProjectLine *out);

// The saved lines of a project file, at most 200. -1 when the file cannot be opened.
int readProjectLines(const QString &path, QList<ProjectLine> *lines);

// The project file text for the grid rows 1 to folderCount. False when a path cannot be
// written in Shift-JIS.
bool projectFileContent(const ProjectState &state, QByteArray *out);

// Fills the grid and the folder table, rescanning every folder. 0, or -1.
int LoadProjectFile(ProjectState &state, const QString &path);

// Fills only the folder table with the saved values, no scan. 0, or -1.
int ReadProjectFile(FolderTable &table, const QString &path);

} // namespace mf
