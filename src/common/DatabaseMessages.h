#pragma once

#include "common/Database.h"

#include <QString>

namespace tarnvik {

// The localised message telling the user why a database file cannot be used,
// naming the file.
QString databaseProblemText(const Database::Status &status);

} // namespace tarnvik
