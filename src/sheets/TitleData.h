#pragma once
// The title settings dialog's fields and the title data file "<project>_title.dat" in the
// program folder that keeps them per project: nine lines, Shift-JIS, CR LF.

#include "platform/Services.h"
#include "project/Messages.h"
#include "sheets/TitleSettings.h"

#include <QString>

namespace mf {

inline constexpr int kTitleMaxBytes = 500;
inline constexpr int kPageTextMaxBytes = 20; // page label and page suffix

// The dialog's fields as the title data file stores them: the texts as typed, the switches
// and the alignment. Defaults are those of program start.
struct TitleFields {
    QString title;
    QString titleHeight = QStringLiteral("20");
    bool showTitle = false;
    bool showPageNumber = false;
    QString pageOffset = QStringLiteral("0");
    TitleAlign align = TitleAlign::Left;
    QString pageHeight = QStringLiteral("20");
    QString pageLabel = QStringLiteral("ページ ");
    QString pageSuffix;
};

// What the sheets draw from the fields: heights and offset read like atol (empty is 0),
// not range-checked; texts as they stand.
TitleSettings titleSettingsFromFields(const TitleFields &fields);

// "<project>_title.dat" in the program folder.
QString titleDataPath(const QString &programFolder, const QString &projectName);

enum TitleDataResult {
    TitleDataOk = 0,
    TitleDataNoProgramFolder = -1,
    TitleDataDeclined = -2,       // the operator did not want the new file
    TitleDataWriteFailed = -3,    // the old file, if any, is unchanged
    TitleDataBadProjectName = -4, // not usable as a file name
    TitleDataUnsavableText = -5,  // a field holds a line break or a character Shift-JIS lacks
    TitleDataNoFile = -6, // no file, or one that failed as it was read: the settings are unchanged
};

// Writes the nine lines, asking first when the file does not exist yet. 0 when saved (the
// dialog may close). Title, page label and page suffix are cut between characters to their
// byte limits, so that what is saved reads back whole.
int SaveTitleData(const QString &programFolder, const QString &projectName,
                  const TitleFields &fields, Prompter &prompter, const QString &titleText);

// Reads the file back into the fields; lines that are missing leave their fields as they are.
int LoadTitleData(const QString &programFolder, const QString &projectName, TitleFields &fields,
                  Prompter &prompter);

struct TitleHeights {
    int title = 0;
    int page = 0;
};

// Heights that fit a top margin: two thirds of it for the title, half for the page number.
TitleHeights AutoHeights(int topMargin);

// "pix (<mm>mm)" for a font height at a dpi, shown beside the height fields.
QString fontHeightLabel(int height, int dpi);

namespace msg {
inline const QString titleDataConfirm =
    QStringLiteral("タイトルデータを以下のファイルに保存します。\nよろしいですか？\n%1");
inline const QString titleDataNotSaved =
    QStringLiteral("タイトルデータファイルを保存出来ませんでした。");
inline const QString titleDataSaved =
    QStringLiteral("以下のタイトルデータファイルを保存しました。\n\n%1");
inline const QString titleDataBadProjectName = QStringLiteral(
    "プロジェクト名がファイル名として使えないので、タイトルデータを保存出来ません。\n"
    "プロジェクト名が空でないか、「/」、改行、タブやShift-JISで表せない文字が"
    "含まれていないか確認してください。");
inline const QString titleDataUnsavableText =
    QStringLiteral("タイトル設定に改行またはShift-JISで表せない文字が含まれているので、"
                   "タイトルデータを保存出来ません。");
} // namespace msg

} // namespace mf
