#pragma once

#include "common/Database.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>

class QSqlDriver;
class QSqlError;
struct sqlite3;

namespace tarnvik::Database::detail {

// Sets a newly opened connection up: write-ahead log and synchronous
// commits. False (and the reason) when the file refuses it.
bool configure(QSqlDatabase &db, QString *error);

// The start of the name of every connection this program opens, so that
// closing all of them finds them.
inline constexpr const char *ConnectionPrefix = "tarnvik-db:";

// The file a path names on the disk: its device, inode and birth time,
// unknown when the path names nothing; with its size and its modification and change times
// when it was looked at (which do not make it another file).
struct FileIdentity {
    bool known = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    qint64 bornNs = 0; // 0 where the file system does not keep it
    bool operator==(const FileIdentity &o) const
    {
        return known == o.known && device == o.device && inode == o.inode &&
               (bornNs == 0 || o.bornNs == 0 || bornNs == o.bornNs);
    }
    // The same file, and nothing written to it, nor its times set, since.
    bool sameContents(const FileIdentity &o) const
    {
        return *this == o && size == o.size && modifiedNs == o.modifiedNs && changedNs == o.changedNs;
    }
};
FileIdentity identityOf(const QString &path);

// Opens the file at path for reading only and checks that its tables can be
// read. On a read-only disk, where SQLite cannot make the -shm file that
// reading a write-ahead-log database needs, the file is then read as one that
// nobody changes while it is open. False, closed, and the reason when
// neither way reads it.
bool openForReading(QSqlDatabase &db, const QString &path, int busyTimeoutMs, QString *error);

// What a connection's file lacks to be a station database: empty when it
// holds the four tables with their columns; notDatabase is set when SQLite
// cannot read it as a database at all. Only reads.
QString missingTables(const QSqlDatabase &db, QString *error, bool *notDatabase);

// The shared connection of a file, as Database::connection() gives it; when
// it is refused, refusal says why: Missing (no file, or it cannot be
// opened), Damaged or NotStation.
QSqlDatabase connect(const QString &path, Problem *refusal, QString *error);

// SQLite's own handle of a connection, and the first bytes of its main file
// read through it.
sqlite3 *handleOf(const QSqlDatabase &db);
QByteArray headerOf(sqlite3 *handle);

// The problem that a failed statement shows about its file.
Problem problemOf(const QSqlError &error);

// How long a write waits for another process that holds the file.
int busyTimeoutMs();

// The files of the open connections: looked at before a statement that
// writes, after one, and while the station is idle (see DatabaseFiles.cpp).
// beforeUse opens a connection closed between uses and, before a write (or
// a statement's use of a closed connection), makes sure it works on the file
// now at its path, as it is now; false, with the reason naming the file, when
// the statement cannot run.
bool beforeUse(const QSqlDriver *driver, bool writing, QString *reason);
// After a statement that wrote, or ended a transaction: once no transaction
// is open, folds the log into the file.
void afterWrite(const QSqlDriver *driver);
// Notes a statement's failure: a damaged file takes no more writes. The
// reason, when the failure is about the file, is reworded to name it.
void noteFailure(const QSqlDriver *driver, const QSqlError &error, QString *reason);
// Whether writes to the connection's file are refused as read-only.
bool isReadOnly(const QSqlDriver *driver, QString *detail = nullptr);

// A file found damaged by the check of the whole file.
void markDamaged(const QString &path, const QString &problem);
QString damageOf(const QString &path);
void forgetDamage();
// Forgets the checks of whole files expected or made (at the end).
void forgetChecks();
// The path of the file a shared connection works on; empty for others.
QString pathOf(const QSqlDriver *driver);

} // namespace tarnvik::Database::detail
