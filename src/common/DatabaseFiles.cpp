// The shared connections to database files, and what becomes of them when
// their file changes.
//
// Every write folds the write-ahead log into the file as soon as it is
// committed (a checkpoint that empties the log, tried without waiting and
// tried again at the next write and at the idle look). The log is empty but
// for the moment of a write, or while another connection reads from an older
// state of the file: so a file moved away already holds every punch, and no
// log stays beside the path to be applied to a file copied there later.
//
// Before a transaction begins (or a write runs outside one), and at the idle
// look, the file at the path is compared with what the connection last saw
// of it (device, inode, size, times, first bytes). Any difference - a commit
// or checkpoint of another program or station, a touch, a file copied over
// it - makes the connection read the file afresh (it is reopened): nothing
// is written on the strength of pages read before the change, and nothing is
// told, since nothing is wrong. Only a file SQLite finds damaged, one that is
// no station database, and another file put at the path (a new inode) are
// told; the last is used from then on. A file deleted or moved away gets
// what the log still holds through the handles open on it; a log that cannot
// go into its file is kept aside under a name of its own, never removed.
#include "common/DatabaseInternal.h"
#include "common/ReadConnection.h"
#include "common/Recordset.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>

namespace tarnvik {

namespace {

using Database::Problem;
using Database::detail::FileIdentity;
using Database::detail::handleOf;
using Database::detail::headerOf;
using Database::detail::identityOf;

const char *const kConnectionPrefix = Database::detail::ConnectionPrefix;

// A shared connection and the file it works on.
struct OpenedFile {
    QString connectionName;
    QString path;
    // The file the connection has open, as it was after the connection's
    // last look or write, and its first bytes then.
    FileIdentity seen;
    QByteArray header;
    // The -wal and -shm files beside the path that the connection uses.
    FileIdentity wal, shm;
    // The log still holds frames that the last fold could not write into
    // the file (another connection was reading an older state of it).
    bool logPending = false;
    // What stops writes: ReadOnly, Damaged or NotStation while the
    // connection is open; Missing once the file went away and it was closed.
    Problem problem = Problem::None;
    QString detail;
    // A sentence not told yet: the station shows it at the next look, or the
    // write that runs into the problem gives it as its reason.
    QString untold;
};

QRecursiveMutex g_lock;
QHash<const QSqlDriver *, OpenedFile> g_files;
QHash<QString, QString> g_damagedPaths;
std::function<void(const QString &)> g_onSwitched;

// A statement of the connection still stepping: its read holds a state of
// the file, and closing the connection would cut it short.
bool readingNow(sqlite3 *handle)
{
    for (sqlite3_stmt *s = sqlite3_next_stmt(handle, nullptr); s; s = sqlite3_next_stmt(handle, s)) {
        if (sqlite3_stmt_busy(s))
            return true;
    }
    return false;
}

// Writes what the log holds into the file and empties the log, waiting at
// most waitMs for connections reading an older state of the file. True when
// the log is empty afterwards.
bool foldLog(sqlite3 *handle, int waitMs)
{
    if (!handle)
        return true;
    int frames = -1, folded = -1;
    sqlite3_busy_timeout(handle, waitMs);
    const int rc = sqlite3_wal_checkpoint_v2(handle, "main", SQLITE_CHECKPOINT_TRUNCATE, &frames, &folded);
    sqlite3_busy_timeout(handle, Database::detail::busyTimeoutMs());
    return rc == SQLITE_OK && frames <= 0;
}

void takeStamp(OpenedFile &file, sqlite3 *handle)
{
    file.seen = identityOf(file.path);
    file.header = headerOf(handle);
    const FileIdentity wal = identityOf(file.path + QStringLiteral("-wal"));
    const FileIdentity shm = identityOf(file.path + QStringLiteral("-shm"));
    if (wal.known)
        file.wal = wal;
    if (shm.known)
        file.shm = shm;
}

// Opens a connection on the file at its path: writable when it can be,
// switched to the write-ahead log only once it is known to be a station
// database (a file refused is left byte for byte as it was), else for
// reading. The problem that stops writes, if any.
Problem openFile(QSqlDatabase &db, const QString &path, QString *detail)
{
    detail->clear();
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Database::detail::busyTimeoutMs()));
    QString openError;
    bool readOnly = false;
    if (db.open()) {
        readOnly = sqlite3_db_readonly(handleOf(db), "main") == 1;
    } else {
        openError = db.lastError().text();
    }
    bool notDatabase = false;
    QString readError;
    QString missing = db.isOpen() ? Database::detail::missingTables(db, &readError, &notDatabase) : QString();
    if (!db.isOpen() || (!readError.isEmpty() && !notDatabase)) {
        // A file on a read-only disk, or beside -wal/-shm files that cannot
        // be written, can still be read: every write to it is refused as
        // read-only.
        db.close();
        if (!Database::detail::openForReading(db, path, Database::detail::busyTimeoutMs(), &readError)) {
            *detail = openError.isEmpty() ? readError : openError;
            return Problem::Missing;
        }
        readOnly = true;
        if (openError.isEmpty())
            openError = readError;
        missing = Database::detail::missingTables(db, &readError, &notDatabase);
    }
    if (notDatabase) {
        *detail = readError;
        return Problem::Damaged;
    }
    if (!missing.isEmpty()) {
        *detail = missing;
        return Problem::NotStation;
    }
    if (readOnly) {
        *detail = openError.isEmpty() ? QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY)) : openError;
        return Problem::ReadOnly;
    }
    // Only a station database is switched to the write-ahead log.
    if (Database::detail::configure(db, &openError))
        return Problem::None;
    *detail = openError;
    return Problem::ReadOnly;
}

// Closes the reading connections kept open on a path.
void closeReaders(const QString &path)
{
    const QString prefix = QLatin1String(kConnectionPrefix) + QStringLiteral("reader-");
    for (const QString &name : QSqlDatabase::connectionNames()) {
        if (name.startsWith(prefix) && name.endsWith(QLatin1Char(':') + path)) {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
    }
}

// Closes the connection without the checkpoint SQLite makes when the last
// connection to a file closes: that would write the log into the file and
// then delete the -wal and -shm files by their names, which may by now be
// another file's.
void closeWithoutCheckpoint(QSqlDatabase &db)
{
    if (sqlite3 *handle = handleOf(db)) {
        for (sqlite3_stmt *s = sqlite3_next_stmt(handle, nullptr); s; s = sqlite3_next_stmt(handle, s))
            sqlite3_reset(s);
        int set = 0;
        sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &set);
    }
    db.close();
}

// Puts something beside the database under a name of its own,
// "<name>.kept-<date-time>[-n]-<kind>", through put(name), which fails when
// the name is taken. The name used, or nothing.
QString placeAside(const QString &databasePath, const QString &kind,
                   const std::function<bool(const QString &name)> &put)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 0; n < 100; ++n) {
        const QString name =
            QStringLiteral("%1.kept-%2%3-%4")
                .arg(databasePath, stamp, n == 0 ? QString() : QStringLiteral("-%1").arg(n), kind);
        if (!QFileInfo::exists(name) && put(name))
            return name;
    }
    return QString();
}

// Moves a -wal or -shm file beside the path away under a name of its own.
QString moveAside(const QString &from, const QString &kind)
{
    return placeAside(from.chopped(kind.size() + 1), kind, [&from](const QString &to) {
        return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    });
}

// Copies the log through SQLite's own handle of it (its file may no longer
// be at the path) to a file of its own beside the path.
QString copyLogAside(sqlite3 *handle, const QString &path)
{
    sqlite3_file *log = nullptr;
    if (!handle || sqlite3_file_control(handle, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK ||
        !log || !log->pMethods)
        return QString();
    sqlite3_int64 size = 0;
    if (log->pMethods->xFileSize(log, &size) != SQLITE_OK || size <= 0)
        return QString();
    QByteArray bytes(qsizetype(size), '\0');
    if (log->pMethods->xRead(log, bytes.data(), int(size), 0) != SQLITE_OK)
        return QString();
    return placeAside(path, QStringLiteral("wal"), [&bytes](const QString &to) {
        QFile out(to);
        return out.open(QIODevice::WriteOnly | QIODevice::NewOnly) && out.write(bytes) == bytes.size() &&
               out.flush();
    });
}

// The connection's file is no longer the one at its path (deleted, moved,
// another put there). Its log and shared-memory files leave the path first,
// so that nothing opening the path from now on takes them for its own; the
// log is then written into the file it belongs to, through the handles still
// open on it, and removed once empty. A log that cannot be written there
// (another connection still reads from an older state of it) is kept
// under a name of its own beside the path. The connection is closed. Returns
// where a log was kept, or nothing.
QString leaveFile(OpenedFile &file, QSqlDatabase &db)
{
    sqlite3 *handle = handleOf(db);
    closeReaders(file.path);
    const QString walPath = file.path + QStringLiteral("-wal");
    const QString shmPath = file.path + QStringLiteral("-shm");
    const QString movedWal =
        file.wal.known && identityOf(walPath) == file.wal ? moveAside(walPath, "wal") : "";
    const QString movedShm =
        file.shm.known && identityOf(shmPath) == file.shm ? moveAside(shmPath, "shm") : "";
    QString kept;
    const bool folded = handle && foldLog(handle, 1000);
    if (!folded) {
        kept = movedWal.isEmpty() ? copyLogAside(handle, file.path) : movedWal;
    } else if (!movedWal.isEmpty()) {
        QFile::remove(movedWal);
    }
    if (!movedShm.isEmpty())
        QFile::remove(movedShm);
    closeWithoutCheckpoint(db);
    file.logPending = false;
    file.wal = FileIdentity();
    file.shm = FileIdentity();
    return kept;
}

QString wording(Problem problem, const QString &path, const QString &detail)
{
    return Database::problemText(problem, path, detail);
}

bool refusesEverything(Problem problem)
{
    return problem == Problem::Missing || problem == Problem::Damaged || problem == Problem::NotStation;
}

// Opens the connection on the file now at the path, and notes what stops
// writes to it. A file that became damaged or no station database since the
// connection last used it is told.
void openNow(OpenedFile &file, QSqlDatabase &db)
{
    const Problem before = file.problem;
    file.problem = openFile(db, file.path, &file.detail);
    if (file.problem == Problem::None || file.problem == Problem::ReadOnly) {
        const QString damage = g_damagedPaths.value(file.path);
        if (!damage.isEmpty()) {
            file.problem = Problem::Damaged;
            file.detail = damage;
        }
    }
    if (refusesEverything(file.problem)) {
        db.close();
        if (file.problem != before && file.problem != Problem::Missing)
            file.untold = wording(file.problem, file.path, file.detail);
    }
    file.logPending = false;
    takeStamp(file, handleOf(db));
}

enum class Change { None, Reopened, Gone, Switched };

// Between uses, while the connection is closed: a file gone from the path, or
// another put there, is noted (and told once); the very file that went, put
// back, is taken again without a word.
Change lookWhileClosed(OpenedFile &file)
{
    const FileIdentity now = identityOf(file.path);
    if (!now.known) {
        if (file.problem == Problem::Missing)
            return Change::None;
        file.problem = Problem::Missing;
        file.detail.clear();
        if (file.seen.known)
            file.untold = wording(Problem::Gone, file.path, QString());
        return Change::Gone;
    }
    Change change = Change::None;
    if (file.seen.known && !(now == file.seen)) {
        file.untold = wording(Problem::Replaced, file.path, QString());
        change = Change::Switched;
        file.problem = Problem::None;
    } else if (!now.sameContents(file.seen) && file.problem != Problem::Damaged) {
        file.problem = Problem::None; // looked at again when opened
    }
    if (file.problem == Problem::Missing)
        file.problem = Problem::None;
    file.seen = now;
    return change;
}

// Makes the connection work on the file now at its path, as it is now (see
// the top of this file). Runs only between transactions, and not while a read
// of the connection is still stepping.
Change settle(OpenedFile &file)
{
    QSqlDatabase db = QSqlDatabase::database(file.connectionName, false);
    if (!db.isOpen())
        return lookWhileClosed(file);
    sqlite3 *handle = handleOf(db);
    if (handle && (!sqlite3_get_autocommit(handle) || readingNow(handle)))
        return Change::None;
    if (handle && file.logPending)
        file.logPending = !foldLog(handle, 0);
    const FileIdentity now = identityOf(file.path);
    if (now == file.seen) {
        if (now.sameContents(file.seen) && headerOf(handle) == file.header)
            return Change::None;
        // Written by someone else since (another station, a checkpoint, a
        // copy over it), or only touched: read afresh. An empty log goes with
        // the connection as SQLite closes it; a log that could not go into
        // the file yet stays for the next connection to take.
        if (file.logPending)
            closeWithoutCheckpoint(db);
        else
            db.close();
        openNow(file, db);
        return Change::Reopened;
    }
    const QString kept = leaveFile(file, db);
    if (!now.known) {
        file.problem = Problem::Missing;
        file.detail.clear();
        file.untold = wording(Problem::Gone, file.path, kept);
        return Change::Gone;
    }
    file.untold = wording(Problem::Replaced, file.path, kept);
    file.problem = Problem::None;
    file.seen = now;
    return Change::Switched;
}

// Opens a connection closed between uses; false while its file is missing
// or refused.
bool openForUse(OpenedFile &file)
{
    QSqlDatabase db = QSqlDatabase::database(file.connectionName, false);
    if (!db.isOpen() && file.problem != Problem::Missing)
        openNow(file, db);
    return db.isOpen();
}

// Closes a connection between uses, after a look at its file, so that nothing
// of it stays beside the file while the station waits: the last connection
// to close removes the -wal and -shm files. A connection in a transaction,
// in the middle of a read, or whose log could not go into the file yet stays
// open.
Change release(OpenedFile &file)
{
    QSqlDatabase db = QSqlDatabase::database(file.connectionName, false);
    sqlite3 *handle = db.isOpen() ? handleOf(db) : nullptr;
    if (!handle)
        return settle(file);
    if (!sqlite3_get_autocommit(handle) || readingNow(handle))
        return Change::None;
    const Change change = settle(file);
    QCoreApplication *app = QCoreApplication::instance();
    if (db.isOpen() && file.logPending && app && QThread::currentThread() == app->thread()) {
        // A window's grid reading the rest of a result keeps the log from
        // the file: it lets go, and reads on afresh when next asked.
        Recordset::letGoOfReads();
        ReadConnection::dropIdle();
        file.logPending = !foldLog(handleOf(db), 0);
    }
    if (db.isOpen() && !file.logPending)
        db.close();
    return change;
}

// Runs the handler of a connection moved to another file, outside the lock.
void tellSwitched(Change change, const QString &path)
{
    if (change == Change::Switched && g_onSwitched)
        g_onSwitched(path);
}

QString canonical(const QString &path)
{
    const QFileInfo info(path);
    const QString canon = info.canonicalFilePath();
    return canon.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canon;
}

bool g_releaseScheduled = false;

// Closes the connections that are not in use once the program is back to
// waiting (on the application's thread, which owns them).
void scheduleRelease()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (g_releaseScheduled || !app || QThread::currentThread() != app->thread())
        return;
    g_releaseScheduled = true;
    QTimer::singleShot(0, app, [] { Database::releaseConnections(); });
}

} // namespace

namespace Database {

namespace detail {

bool beforeUse(const QSqlDriver *driver, bool writing, QString *reason)
{
    QMutexLocker lock(&g_lock);
    const auto it = g_files.find(driver);
    if (it == g_files.end())
        return true;
    OpenedFile &file = it.value();
    QSqlDatabase db = QSqlDatabase::database(file.connectionName, false);
    Change change = Change::None;
    if (writing || !db.isOpen())
        change = settle(file);
    openForUse(file);
    scheduleRelease();
    const OpenedFile seen = file;
    if (writing)
        file.untold.clear();
    lock.unlock();
    tellSwitched(change, seen.path);
    if (writing && !seen.untold.isEmpty()) {
        // The write that runs into a change is refused with it, so that the
        // user learns of it; the next one goes to the file now at the path.
        *reason = seen.untold;
        return false;
    }
    if (refusesEverything(seen.problem) || (writing && seen.problem != Problem::None)) {
        *reason = wording(seen.problem, seen.path, seen.detail);
        return false;
    }
    return true;
}

void afterWrite(const QSqlDriver *driver)
{
    QMutexLocker lock(&g_lock);
    const auto it = g_files.find(driver);
    if (it == g_files.end() || it->problem != Problem::None)
        return;
    OpenedFile &file = it.value();
    const QSqlDatabase db = QSqlDatabase::database(file.connectionName, false);
    sqlite3 *handle = handleOf(db);
    if (!handle || !sqlite3_get_autocommit(handle))
        return;
    file.logPending = !foldLog(handle, 0);
    // What this write left in the file is what the next look compares with,
    // unless another file stands at the path by now.
    if (identityOf(file.path) == file.seen)
        takeStamp(file, handle);
}

QString pathOf(const QSqlDriver *driver)
{
    QMutexLocker lock(&g_lock);
    return g_files.value(driver).path;
}

void noteFailure(const QSqlDriver *driver, const QSqlError &error, QString *reason)
{
    const Problem problem = problemOf(error);
    if (problem == Problem::None)
        return;
    QMutexLocker lock(&g_lock);
    const auto it = g_files.find(driver);
    if (it == g_files.end())
        return;
    if (problem == Problem::Damaged) {
        it->problem = problem;
        it->detail = error.databaseText();
    }
    const QString path = it->path;
    lock.unlock();
    *reason = wording(problem, path, error.databaseText());
}

bool isReadOnly(const QSqlDriver *driver, QString *detail)
{
    QMutexLocker lock(&g_lock);
    const OpenedFile file = g_files.value(driver);
    if (detail)
        *detail = file.detail;
    return file.problem == Problem::ReadOnly;
}

void markDamaged(const QString &path, const QString &problem)
{
    QMutexLocker lock(&g_lock);
    g_damagedPaths.insert(path, problem);
    for (OpenedFile &file : g_files) {
        if (file.path == path && file.problem == Problem::None) {
            file.problem = Problem::Damaged;
            file.detail = problem;
        }
    }
}

QString damageOf(const QString &path)
{
    QMutexLocker lock(&g_lock);
    return g_damagedPaths.value(path);
}

void forgetDamage()
{
    QMutexLocker lock(&g_lock);
    g_damagedPaths.clear();
}

QSqlDatabase connect(const QString &path, Problem *refusal, QString *error)
{
    if (refusal)
        *refusal = Problem::None;
    const auto refuse = [&](Problem problem, const QString &reason) {
        if (refusal)
            *refusal = problem;
        if (error)
            *error = reason;
        return QSqlDatabase();
    };
    if (path.isEmpty())
        return refuse(Problem::Missing, QStringLiteral("no database file is named"));
    const QString name = QLatin1String(kConnectionPrefix) + canonical(path);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        QMutexLocker lock(&g_lock);
        const auto it = g_files.find(db.driver());
        if (it != g_files.end()) {
            Change change = Change::None;
            if (!db.isOpen()) {
                change = settle(it.value());
                openForUse(it.value());
                scheduleRelease();
            }
            const OpenedFile file = it.value();
            lock.unlock();
            tellSwitched(change, file.path);
            // A damaged file, or one that is no station database, serves
            // nothing; one that cannot be written still serves reads.
            if (db.isOpen() && !refusesEverything(file.problem))
                return db;
            return refuse(file.problem, wording(file.problem, file.path, file.detail));
        }
    }
    if (!QFileInfo(path).isFile())
        return refuse(Problem::Missing, wording(Problem::Missing, path, QString()));
    const QString damage = damageOf(path);
    if (!damage.isEmpty())
        return refuse(Problem::Damaged, wording(Problem::Damaged, path, damage));
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    OpenedFile file;
    file.connectionName = name;
    file.path = path;
    file.problem = openFile(db, path, &file.detail);
    if (refusesEverything(file.problem)) {
        // Nothing more is read from it, and it stays as it was.
        const Problem problem = file.problem;
        const QString detail = file.detail;
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        return refuse(problem, detail);
    }
    takeStamp(file, handleOf(db));
    QMutexLocker lock(&g_lock);
    g_files.insert(db.driver(), file);
    scheduleRelease();
    return db;
}

} // namespace detail

QSqlDatabase connection(const QString &path, QString *error)
{
    return detail::connect(path, nullptr, error);
}

void setFileSwitchedHandler(std::function<void(const QString &path)> handler)
{
    g_onSwitched = std::move(handler);
}

void releaseConnections()
{
    g_releaseScheduled = false;
    QList<const QSqlDriver *> drivers;
    {
        QMutexLocker lock(&g_lock);
        drivers = g_files.keys();
    }
    for (const QSqlDriver *driver : drivers) {
        QMutexLocker lock(&g_lock);
        const auto it = g_files.find(driver);
        if (it == g_files.end())
            continue;
        const Change change = release(it.value());
        const OpenedFile seen = it.value();
        lock.unlock();
        tellSwitched(change, seen.path);
    }
    ReadConnection::dropIdle();
}

QStringList checkOpenFiles()
{
    releaseConnections();
    QStringList told;
    QMutexLocker lock(&g_lock);
    for (OpenedFile &file : g_files) {
        if (!file.untold.isEmpty())
            told << file.untold;
        file.untold.clear();
    }
    return told;
}

void closeAll()
{
    // The last look: a file gone or replaced since gets what the log holds
    // as leaveFile() says, rather than what closing would do with it.
    releaseConnections();
    {
        QMutexLocker lock(&g_lock);
        g_files.clear();
    }
    detail::forgetDamage();
    detail::forgetChecks();
    // The reading connections first: the last connection of a file to close
    // is then the one that writes, which folds the log into the file and
    // removes the -wal and -shm files.
    QStringList names = QSqlDatabase::connectionNames();
    std::stable_partition(names.begin(), names.end(),
                          [](const QString &name) { return name.contains(QLatin1String(":reader-")); });
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1String(kConnectionPrefix)))
            continue;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}

} // namespace Database

} // namespace tarnvik
