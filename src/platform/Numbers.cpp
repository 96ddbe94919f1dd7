#include "platform/Numbers.h"

#include <algorithm>
#include <climits>

namespace mf {

namespace {

bool isBlank(char16_t c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// charAt(i) yields the i-th character as a code unit. The value's size saturates at limit,
// before it multiplies, so that no limit overflows 64 bits.
template <typename CharAt> qint64 parse(CharAt charAt, qsizetype size, qint64 limit)
{
    qsizetype i = 0;
    while (i < size && isBlank(charAt(i)))
        ++i;
    bool negative = false;
    if (i < size && (charAt(i) == '+' || charAt(i) == '-')) {
        negative = charAt(i) == '-';
        ++i;
    }
    qint64 value = 0;
    for (; i < size && charAt(i) >= '0' && charAt(i) <= '9'; ++i) {
        const int digit = charAt(i) - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

constexpr qint64 kIntLimit = qint64(INT_MAX) + 1; // INT_MIN's size

int toInt(qint64 value)
{
    return value > INT_MAX ? INT_MAX : int(value);
}

} // namespace

qint64 parseAtol(QStringView text, qint64 limit)
{
    return parse([text](qsizetype i) { return text[i].unicode(); }, text.size(), limit);
}

qint64 parseAtol(const QByteArray &text, qint64 limit)
{
    return parse([&text](qsizetype i) { return char16_t(static_cast<unsigned char>(text[i])); },
                 text.size(), limit);
}

int parseAtol(QStringView text)
{
    return toInt(parseAtol(text, kIntLimit));
}

int parseAtol(const QByteArray &text)
{
    return toInt(parseAtol(text, kIntLimit));
}

QString halfWidthDigits(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() >= u'０' && c.unicode() <= u'９')
            c = QChar(u'0' + (c.unicode() - u'０'));
    }
    return text;
}

namespace {

bool isWideBlank(char16_t c)
{
    return isBlank(c) || c == u'\u3000';
}

int digitOf(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'０' && c <= u'９')
        return c - u'０';
    return -1;
}

bool isYenSign(char16_t c)
{
    return c == u'\\' || c == u'\u00A5' || c == u'\uFFE5';
}

bool isGroupSeparator(char16_t c)
{
    return c == u',' || c == u'\uFF0C';
}

// Reads the digits from i on into *value; false when they are not one run of digits or one
// correctly grouped number.
bool readDigits(QStringView text, qsizetype &i, qint64 *value)
{
    constexpr qint64 cap = qint64(1) << 60;
    qint64 v = 0;
    int run = 0;    // digits since the number's start or the last separator
    int groups = 0; // separators read
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (const int d = digitOf(c); d >= 0) {
            v = v > (cap - d) / 10 ? cap : v * 10 + d;
            ++run;
        } else if (isGroupSeparator(c)) {
            if (run == 0 || (groups == 0 && run > 3) || (groups > 0 && run != 3))
                return false;
            ++groups;
            run = 0;
        } else {
            break;
        }
    }
    *value = v;
    return run > 0 && (groups == 0 || run == 3);
}

} // namespace

std::optional<qint64> readNumber(QStringView text, NumberForm form)
{
    const bool yen = form == NumberForm::Yen;
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isWideBlank(text[i].unicode()))
        ++i;
    while (end > i && isWideBlank(text[end - 1].unicode()))
        --end;
    text = text.first(end);
    if (yen && end > i && text[end - 1] == u'円') {
        text = text.first(end - 1);
        while (!text.isEmpty() && isWideBlank(text.back().unicode()))
            text.chop(1);
    }
    bool negative = false;
    bool sign = false;
    auto takeSign = [&] {
        if (!sign && i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
            negative = text[i] == u'-';
            sign = true;
            ++i;
        }
    };
    takeSign();
    if (yen && i < text.size() && isYenSign(text[i].unicode())) {
        ++i;
        while (i < text.size() && isWideBlank(text[i].unicode()))
            ++i;
        takeSign();
    }
    qint64 value = 0;
    if (!readDigits(text, i, &value) || i != text.size())
        return std::nullopt;
    return negative ? -value : value;
}

int parseTypedNumber(const QString &text)
{
    if (const std::optional<qint64> n = readNumber(text))
        return int(std::clamp<qint64>(*n, INT_MIN, INT_MAX));
    return parseAtol(halfWidthDigits(text));
}

} // namespace mf
