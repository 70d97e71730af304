// One unit of work on a connection: transactions and their savepoints.
#include "common/Database.h"

#include <QHash>
#include <QSqlDatabase>

#include <atomic>

namespace tarnvik {

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
