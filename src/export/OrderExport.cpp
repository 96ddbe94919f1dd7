#include "export/OrderExport.h"

#include "export/OrderCheck.h"
#include "photos/NumberedPhotos.h"
#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/LocalTime.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "project/DesktopOpen.h"
#include "project/FolderLocks.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <optional>

namespace mf {

namespace {

constexpr int kMaxRepeat = 9999;

QString ordererFolderOf(const QString &exportFolder, int orderer)
{
    return joinPath(exportFolder, QString::asprintf("%04d", orderer));
}

QString headingLine(const QString &projectName, const QDateTime &now)
{
    return projectName + QStringLiteral("    ") + localDateTimeText(now);
}

// True when path, cleaned, names something strictly below folder (itself already clean).
bool liesInside(const QString &cleanFolder, const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    return clean.size() > cleanFolder.size() + 1 && clean.startsWith(cleanFolder) &&
           clean[cleanFolder.size()] == kSeparator;
}

// "%c" turns a number into any byte, a separator or a control character among them: a name
// template has no use for it.
bool hasCharConversion(const QString &templ)
{
    for (qsizetype i = 0; i < templ.size(); ++i) {
        if (templ[i] != u'%')
            continue;
        if (i + 1 < templ.size() && templ[i + 1] == u'%') {
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < templ.size() && QStringView(u"-+ #0123456789.hlLqjzt").contains(templ[j]))
            ++j;
        if (j < templ.size() && templ[j] == u'c')
            return true;
        i = j;
    }
    return false;
}

// What the copying pass does for one print.
struct PlannedCopy {
    int row = 0;
    int orderer = 0;
    QString source;
    QString target;
};

class ExportPlanner {
public:
    ExportPlanner(ExportJob &job, ExportState &state, const QString &exportFolder)
        : m_job(job), m_state(state), m_exportFolder(exportFolder),
          m_cleanExport(QDir::cleanPath(exportFolder)),
          m_sequence(sequenceFolderOf(job.project.saveFolder)),
          m_cleanSequence(QDir::cleanPath(m_sequence))
    {}

    // Assigns the sample prints, builds the orderer list and forms every name before anything
    // on disk changes, so a template that does not fit stops the run with nothing written.
    int plan(std::vector<PlannedCopy> *copies)
    {
        const ExportSettings &s = m_job.settings;
        const OrderTable &table = m_job.table;
        for (int r = 1; r <= table.orderCount; ++r) {
            const Order &o = table.row(r);
            const int m = parseAtol(o.ordererNumber);
            QList<int> photos;
            const int count = std::clamp(parseAtol(o.photoCount), 0, kPhotosPerOrder);
            for (int i = 0; i < count && !o.photoNumbers[std::size_t(i)].isEmpty(); ++i)
                photos.append(parseAtol(o.photoNumbers[std::size_t(i)]));
            if (photos.isEmpty())
                continue;
            m_caption = s.folderPerOrderer ? ordererFolderOf(m_exportFolder, m) : QString();
            QString line = QString::asprintf("[%4d]     :", m);
            for (int p : photos) {
                if (p < 1 || p > kMaxExportPhotoNumber)
                    return broken(); // the order check lets none through
                int &owner = m_state.sampleOwner[std::size_t(p)];
                if (s.subtractSamples && owner == 0) {
                    owner = m;
                    ++m_state.samplesTaken;
                    line += QString::asprintf("   %4d", p);
                    continue;
                }
                PlannedCopy c{r, m, sequentialFilePath(m_sequence, m_job.project.filePrefix, p),
                              QString()};
                if (!liesInside(m_cleanSequence, c.source))
                    return broken();
                const int result = targetName(m, p, &c.target);
                if (result != ExportOk)
                    return result;
                // Only prints that are copied take a name: outside the range nothing is
                // written, so a later name of the same photo does not move on.
                if (s.inRange(m)) {
                    m_taken.insert(c.target);
                    copies->push_back(c);
                }
            }
            m_state.ordererSampleList.append(line);
        }
        return ExportOk;
    }

private:
    int broken()
    {
        m_job.services.prompter.inform(msg::outputFormatBroken, m_caption);
        return ExportBadTemplate;
    }

    // Forms the name of one template; false when it does not fit its arguments or would
    // name something outside the export folder.
    bool form(int value, const QList<FormatArg> &args, QString *out) const
    {
        const QString &templ = m_job.project.outputFormat.values[std::size_t(value)];
        QString name;
        if (hasCharConversion(templ) || formatChecked(templ, args, &name) != FormatOk ||
            hasControlCharacter(name) || storedByteLength(name) > kMaxPathBytes ||
            !liesInside(m_cleanExport, name))
            return false;
        *out = QDir::cleanPath(name);
        return true;
    }

    int targetName(int m, int p, QString *target)
    {
        const bool perOrderer = m_job.settings.folderPerOrderer;
        const QString &prefix = m_job.project.filePrefix;
        QList<FormatArg> args = perOrderer ? QList<FormatArg>{m_exportFolder, m, prefix, m, p}
                                           : QList<FormatArg>{m_exportFolder, prefix, m, p};
        QString name;
        if (!form(perOrderer ? 0 : 2, args, &name))
            return broken();
        if (!m_taken.contains(name)) {
            *target = name;
            return ExportOk;
        }
        // Names below the hint are known to be taken: names are only ever added.
        int &next = m_nextRepeat[name];
        next = std::max(next, 1);
        args.append(0);
        for (; next <= kMaxRepeat; ++next) {
            args.last() = next;
            QString repeat;
            if (!form(perOrderer ? 1 : 3, args, &repeat))
                return broken();
            if (!m_taken.contains(repeat)) {
                *target = repeat;
                return ExportOk;
            }
        }
        m_job.services.prompter.inform(msg::exportRepeatsExhausted.arg(name),
                                       m_job.project.titleText);
        return ExportBadTemplate;
    }

    ExportJob &m_job;
    ExportState &m_state;
    const QString m_exportFolder;
    const QString m_cleanExport;
    const QString m_sequence;
    const QString m_cleanSequence;
    QString m_caption;
    QSet<QString> m_taken;
    QHash<QString, int> m_nextRepeat;
};

// What the run keeps in the export folder while it empties it: its mark and its lock.
QStringList exportRunFiles()
{
    return {kExportMarkName, kSaveFolderLockName};
}

int copyPlanned(ExportJob &job, ExportState &state, const QString &exportFolder,
                const std::vector<PlannedCopy> &copies, int *failures)
{
    Prompter &prompter = job.services.prompter;
    const QString &caption = job.project.titleText;
    std::size_t next = 0;
    const int total = int(copies.size());
    job.showProgress(0, total);
    for (int r = 1; r <= job.table.orderCount; ++r) {
        job.showRow(r);
        job.services.pump.processPendingEvents();
        if (state.abortExport) {
            prompter.inform(msg::exportAborted, caption);
            return ExportStopped;
        }
        const int m = parseAtol(job.table.row(r).ordererNumber);
        if (job.settings.folderPerOrderer && job.settings.inRange(m)) {
            const QString folder = ordererFolderOf(exportFolder, m);
            if (!isEnterableDir(folder)) {
                if (!makePath(folder)) {
                    prompter.inform(msg::ordererFolderCannotCreatePath.arg(folder), caption);
                    return ExportStopped;
                }
                if (!isEnterableDir(folder)) {
                    prompter.inform(msg::ordererFolderCannotCreate, folder);
                    return ExportStopped;
                }
            }
        }
        for (; next < copies.size() && copies[next].row == r; ++next) {
            const PlannedCopy &c = copies[next];
            job.showProgress(int(next), total);
            // Every name was planned free; one that exists now is not ours to replace.
            if (copyFile(c.source, c.target) == CopyResult::Copied) {
                makeWritable(c.target);
                continue;
            }
            ++*failures;
            const QString orderer = QString::number(c.orderer);
            const QString question =
                isFile(c.source) ? msg::exportCopyNotWritten.arg(c.source, c.target, orderer)
                                 : msg::exportCopyFailed.arg(c.source, orderer);
            if (prompter.ask(question, caption, Buttons::YesNo) == Answer::Yes)
                continue;
            if (prompter.ask(msg::exportDeletePartial, caption, Buttons::YesNo) == Answer::Yes &&
                ClearFolder(exportFolder, exportRunFiles()) == -1)
                prompter.inform(msg::exportCannotClear, caption);
            return ExportStopped;
        }
    }
    job.showProgress(total, total);
    return ExportOk;
}

// Writes one text whole or not at all; a failure names the file, since the texts are the
// only record of who gets which sample print. A text written is added to written.
bool writeText(ExportJob &job, const QString &path, bool encoded, const QByteArray &bytes,
               QStringList *written)
{
    if (encoded && saveFileAtomically(path, bytes)) {
        written->append(path);
        return true;
    }
    job.services.prompter.inform(msg::exportTextNotSaved.arg(path), job.project.titleText);
    return false;
}

} // namespace

QString exportFolderOf(const QString &saveFolder)
{
    return joinPath(saveFolder, kExportFolderName);
}

void StartSampleLists(ExportState &state, const QString &projectName, const QDateTime &now)
{
    state.sampleOwner.assign(std::size_t(kMaxExportPhotoNumber) + 1, 0);
    state.samplesTaken = 0;
    state.ordererSampleList = {headingLine(projectName, now), QString(),
                               QStringLiteral("注文者番号  : 写真番号...      "), QString()};
}

int PrepareExportFolder(const ProjectState &project, Prompter &prompter)
{
    const QString folder = exportFolderOf(project.saveFolder);
    const QString &caption = project.titleText;
    if (!isEnterableDir(folder)) {
        if (!makePath(folder)) {
            prompter.inform(msg::cannotCreateSaveFolderPath.arg(folder), caption);
            return -1;
        }
        if (!isEnterableDir(folder)) {
            prompter.inform(msg::exportCannotCreate, caption);
            return -1;
        }
    }
    // Before the earlier export is emptied: from here until the disk holds the whole export,
    // what the folder holds is not an export to hand on.
    QByteArray text;
    encodeCp932(QStringLiteral("注文別画像の保存中です。保存が完了すると削除されます。\r\n"),
                &text);
    if (!saveFileAtomically(exportMarkPath(project.saveFolder), text)) {
        prompter.inform(msg::exportCannotMark.arg(folder), caption);
        return -1;
    }
    if (ClearFolder(folder, exportRunFiles()) == -1) {
        prompter.inform(msg::exportCannotClear, caption);
        return -1;
    }
    return 0;
}

QString exportMarkPath(const QString &saveFolder)
{
    return joinPath(exportFolderOf(saveFolder), kExportMarkName);
}

bool removeStaleExportTemporaries(const QString &saveFolder)
{
    const QString exported = exportFolderOf(saveFolder);
    bool swept = removeStaleTemporaries(exported, [](QStringView name) {
        return name == kSampleListName || name == kOrdererSampleListName || name == kExportMarkName;
    });
    bool readError = false;
    for (const DirEntry &e : listEntries(exported, nullptr, &readError)) {
        if (e.isDir)
            swept &= removeStaleTemporaries(joinPath(exported, e.name));
    }
    // The orderers' folders after a failed read went unseen: not swept.
    return swept && !readError;
}

namespace {

void tellWhenUnfinished(const ProjectState &project, Prompter &prompter)
{
    if (!project.saveFolder.isEmpty() && isFile(exportMarkPath(project.saveFolder)))
        prompter.inform(msg::exportUnfinished.arg(exportFolderOf(project.saveFolder)),
                        project.titleText);
}

} // namespace

void reportUnfinishedExport(const ProjectState &project, Prompter &prompter)
{
    if (!anotherCopyWorksIn({project.saveFolder, exportFolderOf(project.saveFolder)}))
        tellWhenUnfinished(project, prompter);
}

bool encodeSampleList(const ExportState &state, const QString &heading, int columns,
                      QByteArray *out)
{
    QString text = heading + QStringLiteral("\r\n写真番号   [ 注文者番号 ]      \r\n");
    int entries = 0;
    for (std::size_t p = 0; p < state.sampleOwner.size(); ++p) {
        const int owner = state.sampleOwner[p];
        if (owner <= 0)
            continue;
        text += QString::asprintf("%8d   [%8d]    ", int(p), owner);
        if (++entries % columns == 0)
            text += QStringLiteral("\r\n");
    }
    return encodeCp932(text, out);
}

bool encodeOrdererSampleList(const ExportState &state, QByteArray *out)
{
    return encodeLinesCrLf(state.ordererSampleList, out);
}

namespace {

// The settings, the prefix and the orders, checked before anything on the disk changes. The
// result that ends the run here (a refusal, or the check alone or no orders done), or nothing
// when the copies may begin.
std::optional<int> checkBeforeCopying(ExportJob &job, ExportState &state, bool checkOnly)
{
    Services &services = job.services;
    const ProjectState &project = job.project;
    if (ValidateExportSettings(job.settings, services.prompter) != 0)
        return ExportRefused;
    // The prefix is part of every photo's and every copy's name: a separator in it would point
    // them into other folders.
    if (project.filePrefix.contains(kSeparator) || hasControlCharacter(project.filePrefix)) {
        services.prompter.inform(msg::exportBadSchoolCode.arg(project.schoolCode),
                                 project.titleText);
        return ExportRefused;
    }
    state.errorList.clear();
    StartSampleLists(state, project.projectName, services.clock.now());
    if (job.table.orderCount == 0) {
        job.showRow(1);
        return ExportOk;
    }
    // The check comes before the earlier export is deleted: one typo in one order must not
    // cost a finished export.
    if (CheckOrders(job.table, project.saveFolder, project.filePrefix, &state.errorList) > 0) {
        services.prompter.inform(state.errorList.join(u'\n'), project.titleText);
        return ExportRefused;
    }
    if (checkOnly) {
        services.prompter.inform(msg::checkNoErrors, project.titleText);
        return ExportOk;
    }
    return std::nullopt;
}

// The two lists of the samples taken, where the settings take samples; false when one could
// not be written.
bool writeSampleLists(ExportJob &job, const ExportState &state, const QString &exportFolder,
                      QStringList *texts)
{
    if (!job.settings.subtractSamples || state.samplesTaken <= 0)
        return true;
    const ProjectState &project = job.project;
    bool written = true;
    QByteArray bytes;
    bool encoded =
        encodeSampleList(state, headingLine(project.projectName, job.services.clock.now()),
                         job.settings.sampleColumns, &bytes);
    if (!writeText(job, joinPath(exportFolder, kSampleListName), encoded, bytes, texts))
        written = false;
    encoded = encodeOrdererSampleList(state, &bytes);
    if (!writeText(job, joinPath(exportFolder, kOrdererSampleListName), encoded, bytes, texts))
        written = false;
    return written;
}

} // namespace

int RunExport(ExportJob &job, ExportState &state, bool checkOnly)
{
    state.abortExport = false;
    state.exportBusy = true;
    struct Idle {
        ExportState &s;
        ~Idle()
        {
            s.abortExport = false;
            s.exportBusy = false;
        }
    } idle{state};

    Services &services = job.services;
    const ProjectState &project = job.project;
    if (const std::optional<int> ended = checkBeforeCopying(job, state, checkOnly))
        return *ended;

    // Held to the end: another copy emptying the folder under this run would leave an export
    // that looks complete and is not.
    const QString exportFolder = exportFolderOf(project.saveFolder);
    const std::unique_ptr<SaveFolderLock> lock =
        lockSaveFolder(project.saveFolder, exportFolder, project.titleText, services.prompter);
    if (!lock)
        return ExportRefused;
    tellWhenUnfinished(project, services.prompter); // ours now: this run mends it
    std::vector<PlannedCopy> copies;
    const int planned = ExportPlanner(job, state, exportFolder).plan(&copies);
    if (planned != ExportOk)
        return planned;
    if (PrepareExportFolder(project, services.prompter) != 0)
        return ExportRefused;

    int failures = 0;
    const int copied = copyPlanned(job, state, exportFolder, copies, &failures);
    if (copied != ExportOk)
        return copied;

    int result = failures > 0 ? ExportIncomplete : ExportOk;
    QStringList texts; // the texts written, opened once they are on the disk
    if (!writeSampleLists(job, state, exportFolder, &texts))
        result = ExportIncomplete;
    // A studio takes the drive to the print lab as soon as the run says it is done, and hands
    // out the sample prints by the texts it shows: neither before the disk holds them.
    // The mark goes only once the disk holds the whole export.
    const bool onDisk = finishOnDisk(services, project.titleText, exportFolder, job.flushToDisk,
                                     job.diskStatus, texts << exportFolder, [&](bool flushed) {
                                         if (flushed)
                                             removeFile(exportMarkPath(project.saveFolder));
                                         return flushed;
                                     });
    job.showRow(1);
    return onDisk ? result : ExportIncomplete;
}

} // namespace mf
