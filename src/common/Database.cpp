#include "common/Database.h"

#include "common/DatabaseInternal.h"

#include "common/DateFormat.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <sqlite3.h>

namespace tarnvik {

namespace {

using Database::detail::FileIdentity;
using Database::detail::identityOf;

int g_busyTimeoutMs = 3000;

// The check of a whole file that the station expects before it writes: the
// first write waits for it (or runs it) rather than go into a damaged file.
enum class CheckStage { Waiting, Running, Done };
QMutex g_checksLock;
QWaitCondition g_checkFinished;
QHash<QString, CheckStage> g_checks;

QString keptSentence(const QString &kept)
{
    return kept.isEmpty()
               ? QString()
               : QStringLiteral(" The punches not yet written into it are kept in \"%1\".").arg(kept);
}

QString defaultWording(Database::Problem problem, const QString &path, const QString &detail)
{
    switch (problem) {
    case Database::Problem::None:
        return QString();
    case Database::Problem::Missing:
        return QStringLiteral("The database file \"%1\" does not exist.").arg(path);
    case Database::Problem::Gone:
        return QStringLiteral(
                   "The database file \"%1\" was deleted or moved while in use; every punch stored so "
                   "far is in it.%2")
            .arg(path, keptSentence(detail));
    case Database::Problem::Replaced:
        return QStringLiteral("Another file took the place of the database file \"%1\" while in use; the "
                              "station now works on it.%2")
            .arg(path, keptSentence(detail));
    case Database::Problem::Damaged:
        return QStringLiteral("The database file \"%1\" is damaged (%2); nothing more is written to it.")
            .arg(path, detail);
    case Database::Problem::NotStation:
        return QStringLiteral(
                   "The file \"%1\" is no station database (missing: %2); nothing is written to it.")
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

} // namespace

namespace Database::detail {

Problem problemOf(const QSqlError &error)
{
    switch (primaryCode(error)) {
    case kSqliteBusy:
    case kSqliteLocked:
        return Problem::Busy;
    case kSqliteReadOnly:
        return Problem::ReadOnly;
    case kSqliteCorrupt:
    case kSqliteNotADatabase:
        return Problem::Damaged;
    default:
        break;
    }
    const QString text = error.text();
    if (text.contains(QLatin1String("malformed"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("not a database"), Qt::CaseInsensitive))
        return Problem::Damaged;
    return Problem::None;
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

int busyTimeoutMs()
{
    return g_busyTimeoutMs;
}

} // namespace Database::detail

namespace {

using Database::detail::problemOf;

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
    if (!problem.isEmpty())
        Database::detail::markDamaged(path, problem);
    lock.relock();
    g_checks.insert(path, CheckStage::Done);
    g_checkFinished.wakeAll();
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
    const bool writing = isWriteStatement(sql);
    if (query.driver()) {
        // The file expected to be checked whole before a write is, first.
        if (writing)
            settleExpectedCheck(detail::pathOf(query.driver()));
        if (!detail::beforeUse(query.driver(), writing, &reason))
            return false;
    }
    if (!query.driver() || !query.driver()->isOpen()) {
        if (reason.isEmpty())
            reason = QStringLiteral("the database is not open");
        return false;
    }
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        reason = query.lastError().text();
        detail::noteFailure(query.driver(), query.lastError(), &reason);
        return false;
    }
    for (const QVariant &v : params)
        query.addBindValue(toStoredValue(v));
    if (!query.exec()) {
        reason = query.lastError().text();
        detail::noteFailure(query.driver(), query.lastError(), &reason);
        return false;
    }
    if (writing || endsTransaction(sql))
        detail::afterWrite(query.driver());
    return true;
}

bool exec(const QSqlDatabase &db, const QString &sql, const QVariantList &params, QString *error)
{
    QSqlQuery q(db);
    return run(q, sql, params, error);
}

void detail::forgetChecks()
{
    QMutexLocker lock(&g_checksLock);
    g_checks.clear();
    g_checkFinished.wakeAll();
}

void setBusyTimeout(int milliseconds)
{
    g_busyTimeoutMs = milliseconds;
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
    if (detail::isReadOnly(db.driver(), &status.detail)) {
        status.state = State::ReadOnly;
        return status;
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
        if (!problem.isEmpty())
            Database::detail::markDamaged(path, problem);
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
