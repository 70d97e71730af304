#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>

namespace tarnvik::Database::detail {

// Sets a newly opened connection up: write-ahead log and synchronous
// commits. False (and the reason) when the file refuses it.
bool configure(QSqlDatabase &db, QString *error);

// The start of the name of every connection this program opens, so that
// closing all of them finds them.
inline constexpr const char *ConnectionPrefix = "tarnvik-db:";

// The file a path names on the disk: its device and inode, unknown when the
// path names nothing; with its size and modification time when it was looked
// at (which do not make it another file).
struct FileIdentity {
    bool known = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    bool operator==(const FileIdentity &o) const
    {
        return known == o.known && device == o.device && inode == o.inode;
    }
};
FileIdentity identityOf(const QString &path);

// Opens the file at path for reading only and checks that its tables can be
// read. On a read-only disk, where SQLite cannot make the -shm file that
// reading a write-ahead-log database needs, the file is then read as one that
// nobody changes while it is open. False, closed, and the reason when
// neither way reads it.
bool openForReading(QSqlDatabase &db, const QString &path, int busyTimeoutMs, QString *error);

} // namespace tarnvik::Database::detail
