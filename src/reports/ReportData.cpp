#include "reports/ReportData.h"

#include "common/Database.h"
#include "common/DatabaseInternal.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <atomic>

namespace tarnvik {

namespace {

// The file's rows that a report run may show: report rows left there by an
// older program (a name or a total together with a project) are not.
const char *const kShownProjets = "NoVendeur Is Null AND TotalHeures Is Null";
const char *const kShownVendeurs = "NOT (NomVendeur Is Not Null AND Projet Is Not Null AND "
                                   "SousProjet Is Not Null)";

// Makes the run's own copy of a table: same columns, collations and indexes
// as in the file, rows in the same order with the same row identities.
bool copyTable(const QSqlDatabase &db, const QString &table, const QString &shown, QString *error)
{
    QSqlQuery q(db);
    if (!Database::run(
            q,
            QStringLiteral(
                "SELECT type, sql FROM main.sqlite_master WHERE tbl_name = ? AND type IN ('table', 'index') "
                "AND sql Is Not Null ORDER BY type = 'index'"),
            {table}, error))
        return false;
    QStringList statements;
    static const QRegularExpression createTable(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression createIndex(
        QStringLiteral("^\\s*CREATE\\s+(UNIQUE\\s+)?INDEX\\s+(IF\\s+NOT\\s+EXISTS\\s+)?"),
        QRegularExpression::CaseInsensitiveOption);
    while (q.next()) {
        QString sql = q.value(1).toString();
        if (q.value(0).toString() == QLatin1String("table"))
            sql.replace(createTable, QStringLiteral("CREATE TEMP TABLE "));
        else
            sql.replace(createIndex, QStringLiteral("CREATE \\1INDEX temp."));
        statements << sql;
    }
    q.finish();
    if (statements.isEmpty()) {
        *error = QStringLiteral("no such table: %1").arg(table);
        return false;
    }
    for (const QString &sql : std::as_const(statements)) {
        if (!Database::exec(db, sql, {}, error))
            return false;
    }
    // Rows keep their identities, so that a change found in the copy can be
    // made to the same row of the file.
    QStringList columns;
    if (!Database::run(q, QStringLiteral("PRAGMA main.table_info(%1)").arg(table), {}, error))
        return false;
    while (q.next())
        columns << q.value(1).toString();
    q.finish();
    const QString list = columns.join(QStringLiteral(", "));
    return Database::exec(
        db,
        QStringLiteral(
            "INSERT INTO temp.%1 (rowid, %2) SELECT rowid, %2 FROM main.%1 WHERE %3 ORDER BY rowid")
            .arg(table, list, shown),
        {}, error);
}

} // namespace

ReportData::~ReportData()
{
    close();
}

bool ReportData::open(const QString &databasePath, QString *error)
{
    close();
    static std::atomic<int> counter{0};
    const QString name = QLatin1String(Database::detail::ConnectionPrefix) +
                         QStringLiteral("report-%1:%2").arg(++counter).arg(databasePath);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        m_connection = name;
        if (!Database::detail::openForReading(db, databasePath, 5000, error)) {
            close();
            return false;
        }
        if (!Database::exec(db, QStringLiteral("PRAGMA temp_store = MEMORY"), {}, error) ||
            !Database::exec(db, QStringLiteral("BEGIN"), {}, error) ||
            !copyTable(db, QStringLiteral("Projets"), QLatin1String(kShownProjets), error) ||
            !copyTable(db, QStringLiteral("Vendeurs"), QLatin1String(kShownVendeurs), error)) {
            close();
            return false;
        }
    }
    return true;
}

void ReportData::close()
{
    if (m_connection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            Database::exec(db, QStringLiteral("ROLLBACK"));
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

QSqlDatabase ReportData::database() const
{
    return m_connection.isEmpty() ? QSqlDatabase() : QSqlDatabase::database(m_connection, false);
}

} // namespace tarnvik
