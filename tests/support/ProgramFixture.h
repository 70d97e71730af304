#pragma once

#include "support/ScriptedDialogs.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <memory>

namespace tarnvik::test {

// A program folder in a temporary directory, with the built language file, the help documents, a settings
// file and a fresh database; the clock is fixed on 1 March 2003 at nine and every box is answered by the
// script. Everything program-wide is put back when the test ends.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString folder() const { return m_dir->path(); }
    QString databasePath() const;
    // Rows of a query on the test database, each as field -> value.
    QList<QVariantMap> rows(const QString &sql, const QVariantList &params = {}) const;
    QVariant scalar(const QString &sql, const QVariantList &params = {}) const;
    bool execSql(const QString &sql, const QVariantList &params = {}) const;

    // Adds an employee row, a project with its sub-projects, or a punch.
    void addEmployee(const QString &number, const QString &name, const QString &status = QString());
    void addProject(const QString &project, const QStringList &subProjects);
    void addPunch(const QString &number, const QString &inOut, const QDate &date, const QTime &time,
                  const QString &project, const QString &subProject, bool archived = false);

    // Whether the fixture writes the settings file and the database before the test.
    virtual bool prepareDatabase() const { return true; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
};

// Copies the language file and the help documents of the build into a folder.
void copyProgramFiles(const QString &toFolder);

} // namespace tarnvik::test
