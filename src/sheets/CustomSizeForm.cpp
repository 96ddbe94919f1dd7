#include "sheets/CustomSizeForm.h"

#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "sheets/TitleData.h"

namespace mf {

namespace {

struct Range {
    int min;
    int max;
};

constexpr Range kDpiRange{72, 400};
constexpr Range kFontRange{5, 400};
constexpr Range kPaperMmRange{83, 1189};

// A number field: where its text is, where its value goes, what it may hold and what is said
// when it does not.
struct NumberField {
    QString CustomSizeTexts::*text;
    int OutputSize::*value;
    Range range;
    const char16_t *message;
};

const NumberField kDpi{&CustomSizeTexts::dpi, &OutputSize::dpi, kDpiRange,
                       u"画面の解像度(DPI)が不正です。(%1 ～%2)"};
const NumberField kFont{&CustomSizeTexts::numberFontHeight, &OutputSize::numberFontHeight,
                        kFontRange, u"フォントの高さが不正な値です。(%1 ～%2)"};

// The fields after the dpi and the font height, in the order they are checked.
const NumberField kLayoutFields[] = {
    {&CustomSizeTexts::paperWidth,
     &OutputSize::paperWidth,
     {1, 18724},
     u"画面の幅が不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::paperHeight,
     &OutputSize::paperHeight,
     {1, 18724},
     u"画面の高さが不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::photoWidth,
     &OutputSize::photoWidth,
     {1, 4096},
     u"写真1枚あたりの幅が不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::photoHeight,
     &OutputSize::photoHeight,
     {1, 4096},
     u"写真1枚あたりの高さが不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::rows, &OutputSize::rows, {1, 100}, u"行数が不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::columns, &OutputSize::columns, {1, 100}, u"列数が不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::leftMargin,
     &OutputSize::leftMargin,
     {1, 999},
     u"左余白サイズが不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::rightMargin,
     &OutputSize::rightMargin,
     {1, 999},
     u"右余白サイズが不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::topMargin,
     &OutputSize::topMargin,
     {1, 999},
     u"上余白サイズが不正な値です。(%1 ～%2)"},
    {&CustomSizeTexts::bottomMargin,
     &OutputSize::bottomMargin,
     {1, 999},
     u"下余白サイズが不正な値です。(%1 ～%2)"},
};

bool inRange(int value, Range r)
{
    return value >= r.min && value <= r.max;
}

QString rangeMessage(const char16_t *message, Range r)
{
    return QString::fromUtf16(message).arg(QString::number(r.min), QString::number(r.max));
}

// Takes the field's value into size when it is valid, reports it otherwise.
bool checkField(const NumberField &f, const CustomSizeTexts &texts, OutputSize &size,
                Prompter &prompter, const QString &titleText)
{
    const QString &text = texts.*f.text;
    const int value = parseTypedNumber(text);
    if (text.isEmpty() || !inRange(value, f.range)) {
        prompter.inform(rangeMessage(f.message, f.range), titleText);
        return false;
    }
    size.*f.value = value;
    return true;
}

bool checkMillimetres(int pixels, int dpi, const char16_t *message, Prompter &prompter,
                      const QString &titleText)
{
    if (inRange(PixelsToMm(pixels, dpi), kPaperMmRange))
        return true;
    prompter.inform(rangeMessage(message, kPaperMmRange), titleText);
    return false;
}

// The name ends up as one line of CustomSize.def: it must come back from the file as typed.
bool isStorableName(const QString &name)
{
    const QString mapped = toCp932Spelling(name);
    return !hasControlCharacter(mapped) && fitsCp932(mapped);
}

bool gapsNegative(const OutputSize &size)
{
    return ColumnGap(size) < 0 || RowGap(size) < 0;
}

QString gapLabel(int count, int gap, int dpi)
{
    if (count < 2)
        return QStringLiteral("-");
    return QStringLiteral("%1 pix (%2mm)")
        .arg(QString::number(gap), QString::number(PixelsToMm(gap, dpi)));
}

} // namespace

CustomSizeTexts customSizeTexts(const OutputSize &size)
{
    CustomSizeTexts t;
    t.name = QStringLiteral("カスタム　");
    t.dpi = QString::number(size.dpi);
    t.numberFontHeight = QString::number(size.numberFontHeight);
    for (const NumberField &f : kLayoutFields)
        t.*f.text = QString::number(size.*f.value);
    return t;
}

QString unitLabel(const QString &pixels, int dpi)
{
    return fontHeightLabel(parseTypedNumber(pixels), dpi);
}

GapLabels gapLabels(const CustomSizeTexts &texts)
{
    // The font height plays no part in the gaps.
    OutputSize size;
    for (const NumberField &f : kLayoutFields) {
        const QString &text = texts.*f.text;
        size.*f.value = parseTypedNumber(text);
        if (text.isEmpty() || !inRange(size.*f.value, f.range))
            return {QStringLiteral("-"), QStringLiteral("-")};
    }
    const std::optional<int> dpi = typedDpi(texts.dpi);
    if (!dpi)
        return {QStringLiteral("-"), QStringLiteral("-")};
    return {gapLabel(size.columns, ColumnGap(size), *dpi), gapLabel(size.rows, RowGap(size), *dpi)};
}

std::optional<int> typedDpi(const QString &text)
{
    const int dpi = parseTypedNumber(text);
    if (!text.isEmpty() && inRange(dpi, kDpiRange))
        return dpi;
    return std::nullopt;
}

bool ApplySizeEdits(OutputSize &size, const CustomSizeTexts &texts, Prompter &prompter,
                    const QString &titleText)
{
    // Invalid fields keep the size's own values, so the gaps below are those of what would
    // be written if they were corrected.
    OutputSize edited = size;
    bool ok = checkField(kDpi, texts, edited, prompter, titleText);
    ok = checkField(kFont, texts, edited, prompter, titleText) && ok;
    for (const NumberField &f : kLayoutFields)
        ok = checkField(f, texts, edited, prompter, titleText) && ok;
    if (gapsNegative(edited)) {
        prompter.inform(msg::negativeGap, titleText);
        return false;
    }
    if (!ok)
        return false;
    size = edited;
    return true;
}

int RegisterCustomSize(OutputSizeTable &sizes, const CustomSizeTexts &texts,
                       const QString &programFolder, Prompter &prompter, const QString &titleText)
{
    if (!isEnterableDir(programFolder)) {
        prompter.inform(msg::customSizeNoFolder, titleText);
        return RegisterNoProgramFolder;
    }

    bool nameOk = true;
    if (texts.name.isEmpty()) {
        prompter.inform(msg::customNameMissing, titleText);
        nameOk = false;
    } else if (!isStorableName(texts.name)) {
        // Refused here, before the size enters the table: the file could not keep it.
        prompter.inform(msg::customNameUnsavable, titleText);
        nameOk = false;
    }

    OutputSize size;
    bool numbersOk = checkField(kDpi, texts, size, prompter, titleText);
    if (numbersOk) {
        size.paperWidthMm = PixelsToMm(parseTypedNumber(texts.paperWidth), size.dpi);
        size.paperHeightMm = PixelsToMm(parseTypedNumber(texts.paperHeight), size.dpi);
        numbersOk = checkMillimetres(parseTypedNumber(texts.paperWidth), size.dpi,
                                     u"画面の幅サイズが不正です。(%1 ～%2)", prompter, titleText);
        numbersOk = checkMillimetres(parseTypedNumber(texts.paperHeight), size.dpi,
                                     u"画面の縦サイズが不正です。(%1 ～%2)", prompter, titleText) &&
                    numbersOk;
    }
    numbersOk = checkField(kFont, texts, size, prompter, titleText) && numbersOk;
    for (const NumberField &f : kLayoutFields)
        numbersOk = checkField(f, texts, size, prompter, titleText) && numbersOk;

    if (numbersOk && gapsNegative(size)) {
        prompter.inform(msg::negativeGap, titleText);
        return RegisterInvalid;
    }
    if (!numbersOk || !nameOk)
        return RegisterInvalid;
    if (sizes.count >= kOutputSizeSlots) {
        prompter.inform(msg::customSizeTableFull, titleText);
        return RegisterTableFull;
    }

    // The label in the table is spelt as the file will give it back next time.
    size.label = FormatSizeLabel(size.dpi, size.columns, size.rows, size.paperWidth,
                                 size.paperHeight, toCp932Spelling(texts.name));
    const int index = sizes.count;
    sizes.sizes[index] = size;
    ++sizes.count;
    if (AppendCustomSize(programFolder, size) < 0)
        prompter.inform(msg::customSizeNotSaved, titleText);
    return index;
}

} // namespace mf
