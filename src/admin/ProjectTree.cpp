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
    const QSqlDatabase db = Database::connection(databasePath, error);
    if (!db.isOpen())
        return false;
    Transaction tx(db);
    if (!tx.ok()) {
        *error = tx.error();
        return false;
    }
    if (!Database::exec(db, QStringLiteral("DELETE FROM Projets WHERE Projet = ?"), {project}, error))
        return false; // rolled back as tx goes
    if (!tx.commit()) {
        *error = tx.error();
        return false;
    }
    return true;
}

} // namespace tarnvik::ProjectTree
