// CustomSize.def in the program folder: every size loaded is usable, and appending the
// loaded custom sizes to a fresh file reads back the same table.
#include "FuzzTarget.h"

#include "sheets/OutputSize.h"

#include <QDir>
#include <QFile>

namespace {

bool sameSize(const mf::OutputSize &a, const mf::OutputSize &b)
{
    return a.dpi == b.dpi && a.label == b.label && a.paperWidth == b.paperWidth &&
           a.paperHeight == b.paperHeight && a.columns == b.columns && a.rows == b.rows &&
           a.photoWidth == b.photoWidth && a.photoHeight == b.photoHeight &&
           a.paperWidthMm == b.paperWidthMm && a.paperHeightMm == b.paperHeightMm &&
           a.rightMargin == b.rightMargin && a.leftMargin == b.leftMargin &&
           a.topMargin == b.topMargin && a.bottomMargin == b.bottomMargin &&
           a.numberFontHeight == b.numberFontHeight;
}

} // namespace

MF_FUZZ_TARGET(customsize)
{
    const QString folder = mf::fuzz::scratchFolder() + QStringLiteral("/customsize");
    const QString again = mf::fuzz::scratchFolder() + QStringLiteral("/customsize-again");
    static const bool made = QDir().mkpath(folder) && QDir().mkpath(again);
    if (!made || !mf::fuzz::writeScratch(folder + QStringLiteral("/CustomSize.def"),
                                         mf::fuzz::bytesOf(data, size)))
        return 0;
    const mf::OutputSizeTable table = mf::LoadOutputSizes(folder);
    MF_FUZZ_CHECK(table.count >= 1 && table.count <= mf::kOutputSizeSlots);
    for (int i = 1; i < table.count; ++i)
        MF_FUZZ_CHECK(mf::isUsableOutputSize(table.sizes[std::size_t(i)]));

    QFile::remove(again + QStringLiteral("/CustomSize.def"));
    for (int i = 1; i < table.count; ++i) {
        if (mf::AppendCustomSize(again, table.sizes[std::size_t(i)]) != mf::AppendCustomSizeOk)
            return 0; // a label the writer refuses (a line break, bytes that do not decode)
    }
    const mf::OutputSizeTable back = mf::LoadOutputSizes(again);
    MF_FUZZ_CHECK(back.count == table.count);
    for (int i = 1; i < table.count && i < back.count; ++i)
        MF_FUZZ_CHECK(sameSize(back.sizes[std::size_t(i)], table.sizes[std::size_t(i)]));
    if (table.count > 1)
        mf::fuzz::readerSucceeded();
    return 0;
}
