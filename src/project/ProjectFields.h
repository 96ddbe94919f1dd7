#pragma once
// Edits of the project's three text fields. Every edit marks the project changed.

#include "project/ProjectState.h"

namespace mf {

class Prompter;

void setSaveFolder(ProjectState &state, const QString &text);  // Edit1Change
void setProjectName(ProjectState &state, const QString &text); // Edit2Change
void setSchoolCode(ProjectState &state, const QString &text);  // Edit3Change, sets filePrefix

// True when the text holds CR, LF, TAB or 0x1A. The work log keeps one field per line and
// project files split on these, so such a text would shift every later field.
bool holdsLineBreakOrTab(const QString &text);

// True when the project has a name and a save folder; otherwise tells the operator to set
// them. Every command that works in the save folder asks this first.
bool hasNameAndFolder(const ProjectState &state, Prompter &prompter);

// The school code with "_" after it, unless it is empty or already ends with "_".
QString prefixForSchoolCode(const QString &code);

} // namespace mf
