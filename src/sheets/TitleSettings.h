#pragma once
// The title line and page number of the sample sheets, as the drawing reads them.

#include <QString>

namespace mf {

enum class TitleAlign { Left, Centre, Right };

struct TitleSettings {
    bool showTitle = false;
    QString title;
    int titleFontHeight = 20;
    TitleAlign titleAlign = TitleAlign::Left;
    bool showPageNumber = false;
    QString pageLabel;
    QString pageSuffix;
    int pageFontHeight = 20;
    int pageOffset = 0;
};

} // namespace mf
