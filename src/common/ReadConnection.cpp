#include "common/ReadConnection.h"

#include "common/Database.h"
#include "common/DatabaseInternal.h"

#include <QSqlQuery>

#include <atomic>
#include <vector>

namespace tarnvik {

namespace {

constexpr size_t kIdleConnections = 4;

struct Idle {
    QString connection;
    QString path;
    Database::detail::FileIdentity identity;
};

// Connections belong to the thread that opened them.
std::vector<Idle> &idleConnections()
{
    thread_local std::vector<Idle> idle;
    return idle;
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
    m_identity = Database::detail::identityOf(path);
    std::vector<Idle> &idle = idleConnections();
    while (!idle.empty() && m_connection.isEmpty()) {
        const Idle candidate = idle.back();
        idle.pop_back();
        if (candidate.path == path && m_identity.known && candidate.identity.sameContents(m_identity) &&
            usable(candidate.connection))
            m_connection = candidate.connection;
        else
            drop(candidate.connection);
    }
    if (m_connection.isEmpty()) {
        static std::atomic<int> counter{0};
        m_connection = QLatin1String(Database::detail::ConnectionPrefix) +
                       QStringLiteral("reader-%1:%2").arg(++counter).arg(path);
        QSqlDatabase fresh = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        if (!Database::detail::openForReading(fresh, path, 5000, error))
            return false;
    }
    m_db = QSqlDatabase::database(m_connection, false);
    return Database::exec(m_db, QStringLiteral("BEGIN"), {}, error);
}

void ReadConnection::dropIdle()
{
    std::vector<Idle> &idle = idleConnections();
    for (const Idle &connection : idle)
        drop(connection.connection);
    idle.clear();
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
