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
#include <QUrl>

#include <sys/stat.h>

#include <atomic>

namespace tarnvik {

namespace {

using Database::detail::FileIdentity;
using Database::detail::identityOf;

const char *const kConnectionPrefix = Database::detail::ConnectionPrefix;
int g_busyTimeoutMs = 3000;

// The file a connection opened: its path, its identity on the disk, and the
// problem that stops writes to it, once one was seen.
struct OpenedFile {
    QString connectionName;
    QString path;
    FileIdentity identity;
    Database::Problem problem = Database::Problem::None;
    QString detail;
};

// Keyed by the connection's driver (a query knows its driver, not its
// connection's name). Only the application's thread opens the shared
// connections; the background check marks files damaged through the lock.
QMutex g_filesLock;
QHash<const QSqlDriver *, OpenedFile> g_files;
// Paths found damaged by the background check, before or after their
// connection was opened.
QHash<QString, QString> g_damagedPaths;

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

// Before a statement that writes: the connection's file must still be the one
// at its path, and not known to be damaged. A problem, once seen, stays with
// the connection; connection() then opens the path anew.
bool checkBeforeWrite(const QSqlDriver *driver, QString *reason)
{
    QMutexLocker lock(&g_filesLock);
    auto it = g_files.find(driver);
    if (it == g_files.end())
        return true;
    OpenedFile &file = it.value();
    const bool sound = file.problem == Database::Problem::None;
    if (file.problem == Database::Problem::None) {
        if (g_damagedPaths.contains(file.path)) {
            file.problem = Database::Problem::Damaged;
            file.detail = g_damagedPaths.value(file.path);
        } else {
            const FileIdentity now = identityOf(file.path);
            if (!now.known)
                file.problem = Database::Problem::Gone;
            else if (!(now == file.identity))
                file.problem = Database::Problem::Replaced;
        }
    }
    if (file.problem == Database::Problem::None)
        return true;
    // The wording may look up a localised text, which may read the database:
    // it runs without the lock.
    const OpenedFile seen = file;
    lock.unlock();
    *reason = g_wording(seen.problem, seen.path, seen.detail);
    if (sound && (seen.problem == Database::Problem::Gone || seen.problem == Database::Problem::Replaced)) {
        // The write-ahead log beside the path still belongs to the old file.
        // Fold it into that file and empty it, so that it is never applied to
        // the file that stands at the path now (or is put there later).
        QSqlQuery checkpoint(QSqlDatabase::database(seen.connectionName, false));
        checkpoint.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    return false;
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

} // namespace

FileIdentity Database::detail::identityOf(const QString &path)
{
    FileIdentity id;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        id.known = true;
        id.device = quint64(st.st_dev);
        id.inode = quint64(st.st_ino);
    }
    return id;
}

bool Database::detail::openForReading(QSqlDatabase &db, const QString &path, int busyTimeoutMs,
                                      QString *error)
{
    const auto readable = [&db, error]() {
        if (!db.open()) {
            *error = db.lastError().text();
            return false;
        }
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
            *error = probe.lastError().text();
            return false;
        }
        return true;
    };
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (readable())
        return true;
    db.close();
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?immutable=1"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    if (readable()) {
        error->clear();
        return true;
    }
    db.close();
    return false;
}

bool Database::detail::configure(QSqlDatabase &db, QString *error)
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

namespace Database {

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
    if (isWriteStatement(sql) && !checkBeforeWrite(query.driver(), &reason))
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
        if (db.isOpen()) {
            // A connection whose file was deleted, moved, replaced or found
            // damaged is refused for the rest of the run. It is not reopened:
            // its write-ahead log beside the path belongs to the old file and
            // must never be applied to whatever stands there now.
            QString reason;
            if (checkBeforeWrite(db.driver(), &reason))
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
    }
    QMutexLocker lock(&g_filesLock);
    g_files.insert(db.driver(), OpenedFile{name, path, identity, problem, openError});
    return db;
}

void setBusyTimeout(int milliseconds)
{
    g_busyTimeoutMs = milliseconds;
}

void closeAll()
{
    {
        QMutexLocker lock(&g_filesLock);
        g_files.clear();
        g_damagedPaths.clear();
    }
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

void startIntegrityCheck(const QString &path, std::function<void(const QString &message)> onDamaged)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || path.isEmpty())
        return;
    QPointer<QCoreApplication> receiver(app);
    QThreadPool::globalInstance()->start([path, onDamaged, receiver]() {
        const QString name = QStringLiteral("tarnvik-check-%1").arg(quintptr(QThread::currentThreadId()));
        QString problem;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
            if (db.open()) {
                QSqlQuery q(db);
                if (!q.exec(QStringLiteral("PRAGMA quick_check(1)"))) {
                    if (problemOf(q.lastError()) == Problem::Damaged)
                        problem = q.lastError().databaseText();
                } else if (q.next() && q.value(0).toString() != QLatin1String("ok")) {
                    problem = q.value(0).toString();
                }
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        if (problem.isEmpty())
            return;
        {
            QMutexLocker lock(&g_filesLock);
            g_damagedPaths.insert(path, problem);
        }
        if (receiver)
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

namespace {

std::atomic<int> g_savepointCounter{0};

// Open transactions per connection name. Connections belong to one thread,
// so each thread keeps its own count.
QHash<QString, int> &openTransactions()
{
    thread_local QHash<QString, int> open;
    return open;
}

} // namespace

Transaction::Transaction(const QSqlDatabase &db, Lock lock) : m_db(db)
{
    int &depth = openTransactions()[m_db.connectionName()];
    if (lock == Lock::Immediate && depth == 0) {
        m_active = Database::exec(m_db, QStringLiteral("BEGIN IMMEDIATE"), {}, &m_error);
        // A transaction begun outside this class: nest in it as a savepoint.
        if (!m_active && !m_error.contains(QLatin1String("within a transaction"), Qt::CaseInsensitive)) {
            if (depth == 0)
                openTransactions().remove(m_db.connectionName());
            return;
        }
    }
    if (!m_active) {
        m_error.clear();
        m_name = QStringLiteral("tarnvik_tx_%1").arg(++g_savepointCounter);
        m_active = Database::exec(m_db, QStringLiteral("SAVEPOINT ") + m_name, {}, &m_error);
    }
    if (m_active)
        ++depth;
    else if (depth == 0)
        openTransactions().remove(m_db.connectionName());
}

Transaction::~Transaction()
{
    if (m_active)
        rollback();
}

bool Transaction::isOpenOn(const QSqlDatabase &db)
{
    return openTransactions().value(db.connectionName()) > 0;
}

void Transaction::end()
{
    m_active = false;
    QHash<QString, int> &open = openTransactions();
    const auto it = open.find(m_db.connectionName());
    if (it != open.end() && --it.value() <= 0)
        open.erase(it);
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    const QString sql =
        m_name.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT ") + m_name;
    if (!Database::exec(m_db, sql, {}, &m_error)) {
        rollback();
        return false;
    }
    end();
    return true;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    if (m_name.isEmpty()) {
        Database::exec(m_db, QStringLiteral("ROLLBACK"));
    } else {
        Database::exec(m_db, QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_name);
        Database::exec(m_db, QStringLiteral("RELEASE SAVEPOINT ") + m_name);
    }
    end();
}

bool Transaction::together(const QSqlDatabase &db, const std::function<bool(QString *why)> &writes,
                           QString *error, Lock lock)
{
    QString why;
    Transaction tx(db, lock);
    bool stored = tx.ok() && writes(&why) && tx.commit();
    if (!stored && why.isEmpty())
        why = tx.error();
    if (error)
        *error = stored ? QString() : why;
    return stored;
}

bool Transaction::together(const QString &databasePath,
                           const std::function<bool(const QSqlDatabase &db, QString *why)> &writes,
                           QString *error, Lock lock)
{
    QString why;
    const QSqlDatabase db = Database::connection(databasePath, &why);
    if (!db.isOpen()) {
        if (error)
            *error = why;
        return false;
    }
    return together(
        db, [&](QString *reason) { return writes(db, reason); }, error, lock);
}

} // namespace tarnvik
