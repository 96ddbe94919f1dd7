#include "ManualText.h"

#include <QRegularExpression>

namespace manual {

namespace {

// The same set as isCjk(), for the regular expressions.
const QString kCjkClass =
    QStringLiteral("[\\x{3000}-\\x{303F}\\x{3040}-\\x{30FF}\\x{31F0}-\\x{31FF}\\x{3400}-\\x{4DBF}"
                   "\\x{4E00}-\\x{9FFF}\\x{F900}-\\x{FAFF}\\x{FF00}-\\x{FFEF}]");

} // namespace

bool isCjk(char32_t c)
{
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

QString joinJapaneseLines(const QString &html)
{
    // Tags on either side of the break are kept; only the blanks go.
    static const QRegularExpression breakBetween(
        QStringLiteral("(?<=%1)((?:<[^<>]*>)*)[ \\t]*\\r?\\n[ \\t\\r\\n]*((?:<[^<>]*>)*)(?=%1)")
            .arg(kCjkClass));
    QString joined = html;
    joined.replace(breakBetween, QStringLiteral("\\1\\2"));
    // HTML counts the ideographic space as white space and prints it as a half-width one
    // (「○列目　コピー…」, a message quoted as the program shows it); preformatted, it stays.
    joined.replace(QChar(0x3000), QStringLiteral("<span style=\"white-space: pre\">\u3000</span>"));
    return joined;
}

QStringList spacesBetweenJapanese(const QString &text)
{
    QStringList found;
    for (qsizetype i = 1; i + 1 < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == u' ' || c == QChar::Nbsp) && isCjk(text.at(i - 1).unicode()) &&
            isCjk(text.at(i + 1).unicode())) {
            const qsizetype from = std::max<qsizetype>(0, i - 8);
            found << QString(text.mid(from, 17)).replace(u'\n', u' ');
        }
    }
    return found;
}

bool makeReproducible(QByteArray &pdf, const QDateTime &date)
{
    // Qt writes "(D:YYYYMMDDHHmmSS" and a zone ("Z", or an offset such as "+09'00'") in the
    // info dictionary. The stamp is replaced and a zone made UTC's, with the same lengths.
    // (A later Qt that adds a random id is caught by the test that builds the manual twice.)
    static const QRegularExpression pdfDate(
        QStringLiteral("\\(D:(\\d{14})(Z|[+-]\\d\\d'\\d\\d'?)?"));
    const QByteArray stamp = date.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    // Latin-1 keeps one character per byte, so offsets are those of the bytes.
    const QString text = QString::fromLatin1(pdf);
    int dates = 0;
    for (const QRegularExpressionMatch &m : pdfDate.globalMatch(text)) {
        pdf.replace(m.capturedStart(1), stamp.size(), stamp);
        if (m.capturedLength(2) > 1) {
            QByteArray zone = m.captured(2).toLatin1();
            zone[0] = '+';
            for (char &c : zone)
                if (c >= '1' && c <= '9')
                    c = '0';
            pdf.replace(m.capturedStart(2), zone.size(), zone);
        }
        ++dates;
    }
    return dates > 0;
}

} // namespace manual
