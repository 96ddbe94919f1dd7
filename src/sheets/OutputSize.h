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

} // namespace mf
