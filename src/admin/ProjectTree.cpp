#include "admin/ProjectTree.h"

#include "common/Database.h"
#include "common/ProgramState.h"

namespace tarnvik::ProjectTree {

SqlQuery projectList()
{
    return SqlQuery(
        QStringLiteral("SELECT * FROM Projets WHERE Projet <> '' AND Projet <> ? AND SousProjet Is Null "
                       "ORDER BY Projet;"),
        {NoProjectName()});
}

SqlQuery subProjectList(const QVariant &project)
{
    return SqlQuery(QStringLiteral("SELECT * FROM Projets WHERE SousProjet <> '' AND SousProjet <> ? AND "
                                   "Projet = ? ORDER BY SousProjet;"),
                    {NoProjectName(), project});
}

SqlQuery subProjectListOnRowChange(const QVariant &project)
{
    return SqlQuery(
        QStringLiteral("SELECT * FROM Projets WHERE SousProjet <> '' AND Projet = ? ORDER BY SousProjet;"),
        {project});
}

SqlQuery rowsOfProject(const QVariant &project)
{
    return SqlQuery(QStringLiteral("SELECT * FROM Projets WHERE Projet = ?;"), {project});
}

bool deleteProject(const QString &databasePath, const QVariant &project, QString *error)
{
    return Transaction::together(
        databasePath,
        [&](const QSqlDatabase &db, QString *why) {
            return Database::exec(db, QStringLiteral("DELETE FROM Projets WHERE Projet = ?"), {project}, why);
        },
        error);
}

} // namespace tarnvik::ProjectTree
