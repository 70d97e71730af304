#pragma once

#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "reports/ReportSelection.h"
#include "support/ProgramFixture.h"

namespace tarnvik::test {

// A small station database in English (so the placeholder project is
// "Aucun"): two employees, the projects Chantier (Peinture, Plomberie),
// Bureau (Accueil) and the placeholder, and punches in March 2003. The
// temporary rows the totals write are added by the tests, as the totals
// would.
class ReportFixture : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(QStringLiteral("UPDATE Acces SET Lang = 2, Periode = 2, DateDebut = '2003-03-03'"));
        LOC_RTString(1024); // settles the language (2: English)
        addEmployee(QStringLiteral("1001"), QStringLiteral("Alice Martin"), QStringLiteral("Out"));
        addEmployee(QStringLiteral("1002"), QStringLiteral("Bob O'Neil"), QStringLiteral("In"));
        addProject(QStringLiteral("Chantier"), {QStringLiteral("Peinture"), QStringLiteral("Plomberie")});
        addProject(QStringLiteral("Bureau"), {QStringLiteral("Accueil")});
        addProject(QStringLiteral("Aucun"), {QStringLiteral("Aucun")});
        const QString chantier = QStringLiteral("Chantier"), peinture = QStringLiteral("Peinture");
        addPunch(QStringLiteral("1001"), QStringLiteral("In"), {2003, 3, 2}, {8, 0}, chantier, peinture);
        addPunch(QStringLiteral("1001"), QStringLiteral("Out"), {2003, 3, 2}, {9, 0}, chantier, peinture);
        addPunch(QStringLiteral("1001"), QStringLiteral("In"), {2003, 3, 3}, {8, 0}, chantier, peinture, true);
        addPunch(QStringLiteral("1001"), QStringLiteral("Out"), {2003, 3, 3}, {12, 0}, chantier, peinture, true);
        addPunch(QStringLiteral("1001"), QStringLiteral("In"), {2003, 3, 16}, {13, 0}, chantier, peinture);
        addPunch(QStringLiteral("1001"), QStringLiteral("Out"), {2003, 3, 16}, {14, 30}, chantier, peinture);
        addPunch(QStringLiteral("1001"), QStringLiteral("In"), {2003, 3, 17}, {8, 0}, chantier, peinture);
        addPunch(QStringLiteral("1002"), QStringLiteral("In"), {2003, 3, 5}, {7, 15}, QStringLiteral("Bureau"),
                 QStringLiteral("Accueil"));
        selection.periodStart = QDate(2003, 3, 3);
        selection.periodEnd = QDate(2003, 3, 16);
    }

    QString hours(const QString &time, bool atWork = false) const
    {
        return time + LOC_RTString(1032) + (atWork ? QStringLiteral(" (Employé(e) au travail)") : QString());
    }
    // A temporary total row of Projets (employee is empty for the totals of
    // the report by project).
    void addTotal(const QString &employee, const QString &project, const QString &subProject,
                  const QString &total)
    {
        execSql(QStringLiteral("INSERT INTO Projets (NoVendeur, Projet, SousProjet, TotalHeures) VALUES (?, ?, ?, ?)"),
                {employee.isEmpty() ? QVariant() : QVariant(employee), project,
                 subProject.isEmpty() ? QVariant() : QVariant(subProject), total});
    }
    // A temporary employee row of Vendeurs (report by project).
    void addEmployeeTotal(const QString &employee, const QString &name, const QString &project,
                          const QString &subProject, const QString &total)
    {
        execSql(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status, Projet, SousProjet, "
                               "TotalHeures) VALUES (?, ?, 'Out', ?, ?, ?)"),
                {employee, name, project, subProject, total});
    }
    // The rows the totals by employee write for this database.
    void addEmployeeTotals()
    {
        for (const QString &e : {QStringLiteral("1001"), QStringLiteral("1002")}) {
            const bool alice = e == QLatin1String("1001");
            addTotal(e, QStringLiteral("Aucun"), QStringLiteral("Aucun"), hours(QStringLiteral("0:00")));
            addTotal(e, QStringLiteral("Aucun"), QString(), hours(QStringLiteral("0:00")));
            addTotal(e, QStringLiteral("Bureau"), QStringLiteral("Accueil"), hours(QStringLiteral("0:00"), !alice));
            addTotal(e, QStringLiteral("Bureau"), QString(), hours(QStringLiteral("0:00"), !alice));
            addTotal(e, QStringLiteral("Chantier"), QStringLiteral("Peinture"),
                     hours(alice ? QStringLiteral("5:30") : QStringLiteral("0:00")));
            addTotal(e, QStringLiteral("Chantier"), QStringLiteral("Plomberie"), hours(QStringLiteral("0:00")));
            addTotal(e, QStringLiteral("Chantier"), QString(),
                     hours(alice ? QStringLiteral("5:30") : QStringLiteral("0:00")));
        }
    }
    // The rows the totals by project write for this database.
    void addProjectTotals()
    {
        const QString zero = hours(QStringLiteral("0:00"));
        for (const QString &p : {QStringLiteral("Aucun"), QStringLiteral("Bureau"), QStringLiteral("Chantier")}) {
            const QStringList subs = p == QLatin1String("Chantier")
                                         ? QStringList{QStringLiteral("Peinture"), QStringLiteral("Plomberie")}
                                     : p == QLatin1String("Bureau") ? QStringList{QStringLiteral("Accueil")}
                                                                    : QStringList{QStringLiteral("Aucun")};
            for (const QString &s : subs) {
                const bool painting = s == QLatin1String("Peinture");
                const bool desk = s == QLatin1String("Accueil");
                addEmployeeTotal(QStringLiteral("1001"), QStringLiteral("Alice Martin"), p, s,
                                 painting ? hours(QStringLiteral("5:30")) : zero);
                addEmployeeTotal(QStringLiteral("1002"), QStringLiteral("Bob O'Neil"), p, s,
                                 desk ? hours(QStringLiteral("0:00"), true) : zero);
                addTotal(QString(), p, s, painting ? hours(QStringLiteral("5:30")) : zero);
            }
            addTotal(QString(), p, QString(), p == QLatin1String("Chantier") ? hours(QStringLiteral("5:30")) : zero);
        }
    }
    int temporaryRows() const
    {
        return scalar(QStringLiteral("SELECT (SELECT COUNT(*) FROM Projets WHERE NoVendeur <> '' OR TotalHeures <> '') "
                                     "+ (SELECT COUNT(*) FROM Vendeurs WHERE NomVendeur NOTNULL AND Projet NOTNULL)"))
            .toInt();
    }

    ReportSelection selection;
};

} // namespace tarnvik::test
