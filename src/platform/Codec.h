#pragma once
// Shift-JIS (code page 932) at the file boundary. In memory all text is QString.

#include <QByteArray>
#include <QString>

namespace mf {

// Encodes to CP932. Returns false (and leaves *out untouched) when the text holds a
// character that CP932 cannot represent: such text is never written as a substitute.
bool encodeCp932(const QString &text, QByteArray *out);

// Decodes any byte sequence; malformed bytes become U+FFFD, nothing is rejected.
QString fromCp932(const QByteArray &bytes);

bool fitsCp932(const QString &text);

// The first character of text (a whole code point) that CP932 cannot represent, so that a
// message can name it; empty when every character fits.
QString firstCharOutsideCp932(const QString &text);

// Byte length in CP932, or -1 when the text cannot be encoded.
int cp932Length(const QString &text);

// Length in bytes as the program stores a path: CP932 where that works, otherwise the
// UTF-8 length the file system sees. Used for path length limits.
int storedByteLength(const QString &text);

// The longest prefix of text whose CP932 encoding has at most maxBytes bytes,
// never cutting a double-byte character.
QString leftCp932(const QString &text, int maxBytes);

// Bytes cut to at most maxBytes without splitting a double-byte character.
QByteArray leftCp932Bytes(const QByteArray &bytes, int maxBytes);

// Free text typed on Linux can carry code points that CP932 spells differently
// (WAVE DASH for FULLWIDTH TILDE and the like). Maps them to the CP932 spelling.
// Never for paths or names that become part of a path.
QString toCp932Spelling(const QString &text);

bool isCp932LeadByte(unsigned char c);

} // namespace mf
