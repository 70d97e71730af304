#pragma once

#include "common/DataSource.h"

#include <QString>
#include <QVariant>

namespace tarnvik {

// The two-level project tree held in Projets: project rows (Projet set,
// SousProjet Null) and sub-project rows (Projet names the parent). Nothing
// but the text of Projet links a sub-project to its project; names are not
// checked for duplicates.
namespace ProjectTree {

// The projects, by name, without the no-project name.
SqlQuery projectList();
// The sub-projects of a project, by name, without the no-project name.
SqlQuery subProjectList(const QVariant &project);
// The sub-projects of a project, by name, the no-project name included: the
// list shown when the user takes another project.
SqlQuery subProjectListOnRowChange(const QVariant &project);
// Every row carrying a project's name: its project row, its sub-projects and
// any temporary report rows.
SqlQuery rowsOfProject(const QVariant &project);

// Deletes every row of Projets that carries the project's name, all of them
// or none. Punches and employee rows that name it are not touched.
bool deleteProject(const QString &databasePath, const QVariant &project, QString *error);

} // namespace ProjectTree

} // namespace tarnvik
