#pragma once

#include <QSqlDatabase>
#include <QString>

namespace tarnvik::Database::detail {

// Sets a newly opened connection up: write-ahead log and synchronous
// commits. False (and the reason) when the file refuses it.
bool configure(QSqlDatabase &db, QString *error);

} // namespace tarnvik::Database::detail
