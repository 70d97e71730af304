#pragma once

#include <QString>

#include <optional>

namespace tarnvik {

// The file-system test the program uses before it reads a file.
namespace Fso {
bool FileExists(const QString &path);
}

// "tarnvik.ini": one line holding the database path in double quotes,
// followed by CR LF.
namespace SettingsFile {

QString path();                // in the program's folder
QString defaultDatabasePath(); // the program's folder and "tarnvik.mdb"

// The first field of the file, read as a sequential-file field: a quoted
// field may hold commas and ends at its closing quote; an unquoted one ends
// at the first comma or line end. std::nullopt when the file cannot be read.
std::optional<QString> readFirstField(const QString &file, QString *error = nullptr);
// Whether nothing at all stands at the path (not even a link naming nothing,
// a pipe or a device): only then is a start the first one.
bool isAbsent(const QString &file);
// Parses the first field out of the file's text.
QString firstField(const QString &text);

// Rewrites the file with the quoted path; false (and the reason) on failure
// and for a path holding a double quote, which the file cannot keep. The old
// content stays intact when the write fails. A new file gets the rights of a
// file the user saves (read and write as the user's mask allows); a file
// rewritten keeps its own.
bool writeDatabasePath(const QString &file, const QString &databasePath, QString *error = nullptr);

// Removes the temporary files that writes of the settings file interrupted
// in processes that no longer run left in the program's folder.
void removeStrayTemporaries();

} // namespace SettingsFile
} // namespace tarnvik
