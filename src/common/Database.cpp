#include "common/Database.h"

#include "common/DatabaseInternal.h"

#include "common/DateFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <deque>

namespace tarnvik {

namespace {

using Database::detail::FileIdentity;
using Database::detail::identityOf;

const char *const kConnectionPrefix = Database::detail::ConnectionPrefix;
int g_busyTimeoutMs = 3000;

// The file a connection opened: its path, its identity on the disk, what the
// station's own last write (or the opening) left in it, and the problem that
// stops writes to it, once one was seen.
struct OpenedFile {
    QString connectionName;
    QString path;
    FileIdentity identity;
    // Size, modification time and first bytes of the file, and SQLite's count
    // of the commits made by other connections, as of the last look.
    FileIdentity stamp;
    QByteArray header;
    qint64 dataVersion = -1;
    // Checkpoints this connection made after its commits, counted by its
    // write-ahead-log hook, and their number as of the last look.
    std::atomic<quint64> *ownCheckpoints = nullptr;
    quint64 ownCheckpointsSeen = 0;
    // The write-ahead log and shared-memory files beside the path that this
    // connection uses.
    FileIdentity wal, shm;
    Database::Problem problem = Database::Problem::None;
    QString detail;
    bool told = false;    // the problem was given to a caller that reports it
    bool retired = false; // closed for good after the file vanished or changed
};

// Keyed by the connection's driver (a query knows its driver, not its
// connection's name). Only the application's thread opens the shared
// connections; the background check marks files damaged through the lock.
QMutex g_filesLock;
QHash<const QSqlDriver *, OpenedFile> g_files;
// Paths found damaged by the background check, before or after their
// connection was opened.
QHash<QString, QString> g_damagedPaths;

// The check of a whole file that the station expects before it writes: the
// first write waits for it (or runs it) rather than go into a damaged file.
enum class CheckStage { Waiting, Running, Done };
QMutex g_checksLock;
QWaitCondition g_checkFinished;
QHash<QString, CheckStage> g_checks;

QString defaultWording(Database::Problem problem, const QString &path, const QString &detail)
{
    switch (problem) {
    case Database::Problem::None:
        return QString();
    case Database::Problem::Missing:
        return QStringLiteral("The database file \"%1\" does not exist.").arg(path);
    case Database::Problem::Gone:
        return QStringLiteral("The database file \"%1\" was deleted or moved while in use; nothing more is "
                              "written to it.")
            .arg(path);
    case Database::Problem::Replaced:
        return QStringLiteral("The database file \"%1\" was replaced by another file while in use; nothing "
                              "more is written to it.")
            .arg(path);
    case Database::Problem::Changed:
        return QStringLiteral("The database file \"%1\" was changed by another program while in use; nothing "
                              "more is written to it.")
            .arg(path);
    case Database::Problem::Damaged:
        return QStringLiteral("The database file \"%1\" is damaged (%2); nothing more is written to it.")
            .arg(path, detail);
    case Database::Problem::Busy:
        return QStringLiteral("The database file \"%1\" is busy: another program is writing to it.")
            .arg(path);
    case Database::Problem::ReadOnly:
        return QStringLiteral("The database file \"%1\" can be read but not written (%2).").arg(path, detail);
    case Database::Problem::RowGone:
        return QStringLiteral("The row no longer exists in the database \"%1\".").arg(path);
    }
    return QString();
}

Database::ProblemWording g_wording = &defaultWording;

bool endsTransaction(const QString &sql)
{
    const QString head = sql.trimmed().section(QLatin1Char(' '), 0, 0);
    return head.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0 ||
           head.compare(QLatin1String("RELEASE"), Qt::CaseInsensitive) == 0 ||
           head.compare(QLatin1String("END"), Qt::CaseInsensitive) == 0;
}

bool isWriteStatement(const QString &sql)
{
    static const char *const kWriting[] = {"INSERT", "UPDATE", "DELETE", "REPLACE", "SAVEPOINT",
                                           "BEGIN",  "CREATE", "DROP",   "ALTER"};
    const QString head = sql.trimmed().section(QLatin1Char(' '), 0, 0);
    for (const char *word : kWriting) {
        if (head.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// SQLite's primary result codes, as the driver reports them.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

int primaryCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

Database::Problem problemOf(const QSqlError &error)
{
    switch (primaryCode(error)) {
    case kSqliteBusy:
    case kSqliteLocked:
        return Database::Problem::Busy;
    case kSqliteReadOnly:
        return Database::Problem::ReadOnly;
    case kSqliteCorrupt:
    case kSqliteNotADatabase:
        return Database::Problem::Damaged;
    default:
        break;
    }
    const QString text = error.text();
    if (text.contains(QLatin1String("malformed"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("not a database"), Qt::CaseInsensitive))
        return Database::Problem::Damaged;
    return Database::Problem::None;
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

// The first bytes of the database file, read through SQLite's own handle of
// it: opening and closing another handle of the file would drop the locks
// that SQLite holds on it.
QByteArray headerOf(sqlite3 *handle)
{
    sqlite3_file *file = nullptr;
    if (!handle || sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        return QByteArray();
    char bytes[100] = {};
    const int rc = file->pMethods->xRead(file, bytes, int(sizeof bytes), 0);
    return rc == SQLITE_OK || rc == SQLITE_IOERR_SHORT_READ ? QByteArray(bytes, int(sizeof bytes))
                                                            : QByteArray();
}

qint64 dataVersionOf(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA data_version")) && q.next() ? q.value(0).toLongLong() : -1;
}

bool sameContentStamp(const FileIdentity &a, const FileIdentity &b)
{
    return a.size == b.size && a.modifiedNs == b.modifiedNs;
}

// After every commit of a connection: what SQLite's automatic checkpoint
// does (fold the log into the file once it holds 1000 pages), counted, so
// that the file changed by the connection's own checkpoint is not taken for
// a file changed by another program.
int walHook(void *ownCheckpoints, sqlite3 *handle, const char *database, int frames)
{
    if (frames >= 1000) {
        sqlite3_wal_checkpoint_v2(handle, database, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        static_cast<std::atomic<quint64> *>(ownCheckpoints)->fetch_add(1);
    }
    return SQLITE_OK;
}

// Takes what the file holds now as what this station left in it.
void restamp(OpenedFile &file, const QSqlDatabase &db, const FileIdentity &now)
{
    file.stamp = now;
    if (file.ownCheckpoints)
        file.ownCheckpointsSeen = file.ownCheckpoints->load();
    file.header = headerOf(handleOf(db));
    file.dataVersion = dataVersionOf(db);
    if (!file.wal.known)
        file.wal = identityOf(file.path + QStringLiteral("-wal"));
    if (!file.shm.known)
        file.shm = identityOf(file.path + QStringLiteral("-shm"));
}

// What stands at the path now, compared with the file this connection opened
// and what its own last write left there. The file is written in place only
// by checkpoints, which follow commits: a file whose size, time or first
// bytes moved while no other connection committed was changed by another
// program (copied over, scribbled on).
Database::Problem inspect(OpenedFile &file, const QSqlDatabase &db)
{
    if (g_damagedPaths.contains(file.path)) {
        file.detail = g_damagedPaths.value(file.path);
        return Database::Problem::Damaged;
    }
    const FileIdentity now = identityOf(file.path);
    if (!now.known)
        return Database::Problem::Gone;
    if (!(now == file.identity))
        return Database::Problem::Replaced;
    if (!db.isOpen() || (sameContentStamp(now, file.stamp) && headerOf(handleOf(db)) == file.header))
        return Database::Problem::None;
    const qint64 version = dataVersionOf(db);
    const bool ownCheckpoint = file.ownCheckpoints && file.ownCheckpoints->load() != file.ownCheckpointsSeen;
    if (version < 0 || (version == file.dataVersion && !ownCheckpoint))
        return Database::Problem::Changed;
    restamp(file, db, now);
    return Database::Problem::None;
}

bool retiredOnProblem(Database::Problem problem)
{
    return problem == Database::Problem::Gone || problem == Database::Problem::Replaced ||
           problem == Database::Problem::Changed;
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

// Closes for good the connection of a file that vanished or changed. A file
// deleted, moved or replaced gets everything its write-ahead log holds (the
// log is read and the file written through the handles still open on them),
// so that every stored punch stays in the file it was stored in; a file
// changed in place gets nothing of it. Then the log and shared-memory files
// beside the path, when they are still the ones this connection used, are
// removed: what stands at the path now, or comes there later, never takes
// what they held. False while a transaction is open on the connection.
bool retire(OpenedFile &file)
{
    QSqlDatabase db = QSqlDatabase::database(file.connectionName, false);
    sqlite3 *handle = handleOf(db);
    if (handle && !sqlite3_get_autocommit(handle))
        return false;
    closeReaders(file.path);
    if (handle) {
        for (sqlite3_stmt *s = sqlite3_next_stmt(handle, nullptr); s; s = sqlite3_next_stmt(handle, s))
            sqlite3_reset(s);
        if (file.problem != Database::Problem::Changed)
            sqlite3_wal_checkpoint_v2(handle, "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        int set = 0;
        sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &set);
    }
    db.close();
    for (const auto &[suffix, used] :
         {std::pair{QStringLiteral("-wal"), file.wal}, std::pair{QStringLiteral("-shm"), file.shm}}) {
        const QString beside = file.path + suffix;
        if (used.known && identityOf(beside) == used)
            QFile::remove(beside);
    }
    file.retired = true;
    return true;
}

// Waits for the check of the whole file that the station expects before its
// first write, or runs it here when it has not begun.
QString quickCheck(const QString &path);
void settleExpectedCheck(const QString &path)
{
    QMutexLocker lock(&g_checksLock);
    const auto it = g_checks.find(path);
    if (it == g_checks.end() || it.value() == CheckStage::Done)
        return;
    if (it.value() == CheckStage::Running) {
        while (g_checks.value(path, CheckStage::Done) == CheckStage::Running)
            g_checkFinished.wait(&g_checksLock);
        return;
    }
    it.value() = CheckStage::Running;
    lock.unlock();
    const QString problem = quickCheck(path);
    {
        QMutexLocker files(&g_filesLock);
        if (!problem.isEmpty())
            g_damagedPaths.insert(path, problem);
    }
    lock.relock();
    g_checks.insert(path, CheckStage::Done);
    g_checkFinished.wakeAll();
}

// Before a statement that writes: the connection's file must still be the one
// at its path, unchanged by other programs, and not known to be damaged. A
// problem, once seen, stays with the connection; a file that vanished or
// changed is closed for good (see retire()).
bool checkBeforeWrite(const QSqlDriver *driver, QString *reason, bool writing)
{
    QString path;
    if (writing) {
        QMutexLocker lock(&g_filesLock);
        path = g_files.value(driver).path;
    }
    if (!path.isEmpty())
        settleExpectedCheck(path);
    QMutexLocker lock(&g_filesLock);
    auto it = g_files.find(driver);
    if (it == g_files.end())
        return true;
    OpenedFile &file = it.value();
    if (file.problem == Database::Problem::None && !file.retired)
        file.problem = inspect(file, QSqlDatabase::database(file.connectionName, false));
    if (file.problem == Database::Problem::None)
        return true;
    if (retiredOnProblem(file.problem) && !file.retired)
        retire(file);
    if (writing)
        file.told = true;
    // The wording may look up a localised text, which may read the database:
    // it runs without the lock.
    const OpenedFile seen = file;
    lock.unlock();
    *reason = g_wording(seen.problem, seen.path, seen.detail);
    return false;
}

// After a statement that wrote: once the transaction is over, what the
// station's own commit (and the checkpoint that may follow it) left in the
// file is what later looks compare with.
void stampAfterWrite(const QSqlDriver *driver)
{
    QMutexLocker lock(&g_filesLock);
    auto it = g_files.find(driver);
    if (it == g_files.end() || it->problem != Database::Problem::None)
        return;
    const QSqlDatabase db = QSqlDatabase::database(it->connectionName, false);
    sqlite3 *handle = handleOf(db);
    if (!handle || !sqlite3_get_autocommit(handle))
        return;
    const FileIdentity now = identityOf(it->path);
    if (now == it->identity && (!sameContentStamp(now, it->stamp) || headerOf(handle) != it->header))
        restamp(*it, db, now);
}

void noteFailure(const QSqlDriver *driver, const QSqlError &error, QString *reason)
{
    const Database::Problem problem = problemOf(error);
    if (problem == Database::Problem::None)
        return;
    QString path;
    {
        QMutexLocker lock(&g_filesLock);
        auto it = g_files.find(driver);
        if (it != g_files.end()) {
            path = it->path;
            if (problem == Database::Problem::Damaged) {
                it->problem = problem;
                it->detail = error.databaseText();
            }
        }
    }
    if (!path.isEmpty())
        *reason = g_wording(problem, path, error.databaseText());
}

QString canonical(const QString &path)
{
    const QFileInfo info(path);
    const QString canon = info.canonicalFilePath();
    return canon.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canon;
}

// SQLite's quick check of the whole file, on a reading connection of its
// own: what it finds wrong, or nothing.
QString quickCheck(const QString &path)
{
    const QString name = QStringLiteral("tarnvik-check-%1").arg(quintptr(QThread::currentThreadId()));
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open()) {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("PRAGMA quick_check(1)"))) {
                if (problemOf(q.lastError()) == Database::Problem::Damaged)
                    problem = q.lastError().databaseText();
            } else if (q.next() && q.value(0).toString() != QLatin1String("ok")) {
                problem = q.value(0).toString();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

} // namespace

namespace Database {

bool run(QSqlQuery &query, const QString &sql, const QVariantList &params, QString *error)
{
    QString ignored;
    QString &reason = error ? *error : ignored;
    if (!query.driver() || !query.driver()->isOpen()) {
        // Keep the reason the connection gave, when the caller has one; a
        // connection closed because its file vanished or changed says so.
        QMutexLocker lock(&g_filesLock);
        const OpenedFile closed = g_files.value(query.driver());
        lock.unlock();
        if (closed.retired)
            reason = g_wording(closed.problem, closed.path, closed.detail);
        else if (reason.isEmpty())
            reason = QStringLiteral("the database is not open");
        return false;
    }
    const bool writing = isWriteStatement(sql);
    if (writing && !checkBeforeWrite(query.driver(), &reason, true))
        return false;
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        reason = query.lastError().text();
        noteFailure(query.driver(), query.lastError(), &reason);
        return false;
    }
    for (const QVariant &v : params)
        query.addBindValue(toStoredValue(v));
    if (!query.exec()) {
        reason = query.lastError().text();
        noteFailure(query.driver(), query.lastError(), &reason);
        return false;
    }
    if (writing || endsTransaction(sql) ||
        sql.trimmed().startsWith(QLatin1String("PRAGMA"), Qt::CaseInsensitive))
        stampAfterWrite(query.driver());
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
        QString reason;
        if (db.isOpen()) {
            // A connection whose file was deleted, moved, replaced, changed by
            // another program or found damaged is refused for the rest of the
            // run, and closed for good unless only damaged: its write-ahead
            // log belonged to the old file and must never be applied to
            // whatever stands at the path now.
            if (checkBeforeWrite(db.driver(), &reason, false))
                return db;
            {
                // A read-only file still serves reads; its writes are refused.
                QMutexLocker lock(&g_filesLock);
                if (g_files.value(db.driver()).problem == Problem::ReadOnly)
                    return db;
            }
            if (error)
                *error = reason;
            return QSqlDatabase();
        }
        QMutexLocker lock(&g_filesLock);
        const OpenedFile closed = g_files.value(db.driver());
        lock.unlock();
        if (closed.retired) {
            if (error)
                *error = g_wording(closed.problem, closed.path, closed.detail);
            return QSqlDatabase();
        }
    }
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = g_wording(Problem::Missing, path, QString());
        return QSqlDatabase();
    }
    QString damage;
    {
        QMutexLocker lock(&g_filesLock);
        damage = g_damagedPaths.value(path);
    }
    if (!damage.isEmpty()) {
        if (error)
            *error = g_wording(Problem::Damaged, path, damage);
        return QSqlDatabase();
    }
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(g_busyTimeoutMs));
    // The identity is taken before the file is opened: a file swapped in
    // between is then seen as replaced at the first write.
    const FileIdentity identity = identityOf(path);
    QString openError;
    Problem problem = Problem::None;
    if (!db.open()) {
        openError = db.lastError().text();
    } else if (!detail::configure(db, &openError)) {
        db.close();
    }
    if (!db.isOpen()) {
        // A file on a read-only disk, or beside -wal/-shm files that cannot
        // be written, can still be read: it is opened for reading, and every
        // write to it is refused as read-only.
        QString readError;
        if (!detail::openForReading(db, path, g_busyTimeoutMs, &readError)) {
            if (error)
                *error = openError;
            return QSqlDatabase();
        }
        problem = Problem::ReadOnly;
    } else if (sqlite3 *handle = handleOf(db); handle && sqlite3_db_readonly(handle, "main") == 1) {
        // SQLite opens a file that the user may not write read-only: it is
        // said as such (at start-up, by probeWritable), not at the first write.
        problem = Problem::ReadOnly;
        openError = QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY));
    }
    OpenedFile file;
    if (sqlite3 *handle = handleOf(db); handle && problem == Problem::None) {
        // One counter per connection opened, for the life of the program:
        // the hook may still run while the connection closes. A deque never
        // moves what it holds, and frees it all at exit.
        static std::deque<std::atomic<quint64>> counters;
        QMutexLocker countersLock(&g_filesLock);
        file.ownCheckpoints = &counters.emplace_back(0);
        countersLock.unlock();
        sqlite3_wal_hook(handle, &walHook, file.ownCheckpoints);
    }
    file.connectionName = name;
    file.path = path;
    file.identity = identity;
    file.problem = problem;
    file.detail = openError;
    restamp(file, db, identityOf(path));
    QMutexLocker lock(&g_filesLock);
    g_files.insert(db.driver(), file);
    return db;
}

void setBusyTimeout(int milliseconds)
{
    g_busyTimeoutMs = milliseconds;
}

QStringList checkOpenFiles()
{
    QStringList told;
    QList<const QSqlDriver *> drivers;
    {
        QMutexLocker lock(&g_filesLock);
        drivers = g_files.keys();
    }
    for (const QSqlDriver *driver : drivers) {
        QMutexLocker lock(&g_filesLock);
        const auto it = g_files.find(driver);
        if (it == g_files.end() || it->retired)
            continue;
        OpenedFile &file = it.value();
        if (file.problem == Problem::None)
            file.problem = inspect(file, QSqlDatabase::database(file.connectionName, false));
        if (!retiredOnProblem(file.problem))
            continue;
        retire(file); // tried again at the next look while a transaction is open
        if (file.told)
            continue;
        file.told = true;
        const OpenedFile seen = file;
        lock.unlock();
        told << g_wording(seen.problem, seen.path, seen.detail);
    }
    return told;
}

void closeAll()
{
    // A file that vanished or changed since the last look gets its log (or
    // not) as retire() says, rather than what closing would do with it.
    checkOpenFiles();
    {
        QMutexLocker lock(&g_filesLock);
        g_files.clear();
        g_damagedPaths.clear();
    }
    {
        QMutexLocker lock(&g_checksLock);
        g_checks.clear();
        g_checkFinished.wakeAll();
    }
    // The reading connections first: the last connection of a file to close
    // is then the one that writes, which folds the log into the file.
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

Status probeWritable(const QString &path, int waitMs)
{
    Status status;
    status.path = path;
    QString error;
    QSqlDatabase db = connection(path, &error);
    if (!db.isOpen()) {
        status.state = State::CannotOpen;
        status.detail = error;
        return status;
    }
    {
        QMutexLocker lock(&g_filesLock);
        const OpenedFile file = g_files.value(db.driver());
        if (file.problem == Problem::ReadOnly) {
            status.state = State::ReadOnly;
            status.detail = file.detail;
            return status;
        }
    }
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(waitMs));
    q.finish();
    // BEGIN IMMEDIATE takes the write lock, and fails at once on a file,
    // folder or -wal/-shm file that cannot be written.
    const bool writable = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    const QSqlError failure = q.lastError();
    q.finish();
    if (writable)
        q.exec(QStringLiteral("ROLLBACK"));
    q.finish();
    q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(g_busyTimeoutMs));
    if (writable) {
        status.state = State::Ready;
        return status;
    }
    switch (problemOf(failure)) {
    case Problem::Busy:
        status.state = State::Busy;
        break;
    case Problem::Damaged:
        status.state = State::Damaged;
        break;
    case Problem::ReadOnly:
        status.state = State::ReadOnly;
        break;
    default:
        // SQLite answers a read-only -wal/-shm file with "unable to open".
        status.state = QFileInfo(path).isWritable() ? State::CannotOpen : State::ReadOnly;
        break;
    }
    status.detail = failure.databaseText();
    return status;
}

void expectIntegrityCheck(const QString &path)
{
    if (path.isEmpty())
        return;
    QMutexLocker lock(&g_checksLock);
    if (!g_checks.contains(path))
        g_checks.insert(path, CheckStage::Waiting);
}

void startIntegrityCheck(const QString &path, std::function<void(const QString &message)> onDamaged)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || path.isEmpty())
        return;
    {
        // A check that a write already ran (or is running) is not run again.
        QMutexLocker lock(&g_checksLock);
        const auto it = g_checks.find(path);
        if (it != g_checks.end() && it.value() != CheckStage::Waiting)
            return;
        g_checks.insert(path, CheckStage::Running);
    }
    QPointer<QCoreApplication> receiver(app);
    QThreadPool::globalInstance()->start([path, onDamaged, receiver]() {
        const QString problem = quickCheck(path);
        {
            QMutexLocker lock(&g_filesLock);
            if (!problem.isEmpty())
                g_damagedPaths.insert(path, problem);
        }
        {
            QMutexLocker lock(&g_checksLock);
            if (g_checks.contains(path))
                g_checks.insert(path, CheckStage::Done);
            g_checkFinished.wakeAll();
        }
        if (problem.isEmpty() || !receiver)
            return;
        QMetaObject::invokeMethod(
            receiver.data(),
            [path, problem, onDamaged]() {
                if (onDamaged)
                    onDamaged(g_wording(Problem::Damaged, path, problem));
            },
            Qt::QueuedConnection);
    });
}

void setProblemWording(ProblemWording wording)
{
    g_wording = wording ? wording : &defaultWording;
}

QString problemText(Problem problem, const QString &path, const QString &detail)
{
    return g_wording(problem, path, detail);
}

} // namespace Database

} // namespace tarnvik
