#pragma once

#include "reports/ReportSelection.h"

#include <QString>

namespace tarnvik {

// The report window's choices as they stand when it opens on a database: a
// report by project of every employee, archived and current punches, with
// detail, over the current pay period of the settings row (today alone when
// the row holds no period or no start day).
ReportSelection openingSelection(const QString &databasePath);

} // namespace tarnvik
