#include "platform/Numbers.h"

#include <climits>

namespace mf {

namespace {

bool isBlank(char16_t c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// charAt(i) yields the i-th character as a code unit.
template <typename CharAt> int parse(CharAt charAt, qsizetype size)
{
    qsizetype i = 0;
    while (i < size && isBlank(charAt(i)))
        ++i;
    bool negative = false;
    if (i < size && (charAt(i) == '+' || charAt(i) == '-')) {
        negative = charAt(i) == '-';
        ++i;
    }
    constexpr long long limit = static_cast<long long>(INT_MAX) + 1;
    long long value = 0;
    for (; i < size && charAt(i) >= '0' && charAt(i) <= '9'; ++i)
        value = std::min(limit, value * 10 + (charAt(i) - '0'));
    if (negative)
        return int(-value);
    return value > INT_MAX ? INT_MAX : int(value);
}

} // namespace

int parseAtol(QStringView text)
{
    return parse([text](qsizetype i) { return text[i].unicode(); }, text.size());
}

int parseAtol(const QByteArray &text)
{
    return parse([&text](qsizetype i) { return char16_t(static_cast<unsigned char>(text[i])); },
                 text.size());
}

QString halfWidthDigits(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() >= u'０' && c.unicode() <= u'９')
            c = QChar(u'0' + (c.unicode() - u'０'));
    }
    return text;
}

int parseTypedNumber(const QString &text)
{
    return parseAtol(halfWidthDigits(text));
}

} // namespace mf
