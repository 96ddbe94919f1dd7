#include "platform/TextFile.h"

#include "platform/Codec.h"
#include "platform/FileSystem.h"

#include <QSaveFile>

#include <algorithm>

namespace mf {

namespace {
constexpr qsizetype kChunkSize = 64 * 1024;
}

LineReader::LineReader(int bufferSize, LongLines longLines, qint64 maxFileBytes)
    : m_bufferSize(bufferSize < 2 ? 2 : bufferSize), m_longLines(longLines),
      m_maxFileBytes(maxFileBytes)
{}

void LineReader::restart()
{
    m_file.close();
    m_chunk.clear();
    m_pos = 0;
    m_fetched = 0;
    m_atEnd = false;
    m_consumed = 0;
    m_skippedLines = 0;
    m_stoppedAtCap = false;
    m_readFailed = false;
}

bool LineReader::open(const QString &path)
{
    restart();
    // Unbuffered: the reader has its own chunks, and reads no further than it asks.
    return openRegularFile(path, &m_file, QIODevice::Unbuffered);
}

void LineReader::openBytes(const QByteArray &bytes)
{
    restart();
    // One chunk and no file behind it: fill() ends the reading when the chunk is used up.
    m_chunk = bytes;
    m_fetched = bytes.size();
}

bool LineReader::fill()
{
    if (m_pos < m_chunk.size())
        return true;
    if (m_atEnd || !m_file.isOpen())
        return false;
    qint64 want = kChunkSize;
    // One byte past the cap is enough to know that the file goes on.
    if (m_maxFileBytes >= 0)
        want = std::min(want, m_maxFileBytes + 1 - m_fetched);
    if (want <= 0)
        return false;
    // Into the same buffer each time: every look past the end used to allocate a fresh chunk.
    m_chunk.resize(want);
    const qint64 got = readFilePiece(m_file, m_chunk.data(), want);
    m_readFailed = got < 0;
    m_chunk.resize(std::max<qint64>(got, 0));
    m_fetched += m_chunk.size();
    m_pos = 0;
    m_atEnd = m_chunk.isEmpty();
    return !m_atEnd;
}

int LineReader::peekByte()
{
    if (m_stoppedAtCap || !fill())
        return -1;
    if (m_maxFileBytes >= 0 && m_consumed >= m_maxFileBytes) {
        m_stoppedAtCap = true;
        return -1;
    }
    return static_cast<unsigned char>(m_chunk[m_pos]);
}

int LineReader::takeByte()
{
    int c = peekByte();
    if (c >= 0) {
        ++m_pos;
        ++m_consumed;
    }
    return c;
}

void LineReader::skipRestOfLine()
{
    // Nothing of the line is kept, however long it is.
    for (;;) {
        const int c = takeByte();
        if (c < 0 || c == '\n')
            return;
    }
}

bool LineReader::readLine(QByteArray *line)
{
    line->clear();
    const int room = m_bufferSize - 1;
    for (;;) {
        while (line->size() < room) {
            int c = takeByte();
            if (c < 0)
                break;
            if (c == '\r' && peekByte() == '\n') {
                takeByte();
                c = '\n';
            }
            line->append(char(c));
            if (c == '\n')
                break;
        }
        // A full buffer without a line end is a whole line only when the file ends there.
        const bool tooLong = m_longLines == LongLines::Skip && line->size() == room &&
                             !line->endsWith('\n') && peekByte() >= 0;
        // A line cut by the cap or by a failed read is not a line of the file.
        if (m_stoppedAtCap || m_readFailed) {
            line->clear();
            return false;
        }
        if (!tooLong)
            return !line->isEmpty();
        ++m_skippedLines;
        line->clear();
        skipRestOfLine();
    }
}

void chopOneLineEnd(QByteArray *line)
{
    if (line->isEmpty())
        return;
    char last = line->back();
    if (last == '\r' || last == '\n' || last == '\x1a')
        line->chop(1);
}

bool encodeLinesCrLf(const QStringList &lines, QByteArray *out)
{
    QByteArray all;
    for (const QString &line : lines) {
        QByteArray bytes;
        if (!encodeCp932(line, &bytes))
            return false;
        all += bytes;
        all += "\r\n";
    }
    *out = std::move(all);
    return true;
}

bool saveFileAtomically(const QString &path, const QByteArray &content)
{
    AtomicFileWriter file(path);
    return file.open() && file.write(content) == content.size() && file.commit();
}

namespace {
// Small writes (a PDF writer's are a few bytes each) are gathered up to this size.
constexpr qsizetype kAtomicWriteChunk = 1024 * 1024;
} // namespace

AtomicFileWriter::AtomicFileWriter(const QString &path) : m_file(path) {}

AtomicFileWriter::~AtomicFileWriter()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool AtomicFileWriter::open()
{
    // Unbuffered, so every byte reaches the file inside write(): a full disk shows up as a
    // short write here instead of a flush inside commit() that could go unnoticed and
    // rename a cut file over the old one.
    m_failed = !m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return !m_failed && QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 AtomicFileWriter::writeData(const char *data, qint64 len)
{
    if (m_failed)
        return -1;
    if (m_buffer.isEmpty() && len >= kAtomicWriteChunk) { // a whole file at once: no copy
        m_failed = m_file.write(data, len) != len || m_file.error() != QFileDevice::NoError;
        return m_failed ? -1 : len;
    }
    m_buffer.append(data, qsizetype(len));
    if (m_buffer.size() >= kAtomicWriteChunk && !flushBuffer())
        return -1;
    return len;
}

bool AtomicFileWriter::flushBuffer()
{
    if (!m_failed && !m_buffer.isEmpty()) {
        m_failed =
            m_file.write(m_buffer) != m_buffer.size() || m_file.error() != QFileDevice::NoError;
        m_buffer.clear();
    }
    return !m_failed;
}

bool AtomicFileWriter::commit()
{
    if (!m_file.isOpen())
        return false;
    const bool written = flushBuffer();
    QIODevice::close();
    if (!written) {
        m_file.cancelWriting();
        m_file.commit(); // discards the new file
        return false;
    }
    return m_file.commit();
}

bool appendRecord(const QString &path, const QByteArray &record)
{
    // Unbuffered: a short write returns at once and nothing is left in a buffer, so the
    // rollback below (resize flushes first and gives up when that fails) always runs.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const qint64 before = file.size();
    if (file.write(record) != record.size()) {
        file.resize(before); // a full disk must not leave half a record behind
        return false;
    }
    return true;
}

} // namespace mf
