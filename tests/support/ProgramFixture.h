#pragma once

#include "common/Clock.h"
#include "common/Database.h"
#include "common/DatabaseMessages.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "localisation/LOCRTSModule.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariantMap>

#include <gtest/gtest.h>

// Texts are printed as text when an expectation fails.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace tarnvik::test {

// Copies the language file and the help documents of the build into a folder.
inline void copyProgramFiles(const QString &toFolder)
{
    const QDir from(QStringLiteral(TARNVIK_BUILD_PROGRAM_DIR));
    for (const QString &name :
         from.entryList({QStringLiteral("LANGUAGE.DAT"), QStringLiteral("*.html")}, QDir::Files))
        QFile::copy(from.filePath(name), QDir(toFolder).filePath(name));
}

// A program folder in a temporary directory, with the built language file, the help documents, a settings
// file and a fresh database; the clock is fixed on 1 March 2003 at nine and every box is answered by the
// script. Everything program-wide (also the language table) is put back when the test ends.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetProgramState();
        m_dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(m_dir->isValid());
        ProgramFolder::setOverride(m_dir->path());
        copyProgramFiles(m_dir->path());
        dialogs = std::make_unique<ScriptedDialogs>();
        Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(9, 0)));
        if (prepareDatabase()) {
            const Database::Status status = Database::ensure(databasePath(), true);
            ASSERT_TRUE(status.usable()) << status.detail.toStdString();
            ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), databasePath()));
            ProgramState::DbPath = databasePath();
            ProgramState::ConnString = buildConnString(databasePath());
        }
    }
    void TearDown() override { dialogs.reset(), resetProgramState(), m_dir.reset(); }
    static void resetProgramState()
    {
        LOCRTSModule::reset(), Database::closeAll(), ProgramState::reset(), Database::setBusyTimeout(3000);
        Database::setProblemWording(nullptr);
        ProgramFolder::setOverride(QString()), Clock::useSystem();
    }

    QString folder() const { return m_dir->path(); }
    QString databasePath() const { return QDir(m_dir->path()).filePath(QStringLiteral("tarnvik.mdb")); }
    // Rows of a query on the test database, each as field -> value.
    // Where rows() and scalar() read: the file, or a report run's connection.
    QSqlDatabase readFrom;
    QList<QVariantMap> rows(const QString &sql, const QVariantList &params = {}) const
    {
        QList<QVariantMap> result;
        QSqlQuery q(readFrom.isValid() ? readFrom : Database::connection(databasePath()));
        q.prepare(sql);
        for (const QVariant &v : params)
            q.addBindValue(v);
        if (!q.exec())
            ADD_FAILURE() << "query failed: " << sql.toStdString() << ": "
                          << q.lastError().text().toStdString();
        while (q.next()) {
            QVariantMap row;
            for (int i = 0; i < q.record().count(); ++i)
                row.insert(q.record().fieldName(i), q.value(i));
            result << row;
        }
        return result;
    }
    QVariant scalar(const QString &sql, const QVariantList &params = {}) const
    {
        const QList<QVariantMap> r = rows(sql, params);
        return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
    }
    bool execSql(const QString &sql, const QVariantList &params = {}) const
    {
        QString error;
        const bool ok = Database::exec(Database::connection(databasePath()), sql, params, &error);
        if (!ok)
            ADD_FAILURE() << "statement failed: " << sql.toStdString() << ": " << error.toStdString();
        return ok;
    }

    // Adds an employee row, a project with its sub-projects, or a punch.
    void addEmployee(const QString &number, const QString &name, const QString &status = QString())
    {
        execSql(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status) VALUES (?, ?, ?)"),
                {number, name, status.isNull() ? QVariant() : QVariant(status)});
    }
    void addProject(const QString &project, const QStringList &subProjects)
    {
        execSql(QStringLiteral("INSERT INTO Projets (Projet) VALUES (?)"), {project});
        for (const QString &sub : subProjects)
            execSql(QStringLiteral("INSERT INTO Projets (Projet, SousProjet) VALUES (?, ?)"), {project, sub});
    }
    void addPunch(const QString &number, const QString &inOut, const QDate &date, const QTime &time,
                  const QString &project, const QString &subProject, bool archived = false)
    {
        execSql(
            QStringLiteral("INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, PunchDateLong, "
                           "Projet, SousProjet, Archived) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {number, inOut, date.toString(Qt::ISODate), time.toString(QStringLiteral("HH:mm:ss")), QString(),
             project, subProject, archived ? 1 : 0});
    }

    // Another program takes the database's write lock (on) or lets it go (off). Writes wait 200 ms for
    // it on the connections opened after shortBusyWait().
    // The problems of the file are worded in the user's language, as the station has them.
    static void shortBusyWait()
    {
        Database::setBusyTimeout(200), Database::closeAll();
        Database::setProblemWording(&localisedDatabaseProblem);
    }
    void holdWriteLock(bool on)
    {
        const QString name = QStringLiteral("other-program");
        if (on) {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            other.setDatabaseName(databasePath());
            ASSERT_TRUE(other.open() && QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
            return;
        }
        QSqlQuery(QSqlDatabase::database(name)).exec(QStringLiteral("ROLLBACK"));
        QSqlDatabase::database(name).close();
        QSqlDatabase::removeDatabase(name);
    }

    // Whether the fixture writes the settings file and the database before the test.
    virtual bool prepareDatabase() const { return true; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
};

} // namespace tarnvik::test
