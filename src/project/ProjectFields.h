#pragma once
// Edits of the project's three text fields. Every edit marks the project changed.

#include "project/ProjectState.h"

namespace mf {

void setSaveFolder(ProjectState &state, const QString &text);  // Edit1Change
void setProjectName(ProjectState &state, const QString &text); // Edit2Change
void setSchoolCode(ProjectState &state, const QString &text);  // Edit3Change, sets filePrefix

// The school code with "_" after it, unless it is empty or already ends with "_".
QString prefixForSchoolCode(const QString &code);

} // namespace mf
