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

enum ProjectFileResult {
    ProjectFileOk = 0,
    ProjectFileCannotOpen = -1, // missing, unreadable (a read failed), or no regular file
    ProjectFileTooLarge = -3,   // reading stopped at the size cap; the lines before it are taken
};

// No real project file comes near this: 200 lines of at most 8 KB.
inline constexpr qint64 kMaxProjectFileBytes = 4 * 1024 * 1024;

// The saved lines of a project file, at most 200. A line too long for the line buffer is
// skipped whole: a piece of it could pass for a line of its own.
int readProjectLines(const QString &path, QList<ProjectLine> *lines);

// Shows a saved line in a grid row as reopening does: start and end numbers below 1 are
// empty cells (a save then writes 0).
void showProjectLine(GridRow &cells, int row, const ProjectLine &line);

// The project file text for the grid rows 1 to folderCount. False when a path cannot be
// written in Shift-JIS.
bool projectFileContent(const ProjectState &state, QByteArray *out);

// Fills the grid and the folder table, rescanning every folder. A ProjectFileResult.
// undecodable, when given, receives the entries below the folders whose names are not valid
// text (they cannot be counted or numbered).
int LoadProjectFile(ProjectState &state, const QString &path, QStringList *undecodable = nullptr);

// Fills only the folder table with the saved values, no scan. A ProjectFileResult.
int ReadProjectFile(FolderTable &table, const QString &path);

} // namespace mf
