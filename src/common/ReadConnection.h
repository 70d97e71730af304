#pragma once

#include <QSqlDatabase>
#include <QString>

#include "common/DatabaseInternal.h"

namespace tarnvik {

// A read-only connection to a database file for reading a large result in
// one read transaction, apart from the connection that writes. Connections
// are kept open between uses (a few per thread), so that taking one costs no
// file open; one whose file was replaced or written since is not reused: SQLite
// would trust pages it read before. Their
// names carry the prefix of the database connections, so that closing all of
// those closes these too.
class ReadConnection {
public:
    ReadConnection() = default;
    ~ReadConnection();
    ReadConnection(const ReadConnection &) = delete;
    ReadConnection &operator=(const ReadConnection &) = delete;

    // Takes a connection to the file and begins a read transaction: what is
    // read through it from the first read on is the file as it was then.
    bool begin(const QString &path, QString *error);
    QSqlDatabase database() const { return m_db; }

    // Closes the connections kept for later uses by this thread, so that
    // nothing of them stays beside their files while the program waits.
    static void dropIdle();

private:
    QString m_connection;
    QString m_path;
    Database::detail::FileIdentity m_identity;
    QSqlDatabase m_db;
};

} // namespace tarnvik
