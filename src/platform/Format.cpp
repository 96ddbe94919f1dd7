#include "platform/Format.h"

namespace mf {

namespace {

struct Conversion {
    QString directive; // "%-04d"
    char16_t type = 0;
};

bool isIntConversion(char16_t c)
{
    return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o' || c == 'c';
}

// Splits the template into literal text and conversions. Returns FormatOk or
// FormatBadConversion; pieces holds literal texts, with conversions in between.
int parse(const QString &templ, QStringList *literals, QList<Conversion> *conversions)
{
    QString literal;
    for (qsizetype i = 0; i < templ.size(); ++i) {
        const QChar c = templ[i];
        if (c != u'%') {
            literal += c;
            continue;
        }
        if (i + 1 < templ.size() && templ[i + 1] == u'%') {
            literal += u'%';
            ++i;
            continue;
        }
        Conversion conv;
        conv.directive = QStringLiteral("%");
        qsizetype j = i + 1;
        while (j < templ.size() && QStringView(u"-+ #0").contains(templ[j]))
            conv.directive += templ[j++];
        int digits = 0;
        while (j < templ.size() && templ[j].isDigit() && templ[j].unicode() < 128 && digits < 4) {
            conv.directive += templ[j++];
            ++digits;
        }
        if (j < templ.size() && templ[j].isDigit())
            return FormatBadConversion; // widths past 9999 are no file name's business
        if (j < templ.size() && templ[j] == u'.') {
            conv.directive += templ[j++];
            digits = 0;
            while (j < templ.size() && templ[j].isDigit() && templ[j].unicode() < 128 &&
                   digits < 4) {
                conv.directive += templ[j++];
                ++digits;
            }
            if (j < templ.size() && templ[j].isDigit())
                return FormatBadConversion;
        }
        if (j >= templ.size())
            return FormatBadConversion;
        const char16_t type = templ[j].unicode();
        if (!isIntConversion(type) && type != 's')
            return FormatBadConversion;
        conv.directive += QChar(type);
        conv.type = type;
        literals->append(literal);
        literal.clear();
        conversions->append(conv);
        i = j;
    }
    literals->append(literal);
    return FormatOk;
}

int check(const QList<Conversion> &conversions, const QList<FormatArg> &args)
{
    for (qsizetype k = 0; k < conversions.size(); ++k) {
        if (k >= args.size())
            return FormatTooFewArgs;
        const bool wantsText = conversions[k].type == 's';
        if (wantsText != std::holds_alternative<QString>(args[k]))
            return FormatTypeMismatch;
    }
    if (conversions.size() < args.size())
        return FormatTooManyArgs;
    return FormatOk;
}

} // namespace

int checkFormat(const QString &templ, const QList<FormatArg> &args)
{
    QStringList literals;
    QList<Conversion> conversions;
    int rc = parse(templ, &literals, &conversions);
    return rc != FormatOk ? rc : check(conversions, args);
}

int formatChecked(const QString &templ, const QList<FormatArg> &args, QString *out)
{
    QStringList literals;
    QList<Conversion> conversions;
    int rc = parse(templ, &literals, &conversions);
    if (rc == FormatOk)
        rc = check(conversions, args);
    if (rc != FormatOk)
        return rc;
    QString result = literals[0];
    for (qsizetype k = 0; k < conversions.size(); ++k) {
        const QByteArray directive = conversions[k].directive.toLatin1();
        if (const int *n = std::get_if<int>(&args[k]))
            result += QString::asprintf(directive.constData(), *n);
        else
            result += QString::asprintf(directive.constData(),
                                        std::get<QString>(args[k]).toUtf8().constData());
        result += literals[k + 1];
    }
    *out = result;
    return FormatOk;
}

} // namespace mf
