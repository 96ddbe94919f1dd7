#pragma once
// Line-based text files in CP932 with CR LF.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace mf {

// Reads a file the way fgets does with a buffer of bufferSize bytes: each call returns at
// most bufferSize - 1 bytes, ending after the first LF, so a longer line arrives in pieces.
// CR LF is read as LF (text mode), so files with CR LF and with LF alone read the same.
// Any byte sequence is accepted: NUL bytes, bad Shift-JIS, no line end at all.
class LineReader {
public:
    explicit LineReader(int bufferSize = 2048);
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    // False at the end of the file when nothing more was read.
    bool readLine(QByteArray *line);
    void close() { m_file.close(); }

private:
    bool fill();
    int peekByte();
    int takeByte();

    QFile m_file;
    int m_bufferSize;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
};

// Removes one trailing CR, LF or 0x1A: the three tests look at the same last byte.
void chopOneLineEnd(QByteArray *line);

// Encodes lines to CP932 and joins them with CR LF after each. False when a line holds a
// character CP932 cannot represent.
bool encodeLinesCrLf(const QStringList &lines, QByteArray *out);

// Replaces a whole file atomically: either the new content is complete on disk or the old
// file is untouched.
bool saveFileAtomically(const QString &path, const QByteArray &content);

// Appends one record in a single write, creating the file if needed.
bool appendRecord(const QString &path, const QByteArray &record);

} // namespace mf
