#include "project/OutputFormat.h"

#include "platform/Codec.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFile.h"

namespace mf {

namespace {
constexpr int kLineBuffer = 2000; // a line of at most 1999 bytes
constexpr int kValueBytes = 510;
} // namespace

OutputFormatStatus ReadOutputFormat(const QString &programFolder, OutputFormatSettings *settings)
{
    settings->clear();
    LineReader reader(kLineBuffer);
    if (!reader.open(joinPath(programFolder, programFileName(programfile::kOutputFormat))))
        return OutputFormatStatus::NotFound;

    for (int k = 0; k < 4; ++k) {
        QByteArray line;
        if (!reader.readLine(&line))
            line.clear();
        chopOneLineEnd(&line);
        // A value longer than the field is cut on a character boundary, never mid-character.
        line = leftCp932Bytes(line, kValueBytes);
        if (k >= 2 && line.startsWith('/'))
            continue;
        settings->values[k] = fromCp932(line);
    }
    // Templates from a file that failed part way are not the studio's: treated as no file.
    if (reader.readFailed()) {
        settings->clear();
        return OutputFormatStatus::NotFound;
    }
    reader.close();

    if (settings->values[0].isEmpty() || settings->values[1].isEmpty())
        return OutputFormatStatus::Damaged;
    if (settings->values[2].isEmpty() || settings->values[3].isEmpty())
        return OutputFormatStatus::OldVersion;
    return OutputFormatStatus::Complete;
}

} // namespace mf
