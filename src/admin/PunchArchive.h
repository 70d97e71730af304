#pragma once

#include "common/DataSource.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace tarnvik {

class Recordset;

// The punch lists of the archive and correction windows, the purge, and the
// hand-made changes of the correction window, without any screen.
namespace PunchArchive {

// The text a punch added by hand carries in PunchDateLong.
inline constexpr const char *AddedMarker = "Heure / date ajoutée";

// Every current (archived = false) or archived punch, by employee number,
// project and sub-project, the newest day first and within a day the
// earliest time first.
SqlQuery listQuery(bool archived);

// The punches of one employee, current or archived, in the same order
// without the leading employee number.
SqlQuery employeeQuery(const QString &number, bool archived);

// The employee rows by number (the correction window's list of employees).
SqlQuery employeesQuery();

// The sub-project names offered by the correction window: every name that
// is not empty, by name.
SqlQuery subProjectNamesQuery();

// Deletes every punch dated on or before the day, archived or not, in one
// transaction: all of them or none. Employee rows and presence rows are not
// touched. deleted receives how many punches went.
bool purge(const QString &databasePath, const QDate &upTo, qint64 *deleted, QString *error);

// The values of the current row by field name (empty when there is none).
QVariantMap currentRow(Recordset &rs);

// Moves the result to the first row holding exactly these values (the same
// punch read from another list); false, on its first row, when none does.
bool moveToRow(Recordset &rs, const QVariantMap &row);

// Appends a punch made by hand for an employee, dated by the moment given:
// "In", not archived, with the added-punch marker; nothing is stored until
// the row is updated or left.
bool addHandPunch(Recordset &rs, const QString &number, const QDateTime &now);

} // namespace PunchArchive

} // namespace tarnvik
