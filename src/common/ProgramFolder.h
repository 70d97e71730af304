#pragma once

#include <QString>

namespace tarnvik {

// The program's folder holds tarnvik.ini, LANGUAGE.DAT, the help documents and
// the default database. It is the folder of the executable, unless the
// environment variable TARNVIK_HOME names another one.
namespace ProgramFolder {

QString path();
// The program's folder joined with a file name ("/" between them).
QString file(const QString &name);
// Tests point the program at a folder of their own; an empty path goes back
// to the normal rule.
void setOverride(const QString &folder);

} // namespace ProgramFolder

// Joins a folder and a name with one "/" between them.
QString joinPath(const QString &folder, const QString &name);

} // namespace tarnvik
