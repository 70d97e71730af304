#include "admin/PunchArchive.h"

#include "common/Database.h"
#include "common/DateFormat.h"
#include "common/Recordset.h"

#include <QSqlQuery>

namespace tarnvik::PunchArchive {

namespace {
// Within one employee, project and sub-project: the newest day first, and
// within a day the earliest time first.
const QString kEmployeeOrder = QStringLiteral("ORDER BY Projet, SousProjet, PunchDateShort DESC, PunchTime");
} // namespace

SqlQuery listQuery(bool archived)
{
    return SqlQuery(QStringLiteral("SELECT * FROM Punch WHERE Archived = %1 "
                                   "ORDER BY NoVendeur, Projet, SousProjet, PunchDateShort DESC, PunchTime")
                        .arg(archived ? 1 : 0));
}

SqlQuery employeeQuery(const QString &number, bool archived)
{
    return SqlQuery(
        QStringLiteral("SELECT * FROM Punch WHERE NoVendeur = ? AND Archived = %1 ").arg(archived ? 1 : 0) +
            kEmployeeOrder,
        {number});
}

SqlQuery employeesQuery()
{
    return SqlQuery("SELECT * FROM Vendeurs WHERE NomVendeur Is Not Null ORDER BY NoVendeur");
}

SqlQuery subProjectNamesQuery()
{
    return SqlQuery("SELECT SousProjet FROM Projets WHERE SousProjet <> '' ORDER BY SousProjet");
}

bool purge(const QString &databasePath, const QDate &upTo, qint64 *deleted, QString *error)
{
    *deleted = 0;
    qint64 count = 0;
    const bool purged = Transaction::together(
        databasePath,
        [&](const QSqlDatabase &db, QString *why) {
            QSqlQuery q(db);
            if (!Database::run(q, QStringLiteral("DELETE FROM Punch WHERE PunchDateShort <= ?"),
                               {toStoredDate(upTo)}, why))
                return false;
            count = q.numRowsAffected();
            return true;
        },
        error);
    if (purged)
        *deleted = count;
    return purged;
}

QVariantMap currentRow(Recordset &rs)
{
    QVariantMap row;
    if (!rs.isOpen() || rs.isEOF() || rs.isBOF())
        return row;
    for (const QString &name : rs.fieldNames())
        row.insert(name, rs.value(name));
    return row;
}

bool moveToRow(Recordset &rs, const QVariantMap &row)
{
    if (!rs.isOpen() || !rs.MoveFirst() || row.isEmpty())
        return false;
    QVector<int> columns;
    QVector<QVariant> wanted;
    for (const QString &name : rs.fieldNames()) {
        columns << rs.fieldIndex(name);
        wanted << row.value(name);
    }
    // The rows are compared where they lie, without moving the cursor (and
    // without reading more than the rows up to the one found).
    for (qint64 position = 0;; ++position) {
        if (position >= rs.fetchedCount() && (rs.fetchedAll() || rs.fetchMore(256) == 0))
            break;
        bool same = true;
        for (int i = 0; same && i < columns.size(); ++i)
            same = rs.valueAt(position, columns[i]) == wanted[i];
        if (same)
            return rs.setBookmark(position + 1);
    }
    return false;
}

bool addHandPunch(Recordset &rs, const QString &number, const QDateTime &now)
{
    return rs.AddNew() && rs.setValue(QStringLiteral("PunchDateLong"), QString::fromUtf8(AddedMarker)) &&
           rs.setValue(QStringLiteral("NoVendeur"), number) && rs.setValue(QStringLiteral("Archived"), 0) &&
           rs.setValue(QStringLiteral("InOut"), QStringLiteral("In")) &&
           rs.setValue(QStringLiteral("PunchDateShort"), now.date()) &&
           rs.setValue(QStringLiteral("PunchTime"), now.time());
}

} // namespace tarnvik::PunchArchive
