#pragma once
// The folder list check: compares every project of the work log with the conversion log that
// numbering wrote into its numbered photo folder and, after asking, rewrites a project file
// that no longer agrees with it. The old file is kept under a name with leading underscores.

#include "platform/Services.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace mf {

// One line of the conversion log: "[NNNN] source, target".
struct ConversionLogLine {
    int number = 0;
    QString source;
    QString target;
};

// Splits a decoded log line (line end removed) by its structure: the number between "[" and
// "] " (any number of digits), the source up to the ", " that precedes the target path in
// sequenceFolder (or, for a log written before the save folder moved, the last ", " followed by
// an absolute path). False when the line has no such structure.
bool parseConversionLogLine(const QString &line, const QString &sequenceFolder,
                            ConversionLogLine *out);

// The camera file that numbering copied to photo number in sequenceFolder, as its conversion
// log names it (the last line with that number); empty when the log does not say or cannot be
// read to its end.
QString cameraFileOf(const QString &sequenceFolder, int number);

// The folder of a file path without a trailing separator; the root keeps its "/".
QString sourceFolderOfPath(const QString &path);

// Consecutive log lines whose sources lie in the same folder.
struct SourceRun {
    int runCount = 0;
    int runStart = 0;
    int runEnd = 0;
    QString runFolder;
};

enum FolderCheckCode {
    FolderCheckDone = 0,
    FolderCheckLogUnreadable = -1,
    FolderCheckStopped = -2,
};

struct FolderCheckResult {
    int code = FolderCheckDone;
    QStringList memo;  // the log paths read and the runs compared, as the message log shows them
    int repaired = 0;  // project files rewritten
    int failed = 0;    // repairs that could not be written (the old file kept unchanged)
    int untrusted = 0; // projects skipped because a repair could not be trusted or read back
};

// The whole check over programFolder's work log. Every message carries caption.
FolderCheckResult CheckFolderLists(const QString &programFolder, const QString &caption,
                                   Prompter &prompter);

namespace msg {
inline const QString folderCheckIncomplete =
    QStringLiteral("フォルダリストのチェックは完了しませんでした。");
inline const QString noProjectHistory = QStringLiteral("プロジェクト履歴がありません。");
inline const QString repairNoSaveFolder =
    QStringLiteral("%s　はプロジェクトの保存先フォルダが存在しないのでスキップします。\n%s");
inline const QString repairNoSequenceFolder =
    QStringLiteral("%s　は連番フォルダが存在しないのでスキップします。\n%s");
inline const QString repairNoJpegs =
    QStringLiteral("%s　は連番フォルダにｊｐｇファイルが存在しないのでスキップします。\n%s");
inline const QString repairAllCountSame =
    QStringLiteral("%s　は全ｊｐｇファイル数が連番フォルダ内のファイル数と同じです。\n恐らく問題は"
                   "無いと思われますがスキップしてよろしいですか？");
inline const QString repairDirectCountSame =
    QStringLiteral("%s　は直下ｊｐｇファイル数が連番フォルダ内のファイル数と同じです。\n恐らく問題"
                   "は無いと思われますがスキップしてよろしいですか？");
inline const QString repairLogCannotOpen = QStringLiteral("%s　がオープン出来ませんでした。");
inline const QString repairNoSource =
    QStringLiteral("%s　の%d行目の元ファイル名が取得出来ませんでした。\n中断しますか？");
inline const QString repairTooManyToExpand =
    QStringLiteral("%s　は[サブフォルダを含む]設定になっていますが全フォルダ数が200を超えるので展"
                   "開されません。");
inline const QString repairExpanded =
    QStringLiteral("%s　は[サブフォルダを含む]設定になっているので展開されます。");
inline const QString repairDataDiffers =
    QStringLiteral("%s　のデータが違います。\n%s [%d][%d][%s]\n変換ログ [%d][%d][%s]");
inline const QString repairCountDiffers =
    QStringLiteral("%s　のカウントが違います。\nフォルダ情報ファイル　%s フォルダ数[%d ] - "
                   "連番未作成フォルダ数　[%d]\n連番ファイル変換ログ.txt フォルダ数[%d]");
inline const QString repairAsk =
    QStringLiteral("%s　はフォルダ情報と連番フォルダ内のファイル情報が違っています。\n修正してよろ"
                   "しいですか？");
inline const QString repairRenamed =
    QStringLiteral("古い間違ったフォルダ情報定義ファイル　%s　は以下のファイル名に改名されました。"
                   "\n\n%s");
inline const QString repairCannotRename = QStringLiteral("%s　を改名出来ませんでした。");
inline const QString repairCannotSave = QStringLiteral("%s を修正保存出来ませんでした。");
inline const QString repairSavedWithBackup =
    QStringLiteral("%s を修正保存しました。\n元のファイルは %s に改名されました。");
inline const QString repairSaved = QStringLiteral("%s を修正保存しました。\n");
inline const QString repairNoneNeeded =
    QStringLiteral("修正する必要のあるプロジェクトは見つかりませんでした。");
inline const QString repairCount = QStringLiteral("%d つのプロジェクトを修正しました。");
// Our own: the log no longer describes the numbered photos, or the result could not be read.
inline const QString repairLogMismatch = QStringLiteral(
    "%s　は連番ファイル変換ログが連番フォルダ内のファイルと一致しないので修正しません。\n%s");
inline const QString repairUnreadableResult = QStringLiteral(
    "%s　は修正後のフォルダ情報をプロジェクトファイルとして読み込めない（フォルダ数が"
    "200を超える、またはパスにカンマ、タブ、改行、Shift-"
    "JISで表せない文字が含まれる）ので修正しません。");
inline const QString repairProjectFileUnreadable =
    QStringLiteral("%s　のフォルダ情報ファイルが読み込めないので修正しません。\n%s");
inline const QString repairFailedCount =
    QStringLiteral("%d つのプロジェクトは修正保存出来ませんでした。");
inline const QString repairUntrustedCount =
    QStringLiteral("%d つのプロジェクトは安全に修正出来ないので修正していません。");
} // namespace msg

} // namespace mf
