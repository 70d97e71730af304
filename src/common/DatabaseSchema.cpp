// The station's tables: the statements that make them, the check that a
// file holds them, and the creation of a new database file.
#include "common/Database.h"
#include "common/DatabaseInternal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarnvik {

namespace {

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

} // namespace

QString Database::detail::missingTables(const QSqlDatabase &db, QString *error, bool *notDatabase)
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

namespace {

// Builds a new database with its tables, indexes and settings row beside the
// path, then renames it into place. False (and the reason) when it could not.
bool createAtomically(const QString &path, bool replaceEmptyFile, QString *reason)
{
    const QFileInfo info(path);
    const QString partial = info.absoluteDir().filePath(
        QStringLiteral(".%1.creating-%2").arg(info.fileName()).arg(QCoreApplication::applicationPid()));
    for (const QString &leftover : {partial, partial + QStringLiteral("-journal"),
                                    partial + QStringLiteral("-wal"), partial + QStringLiteral("-shm")})
        QFile::remove(leftover);
    const QString name = QStringLiteral("tarnvik-create");
    bool ok = false;
    {
        QSqlDatabase create = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        create.setDatabaseName(partial);
        ok = create.open();
        if (!ok)
            *reason = create.lastError().text();
        if (ok)
            ok = detail::configure(create, reason);
        if (ok) {
            Transaction tx(create);
            ok = tx.ok();
            if (!ok)
                *reason = tx.error();
            for (const QString &sql : schemaStatements() + indexStatements()) {
                if (!ok)
                    break;
                ok = exec(create, sql, {}, reason);
            }
            if (ok && !tx.commit()) {
                ok = false;
                *reason = tx.error();
            }
        }
        // Closing the last connection folds the write-ahead log into the
        // file, so the file alone holds the new database.
        create.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (ok) {
        if (replaceEmptyFile) {
            // Only an empty file is ever replaced; anything else stays.
            const QFileInfo now(path);
            if (now.exists() && now.size() != 0) {
                ok = false;
                *reason = QStringLiteral("the file is no longer empty");
            } else {
                ok = ::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) ==
                     0;
                if (!ok)
                    *reason = QString::fromLocal8Bit(strerror(errno));
            }
        } else {
            // QFile::rename never replaces an existing file.
            QFile file(partial);
            ok = file.rename(path);
            if (!ok)
                *reason = file.errorString();
        }
    }
    for (const QString &leftover : {partial, partial + QStringLiteral("-journal"),
                                    partial + QStringLiteral("-wal"), partial + QStringLiteral("-shm")})
        QFile::remove(leftover);
    return ok;
}

// Adds the indexes and the settings row that an older file lacks. Reads
// first, so that a file in order is never written (and never waits for a
// program holding its write lock).
void completeSchema(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    QStringList present;
    if (Database::run(q, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'"), {},
                      nullptr)) {
        while (q.next())
            present << q.value(0).toString();
    }
    q.finish();
    static const QRegularExpression indexName(QStringLiteral(R"(IF NOT EXISTS (\w+))"));
    for (const QString &sql : Database::indexStatements()) {
        if (!present.contains(indexName.match(sql).captured(1)))
            Database::exec(db, sql);
    }
    if (Database::run(q, QStringLiteral("SELECT 1 FROM Acces LIMIT 1"), {}, nullptr) && !q.next()) {
        q.finish();
        Database::exec(db, Database::schemaStatements().last());
    }
}

} // namespace

bool processRuns(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

void removeStrayTemporaries(const QString &path)
{
    // ".tarnvik.mdb.creating-1234", with its -journal, -wal and -shm: left by a start
    // of process 1234 that was interrupted while it made the database. Those
    // of a process still running are its own, still being made.
    const QFileInfo info(path);
    const QString prefix = QStringLiteral(".%1.creating-").arg(info.fileName());
    const QDir folder = info.absoluteDir();
    static const QRegularExpression pidThenSuffix(QStringLiteral(R"(^(\d+)(-wal|-shm|-journal)?$)"));
    for (const QString &name : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = pidThenSuffix.match(name.mid(prefix.size()));
        if (m.hasMatch() && !processRuns(m.captured(1).toLongLong()))
            QFile::remove(folder.filePath(name));
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
        // An empty file holds nothing: it gets its tables.
        creating = true;
    } else if (!info.isFile()) {
        status.state = State::CannotOpen;
        status.detail = QStringLiteral("it is not a file");
        return status;
    }

    if (creating) {
        QString reason;
        if (!createAtomically(path, info.exists(), &reason)) {
            status.state = State::CannotOpen;
            status.detail = reason;
            return status;
        }
    }

    QString error;
    Problem refusal = Problem::None;
    QSqlDatabase db = detail::connect(path, &refusal, &error);
    if (!db.isOpen()) {
        status.state = refusal == Problem::Damaged      ? State::NotADatabase
                       : refusal == Problem::NotStation ? State::MissingTables
                                                        : State::CannotOpen;
        status.detail = error;
        return status;
    }
    completeSchema(db);
    status.state = creating ? State::Created : State::Ready;
    return status;
}

} // namespace Database
} // namespace tarnvik
