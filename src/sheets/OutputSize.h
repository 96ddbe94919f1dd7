#pragma once
// Output sizes of the sample sheets: the built-in size and the custom sizes of
// CustomSize.def. A size fixes the page, its grid of equal photo cells, the margins and the
// height of the photo numbers.

#include <QString>

#include <array>

namespace mf {

struct OutputSize {
    int dpi = 0;
    QString label;
    int paperWidth = 0;
    int paperHeight = 0;
    int columns = 0;
    int rows = 0;
    int photoWidth = 0;
    int photoHeight = 0;
    int paperWidthMm = 0;
    int paperHeightMm = 0;
    int rightMargin = 0;
    int leftMargin = 0;
    int topMargin = 0;
    int bottomMargin = 0;
    int numberFontHeight = 0;
};

inline constexpr int kOutputSizeSlots = 100;

// Slot 0 holds the built-in size, the custom sizes follow in file order.
struct OutputSizeTable {
    std::array<OutputSize, kOutputSizeSlots> sizes{};
    int count = 0;
};

OutputSize builtInOutputSize();

// The gaps between cells; a size is usable only when neither is negative.
int ColumnGap(const OutputSize &size);
int RowGap(const OutputSize &size);

// dpi * 10 / 254 pixels: one millimetre of the page (and 2 mm as dpi * 20 / 254).
int millimetresToPixels(int dpi, int millimetres);

// (px * 254 / 10) / dpi, both divisions truncating; 0 for a dpi of 0.
int PixelsToMm(int pixels, int dpi);

// Every number within its range and neither gap negative: what CustomSize.def may hold.
bool isUsableOutputSize(const OutputSize &size);

// The built-in size in slot 0, then the valid custom sizes of CustomSize.def in the program
// folder, up to the table's capacity. A missing or unreadable file gives the built-in size
// only. The first invalid or incomplete record ends the list.
OutputSizeTable LoadOutputSizes(const QString &programFolder);

// "%3ddpi[%2d×%2d](%4dpx*%4dpx) %s": the label of a custom size.
QString FormatSizeLabel(int dpi, int columns, int rows, int paperWidth, int paperHeight,
                        const QString &name);

enum AppendCustomSizeResult {
    AppendCustomSizeOk = 0,
    AppendCustomSizeWriteFailed = -1, // cannot be opened or written (full disk): file unchanged
    // The file holds a partial or invalid record (or more records than are read): a record
    // added after it would never be loaded, so nothing is added.
    AppendCustomSizeFileDamaged = -2,
    AppendCustomSizeBadLabel = -3, // not Shift-JIS, or holds a line break
    AppendCustomSizeInvalid = -4,  // out of range or a negative gap: would hide later records
    AppendCustomSizeFileFull = -5, // the file already holds every custom size that is read
};

// Appends one record to CustomSize.def in the program folder, creating the file when
// missing. Either the whole record is added or the file stays as it was.
int AppendCustomSize(const QString &programFolder, const OutputSize &size);

namespace msg {
inline const QString negativeGap = QStringLiteral("余白サイズがマイナスになります。");
inline const QString customSizeNotSaved =
    QStringLiteral("カスタムサイズをファイルに保存出来ませんでした。");
} // namespace msg

} // namespace mf
