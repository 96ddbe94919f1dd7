#include "sheets/OutputSize.h"

#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFile.h"

#include <QFile>

#include <algorithm>
#include <climits>

namespace mf {

namespace {

const QString kFileName = programFileName(programfile::kCustomSizes);
const QByteArray kSeparatorLine(52, '-');

// fgets with a buffer of 2048 bytes: at most 2047 bytes of a line, its LF included.
constexpr int kLineBuffer = 2048;

struct Range {
    int min;
    int max;
};

constexpr Range kDpiRange{72, 400};

// The numbers after the label, in file order.
struct NumberField {
    int OutputSize::*member;
    Range range;
};
constexpr NumberField kNumberFields[] = {
    {&OutputSize::paperWidth, {1, 18724}},     {&OutputSize::paperHeight, {1, 18724}},
    {&OutputSize::columns, {1, 100}},          {&OutputSize::rows, {1, 100}},
    {&OutputSize::photoWidth, {1, 4096}},      {&OutputSize::photoHeight, {1, 4096}},
    {&OutputSize::paperWidthMm, {83, 1189}},   {&OutputSize::paperHeightMm, {83, 1189}},
    {&OutputSize::rightMargin, {1, 999}},      {&OutputSize::leftMargin, {1, 999}},
    {&OutputSize::topMargin, {1, 999}},        {&OutputSize::bottomMargin, {1, 999}},
    {&OutputSize::numberFontHeight, {5, 400}},
};
constexpr int kRecordLines = 3 + int(std::size(kNumberFields));

bool inRange(int value, Range r)
{
    return value >= r.min && value <= r.max;
}

int clampToInt(qint64 v)
{
    return int(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}

// Gap between cells along one direction; the numbers may come from a file, so the products
// are taken in 64 bits.
int gap(int paper, int marginA, int marginB, int cell, int count)
{
    if (count < 1)
        return -1; // no cells: never usable
    const qint64 rest = qint64(paper) - marginA - marginB - qint64(cell) * count;
    if (count == 1)
        return clampToInt(rest);
    return clampToInt(rest / (count - 1));
}

struct Scan {
    OutputSizeTable table;
    bool opened = false;
    // Every line belongs to a valid record that was taken into the table.
    bool clean = false;
};

Scan emptyScan()
{
    Scan scan;
    scan.table.sizes[0] = builtInOutputSize();
    scan.table.count = 1;
    return scan;
}

// Takes the records of an opened file, up to the first one that is not valid.
Scan scanRecords(LineReader &reader)
{
    Scan scan = emptyScan();
    scan.opened = true;
    OutputSize size;
    int position = 0;
    QByteArray line;
    for (;;) {
        if (scan.table.count >= kOutputSizeSlots) {
            scan.clean = !reader.readLine(&line);
            return scan;
        }
        if (!reader.readLine(&line)) {
            scan.clean = position == 0;
            return scan;
        }
        chopOneLineEnd(&line);
        bool valid = true;
        if (position == 0) {
            valid = line.startsWith('-');
        } else if (position == 2) {
            size.label = fromCp932(line);
        } else {
            const int value = parseAtol(line);
            if (position == 1) {
                valid = !line.isEmpty() && inRange(value, kDpiRange);
                size.dpi = value;
            } else {
                const NumberField &f = kNumberFields[position - 3];
                valid = !line.isEmpty() && inRange(value, f.range);
                size.*f.member = value;
            }
        }
        // Once a record is invalid nothing after it is ever taken, so reading can stop.
        if (!valid)
            return scan;
        if (++position == kRecordLines) {
            if (ColumnGap(size) < 0 || RowGap(size) < 0)
                return scan;
            scan.table.sizes[scan.table.count++] = size;
            size = OutputSize();
            position = 0;
        }
    }
}

Scan scanCustomSizes(const QString &path)
{
    LineReader reader(kLineBuffer, LongLines::Split);
    if (!reader.open(path))
        return emptyScan();
    const Scan scan = scanRecords(reader);
    // The sizes before a failed read are not the file's: a size registered after them would
    // be counted against the wrong table. The file is taken as one that cannot be opened.
    return reader.readFailed() ? emptyScan() : scan;
}

} // namespace

OutputSize builtInOutputSize()
{
    OutputSize s;
    s.dpi = 300;
    s.label = QStringLiteral("W六つ切り 300dpi[4×4]( 3602px*2397px) 35mmフィルム");
    s.paperWidth = 3602;
    s.paperHeight = 2397;
    s.columns = 4;
    s.rows = 4;
    s.photoWidth = 785;
    s.photoHeight = 560;
    s.paperWidthMm = 305;
    s.paperHeightMm = 203;
    s.rightMargin = 165;
    s.leftMargin = 165;
    s.topMargin = 60;
    s.bottomMargin = 50;
    s.numberFontHeight = 24;
    return s;
}

int ColumnGap(const OutputSize &size)
{
    return gap(size.paperWidth, size.leftMargin, size.rightMargin, size.photoWidth, size.columns);
}

int RowGap(const OutputSize &size)
{
    return gap(size.paperHeight, size.topMargin, size.bottomMargin, size.photoHeight, size.rows);
}

int millimetresToPixels(int dpi, int millimetres)
{
    return clampToInt(qint64(dpi) * millimetres * 10 / 254);
}

int PixelsToMm(int pixels, int dpi)
{
    if (dpi == 0)
        return 0;
    return clampToInt(qint64(pixels) * 254 / 10 / dpi);
}

bool isUsableOutputSize(const OutputSize &size)
{
    if (!inRange(size.dpi, kDpiRange))
        return false;
    for (const NumberField &f : kNumberFields) {
        if (!inRange(size.*f.member, f.range))
            return false;
    }
    return ColumnGap(size) >= 0 && RowGap(size) >= 0;
}

OutputSizeTable LoadOutputSizes(const QString &programFolder)
{
    return scanCustomSizes(joinPath(programFolder, kFileName)).table;
}

QString FormatSizeLabel(int dpi, int columns, int rows, int paperWidth, int paperHeight,
                        const QString &name)
{
    // Filled in one pass, so a "%1" in the name stays as typed.
    const auto padded = [](int n, int width) {
        return QString::number(n).rightJustified(width, u' ');
    };
    return QStringLiteral("%1dpi[%2×%3](%4px*%5px) %6")
        .arg(padded(dpi, 3), padded(columns, 2), padded(rows, 2), padded(paperWidth, 4),
             padded(paperHeight, 4), name);
}

int AppendCustomSize(const QString &programFolder, const OutputSize &size)
{
    // The label must come back as it went in: one line, in Shift-JIS, short enough for the
    // reader's line buffer, and without a last byte the reader would take for a line end.
    const QString label = toCp932Spelling(size.label);
    QByteArray labelBytes;
    if (label.contains(u'\r') || label.contains(u'\n') || label.endsWith(QChar(0x1a)) ||
        !encodeCp932(label, &labelBytes) || labelBytes.size() > kLineBuffer - 2)
        return AppendCustomSizeBadLabel;
    if (!isUsableOutputSize(size))
        return AppendCustomSizeInvalid;

    const QString path = joinPath(programFolder, kFileName);
    QByteArray record;
    if (pathExists(path)) {
        const Scan scan = scanCustomSizes(path);
        if (!scan.opened)
            return AppendCustomSizeWriteFailed;
        if (!scan.clean)
            return AppendCustomSizeFileDamaged;
        if (scan.table.count >= kOutputSizeSlots)
            return AppendCustomSizeFileFull;
        // A last line without its line end would swallow the separator of the new record.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return AppendCustomSizeWriteFailed;
        if (file.size() > 0) {
            if (!file.seek(file.size() - 1))
                return AppendCustomSizeWriteFailed;
            const QByteArray last = file.read(1);
            if (last.size() != 1)
                return AppendCustomSizeWriteFailed;
            if (last[0] == '\r')
                record += '\n';
            else if (last[0] != '\n')
                record += "\r\n";
        }
    }

    record += kSeparatorLine + "\r\n";
    record += QByteArray::number(size.dpi) + "\r\n";
    record += labelBytes + "\r\n";
    for (const NumberField &f : kNumberFields)
        record += QByteArray::number(size.*f.member) + "\r\n";
    return appendRecord(path, record) ? AppendCustomSizeOk : AppendCustomSizeWriteFailed;
}

} // namespace mf
