#include "MillionPunchFolder.h"

#include "common/Database.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "support/DataGenerator.h"
#include "support/ProgramFixture.h"

#include <QFile>

namespace tarnvik::bench {

MillionPunchFolder::MillionPunchFolder(Indexes indexes) : m_indexes(indexes)
{
    QString error;
    m_cached = test::cachedGeneratedDatabase(test::millionPunches(), &error);
    if (m_cached.isEmpty())
        qFatal("cannot generate the benchmark database: %s", qPrintable(error));
    Database::closeAll();
    ProgramFolder::setOverride(m_dir.path());
    test::copyProgramFiles(m_dir.path());
    m_database = m_dir.filePath(QStringLiteral("tarnvik.mdb"));
    freshCopy();
}

MillionPunchFolder::~MillionPunchFolder()
{
    Database::closeAll();
    ProgramFolder::setOverride(QString());
}

void MillionPunchFolder::freshCopy()
{
    Database::closeAll();
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(m_database + suffix);
    if (!QFile::copy(m_cached, m_database))
        qFatal("cannot copy the benchmark database");
    if (m_indexes == Indexes::Ensured && !Database::ensure(m_database, false).usable())
        qFatal("cannot open the benchmark database");
    Database::exec(Database::connection(m_database), QStringLiteral("UPDATE Acces SET Lang = 2"));
    SettingsFile::writeDatabasePath(SettingsFile::path(), m_database);
    ProgramState::DbPath = m_database;
    ProgramState::ConnString = buildConnString(m_database);
}

double processMegabytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

} // namespace tarnvik::bench
