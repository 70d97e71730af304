#include "station/PunchStore.h"

#include "common/Clock.h"
#include "common/Database.h"
#include "common/DateFormat.h"
#include "station/PunchRules.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <vector>

namespace tarnvik {

namespace {

QVariant nullText()
{
    return QVariant(QMetaType(QMetaType::QString));
}

bool run(QSqlQuery &q, const QString &sql, const QVariantList &params, QString *error)
{
    if (!q.driver() || !q.driver()->isOpen()) {
        if (error->isEmpty())
            *error = QStringLiteral("the database is not open");
        return false;
    }
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        *error = q.lastError().text();
        return false;
    }
    for (const QVariant &v : params)
        q.addBindValue(v);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

// The employee row of a number: the first row holding it with a name.
const char *const kSetStatus = "UPDATE Vendeurs SET Status = ? WHERE rowid = (SELECT rowid FROM Vendeurs "
                               "WHERE NoVendeur = ? AND NomVendeur IS NOT NULL ORDER BY rowid LIMIT 1)";

const char *const kInsertPunch =
    "INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, PunchDateLong, "
    "Projet, SousProjet, Description) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";

} // namespace

PunchStore::PunchStore(const QString &databasePath) : m_path(databasePath) {}

QSqlDatabase PunchStore::db(QString *error) const
{
    error->clear();
    return Database::connection(m_path, error);
}

std::optional<PunchStore::LatestPunch> PunchStore::latestPunch(const QString &number) const
{
    QSqlQuery q(db(&m_error));
    if (!run(q,
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
    if (!run(q, QStringLiteral("SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = ? ORDER BY rowid"),
             {number}, &m_error))
        return e;
    while (q.next()) {
        e.anyRow = true;
        if (!q.value(0).isNull()) {
            e.hasEmployeeRow = true;
            e.name = q.value(0).toString();
            break;
        }
    }
    return e;
}

std::optional<QString> PunchStore::projectOf(const QString &subProject) const
{
    QSqlQuery q(db(&m_error));
    if (!run(q,
             QStringLiteral("SELECT Projet FROM Projets WHERE Projet <> '' AND SousProjet = ? "
                            "ORDER BY Projet LIMIT 1"),
             {subProject}, &m_error) ||
        !q.next())
        return std::nullopt;
    return q.value(0).toString();
}

PunchStore::Counts PunchStore::counts(const QString &number, const QString &subProject) const
{
    Counts c;
    QSqlQuery q(db(&m_error));
    if (!run(q,
             QStringLiteral("SELECT TOTAL(InOut = 'In'), TOTAL(InOut = 'Out') FROM Punch "
                            "WHERE NoVendeur = ? AND Archived = 0 AND SousProjet = ?"),
             {number, subProject}, &m_error) ||
        !q.next())
        return c;
    c.in = q.value(0).toInt();
    c.out = q.value(1).toInt();
    return c;
}

bool PunchStore::storePunch(const NewPunch &punch, QString *error)
{
    QString why;
    const auto failed = [&]() {
        m_error = why;
        if (error)
            *error = why;
        return false;
    };
    QSqlDatabase database = db(&why);
    if (!database.isOpen())
        return failed();
    Transaction tx(database);
    if (!tx.ok()) {
        why = tx.error();
        return failed();
    }
    const QVariant description = punch.description.isNull() ? nullText() : punch.description;
    if (!Database::exec(database, QLatin1String(kInsertPunch),
                        {punch.number, punch.inOut, toStoredDate(punch.date), toStoredTime(punch.time),
                         punch.dateLong, punch.project, punch.subProject, description},
                        &why))
        return failed();
    if (!Database::exec(database, QLatin1String(kSetStatus), {punch.inOut, punch.number}, &why))
        return failed();
    if (punch.inOut == QLatin1String(PunchRules::In)) {
        if (!Database::exec(
                database,
                QStringLiteral("INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES (?, ?, ?)"),
                {punch.number, punch.project, punch.subProject}, &why))
            return failed();
    } else if (punch.inOut == QLatin1String(PunchRules::Out)) {
        if (!Database::exec(database,
                            QStringLiteral("DELETE FROM Vendeurs WHERE rowid = (SELECT rowid FROM Vendeurs "
                                           "WHERE NoVendeur = ? AND SousProjet = ? AND Projet IS NOT NULL "
                                           "AND NomVendeur IS NULL ORDER BY rowid LIMIT 1)"),
                            {punch.number, punch.subProject}, &why))
            return failed();
    }
    if (!tx.commit()) {
        why = tx.error();
        return failed();
    }
    m_error.clear();
    return true;
}

bool PunchStore::endOfDay(const QString &description, int *closed, QString *error)
{
    QString why;
    const auto failed = [&]() {
        m_error = why;
        if (error)
            *error = why;
        if (closed)
            *closed = 0;
        return false;
    };
    QSqlDatabase database = db(&why);
    if (!database.isOpen())
        return failed();
    Transaction tx(database);
    if (!tx.ok()) {
        why = tx.error();
        return failed();
    }
    struct Presence {
        qint64 rowid;
        QVariant number, project, subProject;
    };
    std::vector<Presence> presences;
    {
        QSqlQuery q(database);
        if (!run(q,
                 QStringLiteral("SELECT rowid, NoVendeur, Projet, SousProjet FROM Vendeurs "
                                "WHERE Projet IS NOT NULL AND SousProjet IS NOT NULL ORDER BY rowid"),
                 {}, &why))
            return failed();
        while (q.next())
            presences.push_back({q.value(0).toLongLong(), q.value(1), q.value(2), q.value(3)});
    }
    for (const Presence &p : presences) {
        const QDateTime now = Clock::now();
        if (!Database::exec(database, QLatin1String(kInsertPunch),
                            {p.number, QLatin1String(PunchRules::Out), toStoredDate(now.date()),
                             toStoredTime(now.time()), formatDate(now, QLatin1String(DatePattern::Long)),
                             p.project, p.subProject, description},
                            &why))
            return failed();
        if (!Database::exec(database, QLatin1String(kSetStatus), {QLatin1String(PunchRules::Out), p.number},
                            &why))
            return failed();
        if (!Database::exec(database, QStringLiteral("DELETE FROM Vendeurs WHERE rowid = ?"), {p.rowid},
                            &why))
            return failed();
    }
    if (!tx.commit()) {
        why = tx.error();
        return failed();
    }
    if (closed)
        *closed = int(presences.size());
    m_error.clear();
    return true;
}

} // namespace tarnvik
