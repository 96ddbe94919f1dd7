#pragma once
// Where the program keeps outputFmt.def, the work log and the project files.

#include <QString>
#include <QStringView>

namespace mf {

// How the name of each file the program keeps in its program folder is made: head, then five
// digits (a numbered file), the project's name (or the order file's base name), or nothing,
// then tail. Every writer and the start-up sweep of interrupted saves take their names from
// here, so that a file the program writes is never one the sweep does not know.
struct ProgramFileName {
    enum Middle { Nothing, Number, Name };
    QStringView head;
    Middle middle = Nothing;
    QStringView tail;
    bool savedWhole = false; // replaced through an atomic save, whose temporary a kill can leave
};

namespace programfile {
inline constexpr ProgramFileName kWorkLog{u"work_log.txt", ProgramFileName::Nothing, u"", true};
// The backups taken before the work log is pruned.
inline constexpr ProgramFileName kWorkLogBackup{u"work_log", ProgramFileName::Number, u".txt",
                                                true};
inline constexpr ProgramFileName kProject{u"project", ProgramFileName::Number, u".txt", true};
// The order file, here unless the operator keeps it elsewhere; any name the operator gives it.
inline constexpr ProgramFileName kOrders{u"", ProgramFileName::Name, u".csv", true};
inline constexpr ProgramFileName kOrderList{u"", ProgramFileName::Name, u"_注文リスト.txt", true};
inline constexpr ProgramFileName kTitleData{u"", ProgramFileName::Name, u"_title.dat", true};
inline constexpr ProgramFileName kWindowSettings{u"Marrowfold.ini", ProgramFileName::Nothing, u"",
                                                 true};
// Appended to, record by record.
inline constexpr ProgramFileName kCustomSizes{u"CustomSize.def", ProgramFileName::Nothing, u"",
                                              false};
// Only read; seeded by a whole-file copy.
inline constexpr ProgramFileName kOutputFormat{u"outputFmt.def", ProgramFileName::Nothing, u"",
                                               false};
inline constexpr ProgramFileName kProgramLock{u"marrowfold.lock", ProgramFileName::Nothing, u"",
                                              false};
inline constexpr ProgramFileName kAll[] = {
    kWorkLog,   kWorkLogBackup,  kProject,     kOrders,       kOrderList,
    kTitleData, kWindowSettings, kCustomSizes, kOutputFormat, kProgramLock};
} // namespace programfile

// The name of a file with nothing in the middle.
QString programFileName(const ProgramFileName &file);
// The name of a numbered file ("%05d").
QString programFileName(const ProgramFileName &file, int number);
// The name of a project's file.
QString programFileName(const ProgramFileName &file, const QString &name);
// True when name has the shape of one of the files the program replaces whole.
bool isSavedWholeProgramFileName(QStringView name);

// The executable's folder when it holds outputFmt.def and may be written (the build tree
// and a portable install). Otherwise the per-user data folder, which is created and, when
// it has no outputFmt.def yet, seeded with the copy beside the executable when there is
// one (a read-only portable install), else with the one installed in installedDataFolder.
// The result ends with a separator.
QString resolveProgramFolder(const QString &executableFolder, const QString &userDataFolder,
                             const QString &installedDataFolder);

} // namespace mf
