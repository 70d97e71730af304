#include "station/PunchStore.h"

#include "common/Clock.h"
#include "common/Database.h"
#include "common/DateFormat.h"
#include "station/PunchRules.h"

#include <QSqlError>
#include <QSqlQuery>

#include <vector>

namespace tarnvik {

namespace {

QVariant nullText()
{
    return QVariant(QMetaType(QMetaType::QString));
}

// The employee row of a number: the first row holding it with a name.
const char *const kSetStatus = "UPDATE Vendeurs SET Status = ? WHERE rowid = (SELECT rowid FROM Vendeurs "
                               "WHERE NoVendeur = ? AND NomVendeur IS NOT NULL ORDER BY rowid LIMIT 1)";

const char *const kInsertPunch =
    "INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, PunchDateLong, "
    "Projet, SousProjet, Description) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";

} // namespace

PunchStore::PunchStore(const QString &databasePath) : m_path(databasePath) {}

PunchStore::PunchStore(const QSqlDatabase &connection)
    : m_path(connection.databaseName()), m_connection(connection)
{
}

QSqlDatabase PunchStore::db(QString *error) const
{
    error->clear();
    if (m_connection.isValid()) {
        if (!m_connection.isOpen())
            *error = QStringLiteral("the database is not open");
        return m_connection;
    }
    return Database::connection(m_path, error);
}

std::optional<PunchStore::LatestPunch> PunchStore::latestPunch(const QString &number) const
{
    QSqlQuery q(db(&m_error));
    if (!Database::run(
            q,
            QStringLiteral("SELECT InOut, PunchTime, PunchDateShort FROM Punch WHERE NoVendeur = ? "
                           "ORDER BY PunchDateShort DESC, PunchTime DESC LIMIT 1"),
            {number}, &m_error) ||
        !q.next())
        return std::nullopt;
    return LatestPunch{q.value(0).toString(), q.value(1), q.value(2)};
}

PunchStore::Employee PunchStore::findEmployee(const QString &number) const
{
    Employee e;
    QSqlQuery q(db(&m_error));
    if (!Database::run(q,
                       QStringLiteral("SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = ? ORDER BY rowid"),
                       {number}, &m_error)) {
        e.error = m_error;
        return e;
    }
    while (q.next()) {
        e.anyRow = true;
        if (!q.value(0).isNull()) {
            e.hasEmployeeRow = true;
            e.name = q.value(0).toString();
            break;
        }
    }
    if (q.lastError().isValid())
        e.error = q.lastError().text();
    return e;
}

std::optional<QString> PunchStore::projectOf(const QString &subProject) const
{
    QSqlQuery q(db(&m_error));
    if (!Database::run(q,
                       QStringLiteral("SELECT Projet FROM Projets WHERE Projet <> '' AND SousProjet = ? "
                                      "ORDER BY Projet LIMIT 1"),
                       {subProject}, &m_error) ||
        !q.next())
        return std::nullopt;
    return q.value(0).toString();
}

bool PunchStore::readCounts(const QSqlDatabase &database, const QString &number, const QString &subProject,
                            Counts *counts, QString *error) const
{
    QSqlQuery q(database);
    if (!Database::run(q,
                       QStringLiteral("SELECT TOTAL(InOut = 'In'), TOTAL(InOut = 'Out') FROM Punch "
                                      "WHERE NoVendeur = ? AND Archived = 0 AND SousProjet = ?"),
                       {number, subProject}, error) ||
        !q.next()) {
        if (error->isEmpty())
            *error = q.lastError().text();
        return false;
    }
    counts->in = q.value(0).toInt();
    counts->out = q.value(1).toInt();
    return true;
}

PunchStore::Counts PunchStore::counts(const QString &number, const QString &subProject) const
{
    Counts c;
    const QSqlDatabase database = db(&m_error);
    if (!readCounts(database, number, subProject, &c, &m_error)) {
        c = Counts();
        c.error = m_error;
    }
    return c;
}

bool PunchStore::writeTogether(const std::function<bool(const QSqlDatabase &, QString *)> &writes,
                               QString *error)
{
    QString why;
    QSqlDatabase database = db(&why);
    // The write lock is taken at the start, so what the writes read first
    // (counts, presence rows) is what they are stored against.
    const bool stored =
        database.isOpen() && Transaction::together(
                                 database, [&](QString *reason) { return writes(database, reason); }, &why,
                                 Transaction::Lock::Immediate);
    m_error = stored ? QString() : why;
    if (error)
        *error = m_error;
    return stored;
}

bool PunchStore::writePunch(const QSqlDatabase &database, const NewPunch &punch, QString *why)
{
    const QVariant description = punch.description.isNull() ? nullText() : punch.description;
    if (!Database::exec(database, QLatin1String(kInsertPunch),
                        {punch.number, punch.inOut, toStoredDate(punch.date), toStoredTime(punch.time),
                         punch.dateLong, punch.project, punch.subProject, description},
                        why) ||
        !Database::exec(database, QLatin1String(kSetStatus), {punch.inOut, punch.number}, why))
        return false;
    if (punch.inOut == QLatin1String(PunchRules::In))
        return Database::exec(
            database, QStringLiteral("INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES (?, ?, ?)"),
            {punch.number, punch.project, punch.subProject}, why);
    if (punch.inOut == QLatin1String(PunchRules::Out))
        return Database::exec(database,
                              QStringLiteral("DELETE FROM Vendeurs WHERE rowid = (SELECT rowid FROM Vendeurs "
                                             "WHERE NoVendeur = ? AND SousProjet = ? AND Projet IS NOT NULL "
                                             "AND NomVendeur IS NULL ORDER BY rowid LIMIT 1)"),
                              {punch.number, punch.subProject}, why);
    return true;
}

bool PunchStore::storePunch(const NewPunch &punch, QString *error)
{
    return writeTogether(
        [&](const QSqlDatabase &database, QString *why) { return writePunch(database, punch, why); }, error);
}

PunchStore::Outcome PunchStore::storeDecidedPunch(const NewPunch &punch, const QString &given, QString *error)
{
    bool changed = false;
    const bool stored = writeTogether(
        [&](const QSqlDatabase &database, QString *why) {
            Counts now;
            if (!readCounts(database, punch.number, punch.subProject, &now, why))
                return false;
            const PunchRules::Decision decision =
                PunchRules::decide(given, now.in, now.out, punch.number.isEmpty());
            if (decision.refusal != PunchRules::Refusal::None || decision.direction != punch.inOut) {
                changed = true;
                *why = QStringLiteral("another punch of %1 on %2 was stored meanwhile")
                           .arg(punch.number, punch.subProject);
                return false;
            }
            return writePunch(database, punch, why);
        },
        error);
    if (stored)
        return Outcome::Stored;
    return changed ? Outcome::DirectionChanged : Outcome::Failed;
}

bool PunchStore::endOfDay(const QString &description, int *closed, QString *error)
{
    int count = 0;
    const bool stored = writeTogether(
        [&](const QSqlDatabase &database, QString *why) {
            struct Presence {
                qint64 rowid;
                QVariant number, project, subProject;
            };
            std::vector<Presence> presences;
            {
                QSqlQuery q(database);
                if (!Database::run(
                        q,
                        QStringLiteral(
                            "SELECT rowid, NoVendeur, Projet, SousProjet FROM Vendeurs "
                            "WHERE NomVendeur IS NULL AND Projet IS NOT NULL AND SousProjet IS NOT NULL "
                            "ORDER BY rowid"),
                        {}, why))
                    return false;
                while (q.next())
                    presences.push_back({q.value(0).toLongLong(), q.value(1), q.value(2), q.value(3)});
            }
            for (const Presence &p : presences) {
                const QDateTime now = Clock::now();
                if (!Database::exec(database, QLatin1String(kInsertPunch),
                                    {p.number, QLatin1String(PunchRules::Out), toStoredDate(now.date()),
                                     toStoredTime(now.time()),
                                     formatDate(now, QLatin1String(DatePattern::Long)), p.project,
                                     p.subProject, description},
                                    why) ||
                    !Database::exec(database, QLatin1String(kSetStatus),
                                    {QLatin1String(PunchRules::Out), p.number}, why) ||
                    !Database::exec(database, QStringLiteral("DELETE FROM Vendeurs WHERE rowid = ?"),
                                    {p.rowid}, why))
                    return false;
            }
            count = int(presences.size());
            return true;
        },
        error);
    if (closed)
        *closed = stored ? count : 0;
    return stored;
}

} // namespace tarnvik
