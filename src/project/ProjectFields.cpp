#include "project/ProjectFields.h"

#include "platform/Services.h"
#include "project/Messages.h"

namespace mf {

void setSaveFolder(ProjectState &state, const QString &text)
{
    state.saveFolder = text;
    state.dirty = true;
}

void setProjectName(ProjectState &state, const QString &text)
{
    state.projectName = text;
    state.dirty = true;
}

bool hasNameAndFolder(const ProjectState &state, Prompter &prompter)
{
    if (!state.saveFolder.isEmpty() && !state.projectName.isEmpty())
        return true;
    prompter.inform(msg::setNameAndFolder, state.titleText);
    return false;
}

bool holdsLineBreakOrTab(const QString &text)
{
    for (QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\t' || c == QChar(0x1A))
            return true;
    }
    return false;
}

QString prefixForSchoolCode(const QString &code)
{
    if (code.isEmpty() || code.endsWith(u'_'))
        return code;
    return code + u'_';
}

void setSchoolCode(ProjectState &state, const QString &text)
{
    state.schoolCode = text;
    state.filePrefix = prefixForSchoolCode(text);
    state.dirty = true;
}

} // namespace mf
