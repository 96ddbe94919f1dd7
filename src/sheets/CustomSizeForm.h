#pragma once
// The custom size dialog's commands on the field texts: the millimetre and gap displays,
// applying the edited numbers to the selected size, and registering them as a new custom
// size in the table and in CustomSize.def.

#include "platform/Services.h"
#include "sheets/OutputSize.h"

#include <QString>

#include <optional>

namespace mf {

// The dialog's fields as typed. Numbers are read like atol; an empty text reads as 0.
struct CustomSizeTexts {
    QString name;
    QString dpi;
    QString paperWidth;
    QString paperHeight;
    QString photoWidth;
    QString photoHeight;
    QString columns;
    QString rows;
    QString leftMargin;
    QString rightMargin;
    QString topMargin;
    QString bottomMargin;
    QString numberFontHeight;

    bool operator==(const CustomSizeTexts &) const = default;
};

// The fields as the dialog fills them when it opens on a size.
CustomSizeTexts customSizeTexts(const OutputSize &size);

// "pix (<mm>mm)" for the pixels a field holds, at the dialog's working dpi.
QString unitLabel(const QString &pixels, int dpi);

struct GapLabels {
    QString column;
    QString row;
};

// "<gap> pix (<mm>mm)", or "-" for a single column or row, or for both when a field is
// empty or out of range.
GapLabels gapLabels(const CustomSizeTexts &texts);

// The dpi a typed resolution sets as the working dpi; none when it is out of range.
std::optional<int> typedDpi(const QString &text);

// Checks the numbers and, when every one is valid and the gaps are not negative, writes them
// into size (its label and millimetre sizes stay). Every invalid field is reported in turn.
// True when written: the dialog may close.
bool ApplySizeEdits(OutputSize &size, const CustomSizeTexts &texts, Prompter &prompter,
                    const QString &titleText);

enum RegisterCustomSizeResult {
    RegisterNoProgramFolder = -1,
    RegisterInvalid = -2, // a field was refused; nothing registered
    RegisterTableFull = -3,
};

// Checks the fields for a new custom size, adds it at the end of the table and appends it to
// CustomSize.def. Returns the new size's table index, also when only the file could not be
// written (the operator has been told; the size stays in the table), or a negative result
// when nothing was registered.
int RegisterCustomSize(OutputSizeTable &sizes, const CustomSizeTexts &texts,
                       const QString &programFolder, Prompter &prompter, const QString &titleText);

namespace msg {
inline const QString dpiChangeAdvice =
    QStringLiteral("解像度変更をした場合は[OK]を押して閉じてから余白調整フォームを"
                   "開き直してください。。");
inline const QString customSizeNoFolder = QStringLiteral("カスタムサイズが保存できませんでした。");
inline const QString customNameMissing = QStringLiteral("カスタム名称を付けてください。");
inline const QString customNameUnsavable =
    QStringLiteral("カスタム名称に改行などの制御文字やShift-JISで表せない文字が"
                   "含まれているので登録できません。");
inline const QString customSizeTableFull =
    QStringLiteral("登録件数が最大100件に達しているので登録できません。");
} // namespace msg

} // namespace mf
