// The storage layer's helpers that hold no state: the identity of a file on
// the disk, reading a file that cannot be written, and the set-up of a new
// connection.
#include "common/DatabaseInternal.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

namespace tarnvik {

using Database::detail::FileIdentity;

FileIdentity Database::detail::identityOf(const QString &path)
{
    FileIdentity id;
    // statx gives the birth time too: a file deleted and another made in its
    // place may get the same inode number back, never the same birth.
    struct statx st;
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) ==
        0) {
        const auto ns = [](const struct statx_timestamp &t) {
            return qint64(t.tv_sec) * 1000000000 + qint64(t.tv_nsec);
        };
        id.known = true;
        id.device = (quint64(st.stx_dev_major) << 32) | quint64(st.stx_dev_minor);
        id.inode = quint64(st.stx_ino);
        id.size = qint64(st.stx_size);
        id.modifiedNs = ns(st.stx_mtime);
        id.changedNs = ns(st.stx_ctime);
        id.bornNs = (st.stx_mask & STATX_BTIME) ? ns(st.stx_btime) : 0;
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
