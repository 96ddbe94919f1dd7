#pragma once
// The source folder list: adding, scanning, selecting, moving, removing, drawing rules and
// the two thumbnails of a numbered folder.

#include "platform/Services.h"
#include "project/ProjectState.h"

#include <QColor>
#include <QStringList>

#include <optional>

namespace mf {

inline constexpr quint64 kSelectGuardMs = 500;

struct ScanCounts {
    int subfolders = 0;
    int files = 0;
    int jpegs = 0; // photos (isPhotoName) at any depth
    // Entries whose names are not valid text (Shift-JIS names from a zip archive made on
    // Windows): they cannot be counted or copied, and the operator must hear of them.
    QStringList undecodable;
};

// The project's own folders, which scanning and numbering never enter: the save folder where
// it lies below a source folder, and the folders the program writes directly in the save
// folder (the numbered photos among them), where the save folder is a source itself.
// Otherwise a save folder inside a source with its subfolders taken would be numbered again.
class OwnFolders {
public:
    OwnFolders() = default;
    explicit OwnFolders(const QString &saveFolder);
    // folder is a subfolder met while walking a source folder.
    bool skips(const QString &folder) const;

private:
    QString m_saveFolder; // canonical, empty when there is none yet
};

// Adds the counts of everything below path to counts, leaving out the project's own
// folders. A folder that cannot be listed adds nothing.
void ScanFolder(const QString &path, ScanCounts &counts, const OwnFolders &own = {});

// The photos directly in path (isPhotoName); their names go to names when given.
int CountDirectJpegs(const QString &path, QStringList *names = nullptr);

// The highest photo number among the numbered photos of the project, 0 when there are none
// or when the project name or save folder is missing.
int HighestPhotoNumber(const ProjectState &state);

// Sets headings, widths and row numbers of the grid.
void setupGrid(ProjectState &state);

// Appends one folder. False when it was not added (list full, or a path the project file
// could not hold), after telling the operator why.
bool AddFolder(ProjectState &state, Prompter &prompter, const QString &path);

// BitBtn1Click after the chooser: an empty path means nothing was chosen.
void addChosenFolder(ProjectState &state, Prompter &prompter, const QString &path);

// Folders dropped from the file manager, in drop order.
void dropFolders(ProjectState &state, Prompter &prompter, const QStringList &paths,
                 bool inClientArea);

// StringGrid1SelectCell. False when the selection came within 500 ms of the last one and
// was ignored.
bool selectCell(ProjectState &state, Clock &clock, int row, int column);

// The row buttons for the selected row (after selections, moves and removals).
void refreshRowButtons(ProjectState &state);

void moveRowUp(ProjectState &state, Prompter &prompter);   // BitBtn2Click
void moveRowDown(ProjectState &state, Prompter &prompter); // BitBtn3Click
void removeRow(ProjectState &state, Prompter &prompter);   // BitBtn4Click

// Thumbnails.
void clearThumbnails(ProjectState &state);
// Loads a photo into the first or last thumbnail; a missing or undecodable file leaves both
// thumbnails as they are. Returns true when the photo was drawn.
bool loadThumbnail(ProjectState &state, const QString &file, bool first);
QSize thumbnailSize(int width, int height);

// Drawing rules of the grid.
enum class CheckGlyph { None, Empty, Ticked };
struct CellStyle {
    std::optional<QColor> background;
    bool selectedText = false; // drawn on the dark selection colour
    CheckGlyph check = CheckGlyph::None;
};
CellStyle cellStyle(const ProjectState &state, int row, int column);

// The entries listed one per line for a message, at most the first ten.
QString undecodableList(const QStringList &entries);

// Texts of the messages, shared with the windows and the tests.
namespace msg {
inline const QString listFull = QStringLiteral("リストがいっぱいです。");
inline const QString ordersEntered = QStringLiteral("既に注文が入力されています。");
inline const QString sequenceExists =
    QStringLiteral("既に連番ファイルが作成されています。\n続行する場合は「はい」を、中止する場合は"
                   "「いいえ」を選んでください。");
inline const QString pathTooLong =
    QStringLiteral("フォルダのパスが長すぎるので追加出来ません。\n%1");
inline const QString undecodableNames = QStringLiteral(
    "以下のファイルまたはフォルダは名前の文字コードが正しくない（Shift-JISなど）ので、数えられて"
    "いません。\n名前を直すまで、そのフォルダの連番ファイルは作成出来ません。\n\n%1");
inline const QString pathNotStorable =
    QStringLiteral("フォルダのパスにプロジェクトファイルに保存出来ない文字（カンマ、タブ、改行、"
                   "またはShift-JISで表せない文字）が含まれているので追加出来ません。\n%1");
inline const QString pathWrittenByMac = QStringLiteral(
    "フォルダ名「%1」はMacで付けられた名前で、濁点・半濁点が別の文字として書かれているので追加"
    "出来ません。\nこのパソコンでフォルダの名前を付け直してから追加してください。\n%2");
inline const QString pathCharNotStorable = QStringLiteral(
    "フォルダ名「%1」の「%2」はShift-JISで表せない文字なので、プロジェクトファイルに保存出来ず"
    "追加出来ません。\nこの文字を除いたフォルダの名前に変えてから追加してください。\n%3");
} // namespace msg

} // namespace mf
