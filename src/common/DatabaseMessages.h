#pragma once

#include "common/Database.h"

#include <QString>

namespace tarnvik {

// The localised message telling the user why a database file cannot be used,
// naming the file.
QString databaseProblemText(const Database::Status &status);
// The same, for a file chosen in the preferences and refused there: the
// station goes on with the database it is using.
QString databaseRefusedText(const Database::Status &status);

// The localised wording of a file's problem, which the station gives the
// database layer (Database::setProblemWording) so that a refused write says
// in the user's language what happened to which file.
QString localisedDatabaseProblem(Database::Problem problem, const QString &path, const QString &detail);

} // namespace tarnvik
