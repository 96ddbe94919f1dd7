#include "platform/TextFile.h"

#include "platform/Codec.h"

#include <QSaveFile>

namespace mf {

namespace {
constexpr qsizetype kChunkSize = 64 * 1024;
}

LineReader::LineReader(int bufferSize) : m_bufferSize(bufferSize < 2 ? 2 : bufferSize) {}

bool LineReader::open(const QString &path)
{
    m_file.close();
    m_file.setFileName(path);
    m_chunk.clear();
    m_pos = 0;
    return m_file.open(QIODevice::ReadOnly);
}

bool LineReader::fill()
{
    if (m_pos < m_chunk.size())
        return true;
    if (!m_file.isOpen())
        return false;
    m_chunk = m_file.read(kChunkSize);
    m_pos = 0;
    return !m_chunk.isEmpty();
}

int LineReader::peekByte()
{
    if (!fill())
        return -1;
    return static_cast<unsigned char>(m_chunk[m_pos]);
}

int LineReader::takeByte()
{
    int c = peekByte();
    if (c >= 0)
        ++m_pos;
    return c;
}

bool LineReader::readLine(QByteArray *line)
{
    line->clear();
    const int room = m_bufferSize - 1;
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
    return !line->isEmpty();
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
    // Unbuffered, so every byte reaches the file inside write(): a full disk shows up as a
    // short write here instead of a flush inside commit() that could go unnoticed and
    // rename a cut file over the old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(content) != content.size() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
