#pragma once
// The per-order export's settings as the export window's fields give them, and their checks.

#include "platform/Services.h"

#include <QString>

namespace mf {

// Folder and file names carry both numbers with four digits or more.
inline constexpr int kMaxOrdererNumber = 9999;
inline constexpr int kMaxExportPhotoNumber = 99999;

struct ExportSettings {
    int firstOrderer = 1;
    int lastOrderer = 1;
    int sampleColumns = 4;       // entries per line of "サンプル指定.txt", 1..4
    bool subtractSamples = true; // the first order of a photo gets its sample print
    bool folderPerOrderer = true;

    bool inRange(int orderer) const { return firstOrderer <= orderer && orderer <= lastOrderer; }
};

// The three number fields read like atol.
ExportSettings exportSettingsFromFields(const QString &first, const QString &last,
                                        const QString &columns, bool subtractSamples,
                                        bool folderPerOrderer);

// 0, or -1 after showing the first refusal (empty caption). A first orderer above the last
// is accepted: such a run copies nothing.
int ValidateExportSettings(const ExportSettings &settings, Prompter &prompter);

namespace msg {
inline const QString exportColumnsInvalid =
    QStringLiteral("サンプル指定テキストの横列数は1～4までで指定してください。");
inline const QString exportFirstInvalid = QStringLiteral("開始注文者No.に無効な値が入っています。");
inline const QString exportLastInvalid = QStringLiteral("終了注文者No.に無効な値が入っています。");
} // namespace msg

} // namespace mf
