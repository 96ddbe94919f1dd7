#pragma once
// Message texts that several commands share.

#include <QString>

namespace mf::msg {

inline const QString setNameAndFolder =
    QStringLiteral("プロジェクト名と保存先フォルダを設定してください。");
inline const QString unsavedChanges =
    QStringLiteral("プロジェクトが変更されましたが保存されていません。\n変更を保存しますか？");

inline const QString controlCharacters =
    QStringLiteral("プロジェクト名、ロットNo.または保存先フォルダ名に改行やタブが含まれているので"
                   "プロジェクトを保存出来ません。\n%1");
inline const QString programFolderMissing = QStringLiteral("プログラム実行パスが見つかりません。");
inline const QString cannotCreateSaveFolderPath =
    QStringLiteral("保存先フォルダを作成出来ません。\n%1");
inline const QString cannotCreateSaveFolder = QStringLiteral("保存先フォルダを作成出来ません。");
// The copies were made, but the disk did not confirm that they are on it.
inline const QString notOnDisk =
    QStringLiteral("以下のフォルダへの書き込みを完了出来ませんでした。\nディスクの空きと接続を確認"
                   "してください。\n%1");
// Shown while a run's copies go onto the disk, which can take seconds after the last copy.
inline const QString writingToDisk = QStringLiteral("ディスクに書き込んでいます…");
inline const QString cannotOpenPath =
    QStringLiteral("以下のファイルまたはフォルダを開けませんでした。\n手動で開いてください。\n%1");

} // namespace mf::msg
