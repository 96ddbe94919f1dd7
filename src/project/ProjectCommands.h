#pragma once
// The main window's project commands: start-up, new project, reopening from the history,
// choosing the save folder, closing, the manual and the version box.

#include "platform/Services.h"
#include "project/OutputFormat.h"
#include "project/ProjectState.h"

namespace mf {

// The window creation after the program folder is known: reads outputFmt.def, shows its
// message, and (unless that ends the start-up early) loads the history and sets up the
// grid. Returns what outputFmt.def was found to be.
OutputFormatStatus startUp(ProjectState &state, Prompter &prompter, Clock &clock);

// BitBtn9Click. False when the operator cancelled or the save failed.
bool newProject(ProjectState &state, Services &services);

// ComboBox1Change with the chosen item (-1 for typed text that names no item).
// False when nothing was reopened because the operator cancelled or the save failed.
bool reopenHistory(ProjectState &state, Services &services, int index);

// BitBtn5Click after the chooser: chosen is the folder picked, empty when none.
void chooseSaveFolder(ProjectState &state, Prompter &prompter, const QString &chosen);

// FormCloseQuery: true when the window may close.
bool closeQuery(ProjectState &state, Services &services);

// The file name of the manual.
inline const QString kManualFileName = QStringLiteral("Velmora説明書.pdf");

// Where else the manual may lie. An installed program keeps its program folder in the
// per-user data folder, while the manual is installed with the program's documentation;
// empty folders are not searched.
struct ManualFolders {
    QString executableFolder;
    QString installedDocFolder;
};

struct ManualLookup {
    bool programFolderFound = false; // false: the program folder cannot be entered
    QString path;                    // the manual found, empty when none
};

// The program folder (without its trailing separator and, for a folder longer than three
// characters, without a final "LOT": a lot's program folder shares the manual of the folder
// it sits in), then the executable's folder, then the installed documentation folder. Nothing is
// searched when the program folder cannot be entered.
ManualLookup findManual(const QString &programFolder, const ManualFolders &elsewhere);

// PDFH1Click: opens the manual that findManual finds; nothing when there is none.
void openManual(const ProjectState &state, const ManualFolders &elsewhere, Prompter &prompter,
                Shell &shell);

// V1Click.
void showVersion(Prompter &prompter);

// The project-level guards of M3Click and C1Click: true when the window may be opened.
bool mayManageProjects(const ProjectState &state, Prompter &prompter);
bool mayCheckFolderLists(const ProjectState &state, Prompter &prompter);

// The guards of BitBtn7Click, BitBtn12Click and BitBtn10Click: true when the command may
// open its window.
bool mayOpenSampleSheets(ProjectState &state, Prompter &prompter);
bool mayEnterOrders(const ProjectState &state, Prompter &prompter);
bool mayExportOrders(const ProjectState &state, Prompter &prompter);

namespace msg {
inline const QString formatNotFound =
    QStringLiteral("出力フォーマット設定ファイルが見つかりません。\n再インストールするかインストー"
                   "ルＣＤからコピーしてください。");
inline const QString formatDamaged =
    QStringLiteral("出力フォーマット設定ファイルが壊れています。\n再インストールするかインストール"
                   "ＣＤからコピーしてください。");
inline const QString formatOldVersion = QStringLiteral(
    "出力フォーマット設定ファイルが旧版なので注文者毎のフォルダ無し設定は無効になります。");
inline const QString confirmQuit = QStringLiteral("終了してよろしいですか？");
inline const QString saveFolderInvalid =
    QStringLiteral("保存先フォルダの指定が無効か使用不能です。");
inline const QString saveFolderNotCreatedPast =
    QStringLiteral("保存先フォルダが作成出来ませんでした。\n%1");
inline const QString saveFolderCannotCreate =
    QStringLiteral("保存先フォルダが作成出来ません。\n%1");
inline const QString saveFolderCouldNotCreate =
    QStringLiteral("保存先フォルダを作成出来ませんでした。\n%1");
inline const QString projectFileTooLarge =
    QStringLiteral("プロジェクトファイルが大きすぎるので途中までしか読み込めませんでした。\n%1");
inline const QString saveFolderControlCharacters =
    QStringLiteral("保存先フォルダのパスに改行やタブが含まれているので使用出来ません。\n%1");
inline const QString projectNameNotFolder =
    QStringLiteral("プロジェクト名にフォルダ名として使用出来ない文字が含まれています。\n%1");
inline const QString projectOpen =
    QStringLiteral("プロジェクトが開かれています。\nプロジェクトを閉じてから行ってください。");
inline const QString projectUnsavedForManagement = QStringLiteral(
    "プロジェクトが変更されましたが保存されていません。\n変更してから行ってください。");
inline const QString enterOrders = QStringLiteral("写真の注文を入力してください。");
inline const QString versionCaption = QStringLiteral("バージョン情報");
inline const QString versionText = QStringLiteral(
    "Velmora\u3000 Ver. 1.15\n写真注文フォーム作成支援ソフト\n\nMarrowfold (Linux版)");
inline const QString createSequenceFirst = QStringLiteral("最初に連番ファイルを作成してください。");
inline const QString newProjectFolder = QStringLiteral("新規プロジェクト");
} // namespace msg

} // namespace mf
