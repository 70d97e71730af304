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
        // "number direction day-of-March hour minute", "a" if archived; Bob's on Bureau / Accueil,
        // the others on Chantier / Peinture
        for (const char *punch :
             {"1001 In 2 8 0", "1001 Out 2 9 0", "1001 In 3 8 0 a", "1001 Out 3 12 0 a", "1001 In 16 13 0",
              "1001 Out 16 14 30", "1001 In 17 8 0", "1002 In 5 7 15"}) {
            const QStringList f = QString::fromLatin1(punch).split(QLatin1Char(' '));
            const bool bob = f[0] == QLatin1String("1002");
            addPunch(f[0], f[1], QDate(2003, 3, f[2].toInt()), QTime(f[3].toInt(), f[4].toInt()),
                     bob ? QStringLiteral("Bureau") : QStringLiteral("Chantier"),
                     bob ? QStringLiteral("Accueil") : QStringLiteral("Peinture"), f.size() > 5);
        }
        selection.periodStart = QDate(2003, 3, 3);
        selection.periodEnd = QDate(2003, 3, 16);
    }

    // Where the temporary rows go: a report run's connection, or the file.
    QSqlDatabase target;
    void writeRow(const QString &sql, const QVariantList &params)
    {
        QString error;
        if (!Database::exec(target.isValid() ? target : fileDb(), sql, params, &error))
            ADD_FAILURE() << sql.toStdString() << ": " << error.toStdString();
    }
    // The file's own connection.
    QSqlDatabase fileDb() const { return Database::connection(databasePath()); }
    QString hours(const QString &time, bool atWork = false) const
    {
        return time + LOC_RTString(1032) + (atWork ? QStringLiteral(" (Employé(e) au travail)") : QString());
    }
    // A temporary total row of Projets (employee is empty for the totals of
    // the report by project).
    void addTotal(const QString &employee, const QString &project, const QString &subProject,
                  const QString &total)
    {
        writeRow(QStringLiteral(
                     "INSERT INTO Projets (NoVendeur, Projet, SousProjet, TotalHeures) VALUES (?, ?, ?, ?)"),
                 {employee.isEmpty() ? QVariant() : QVariant(employee), project,
                  subProject.isEmpty() ? QVariant() : QVariant(subProject), total});
    }
    // A temporary employee row of Vendeurs (report by project).
    void addEmployeeTotal(const QString &employee, const QString &name, const QString &project,
                          const QString &subProject, const QString &total)
    {
        writeRow(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status, Projet, SousProjet, "
                                "TotalHeures) VALUES (?, ?, 'Out', ?, ?, ?)"),
                 {employee, name, project, subProject, total});
    }
    // "h:mm" with its unit, "*" after it for an employee at work.
    QString total(const QString &text) const
    {
        const bool atWork = text.endsWith(QLatin1Char('*'));
        return hours(atWork ? text.chopped(1) : text, atWork);
    }
    // Total rows "project|sub-project|total" ("" sub-project: the project's total).
    void addTotals(const QString &employee, const char *rows)
    {
        for (const QString &row : QString::fromLatin1(rows).split(QLatin1Char(' '))) {
            const QStringList f = row.split(QLatin1Char('|'));
            addTotal(employee, f[0], f[1], total(f[2]));
        }
    }
    static constexpr const char *AliceTotals =
        "Aucun|Aucun|0:00 Aucun||0:00 Bureau|Accueil|0:00 Bureau||0:00 "
        "Chantier|Peinture|5:30 Chantier|Plomberie|0:00 Chantier||5:30";
    // The rows the totals by employee write for this database.
    void addEmployeeTotals()
    {
        addTotals(QStringLiteral("1001"), AliceTotals);
        addTotals(QStringLiteral("1002"), "Aucun|Aucun|0:00 Aucun||0:00 Bureau|Accueil|0:00* Bureau||0:00* "
                                          "Chantier|Peinture|0:00 Chantier|Plomberie|0:00 Chantier||0:00");
    }
    // The rows the totals by project write for this database: the same
    // totals as Alice's, and each employee's row "project|sub-project|Alice|Bob".
    void addProjectTotals()
    {
        addTotals(QString(), AliceTotals);
        for (const char *row : {"Aucun|Aucun|0:00|0:00", "Bureau|Accueil|0:00|0:00*",
                                "Chantier|Peinture|5:30|0:00", "Chantier|Plomberie|0:00|0:00"}) {
            const QStringList f = QString::fromLatin1(row).split(QLatin1Char('|'));
            addEmployeeTotal(QStringLiteral("1001"), QStringLiteral("Alice Martin"), f[0], f[1], total(f[2]));
            addEmployeeTotal(QStringLiteral("1002"), QStringLiteral("Bob O'Neil"), f[0], f[1], total(f[3]));
        }
    }
    int temporaryRows() const
    {
        return scalar(QStringLiteral(
                          "SELECT (SELECT COUNT(*) FROM Projets WHERE NoVendeur <> '' OR TotalHeures <> '') "
                          "+ (SELECT COUNT(*) FROM Vendeurs WHERE NomVendeur NOTNULL AND Projet NOTNULL)"))
            .toInt();
    }

    ReportSelection selection;
};

} // namespace tarnvik::test
