#include "reports/ReportShapes.h"

namespace tarnvik::ReportShapes {

namespace {

QString text(const char *s)
{
    return QString::fromLatin1(s);
}

// The punches of the period, with the archive choice. They relate by
// project too, so that a sub-project name that two projects share shows
// under each only the punches its total counts.
ResultLevelQuery punchLevel(const ReportSelection &selection)
{
    const SqlQuery archive = ArchiveFilter(selection);
    SqlQuery q(text("SELECT * FROM Punch WHERE (PunchDateShort >= ?) AND (PunchDateShort <= ?) ") +
                   archive.text + text("ORDER BY PunchDateShort DESC, PunchTime"),
               {selection.periodStart, selection.periodEnd});
    q.params << archive.params;
    const QStringList keys = {QStringLiteral("Projet"), QStringLiteral("SousProjet"),
                              QStringLiteral("NoVendeur")};
    // A report without punch lines reads none: only the fields its layout binds.
    return {QStringLiteral("Punch"), q, keys, keys, false, selection.detail};
}

// The employee rows with a name, of the selected numbers.
SqlQuery employeeQuery(const ReportSelection &selection, const char *select)
{
    const SqlQuery employees = EmployeeFilter(selection);
    return SqlQuery(text(select) + employees.text + text("ORDER BY NoVendeur"), employees.params);
}

} // namespace

QList<ResultLevelQuery> byEmployee(const ReportSelection &selection, const QString &noProjectName)
{
    ResultLevelQuery employees{
        QStringLiteral("Vendeurs"),
        employeeQuery(selection, "SELECT DISTINCT Vendeurs.* FROM Vendeurs WHERE NomVendeur Is Not Null "),
        {},
        {},
        false};
    // The totals come in the order they were written; equal rows once.
    ResultLevelQuery projects{
        QStringLiteral("Projets"),
        SqlQuery(text("SELECT Projets.* FROM Projets WHERE (Projets.SousProjet IS NULL) "
                      "AND (Projets.Projet <> ?) ORDER BY rowid"),
                 {noProjectName}),
        {QStringLiteral("NoVendeur")},
        {QStringLiteral("NoVendeur")},
        true};
    ResultLevelQuery subProjects{QStringLiteral("SousProjet"),
                                 SqlQuery(text("SELECT Projets.* FROM Projets WHERE (SousProjet <> '') "
                                               "AND (SousProjet <> ?) ORDER BY rowid"),
                                          {noProjectName}),
                                 {QStringLiteral("Projet"), QStringLiteral("NoVendeur")},
                                 {QStringLiteral("Projet"), QStringLiteral("NoVendeur")},
                                 true};
    return {employees, projects, subProjects, punchLevel(selection)};
}

QList<ResultLevelQuery> byProject(const ReportSelection &selection, const QString &noProjectName)
{
    ResultLevelQuery projects{QStringLiteral("Projets"),
                              SqlQuery(text("SELECT Projets.* From Projets WHERE (Projet Is Not Null) "
                                            "AND (SousProjet Is Null) AND (TotalHeures Is Not Null) "
                                            "AND (Projet <> ?) ORDER BY Projet"),
                                       {noProjectName}),
                              {},
                              {},
                              false};
    ResultLevelQuery subProjects{QStringLiteral("SousProjets"),
                                 SqlQuery(text("SELECT Projets.* From Projets WHERE SousProjet Is Not Null "
                                               "AND NoVendeur Is Null AND TotalHeures Is Not Null "
                                               "AND (SousProjet <> ?) ORDER BY SousProjet"),
                                          {noProjectName}),
                                 {QStringLiteral("Projet")},
                                 {QStringLiteral("Projet")},
                                 false};
    ResultLevelQuery employees{
        QStringLiteral("Vendeurs"),
        employeeQuery(selection, "SELECT * FROM Vendeurs WHERE NomVendeur Is Not Null "),
        {QStringLiteral("SousProjet"), QStringLiteral("Projet")},
        {QStringLiteral("SousProjet"), QStringLiteral("Projet")},
        false};
    return {projects, subProjects, employees, punchLevel(selection)};
}

QList<ResultLevelQuery> forSelection(const ReportSelection &selection, const QString &noProjectName)
{
    return selection.kind == ReportSelection::Kind::ByProject ? byProject(selection, noProjectName)
                                                              : byEmployee(selection, noProjectName);
}

} // namespace tarnvik::ReportShapes
