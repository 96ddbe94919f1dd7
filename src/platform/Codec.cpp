#include "platform/Codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace mf {

namespace {
constexpr const char *kCodecName = "windows-31j";
}

bool isCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool encodeCp932(const QString &text, QByteArray *out)
{
    QStringEncoder encoder(kCodecName);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return false;
    // The round trip also catches silent substitutions of the converter.
    QStringDecoder decoder(kCodecName);
    QString back = decoder.decode(bytes);
    if (decoder.hasError() || back != text)
        return false;
    if (out)
        *out = std::move(bytes);
    return true;
}

QString fromCp932(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodecName);
    return decoder.decode(bytes);
}

bool fitsCp932(const QString &text)
{
    return encodeCp932(text, nullptr);
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
