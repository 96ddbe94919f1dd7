#include "sheets/TitleData.h"

#include "platform/Codec.h"
#include "platform/FileSystem.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFile.h"
#include "sheets/OutputSize.h"

#include <QStringList>

namespace mf {

namespace {

constexpr int kLineBuffer = 2048;
constexpr int kMinHeight = 5;
constexpr int kMaxHeight = 4000;

char alignLetter(TitleAlign align)
{
    switch (align) {
    case TitleAlign::Centre: return 'C';
    case TitleAlign::Right: return 'R';
    case TitleAlign::Left: break;
    }
    return 'L';
}

// A free text field as it is stored: in its Shift-JIS spelling, cut to maxBytes between
// characters. False when it cannot be stored as one line.
bool storedText(const QString &text, int maxBytes, QString *out)
{
    QString mapped = toCp932Spelling(text);
    if (mapped.contains(u'\r') || mapped.contains(u'\n') || !fitsCp932(mapped))
        return false;
    *out = maxBytes > 0 ? leftCp932(mapped, maxBytes) : mapped;
    return true;
}

QString cutLine(const QByteArray &line, int maxBytes)
{
    return fromCp932(leftCp932Bytes(line, maxBytes));
}

void readHeight(const QByteArray &line, QString *field)
{
    if (line.isEmpty()) {
        *field = QStringLiteral("20");
        return;
    }
    const int value = parseAtol(line);
    if (value >= kMinHeight && value <= kMaxHeight)
        *field = QString::number(value);
}

// Line n (1 to 9) of the title data file, its line end included, into fields.
void readTitleLine(int n, QByteArray line, TitleFields &fields)
{
    chopOneLineEnd(&line);
    switch (n) {
    case 1: fields.title = cutLine(line, kTitleMaxBytes); break;
    case 2: readHeight(line, &fields.titleHeight); break;
    case 3: fields.showTitle = line == "ON"; break;
    case 4: fields.showPageNumber = line == "ON"; break;
    case 5:
        fields.pageOffset = line.isEmpty() ? QStringLiteral("0") : QString::number(parseAtol(line));
        break;
    case 6:
        if (!line.isEmpty()) {
            fields.align = line == "C"   ? TitleAlign::Centre
                           : line == "R" ? TitleAlign::Right
                                         : TitleAlign::Left;
        }
        break;
    case 7: readHeight(line, &fields.pageHeight); break;
    case 8: fields.pageLabel = cutLine(line, kPageTextMaxBytes); break;
    case 9: fields.pageSuffix = cutLine(line, kPageTextMaxBytes); break;
    }
}

} // namespace

TitleSettings titleSettingsFromFields(const TitleFields &fields)
{
    TitleSettings s;
    s.showTitle = fields.showTitle;
    s.title = fields.title;
    s.titleFontHeight = parseTypedNumber(fields.titleHeight);
    s.titleAlign = fields.align;
    s.showPageNumber = fields.showPageNumber;
    s.pageLabel = fields.pageLabel;
    s.pageSuffix = fields.pageSuffix;
    s.pageFontHeight = parseTypedNumber(fields.pageHeight);
    s.pageOffset = parseTypedNumber(fields.pageOffset);
    return s;
}

QString titleDataPath(const QString &programFolder, const QString &projectName)
{
    return joinPath(programFolder, programFileName(programfile::kTitleData, projectName));
}

int SaveTitleData(const QString &programFolder, const QString &projectName,
                  const TitleFields &fields, Prompter &prompter, const QString &titleText)
{
    if (!isEnterableDir(programFolder)) {
        prompter.inform(msg::programFolderMissing, QString());
        return TitleDataNoProgramFolder;
    }
    if (!isPlainFileName(projectName)) {
        prompter.inform(msg::titleDataBadProjectName, titleText);
        return TitleDataBadProjectName;
    }
    QString title, titleHeight, pageOffset, pageHeight, pageLabel, pageSuffix;
    if (!storedText(fields.title, kTitleMaxBytes, &title) ||
        !storedText(fields.titleHeight, 0, &titleHeight) ||
        !storedText(fields.pageOffset, 0, &pageOffset) ||
        !storedText(fields.pageHeight, 0, &pageHeight) ||
        !storedText(fields.pageLabel, kPageTextMaxBytes, &pageLabel) ||
        !storedText(fields.pageSuffix, kPageTextMaxBytes, &pageSuffix)) {
        prompter.inform(msg::titleDataUnsavableText, titleText);
        return TitleDataUnsavableText;
    }

    const QString path = titleDataPath(programFolder, projectName);
    if (!pathExists(path) &&
        prompter.ask(msg::titleDataConfirm.arg(path), titleText, Buttons::YesNo) != Answer::Yes)
        return TitleDataDeclined;

    const QString on = QStringLiteral("ON"), off = QStringLiteral("OFF");
    const QStringList lines{title,
                            titleHeight,
                            fields.showTitle ? on : off,
                            fields.showPageNumber ? on : off,
                            pageOffset,
                            QString(QLatin1Char(alignLetter(fields.align))),
                            pageHeight,
                            pageLabel,
                            pageSuffix};
    QByteArray content;
    if (!encodeLinesCrLf(lines, &content) || !saveFileAtomically(path, content)) {
        prompter.inform(msg::titleDataNotSaved, titleText);
        return TitleDataWriteFailed;
    }
    prompter.inform(msg::titleDataSaved.arg(path), titleText);
    return TitleDataOk;
}

int LoadTitleData(const QString &programFolder, const QString &projectName, TitleFields &fields,
                  Prompter &prompter)
{
    if (!isEnterableDir(programFolder)) {
        prompter.inform(msg::programFolderMissing, QString());
        return TitleDataNoProgramFolder;
    }
    // A name that could point outside the program folder has no file there to read.
    if (!isPlainFileName(projectName))
        return TitleDataBadProjectName;
    LineReader reader(kLineBuffer, LongLines::Split);
    if (!reader.open(titleDataPath(programFolder, projectName)))
        return TitleDataNoFile;

    // Read into a copy: a file that fails part way changes nothing, as one that cannot be opened.
    TitleFields read = fields;
    QByteArray line;
    for (int n = 1; n <= 9 && reader.readLine(&line); ++n)
        readTitleLine(n, line, read);
    if (reader.readFailed())
        return TitleDataNoFile;
    fields = read;
    return TitleDataOk;
}

TitleHeights AutoHeights(int topMargin)
{
    return {int(qint64(topMargin) * 2 / 3), topMargin / 2};
}

QString fontHeightLabel(int height, int dpi)
{
    return QStringLiteral("pix (%1mm)").arg(PixelsToMm(height, dpi));
}

} // namespace mf
