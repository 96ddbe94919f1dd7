#include "export/ExportSettings.h"

#include "platform/Numbers.h"

namespace mf {

ExportSettings exportSettingsFromFields(const QString &first, const QString &last,
                                        const QString &columns, bool subtractSamples,
                                        bool folderPerOrderer)
{
    ExportSettings s;
    s.firstOrderer = parseTypedNumber(first);
    s.lastOrderer = parseTypedNumber(last);
    s.sampleColumns = parseTypedNumber(columns);
    s.subtractSamples = subtractSamples;
    s.folderPerOrderer = folderPerOrderer;
    return s;
}

int ValidateExportSettings(const ExportSettings &s, Prompter &prompter)
{
    const QString *refusal = nullptr;
    if (s.sampleColumns < 1 || s.sampleColumns > 4)
        refusal = &msg::exportColumnsInvalid;
    else if (s.firstOrderer < 1)
        refusal = &msg::exportFirstInvalid;
    else if (s.lastOrderer < 1 || s.lastOrderer > kMaxOrdererNumber)
        refusal = &msg::exportLastInvalid;
    if (!refusal)
        return 0;
    prompter.inform(*refusal, QString());
    return -1;
}

} // namespace mf
