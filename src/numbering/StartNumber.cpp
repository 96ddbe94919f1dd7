#include "numbering/StartNumber.h"

#include "platform/Numbers.h"

namespace mf {

QString startNumberProposal(int highest)
{
    if (highest > 4998)
        highest = 4998;
    return QString::number(highest + 1);
}

int startNumberResult(const QString &text)
{
    const int value = parseTypedNumber(text);
    if (value == kStartCancelled)
        return kStartCancelled;
    if (value <= 0)
        return kStartInvalid;
    return value;
}

} // namespace mf
