#include "platform/Codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <optional>

namespace mf {

namespace {

constexpr const char *kCodecName = "windows-31j";
constexpr char16_t kReplacement = 0xFFFD;

bool isTrailByte(unsigned char c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The double-byte characters, looked up once from the converter. The converter is only
// asked about pairs: its single bytes follow an IBM table that swaps 0x1A, 0x1C and 0x7F
// and returns unmapped bytes as U+001A, where Windows keeps 0x00 to 0x7F as they are.
class DoubleByteTable {
public:
    DoubleByteTable()
    {
        std::optional<QStringDecoder> decoder;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932LeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                const char pair[2] = {char(lead), char(trail)};
                // resetState() does not clear an error of the ICU converter: start afresh
                // after each unmapped pair.
                if (!decoder || decoder->hasError())
                    decoder.emplace(kCodecName, QStringConverter::Flag::Stateless);
                const QString s = decoder->decode(QByteArrayView(pair, 2));
                if (!decoder->hasError() && s.size() == 1 && s[0].unicode() >= 0x80 &&
                    s[0].unicode() != kReplacement)
                    m_map[index(lead, trail)] = s[0].unicode();
            }
        }
    }
    // 0 when the pair stands for no character.
    char16_t at(unsigned char lead, unsigned char trail) const { return m_map[index(lead, trail)]; }

private:
    static int index(int lead, int trail)
    {
        return (lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31) * 256 + trail;
    }
    std::array<char16_t, 60 * 256> m_map{};
};

const DoubleByteTable &doubleByteTable()
{
    static const DoubleByteTable table;
    return table;
}

} // namespace

bool isCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool encodeCp932(const QString &text, QByteArray *out)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    std::optional<QStringEncoder> encoder;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        if (text[i].unicode() < 0x80) {
            bytes.append(char(text[i].unicode()));
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && text[j].unicode() >= 0x80)
            ++j;
        if (!encoder)
            encoder.emplace(kCodecName, QStringConverter::Flag::Stateless);
        bytes += encoder->encode(QStringView(text).mid(i, j - i));
        if (encoder->hasError())
            return false;
        i = j;
    }
    // The round trip also catches silent substitutions of the converter (a yen sign
    // written as 0x5C, say).
    if (fromCp932(bytes) != text)
        return false;
    if (out)
        *out = std::move(bytes);
    return true;
}

QString fromCp932(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out.append(QChar(char16_t(c)));
        } else if (c >= 0xA1 && c <= 0xDF) {
            out.append(QChar(char16_t(0xFF61 + (c - 0xA1)))); // half-width katakana
        } else if (isCp932LeadByte(c) && i + 1 < n && isTrailByte(p[i + 1])) {
            const char16_t u = doubleByteTable().at(c, p[i + 1]);
            out.append(QChar(u ? u : kReplacement));
            // An unmapped pair with an ASCII trail gives the ASCII byte back: a delimiter
            // or line end after a stray lead byte survives.
            if (u || p[i + 1] >= 0x80)
                ++i;
        } else {
            out.append(QChar(kReplacement));
        }
    }
    return out;
}

bool fitsCp932(const QString &text)
{
    return encodeCp932(text, nullptr);
}

QString firstCharOutsideCp932(const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, width);
        if (!fitsCp932(ch))
            return ch;
        i += width;
    }
    return {};
}

int cp932Length(const QString &text)
{
    QByteArray bytes;
    if (!encodeCp932(text, &bytes))
        return -1;
    return int(bytes.size());
}

int storedByteLength(const QString &text)
{
    int n = cp932Length(text);
    return n >= 0 ? n : int(text.toUtf8().size());
}

QByteArray leftCp932Bytes(const QByteArray &bytes, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (bytes.size() <= maxBytes)
        return bytes;
    int i = 0;
    while (i < maxBytes) {
        int step = isCp932LeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return bytes.left(i);
}

QString leftCp932(const QString &text, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    int used = 0;
    int i = 0;
    while (i < text.size()) {
        int len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        int n = cp932Length(text.mid(i, len));
        if (n < 0)
            n = int(text.mid(i, len).toUtf8().size());
        if (used + n > maxBytes)
            break;
        used += n;
        i += len;
    }
    return text.left(i);
}

QString toCp932Spelling(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        switch (c.unicode()) {
        case 0x301C: c = QChar(0xFF5E); break; // WAVE DASH -> FULLWIDTH TILDE
        case 0x2212: c = QChar(0xFF0D); break; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        case 0x2014: c = QChar(0x2015); break; // EM DASH -> HORIZONTAL BAR
        case 0x2016: c = QChar(0x2225); break; // DOUBLE VERTICAL LINE -> PARALLEL TO
        case 0x00A2: c = QChar(0xFFE0); break; // CENT SIGN
        case 0x00A3: c = QChar(0xFFE1); break; // POUND SIGN
        case 0x00AC: c = QChar(0xFFE2); break; // NOT SIGN
        default: break;
        }
    }
    return out;
}

} // namespace mf
