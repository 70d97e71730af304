// The storage layer's helpers that hold no state: the identity of a file on
// the disk, reading a file that cannot be written, and the set-up of a new
// connection.
#include "common/DatabaseInternal.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sys/stat.h>

namespace tarnvik {

using Database::detail::FileIdentity;

FileIdentity Database::detail::identityOf(const QString &path)
{
    FileIdentity id;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        id.known = true;
        id.device = quint64(st.st_dev);
        id.inode = quint64(st.st_ino);
        id.size = qint64(st.st_size);
        id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
        id.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + qint64(st.st_ctim.tv_nsec);
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

} // namespace tarnvik
