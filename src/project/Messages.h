#pragma once
// Message texts that several commands share.

#include <QString>

namespace mf::msg {

inline const QString setNameAndFolder =
    QStringLiteral("プロジェクト名と保存先フォルダを設定してください。");
inline const QString unsavedChanges =
    QStringLiteral("プロジェクトが変更されましたが保存されていません。\n変更を保存しますか？");

} // namespace mf::msg
