#pragma once

#include <QString>
#include <QVector>

namespace tarnvik {

// Returns the text of a string number in the current language, loading the
// language file on first use. -1 loads the file again (after a language
// change) and returns the empty text; a number outside the table gives
// "Invalid Index".
QString LOC_RTString(qint32 index);

// The string lookup's state: the texts of the current language, read from the
// language file "LANGUAGE.DAT" in the program's folder. The language number
// itself is ProgramState::CurrentLang; the user's choice is kept in the field
// Lang of the settings row (table Acces).
class LOCRTSModule {
public:
    // The texts by number; "" for a number that no line of the file set.
    static inline QVector<QString> StringTable;
    // Handle number of the file used by the last load; 0 until the first load,
    // so that any other value means the table is loaded.
    static inline qint16 FileNum = 0;

    // Loads the language file (again); what LOC_RTString(-1) does. A call made
    // while a load waits for the user (the chooser, a message box) does nothing.
    static void load();

    // Ends the program with the "not found" message when the program folder
    // holds no language file; start-up calls it before it makes any file there.
    static void requireLanguageFile();

    // A database that the station has found unusable (not a station
    // database, unreadable, damaged) and reports itself, naming it: until
    // another one is set (an empty path for none), the load neither reads
    // nor stores the language there, as for a database that is missing, so
    // that the station's message naming the file is the first the user sees.
    static void setUnusableDatabase(const QString &path);

    // The command line searched for "/L=": by default the program's arguments
    // after its own name, joined by blanks. A null text brings the default back.
    static void setCommandLine(const QString &commandLine);
    static QString commandLine();

    // Back to "not loaded" with an empty table and the program's own command line.
    static void reset();
};

} // namespace tarnvik
