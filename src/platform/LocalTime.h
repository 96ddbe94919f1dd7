#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace mf {

// The date and time as the system's locale writes them: short date, a blank, long time
// (without a time zone name, which the work log has no use for).
QString localDateTimeText(const QDateTime &when, const QLocale &locale = QLocale::system());

} // namespace mf
