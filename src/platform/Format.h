#pragma once
// printf-style templates that come from files. A template is checked conversion by
// conversion against the argument list before anything is formatted, so a template that
// does not fit is reported instead of reading arguments that are not there.

#include <QList>
#include <QString>

#include <variant>

namespace mf {

using FormatArg = std::variant<int, QString>;

enum FormatResult {
    FormatOk = 0,
    FormatBadConversion = -1, // an unknown or unsupported conversion ("%n", "%*d", "%ls")
    FormatTooFewArgs = -2,    // more conversions than arguments
    FormatTooManyArgs = -3,   // fewer conversions than arguments
    FormatTypeMismatch = -4,  // "%d" for a text or "%s" for a number
};

// Checks the template only.
int checkFormat(const QString &templ, const QList<FormatArg> &args);

// Checks, then formats. *out is only written on success.
int formatChecked(const QString &templ, const QList<FormatArg> &args, QString *out);

} // namespace mf
