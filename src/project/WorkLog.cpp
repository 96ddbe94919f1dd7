#include "project/WorkLog.h"

#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFile.h"
#include "project/ProjectFields.h"
#include "project/ProjectFile.h"
#include "project/UnfinishedNumbering.h"

#include <deque>

namespace mf {

namespace {

constexpr int kProjectNameBytes = 250;
constexpr int kSavedAtBytes = 60;
constexpr int kSchoolCodeBytes = 255;

} // namespace

QByteArray schoolCodeOfStored(const QByteArray &stored)
{
    if (stored.endsWith('_') && !stored.endsWith("__"))
        return stored.chopped(1);
    return stored;
}

void storeWorkLogField(HistoryEntry &entry, int field, const QByteArray &line)
{
    switch (field) {
    case 0: entry.projectName = fromCp932(leftCp932Bytes(line, kProjectNameBytes)); break;
    case 1: entry.savedAt = fromCp932(leftCp932Bytes(line, kSavedAtBytes)); break;
    case 2: entry.projectFile = fromCp932(line); break;
    case 3: entry.saveFolder = fromCp932(line); break;
    case 4: {
        // Cut first, so that a code read, saved and read again stays the same.
        const QByteArray stored = line.size() > 6 ? line.mid(6) : QByteArray();
        entry.schoolCode = fromCp932(schoolCodeOfStored(leftCp932Bytes(stored, kSchoolCodeBytes)));
        break;
    }
    default: break;
    }
}

QString projectFilePath(const QString &programFolder, int number)
{
    return joinPath(programFolder, programFileName(programfile::kProject, number));
}

bool readWorkLog(const QString &path, QList<HistoryEntry> *entries, int maxEntries, bool *tooLarge)
{
    entries->clear();
    if (tooLarge)
        *tooLarge = false;
    LineReader reader(kWorkLogLineBuffer, LongLines::Skip, kMaxWorkLogBytes);
    if (!reader.open(path))
        return false;
    std::deque<HistoryEntry> kept;
    HistoryEntry current;
    int field = 0;
    auto close = [&] {
        kept.push_back(std::move(current));
        current = HistoryEntry{};
        field = 0;
        if (int(kept.size()) > maxEntries)
            kept.pop_front();
    };
    // Each entry is four lines and, since school codes were added, a fifth "scode=" line.
    // Deciding per entry keeps a log readable that an older version started with four-line
    // entries and this version went on with five-line ones.
    auto take = [&](QByteArray line) {
        if (field == 4 && !line.startsWith(kSchoolCodeKey))
            close();
        if (line.size() > 1) {
            chopOneLineEnd(&line);
            storeWorkLogField(current, field, line);
        }
        if (++field == 5)
            close();
    };
    // A line too long for the buffer is skipped whole but still counts as a line, so the
    // entries after it keep their places; no piece of it is taken for a field.
    int skipped = 0;
    auto takeSkipped = [&] {
        for (; skipped < reader.skippedLines(); ++skipped)
            take(QByteArray());
    };
    QByteArray line;
    while (reader.readLine(&line)) {
        takeSkipped();
        take(line);
    }
    // Half a history is never taken for all of it: the projects after the failure would be
    // missing from the list, and from a log rewritten from it.
    if (reader.readFailed())
        return false;
    takeSkipped();
    if (field == 4)
        close();
    if (tooLarge)
        *tooLarge = reader.stoppedAtCap();
    for (HistoryEntry &e : kept)
        entries->append(std::move(e));
    return true;
}

bool workLogRecord(const HistoryEntry &entry, QByteArray *out)
{
    return encodeLinesCrLf({entry.projectName, entry.savedAt, entry.projectFile, entry.saveFolder,
                            QString::fromLatin1(kSchoolCodeKey) + entry.schoolCode},
                           out);
}

void LoadHistory(ProjectState &state, Prompter &prompter)
{
    if (!isEnterableDir(state.programFolder)) {
        prompter.inform(msg::programFolderMissing, QString());
        return;
    }
    state.history.clear();
    QList<HistoryEntry> entries;
    const QString path = joinPath(state.programFolder, kWorkLogName);
    bool tooLarge = false;
    readWorkLog(path, &entries, kHistorySlots, &tooLarge);
    if (tooLarge)
        prompter.inform(msg::workLogTooLarge.arg(path), state.titleText);
    for (const HistoryEntry &e : entries)
        state.history.entries[state.history.count++] = e;
}

int SaveProject(ProjectState &state, Services &services)
{
    Prompter &prompter = services.prompter;
    const QString &caption = state.titleText;
    if (!hasNameAndFolder(state, prompter))
        return SaveDeclined;

    // The fields normally cannot hold these; a last guard, as one would corrupt the log.
    for (const QString &field : {state.projectName, state.schoolCode, state.saveFolder}) {
        if (holdsLineBreakOrTab(field)) {
            prompter.inform(msg::controlCharacters.arg(field), caption);
            return SaveControlCharacters;
        }
    }

    HistoryEntry entry;
    entry.projectName = state.projectName;
    entry.saveFolder = state.saveFolder;
    entry.schoolCode = state.schoolCode;
    entry.savedAt = localDateTimeText(services.clock.now());

    int number = 0;
    for (; number <= kMaxProjectFileNumber; ++number) {
        if (!pathExists(projectFilePath(state.programFolder, number)))
            break;
    }
    if (number > kMaxProjectFileNumber) {
        prompter.inform(msg::workLogFull, caption);
        return SaveNoFreeNumber;
    }
    if (state.history.count >= kHistorySlots) {
        prompter.inform(msg::workLogFull, caption);
        return SaveHistoryFull;
    }
    entry.projectFile = projectFilePath(state.programFolder, number);

    // Everything the save writes must survive the trip through Shift-JIS, or the project
    // could never be reopened as it was.
    QByteArray record, content;
    if (!workLogRecord(entry, &record) || !projectFileContent(state, &content)) {
        prompter.inform(msg::notEncodable.arg(state.projectName), caption);
        return SaveNotEncodable;
    }

    if (pathExists(entry.projectFile) &&
        prompter.ask(msg::overwriteProjectFile.arg(entry.projectFile), caption, Buttons::YesNo,
                     true) != Answer::Yes)
        return SaveOverwriteDeclined;
    if (prompter.ask(msg::confirmWorkLog.arg(entry.projectName, entry.savedAt, entry.projectFile,
                                             entry.saveFolder),
                     caption, Buttons::YesNo) != Answer::Yes)
        return SaveDeclined;

    // The project file first, then the entry that points at it: a failure of either leaves
    // the program folder as it was.
    if (!saveFileAtomically(entry.projectFile, content)) {
        prompter.inform(msg::saveFailed.arg(entry.projectFile), caption);
        return SaveWriteFailed;
    }
    const QString workLog = joinPath(state.programFolder, kWorkLogName);
    if (!appendRecord(workLog, record)) {
        removeFile(entry.projectFile);
        prompter.inform(msg::saveFailed.arg(workLog), caption);
        return SaveWriteFailed;
    }

    state.history.entries[state.history.count++] = entry;
    state.dirty = false;
    // A power cut after the mark of a numbering went and before the record reached the disk
    // would lose both: the record goes to the disk first.
    const bool recordOnDisk =
        state.numberingMark.isEmpty() || (syncFile(entry.projectFile) && syncFile(workLog) &&
                                          syncFile(state.programFolder)); // the new file's name
    numberingSaved(state, recordOnDisk);
    return SaveOk;
}

} // namespace mf
