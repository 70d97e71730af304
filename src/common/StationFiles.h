#pragma once

#include <QString>
#include <QStringList>

namespace tarnvik {

// The station's own files, which no save or export ever writes over, renames
// or deletes: the database in use, the one the settings file names and the
// default one, each with the files SQLite keeps beside it (-wal, -shm,
// -journal); the settings file; the language file; the help documents (the
// HTML files of the program's folder) and the program itself.
//
// Every path that a save or export is about to write goes through here, so
// that one place decides what the station keeps for itself.
namespace StationFiles {

// The paths of the station's own files, as they are named now.
QStringList ownFiles();

// The own file that path names, by any of its names (a symbolic link, a
// hard link, "." and ".." in it); empty when path names none of them.
QString ownFileAt(const QString &path);

// Why path cannot be written, in the user's language, naming the file; empty
// when it is not one of the station's own files. The writers put it in their
// own "cannot be written" message.
QString refusal(const QString &path);

} // namespace StationFiles
} // namespace tarnvik
