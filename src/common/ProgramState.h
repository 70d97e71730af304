#pragma once

#include <QString>

namespace tarnvik {

// The program's title, shown on message boxes that have no other title.
inline constexpr const char *ProgramTitle = "Tarnvik";

inline constexpr const char *DatabaseFileName = "tarnvik.mdb";
inline constexpr const char *SettingsFileName = "tarnvik.ini";
inline constexpr const char *LanguageFileName = "LANGUAGE.DAT";

// The fixed parts of the connection string around the database path. The
// data layer takes the file from the text after "Data Source=".
inline constexpr const char *ConnStringPrefix = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
inline constexpr const char *ConnStringSuffix = ";Persist Security Info=False;Jet OLEDB:Database Password=qelvorntab";

// The program-wide values, one instance each, living as long as the program.
struct ProgramState {
    // Full path of the database in use, and the connection string built from it.
    static inline QString DbPath;
    static inline QString ConnString;
    // Number of the current language in the language file; 0 until settled.
    static inline qint16 CurrentLang = 0;
    // True while the main window's start-up runs.
    static inline bool Loading = false;
    // True once the "no pay period set" message was shown in this run.
    static inline bool PeriodeMsgShown = false;
    // The text typed into the last administration prompt and the stored
    // scrambled password that the last check read.
    static inline QString PassEntered;
    static inline QString PassStored;
    // Whether the about box shows the main window again when it closes.
    static inline bool ShowMainAfterInfo = false;
    // Coordination between the archive and the correction windows.
    static inline bool OpeningModifier = false;
    static inline bool RefreshingPunches = false;

    // Back to the values of a program that has just started.
    static void reset();
};

// The connection string for a database path.
QString buildConnString(const QString &databasePath);
// The database path named by a connection string: the text after
// "Data Source=" up to the next ";".
QString databasePathOf(const QString &connString);
// The connection string every data source carries until its window loads:
// the bare file name, resolved against the current folder.
QString designConnString();

// The name standing for "no project": "None" when the language number is 1,
// "Aucun" for every other number. Worked out again at each call.
QString NoProjectName();

} // namespace tarnvik
