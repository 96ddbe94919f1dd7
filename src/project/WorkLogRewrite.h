#pragma once
// Pruning the work log: the history as the management window lists it, the delete marks, and
// rewriting work_log.txt without the marked records.

#include "platform/Services.h"
#include "project/History.h"

#include <QByteArray>
#include <QList>

namespace mf {

inline constexpr int kMaxWorkLogBackupNumber = 19999;
inline constexpr int kSelectionRepeatMs = 500;

// One record of the work log with the bytes of its lines (line ends removed), so that a
// rewrite gives back exactly what was read: long names, over-long lines and bytes the codec
// cannot decode included.
struct WorkLogRecord {
    HistoryEntry entry;      // the fields as shown
    QList<QByteArray> lines; // four, or five with the "scode=" line
    bool endsFile = false;   // its last line ends the file without a line end
};

// The first records of a work log and everything after them, untouched.
struct WorkLogView {
    QList<WorkLogRecord> records;
    QByteArray rest; // later records and a trailing incomplete one, byte for byte
};

// Reads the work log with the line rules of LoadHistory, keeping the first maxRecords records.
// False, with no records, when the file cannot be opened or read to its end, or is larger than
// the work log can be.
bool readWorkLogRecords(const QString &path, WorkLogView *view, int maxRecords = kHistorySlots);

// The new work log: the unmarked records in order, each as five CR LF lines (a four-line record
// gains an empty "scode=" line, a code loses one trailing "_"), then the rest as it was. A last
// line that only fits the reader without a line end is written back without one.
QByteArray workLogWithout(const WorkLogView &view, const QList<bool> &marked);

// The management window's history: the records, their delete marks and the selection.
struct ManagedHistory {
    WorkLogView log;
    QList<bool> marked; // one per record
    bool modified = false;
    int selectedRow = 1; // 1-based; row r shows record r - 1
    quint64 lastSelectionMs = 0;

    int count() const { return int(log.records.size()); }
    bool isMarked(int row) const { return row >= 1 && row <= count() && marked[row - 1]; }
};

// Loads programFolder's work log afresh: no marks, row 1 selected. A missing or unreadable
// log gives an empty history without a word. The repeat guard starts from now.
void LoadHistoryView(ManagedHistory &history, const QString &programFolder, Clock &clock);

// Toggles the delete mark of row; rows past the last record are left alone.
void ToggleDeleteMark(ManagedHistory &history, int row);

// A cell selection: a repeat of the same row within 500 ms is ignored (false). Otherwise the row
// becomes selected and a click on the project name (column 2) toggles its mark.
bool selectHistoryCell(ManagedHistory &history, Clock &clock, int row, int column);

// Backs the work log up under the first free work_log%05d.txt, then replaces it atomically
// by the records not marked. Every failure is reported with caption and leaves the log as it
// was. On success the modified flag is cleared; the caller reloads both histories.
bool RewriteWorkLog(ManagedHistory &history, const QString &programFolder, const QString &caption,
                    Prompter &prompter);

namespace msg {
inline const QString workLogBackupFailed =
    QStringLiteral("worklog.txt\u3000のバックアップが出来なかったので中断します。");
inline const QString noWorkLogRecords =
    QStringLiteral("作業記録が無いなのでログは保存されません。");
inline const QString workLogWriteFailed = QStringLiteral("ログファイルに保存出来ませんでした。");
inline const QString historyUnsaved =
    QStringLiteral("プロジェクト履歴が変更されましたが保存されていません。\n変更を保存しますか？");
} // namespace msg

} // namespace mf
