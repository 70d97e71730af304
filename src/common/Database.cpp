#include "common/Database.h"

#include "common/DateFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace tarnvik {

namespace {

const char *const kConnectionPrefix = "tarnvik-db:";
int g_busyTimeoutMs = 5000;

QString canonical(const QString &path)
{
    const QFileInfo info(path);
    const QString canon = info.canonicalFilePath();
    return canon.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canon;
}

struct TableColumns {
    const char *table;
    QStringList columns;
};

const QList<TableColumns> &requiredTables()
{
    static const QList<TableColumns> tables = {
        {"Punch",
         {"NoVendeur", "InOut", "PunchDateShort", "PunchTime", "PunchDateLong", "Projet", "SousProjet",
          "Description", "Archived"}},
        {"Vendeurs", {"NoVendeur", "NomVendeur", "Status", "Projet", "SousProjet", "TotalHeures"}},
        {"Projets", {"Projet", "SousProjet", "NoVendeur", "TotalHeures"}},
        {"Acces", {"RapPass", "Periode", "DateDebut", "Lang"}},
    };
    return tables;
}

bool configure(QSqlDatabase &db, QString *error)
{
    // Every committed write is on the disk before the commit returns; the
    // write-ahead log lets a grid read a large result while punches are stored.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    q.finish();
    q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    return true;
}

// The station's own tables with the columns it reads; empty when all present.
QString missingTables(const QSqlDatabase &db, QString *error, bool *notDatabase)
{
    *notDatabase = false;
    QStringList missing;
    for (const TableColumns &t : requiredTables()) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(t.table)))) {
            const QString text = q.lastError().text();
            if (error)
                *error = text;
            *notDatabase = text.contains(QLatin1String("not a database"), Qt::CaseInsensitive) ||
                           text.contains(QLatin1String("malformed"), Qt::CaseInsensitive);
            return QLatin1String(t.table);
        }
        QStringList present;
        while (q.next())
            present << q.value(1).toString().toLower();
        if (present.isEmpty()) {
            missing << QLatin1String(t.table);
            continue;
        }
        for (const QString &c : t.columns) {
            if (!present.contains(c.toLower()))
                missing << QLatin1String(t.table) + QLatin1Char('.') + c;
        }
    }
    return missing.join(QLatin1String(", "));
}

} // namespace

namespace Database {

QStringList schemaStatements()
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS Punch ("
                       "NoVendeur TEXT, InOut TEXT, PunchDateShort TEXT, PunchTime TEXT, "
                       "PunchDateLong TEXT, Projet TEXT COLLATE NOCASE, SousProjet TEXT COLLATE NOCASE, "
                       "Description TEXT, Archived INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Vendeurs ("
                       "NoVendeur TEXT, NomVendeur TEXT COLLATE NOCASE, Status TEXT, "
                       "Projet TEXT COLLATE NOCASE, SousProjet TEXT COLLATE NOCASE, TotalHeures TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Projets ("
                       "Projet TEXT COLLATE NOCASE, SousProjet TEXT COLLATE NOCASE, NoVendeur TEXT, "
                       "TotalHeures TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Acces ("
                       "RapPass TEXT, Periode INTEGER, DateDebut TEXT, Lang INTEGER)"),
        QStringLiteral("INSERT INTO Acces (RapPass) SELECT '' WHERE NOT EXISTS (SELECT 1 FROM Acces)"),
    };
}

QStringList indexStatements()
{
    return {
        // The latest punch of a number (status line).
        QStringLiteral("CREATE INDEX IF NOT EXISTS PunchByNumberDate ON Punch "
                       "(NoVendeur, PunchDateShort DESC, PunchTime DESC)"),
        // The current punches of a number on a sub-project (direction of a punch).
        QStringLiteral("CREATE INDEX IF NOT EXISTS PunchByNumberSubProject ON Punch "
                       "(NoVendeur, Archived, SousProjet, PunchDateShort, PunchTime)"),
        // Archiving, purging and reports by date.
        QStringLiteral("CREATE INDEX IF NOT EXISTS PunchByArchivedDate ON Punch (Archived, PunchDateShort)"),
        // Reports over a period of archived and current punches alike.
        QStringLiteral("CREATE INDEX IF NOT EXISTS PunchByDate ON Punch (PunchDateShort)"),
        // The archive window's order of current punches.
        QStringLiteral("CREATE INDEX IF NOT EXISTS PunchArchiveOrder ON Punch "
                       "(Archived, NoVendeur, Projet, SousProjet, PunchDateShort DESC, PunchTime)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS VendeursByNumber ON Vendeurs (NoVendeur)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ProjetsBySubProject ON Projets (SousProjet)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ProjetsByProject ON Projets (Projet)"),
    };
}

bool run(QSqlQuery &query, const QString &sql, const QVariantList &params, QString *error)
{
    QString ignored;
    QString &reason = error ? *error : ignored;
    if (!query.driver() || !query.driver()->isOpen()) {
        // Keep the reason the connection gave, when the caller has one.
        if (reason.isEmpty())
            reason = QStringLiteral("the database is not open");
        return false;
    }
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        reason = query.lastError().text();
        return false;
    }
    for (const QVariant &v : params)
        query.addBindValue(toStoredValue(v));
    if (!query.exec()) {
        reason = query.lastError().text();
        return false;
    }
    return true;
}

bool exec(const QSqlDatabase &db, const QString &sql, const QVariantList &params, QString *error)
{
    QSqlQuery q(db);
    return run(q, sql, params, error);
}

QSqlDatabase connection(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no database file is named");
        return QSqlDatabase();
    }
    const QString name = QLatin1String(kConnectionPrefix) + canonical(path);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            return db;
    }
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("the file does not exist");
        return QSqlDatabase();
    }
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(g_busyTimeoutMs));
    if (!db.open()) {
        if (error)
            *error = db.lastError().text();
        return QSqlDatabase();
    }
    QString configureError;
    if (!configure(db, &configureError)) {
        if (error)
            *error = configureError;
        db.close();
        return QSqlDatabase();
    }
    return db;
}

void setBusyTimeout(int milliseconds)
{
    g_busyTimeoutMs = milliseconds;
}

void closeAll()
{
    for (const QString &name : QSqlDatabase::connectionNames()) {
        if (!name.startsWith(QLatin1String(kConnectionPrefix)))
            continue;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}

Status ensure(const QString &path, bool createIfMissing)
{
    Status status;
    status.path = path;
    if (path.isEmpty()) {
        status.state = State::Missing;
        status.detail = QStringLiteral("no database file is named");
        return status;
    }
    const QFileInfo info(path);
    bool creating = false;
    if (!info.exists()) {
        if (!createIfMissing) {
            status.state = State::Missing;
            status.detail = QStringLiteral("the file does not exist");
            return status;
        }
        if (!info.absoluteDir().exists()) {
            status.state = State::CannotOpen;
            status.detail = QStringLiteral("the folder %1 does not exist").arg(info.absolutePath());
            return status;
        }
        creating = true;
    } else if (info.isFile() && info.size() == 0 && createIfMissing) {
        // An empty file is an empty SQLite database: give it its tables.
        creating = true;
    } else if (!info.isFile()) {
        status.state = State::CannotOpen;
        status.detail = QStringLiteral("it is not a file");
        return status;
    }

    QSqlDatabase db;
    if (creating) {
        // Create the file through a connection of its own so that the shared
        // connection never creates a file by accident.
        const QString name = QStringLiteral("tarnvik-create");
        {
            QSqlDatabase create = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            create.setDatabaseName(path);
            bool ok = create.open();
            QString error = ok ? QString() : create.lastError().text();
            if (ok) {
                ok = configure(create, &error);
                if (ok) {
                    Transaction tx(create);
                    ok = tx.ok();
                    error = tx.error();
                    for (const QString &sql : schemaStatements() + indexStatements()) {
                        if (!ok)
                            break;
                        ok = exec(create, sql, {}, &error);
                    }
                    if (ok && !tx.commit()) {
                        ok = false;
                        error = tx.error();
                    }
                }
            }
            create.close();
            if (!ok) {
                status.state = State::CannotOpen;
                status.detail = error;
            }
        }
        QSqlDatabase::removeDatabase(name);
        if (!status.detail.isEmpty()) {
            QFile::remove(path);
            return status;
        }
    }

    QString error;
    db = connection(path, &error);
    if (!db.isOpen()) {
        status.state = error.contains(QLatin1String("not a database"), Qt::CaseInsensitive)
                           ? State::NotADatabase
                           : State::CannotOpen;
        status.detail = error;
        return status;
    }
    bool notDatabase = false;
    const QString missing = missingTables(db, &error, &notDatabase);
    if (notDatabase) {
        status.state = State::NotADatabase;
        status.detail = error;
        closeAll();
        return status;
    }
    if (!missing.isEmpty()) {
        status.state = State::MissingTables;
        status.detail = missing;
        return status;
    }
    // Older files get the indexes too; a file that cannot be written keeps
    // working without them.
    for (const QString &sql : indexStatements())
        exec(db, sql);
    // A settings row must exist for the options and the password.
    exec(db, schemaStatements().last());
    status.state = creating ? State::Created : State::Ready;
    return status;
}

} // namespace Database

namespace {
std::atomic<int> g_savepointCounter{0};
}

Transaction::Transaction(const QSqlDatabase &db) : m_db(db)
{
    m_name = QStringLiteral("tarnvik_tx_%1").arg(++g_savepointCounter);
    m_active = Database::exec(m_db, QStringLiteral("SAVEPOINT ") + m_name, {}, &m_error);
}

Transaction::~Transaction()
{
    if (m_active)
        rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    if (!Database::exec(m_db, QStringLiteral("RELEASE SAVEPOINT ") + m_name, {}, &m_error)) {
        rollback();
        return false;
    }
    m_active = false;
    return true;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    Database::exec(m_db, QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_name);
    Database::exec(m_db, QStringLiteral("RELEASE SAVEPOINT ") + m_name);
    m_active = false;
}

} // namespace tarnvik
