#pragma once
// Line-based text files in CP932 with CR LF.

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

namespace mf {

// What LineReader does with a line longer than its buffer.
enum class LongLines {
    Split, // return it in pieces, as fgets does
    Skip,  // consume it whole and go on with the next line
};

// Reads a file the way fgets does with a buffer of bufferSize bytes: each call returns at
// most bufferSize - 1 bytes, ending after the first LF, so a longer line arrives in pieces
// (or, with LongLines::Skip, is skipped whole). CR LF is read as LF (text mode), so files
// with CR LF and with LF alone read the same. Any byte sequence is accepted: NUL bytes, bad
// Shift-JIS, no line end at all. Memory stays bounded by the buffer whatever the file holds.
class LineReader {
public:
    using LongLines = mf::LongLines;

    // maxFileBytes < 0: no cap.
    explicit LineReader(int bufferSize = 2048, LongLines longLines = LongLines::Split,
                        qint64 maxFileBytes = -1);
    // False also for anything that is not a regular file (device, FIFO, folder): a FIFO
    // never blocks, /dev/zero is never read.
    bool open(const QString &path);
    // Reads bytes already in memory (text a reader converted first) the same way.
    void openBytes(const QByteArray &bytes);
    bool isOpen() const { return m_file.isOpen(); }
    // False at the end of the file when nothing more was read, once more than maxFileBytes
    // bytes would have to be read (a line cut by the cap is not returned), and when a read
    // fails. In Skip mode a line longer than bufferSize - 1 bytes (line end included) is
    // consumed whole and not returned; reading goes on with the next line.
    // A false from readLine is not yet the end of the file: every reader asks readFailed()
    // after its last line, and takes a file that failed as one it could not read, using and
    // writing back nothing of what came before the failure.
    bool readLine(QByteArray *line);
    // Lines skipped as too long so far.
    int skippedLines() const { return m_skippedLines; }
    // True once reading stopped because maxFileBytes were consumed.
    bool stoppedAtCap() const { return m_stoppedAtCap; }
    // True once a read from the file failed: reading stopped there, not at the file's end.
    bool readFailed() const { return m_readFailed; }
    void close() { m_file.close(); }

private:
    bool fill();
    int peekByte();
    int takeByte();
    void skipRestOfLine();
    void restart();

    QFile m_file;
    int m_bufferSize;
    LongLines m_longLines;
    qint64 m_maxFileBytes;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    qint64 m_fetched = 0;  // bytes read from the file
    bool m_atEnd = false;  // the file gave nothing more: no further read is tried
    qint64 m_consumed = 0; // bytes taken out of the chunks
    int m_skippedLines = 0;
    bool m_stoppedAtCap = false;
    bool m_readFailed = false;
};

// Removes one trailing CR, LF or 0x1A: the three tests look at the same last byte.
void chopOneLineEnd(QByteArray *line);

// Encodes lines to CP932 and joins them with CR LF after each. False when a line holds a
// character CP932 cannot represent.
bool encodeLinesCrLf(const QStringList &lines, QByteArray *out);

// Replaces a whole file atomically: either the new content is complete on disk or the old
// file is untouched.
bool saveFileAtomically(const QString &path, const QByteArray &content);

// A file replaced whole or not at all, written in pieces by a writer that does not check its
// writes (QPdfWriter carries on over a full disk): every failed write is remembered, and
// commit() puts the new file in place of the old one only when every byte reached it.
// Destroyed without a commit, it leaves the old file as it was.
class AtomicFileWriter : public QIODevice {
public:
    explicit AtomicFileWriter(const QString &path);
    ~AtomicFileWriter() override;
    bool open(); // write only
    bool commit();
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override;

private:
    bool flushBuffer();

    QSaveFile m_file;
    QByteArray m_buffer;
    bool m_failed = false;
};

// Appends one record in a single write, creating the file if needed.
bool appendRecord(const QString &path, const QByteArray &record);

} // namespace mf
