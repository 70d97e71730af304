#include "common/ReadConnection.h"

#include "common/Database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tarnvik {

namespace {

constexpr size_t kIdleConnections = 4;

struct Idle {
    QString connection;
    QString path;
    QByteArray identity;
};

// Connections belong to the thread that opened them.
std::vector<Idle> &idleConnections()
{
    thread_local std::vector<Idle> idle;
    return idle;
}

// The file a path names: device and inode where the system has them.
QByteArray fileIdentity(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QByteArray();
    return QByteArray::number(qulonglong(info.st_dev)) + ':' + QByteArray::number(qulonglong(info.st_ino));
#else
    return QFileInfo(path).canonicalFilePath().toUtf8();
#endif
}

bool readable(QSqlDatabase &db, QString *error)
{
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
}

bool usable(const QString &connection)
{
    return QSqlDatabase::contains(connection) && QSqlDatabase::database(connection, false).isOpen();
}

void drop(const QString &connection)
{
    if (!QSqlDatabase::contains(connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

bool ReadConnection::begin(const QString &path, QString *error)
{
    m_path = path;
    m_identity = fileIdentity(path);
    std::vector<Idle> &idle = idleConnections();
    while (!idle.empty() && m_connection.isEmpty()) {
        const Idle candidate = idle.back();
        idle.pop_back();
        if (candidate.path == path && !m_identity.isEmpty() && candidate.identity == m_identity &&
            usable(candidate.connection))
            m_connection = candidate.connection;
        else
            drop(candidate.connection);
    }
    if (m_connection.isEmpty()) {
        static std::atomic<int> counter{0};
        m_connection = QStringLiteral("tarnvik-db:reader-%1:%2").arg(++counter).arg(path);
        QSqlDatabase fresh = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        fresh.setDatabaseName(path);
        fresh.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!readable(fresh, error)) {
            // On a read-only disk SQLite cannot make the -shm file that
            // reading a write-ahead-log database needs: the file is then read
            // as one that nobody changes, as the shared connection reads it.
            fresh.close();
            fresh.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                                  QStringLiteral("?immutable=1"));
            fresh.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
            if (!readable(fresh, error))
                return false;
            error->clear();
        }
    }
    m_db = QSqlDatabase::database(m_connection, false);
    return Database::exec(m_db, QStringLiteral("BEGIN"), {}, error);
}

ReadConnection::~ReadConnection()
{
    if (m_connection.isEmpty())
        return;
    // Ending the read transaction lets the file's log be emptied again.
    const bool reusable = m_db.isOpen() && Database::exec(m_db, QStringLiteral("COMMIT"));
    m_db = QSqlDatabase();
    std::vector<Idle> &idle = idleConnections();
    if (reusable && idle.size() < kIdleConnections)
        idle.push_back({m_connection, m_path, m_identity});
    else
        drop(m_connection);
}

} // namespace tarnvik
