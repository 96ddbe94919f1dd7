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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool appendRecord(const QString &path, const QByteArray &record)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const qint64 before = file.size();
    bool ok = file.write(record) == record.size();
    ok = file.flush() && ok;
    if (!ok)
        file.resize(before); // a full disk must not leave half a record behind
    file.close();
    return ok;
}

} // namespace mf
