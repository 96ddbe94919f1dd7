#include "platform/LocalTime.h"

#include <QRegularExpression>

namespace mf {

QString localDateTimeText(const QDateTime &when, const QLocale &locale)
{
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    // Drop the time zone ("t", "tt" ...) with the blanks or brackets around it.
    static const QRegularExpression zone(QStringLiteral("\\s*[(\\[]?\\bt+\\b[)\\]]?"));
    timeFormat.remove(zone);
    timeFormat = timeFormat.trimmed();
    if (timeFormat.isEmpty())
        timeFormat = QStringLiteral("HH:mm:ss");
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (dateFormat.isEmpty())
        dateFormat = QStringLiteral("yyyy/MM/dd");
    return locale.toString(when.date(), dateFormat) + u' ' +
           locale.toString(when.time(), timeFormat);
}

} // namespace mf
