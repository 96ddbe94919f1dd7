#pragma once
// The work log (work_log.txt) and saving a project.

#include "platform/ProgramFolder.h"
#include "platform/Services.h"
#include "project/Messages.h"
#include "project/ProjectState.h"

#include <QList>

namespace mf {

inline const QString kWorkLogName = programFileName(programfile::kWorkLog);
inline constexpr int kMaxProjectFileNumber = 19999;
// Years of saves come to a few megabytes; a larger file is damaged or no work log at all.
inline constexpr qint64 kMaxWorkLogBytes = 64 * 1024 * 1024;

enum SaveResult {
    SaveOk = 0,
    SaveNoFreeNumber = -2,
    SaveHistoryFull = -3,
    SaveDeclined = -5, // name or folder missing, or the work log question answered No
    SaveOverwriteDeclined = -6,
    SaveNotEncodable = -7,      // a text the Shift-JIS work log cannot hold
    SaveWriteFailed = -8,       // the project file or the work log could not be written
    SaveControlCharacters = -9, // a line break or TAB in the name, school code or save folder
};

// Room for the longest path a save writes (4095 bytes): a line split in two would shift
// every later field of the log.
inline constexpr int kWorkLogLineBuffer = 8192;

// The start of an entry's fifth line, before its school code.
inline const QByteArray kSchoolCodeKey = "scode=";

// The school code of a stored code text (what follows "scode="): one trailing "_" is the
// prefix's and is dropped, unless the code itself ends in "_" ("7__" is the code whose prefix is
// "7__"), so that the prefix made from the code is the one the photos were numbered with.
QByteArray schoolCodeOfStored(const QByteArray &stored);

// Stores line (its line end removed) as field 0 to 4 of entry, cut to the field's capacity;
// the code of the "scode=" line is read by schoolCodeOfStored.
void storeWorkLogField(HistoryEntry &entry, int field, const QByteArray &line);

// Reads the entries of a work log: each entry is four lines, followed by a fifth when that
// begins with "scode=" (older versions wrote four-line entries, and a log may hold both). When the
// log holds more entries than maxEntries, the most recent ones are kept. False, with no entries,
// when the file cannot be opened or a read fails.
// Reading stops at kMaxWorkLogBytes, setting *tooLarge.
bool readWorkLog(const QString &path, QList<HistoryEntry> *entries, int maxEntries = kHistorySlots,
                 bool *tooLarge = nullptr);

// The five lines of an entry, Shift-JIS with CR LF. False when a field cannot be encoded.
bool workLogRecord(const HistoryEntry &entry, QByteArray *out);

// Fills the history table from programFolder's work log.
void LoadHistory(ProjectState &state, Prompter &prompter);

// Saves the project: a new project file under the first free number and a work log entry.
int SaveProject(ProjectState &state, Services &services);

QString projectFilePath(const QString &programFolder, int number);

namespace msg {
inline const QString workLogTooLarge =
    QStringLiteral("作業記録ファイルが大きすぎるので途中までしか読み込めませんでした。\n%1");
inline const QString workLogFull = QStringLiteral("作業記録がいっぱいなのでログは保存されません。");
inline const QString overwriteProjectFile =
    QStringLiteral("既に存在する\"%1\"に上書きしようとしています。よろしいですか？\n\n("
                   "このダイアログの内容をメモして製作者までご連絡ください。)");
inline const QString confirmWorkLog =
    QStringLiteral("以下のデータを work_log.txt "
                   "に保存します。よろしいですか？\n\nプロジェクト名\t%1\n日付\t\t%"
                   "2\nフォルダ情報\t%3\n保存先フォルダ\t%4\n");
inline const QString notEncodable =
    QStringLiteral("プロジェクト名、保存先フォルダ名またはフォルダリストにShift-"
                   "JISで表せない文字が含まれているので"
                   "プロジェクトを保存出来ません。\n%1");
inline const QString saveFailed =
    QStringLiteral("プロジェクトを保存出来ませんでした。\n以下のファイルに書き込めません。\n%"
                   "1\n\nプロジェクトは保存されていません。");
} // namespace msg

} // namespace mf
