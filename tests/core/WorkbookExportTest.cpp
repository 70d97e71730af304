#include "reports/WorkbookExport.h"
#include "common/Progress.h"
#include "localisation/LOCRTSModule.h"
#include "platform/Spreadsheet.h"
#include "support/ProgramFixture.h"
#include "support/WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

const QString Zero = u"0:00 Heures:Minutes"_s;
const QString AtWork = u"0:00 Heures:Minutes (Employé(e) au travail)"_s;
const QString Header = u"D*InOut | E*Date | F*Heure | G*Date / message | H*Note"_s;

class WorkbookExportTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 1"_s); // French, whose placeholder project is "None"
        SpreadsheetApplication::setDocumentsFolder(documents());
    }
    void TearDown() override
    {
        SpreadsheetApplication::setDocumentsFolder(QString());
        DelayedProgress::setDelay(500);
        ProgramFixture::TearDown();
    }
    QString documents() const { return folder() + u"/Documents"_s; }

    static ReportSelection selection(ReportSelection::Kind kind, bool detail)
    {
        ReportSelection s;
        s.kind = kind;
        s.detail = detail;
        s.periodStart = QDate(2003, 3, 1);
        s.periodEnd = QDate(2003, 3, 7);
        return s;
    }
    // Exports, checks that one workbook was saved and handed to the desktop,
    // and reads its rows back.
    QStringList exported(const ReportSelection &s)
    {
        const WorkbookExportResult r = exportWorkbook(databasePath(), s);
        EXPECT_TRUE(r.filled) << r.error.toStdString();
        if (r.savedFiles.size() != 1) {
            ADD_FAILURE() << "saved: " << r.savedFiles.join(u", "_s).toStdString() << r.error.toStdString();
            return {};
        }
        EXPECT_EQ(dialogs->openedUrls().value(dialogs->openedUrls().size() - 1),
                  QUrl::fromLocalFile(r.savedFiles[0]));
        const WorkbookContent content = readWorkbook(r.savedFiles[0]);
        EXPECT_TRUE(content.ok) << content.error.toStdString();
        EXPECT_EQ(content.sheets, 1);
        return content.rows;
    }

    void punch(const QString &number, const QString &inOut, const QDate &date, const QString &time,
               const QString &project, const QString &sub, const QString &note = QString(),
               bool archived = false)
    {
        execSql(u"INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, PunchDateLong, Projet, "
                "SousProjet, Description, Archived) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                {number, inOut, date.toString(Qt::ISODate), time,
                 QLocale(QLocale::French).toString(date, u"dddd dd MMMM yyyy"_s), project, sub,
                 note.isNull() ? QVariant() : QVariant(note), archived ? 1 : 0});
    }
    // A temporary total row of Projets (sub-project Null for a project total,
    // number Null in the report by project).
    void total(const QString &project, const QString &sub, const QString &number, const QString &text)
    {
        execSql(u"INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) VALUES (?, ?, ?, ?)"_s,
                {project, sub.isNull() ? QVariant() : QVariant(sub),
                 number.isNull() ? QVariant() : QVariant(number), text});
    }
    // A temporary employee row of the report by project.
    void employeeTotal(const QString &number, const QString &name, const QString &status,
                       const QString &project, const QString &sub, const QString &text)
    {
        execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status, Projet, SousProjet, TotalHeures) "
                "VALUES (?, ?, ?, ?, ?, ?)"_s,
                {number, name, status, project, sub, text});
    }

    // Three employees (the second without totals), a project tree with the
    // placeholder project, and punches in, before, after and at the edges
    // of the period 2003-03-01 .. 2003-03-07.
    void common()
    {
        addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
        addEmployee(u"1002"_s, u"Chloé D'Arcy"_s, u"Out"_s);
        addEmployee(u"1003"_s, u"Bob"_s, u"In"_s);
        addProject(u"Chantier"_s, {u"Peinture"_s, u"Plomberie"_s});
        addProject(u"Bureau"_s, {u"Accueil"_s});
        addProject(u"None"_s, {u"None"_s});
        const QString C = u"Chantier"_s, P = u"Peinture"_s;
        punch(u"1001"_s, u"In"_s, QDate(2003, 3, 3), u"08:00:00"_s, C, P);
        punch(u"1001"_s, u"Out"_s, QDate(2003, 3, 3), u"12:00:00"_s, C, P);
        punch(u"1001"_s, u"Out"_s, QDate(2003, 3, 4), u"15:00:00"_s, C, P, u"=2+2"_s);
        punch(u"1001"_s, u"In"_s, QDate(2003, 3, 4), u"13:00:00"_s, C, P);
        punch(u"1001"_s, u"In"_s, QDate(2003, 3, 7), u"10:00:00"_s, u"CHANTIER"_s, u"peinture"_s);
        punch(u"1001"_s, u"In"_s, QDate(2003, 3, 1), u"09:00:00"_s, C, P, QString(), true);
        punch(u"1001"_s, u"In"_s, QDate(2003, 2, 28), u"09:00:00"_s, C, P);
        punch(u"1001"_s, u"In"_s, QDate(2003, 3, 8), u"09:00:00"_s, C, P);
        punch(u"1001"_s, u"In"_s, QDate(2003, 3, 5), u"09:00:00"_s, u"Bureau"_s, u"Autre"_s);
        punch(u"1003"_s, u"In"_s, QDate(2003, 3, 6), u"07:30:00"_s, C, P);
        punch(u"1003"_s, u"Out"_s, QDate(2003, 3, 6), u"09:30:00"_s, u"None"_s, u"None"_s);
    }
    // The rows the totals by employee write.
    void byEmployeeTotals()
    {
        total(u"Chantier"_s, u"Peinture"_s, u"1001"_s, u"4:00 Heures:Minutes"_s);
        total(u"Chantier"_s, u"Plomberie"_s, u"1001"_s, Zero);
        total(u"Chantier"_s, QString(), u"1001"_s, u"4:00 Heures:Minutes"_s);
        total(u"Bureau"_s, u"Accueil"_s, u"1001"_s, u"1:30 Heures:Minutes"_s);
        total(u"Bureau"_s, QString(), u"1001"_s, u"1:30 Heures:Minutes"_s);
        total(u"None"_s, u"None"_s, u"1001"_s, u"2:00 Heures:Minutes"_s);
        total(u"None"_s, QString(), u"1001"_s, u"2:00 Heures:Minutes"_s);
        total(u"Chantier"_s, u"Peinture"_s, u"1003"_s, AtWork);
        total(u"Chantier"_s, u"Plomberie"_s, u"1003"_s, Zero);
        total(u"Chantier"_s, QString(), u"1003"_s, AtWork);
        total(u"Bureau"_s, u"Accueil"_s, u"1003"_s, Zero);
        total(u"Bureau"_s, QString(), u"1003"_s, Zero);
        total(u"None"_s, u"None"_s, u"1003"_s, u"2:00 Heures:Minutes"_s);
        total(u"None"_s, QString(), u"1003"_s, u"2:00 Heures:Minutes"_s);
    }
    // The rows the totals by project write.
    void byProjectTotals()
    {
        total(u"Chantier"_s, u"Peinture"_s, QString(), u"4:00 Heures:Minutes"_s);
        total(u"Chantier"_s, u"Plomberie"_s, QString(), Zero);
        total(u"Chantier"_s, QString(), QString(), u"4:00 Heures:Minutes"_s);
        total(u"Bureau"_s, u"Accueil"_s, QString(), u"1:30 Heures:Minutes"_s);
        total(u"Bureau"_s, QString(), QString(), u"1:30 Heures:Minutes"_s);
        total(u"None"_s, u"None"_s, QString(), u"2:00 Heures:Minutes"_s);
        total(u"None"_s, QString(), QString(), u"2:00 Heures:Minutes"_s);
        const QString C = u"Chantier"_s;
        employeeTotal(u"1003"_s, u"Bob"_s, u"Out"_s, C, u"Peinture"_s, AtWork);
        employeeTotal(u"1001"_s, u"Alice"_s, u"Out"_s, C, u"Peinture"_s, u"4:00 Heures:Minutes"_s);
        employeeTotal(u"1001"_s, u"Alice"_s, u"Out"_s, C, u"Plomberie"_s, Zero);
        employeeTotal(u"1003"_s, u"Bob"_s, u"In"_s, C, u"Plomberie"_s, Zero);
        employeeTotal(u"1001"_s, u"Alice"_s, u"Out"_s, u"Bureau"_s, u"Accueil"_s, u"1:30 Heures:Minutes"_s);
        employeeTotal(u"1003"_s, u"Bob"_s, u"Out"_s, u"Bureau"_s, u"Accueil"_s, Zero);
        employeeTotal(u"1001"_s, u"Alice"_s, u"Out"_s, u"None"_s, u"None"_s, u"2:00 Heures:Minutes"_s);
    }
};

const QStringList Opening = {u"1: A=Période du  | B=d:2003-03-01 | C= au  | D=d:2003-03-07"_s,
                             u"2: A=Pointages archivés et courants"_s};

// Alice's punches on Chantier / Peinture in the period, latest day first and
// earliest time first within a day, from a given row.
QStringList alicePunches(int row)
{
    const QStringList punches = {
        u"D=In | E=d:2003-03-07 | F=t:10:00:00 | G=vendredi 07 mars 2003"_s,
        u"D=In | E=d:2003-03-04 | F=t:13:00:00 | G=mardi 04 mars 2003"_s,
        u"D=Out | E=d:2003-03-04 | F=t:15:00:00 | G=mardi 04 mars 2003 | H==2+2"_s,
        u"D=In | E=d:2003-03-03 | F=t:08:00:00 | G=lundi 03 mars 2003"_s,
        u"D=Out | E=d:2003-03-03 | F=t:12:00:00 | G=lundi 03 mars 2003"_s,
        u"D=In | E=d:2003-03-01 | F=t:09:00:00 | G=samedi 01 mars 2003"_s,
    };
    QStringList rows;
    for (const QString &p : punches)
        rows << u"%1: %2"_s.arg(row++).arg(p);
    return rows;
}

TEST_F(WorkbookExportTest, ByEmployeeWithDetailWritesEveryLineInItsRow)
{
    common();
    byEmployeeTotals();
    const QStringList expected =
        Opening +
        QStringList{
            u"4: A*N° d'employé : | B=1001 | C*Nom : | D=Alice | E*Statut : | F=Out"_s,
            u"5: B*Projet : | C=Bureau"_s,
            u"6: C*Sous-projet : | D=Accueil"_s,
            u"7: "_s + Header, // no punch in the period: the header, then the total
            u"8: C*Total du sous-projet : | D=1:30 Heures:Minutes"_s,
            u"9: B*Total du projet : | C=1:30 Heures:Minutes"_s,
            u"10: B*Projet : | C=Chantier"_s,
            u"11: C*Sous-projet : | D=Peinture"_s,
            u"12: "_s + Header,
        } +
        alicePunches(13) +
        QStringList{
            // the zero total of Plomberie is left out
            u"19: C*Total du sous-projet : | D=4:00 Heures:Minutes"_s,
            u"20: B*Total du projet : | C=4:00 Heures:Minutes"_s,
            // an employee without totals: his line alone, the next one two rows down
            u"22: A*N° d'employé : | B=1002 | C*Nom : | D=Chloé D'Arcy | E*Statut : | F=Out"_s,
            u"24: A*N° d'employé : | B=1003 | C*Nom : | D=Bob | E*Statut : | F=In"_s,
            u"25: B*Projet : | C=Bureau"_s,
            u"26: B*Total du projet : | C=0:00 Heures:Minutes"_s,
            u"27: B*Projet : | C=Chantier"_s,
            u"28: C*Sous-projet : | D=Peinture"_s,
            u"29: "_s + Header,
            u"30: D=In | E=d:2003-03-06 | F=t:07:30:00 | G=jeudi 06 mars 2003"_s,
            u"31: C*Total du sous-projet : | D="_s + AtWork,
            u"32: B*Total du projet : | C="_s + AtWork,
        };
    EXPECT_EQ(exported(selection(ReportSelection::Kind::ByEmployee, true)), expected);
    EXPECT_TRUE(dialogs->messages().isEmpty()) << dialogs->messages().join(u"\n"_s).toStdString();
}

TEST_F(WorkbookExportTest, ByEmployeeWithoutDetailHasNoPunchLines)
{
    common();
    byEmployeeTotals();
    const QStringList expected =
        Opening + QStringList{
                      u"4: A*N° d'employé : | B=1001 | C*Nom : | D=Alice | E*Statut : | F=Out"_s,
                      u"5: B*Projet : | C=Bureau"_s,
                      u"6: C*Sous-projet : | D=Accueil"_s,
                      u"7: C*Total du sous-projet : | D=1:30 Heures:Minutes"_s,
                      u"8: B*Total du projet : | C=1:30 Heures:Minutes"_s,
                      u"9: B*Projet : | C=Chantier"_s,
                      u"10: C*Sous-projet : | D=Peinture"_s,
                      u"11: C*Total du sous-projet : | D=4:00 Heures:Minutes"_s,
                      u"12: B*Total du projet : | C=4:00 Heures:Minutes"_s,
                      u"14: A*N° d'employé : | B=1002 | C*Nom : | D=Chloé D'Arcy | E*Statut : | F=Out"_s,
                      u"16: A*N° d'employé : | B=1003 | C*Nom : | D=Bob | E*Statut : | F=In"_s,
                      u"17: B*Projet : | C=Bureau"_s,
                      u"18: B*Total du projet : | C=0:00 Heures:Minutes"_s,
                      u"19: B*Projet : | C=Chantier"_s,
                      u"20: C*Sous-projet : | D=Peinture"_s,
                      u"21: C*Total du sous-projet : | D="_s + AtWork,
                      u"22: B*Total du projet : | C="_s + AtWork,
                  };
    EXPECT_EQ(exported(selection(ReportSelection::Kind::ByEmployee, false)), expected);
}

TEST_F(WorkbookExportTest, ByProjectWithDetailWritesEveryLineInItsRow)
{
    common();
    byProjectTotals();
    const QStringList expected =
        Opening +
        QStringList{
            u"5: A*Projet : | B=Bureau"_s,
            u"6: B*Sous-projet : | C=Accueil"_s,
            u"7: C*N° d'employé : | D=1001 | E*Nom : | F=Alice | G*Statut : | H=Out"_s,
            u"8: "_s + Header,
            u"9: C*Total de l'employé : | D=1:30 Heures:Minutes"_s,
            u"10: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=Out"_s,
            u"11: "_s + Header,
            u"12: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
            u"13: B*Total du sous-projet : | C=1:30 Heures:Minutes"_s,
            u"14: A*Total du projet : | B=1:30 Heures:Minutes"_s,
            // two empty rows between projects
            u"17: A*Projet : | B=Chantier"_s,
            u"18: B*Sous-projet : | C=Peinture"_s,
            u"19: C*N° d'employé : | D=1001 | E*Nom : | F=Alice | G*Statut : | H=Out"_s,
            u"20: "_s + Header,
        } +
        alicePunches(21) +
        QStringList{
            u"27: C*Total de l'employé : | D=4:00 Heures:Minutes"_s,
            u"28: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=Out"_s,
            u"29: "_s + Header,
            u"30: D=In | E=d:2003-03-06 | F=t:07:30:00 | G=jeudi 06 mars 2003"_s,
            u"31: C*Total de l'employé : | D="_s + AtWork,
            u"32: B*Total du sous-projet : | C=4:00 Heures:Minutes"_s,
            // by project the zero totals are written
            u"33: B*Sous-projet : | C=Plomberie"_s,
            u"34: C*N° d'employé : | D=1001 | E*Nom : | F=Alice | G*Statut : | H=Out"_s,
            u"35: "_s + Header,
            u"36: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
            u"37: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=In"_s,
            u"38: "_s + Header,
            u"39: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
            u"40: B*Total du sous-projet : | C=0:00 Heures:Minutes"_s,
            u"41: A*Total du projet : | B=4:00 Heures:Minutes"_s,
        };
    EXPECT_EQ(exported(selection(ReportSelection::Kind::ByProject, true)), expected);
}

TEST_F(WorkbookExportTest, ByProjectWithoutDetailForCheckedEmployeesAndCurrentPunches)
{
    common();
    byProjectTotals();
    ReportSelection s = selection(ReportSelection::Kind::ByProject, false);
    s.employees = ReportSelection::Employees::Checked;
    s.checkedEmployees = {u"1003"_s};
    s.archive = ReportSelection::Archive::CurrentOnly;
    const QStringList expected = {
        u"1: A=Période du  | B=d:2003-03-01 | C= au  | D=d:2003-03-07"_s,
        u"2: A=Pointages courants seulement"_s,
        u"5: A*Projet : | B=Bureau"_s,
        u"6: B*Sous-projet : | C=Accueil"_s,
        u"7: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=Out"_s,
        u"8: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
        u"9: B*Total du sous-projet : | C=1:30 Heures:Minutes"_s,
        u"10: A*Total du projet : | B=1:30 Heures:Minutes"_s,
        u"13: A*Projet : | B=Chantier"_s,
        u"14: B*Sous-projet : | C=Peinture"_s,
        u"15: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=Out"_s,
        u"16: C*Total de l'employé : | D="_s + AtWork,
        u"17: B*Total du sous-projet : | C=4:00 Heures:Minutes"_s,
        u"18: B*Sous-projet : | C=Plomberie"_s,
        u"19: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=In"_s,
        u"20: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
        u"21: B*Total du sous-projet : | C=0:00 Heures:Minutes"_s,
        u"22: A*Total du projet : | B=4:00 Heures:Minutes"_s,
    };
    EXPECT_EQ(exported(s), expected);
}

TEST_F(WorkbookExportTest, ArchiveFilterAndCheckedEmployeesChooseThePunchesAndLines)
{
    common();
    byEmployeeTotals();
    struct Case {
        ReportSelection::Archive archive;
        QStringList checked;
        QString archiveLine;
        int employeeLines;
        bool archivedPunchShown;
        bool currentPunchShown;
    };
    const Case cases[] = {
        {ReportSelection::Archive::CurrentOnly, {}, u"2: A=Pointages courants seulement"_s, 3, false, true},
        {ReportSelection::Archive::ArchivedOnly, {}, u"2: A=Pointages archivés seulement"_s, 3, true, false},
        {ReportSelection::Archive::Both, {u"1003"_s, u"1001"_s}, Opening[1], 2, true, true},
        // checked, but none checked: every employee
        {ReportSelection::Archive::NoneChosen, {}, QString(), 3, true, true},
    };
    for (const Case &c : cases) {
        ReportSelection s = selection(ReportSelection::Kind::ByEmployee, true);
        s.archive = c.archive;
        s.employees = ReportSelection::Employees::Checked;
        s.checkedEmployees = c.checked;
        const QStringList rows = exported(s);
        const QString joined = rows.join(u'\n');
        EXPECT_EQ(rows.filter(u"A*N° d'employé"_s).size(), c.employeeLines) << joined.toStdString();
        if (c.archiveLine.isEmpty())
            EXPECT_FALSE(rows.value(1).startsWith(u"2:"_s)) << joined.toStdString();
        else
            EXPECT_EQ(rows.value(1), c.archiveLine);
        EXPECT_EQ(joined.contains(u"samedi 01 mars 2003"_s), c.archivedPunchShown) << joined.toStdString();
        EXPECT_EQ(joined.contains(u"lundi 03 mars 2003"_s), c.currentPunchShown) << joined.toStdString();
    }
}

TEST_F(WorkbookExportTest, WithoutTotalRowsOnlyThePeriodAndArchiveLinesAreWritten)
{
    common();
    for (const auto kind : {ReportSelection::Kind::ByEmployee, ReportSelection::Kind::ByProject}) {
        ReportSelection s = selection(kind, true);
        s.employees = ReportSelection::Employees::Checked;
        s.checkedEmployees = {u"9999"_s}; // nobody by employee; no total row at all by project
        EXPECT_EQ(exported(s), Opening);
    }
}

TEST_F(WorkbookExportTest, EnglishZeroTotalsAreLeftOutByEmployeeAndLabelsAreEnglish)
{
    execSql(u"UPDATE Acces SET Lang = 2"_s);
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    total(u"Site"_s, u"Painting"_s, u"1001"_s, u"0:00 Hours:Minutes"_s);
    total(u"Site"_s, u"Plumbing"_s, u"1001"_s, u"1:00 Hours:Minutes"_s);
    total(u"Site"_s, QString(), u"1001"_s, u"1:00 Hours:Minutes"_s);
    const QStringList expected = {
        u"1: A=Period from  | B=d:2003-03-01 | C= to  | D=d:2003-03-07"_s,
        u"2: A=Archived and current punches"_s,
        u"4: A*Employee no.: | B=1001 | C*Name: | D=Alice | E*Status: | F=Out"_s,
        u"5: B*Project: | C=Site"_s,
        u"6: C*Sub-project: | D=Plumbing"_s,
        u"7: C*Sub-project total: | D=1:00 Hours:Minutes"_s,
        u"8: B*Project total: | C=1:00 Hours:Minutes"_s,
    };
    EXPECT_EQ(exported(selection(ReportSelection::Kind::ByEmployee, false)), expected);
}

TEST_F(WorkbookExportTest, RowsBeyond32767KeepCounting)
{
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    total(u"P"_s, u"S"_s, u"1001"_s, u"1:00 Heures:Minutes"_s);
    total(u"P"_s, QString(), u"1001"_s, u"1:00 Heures:Minutes"_s);
    // 33000 punches in one block: rows 8 .. 33007.
    execSql(
        u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32999) "
        "INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, Projet, SousProjet, Archived) "
        "SELECT '1001', 'In', '2003-03-03', printf('%02d:%02d:%02d', i / 3600 % 24, i / 60 % 60, i % 60), "
        "'P', 'S', 0 FROM n"_s);
    const QStringList rows = exported(selection(ReportSelection::Kind::ByEmployee, true));
    ASSERT_EQ(rows.size(), 2 + 3 + 1 + 33000 + 2);
    EXPECT_EQ(rows[rows.size() - 3], u"33007: D=In | E=d:2003-03-03 | F=t:09:09:59"_s);
    EXPECT_EQ(rows[rows.size() - 2], u"33008: C*Total du sous-projet : | D=1:00 Heures:Minutes"_s);
    EXPECT_EQ(rows.last(), u"33009: B*Total du projet : | C=1:00 Heures:Minutes"_s);
}

TEST_F(WorkbookExportTest, SavedUnderTheReportAndPeriodNameWithoutReplacingAnEarlierOne)
{
    common();
    byEmployeeTotals();
    const ReportSelection s = selection(ReportSelection::Kind::ByEmployee, false);
    const WorkbookExportResult first = ExportXL(databasePath(), s);
    const WorkbookExportResult second = ExportXL(databasePath(), s);
    const WorkbookExportResult byProject = ExportXLProj(databasePath(), s);
    const QStringList names = {QFileInfo(first.savedFiles.value(0)).fileName(),
                               QFileInfo(second.savedFiles.value(0)).fileName(),
                               QFileInfo(byProject.savedFiles.value(0)).fileName()};
    EXPECT_EQ(names, QStringList({u"Rapport par employé du 2003-03-01 au 2003-03-07.xlsx"_s,
                                  u"Rapport par employé du 2003-03-01 au 2003-03-07 (2).xlsx"_s,
                                  u"Rapport par projet du 2003-03-01 au 2003-03-07.xlsx"_s}));
    EXPECT_EQ(QFileInfo(first.savedFiles.value(0)).absolutePath(), QDir(documents()).absolutePath());
    EXPECT_EQ(QDir(documents()).entryList(QDir::Files).size(), 3); // nothing half-written left beside
    EXPECT_EQ(dialogs->openedUrls().size(), 3);
}

TEST_F(WorkbookExportTest, FailuresAreToldAndTheCallerCarriesOn)
{
    common();
    byEmployeeTotals();
    const ReportSelection s = selection(ReportSelection::Kind::ByEmployee, false);

    // No program opens the file: the user is told where it is.
    dialogs->openUrlResult = false;
    const WorkbookExportResult notOpened = ExportXL(databasePath(), s);
    ASSERT_EQ(notOpened.savedFiles.size(), 1);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].contains(QDir::toNativeSeparators(notOpened.savedFiles[0])))
        << dialogs->messages()[0].toStdString();
    EXPECT_TRUE(dialogs->messages()[0].contains(u"aucun tableur"_s));
    dialogs->clear();
    dialogs->openUrlResult = true;

    // The documents folder cannot be made (a file stands in its place).
    const QString blocked = folder() + u"/blocked"_s;
    QFile(blocked).open(QIODevice::WriteOnly);
    SpreadsheetApplication::setDocumentsFolder(blocked + u"/Documents"_s);
    const WorkbookExportResult notWritten = ExportXL(databasePath(), s);
    EXPECT_TRUE(notWritten.savedFiles.isEmpty());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].startsWith(u"Le classeur"_s)) << dialogs->messages()[0].toStdString();
    EXPECT_TRUE(dialogs->messages()[0].contains(u"ne peut pas être créé"_s))
        << dialogs->messages()[0].toStdString();
    EXPECT_TRUE(dialogs->openedUrls().isEmpty());
    dialogs->clear();

    // The totals cannot be read: no workbook at all, and the reason.
    SpreadsheetApplication::setDocumentsFolder(documents());
    execSql(u"ALTER TABLE Projets RENAME TO Gone"_s);
    const WorkbookExportResult unread = ExportXL(databasePath(), s);
    EXPECT_FALSE(unread.filled);
    EXPECT_TRUE(unread.savedFiles.isEmpty());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].contains(u"Projets"_s)) << dialogs->messages()[0].toStdString();
    EXPECT_EQ(QDir(documents()).entryList(QDir::Files).size(), 1); // only the first, opened by nobody
}

TEST_F(WorkbookExportTest, ProgressShowsOnlyOnceTheExportLastsLongerThanTheDelay)
{
    common();
    byEmployeeTotals();
    const ReportSelection s = selection(ReportSelection::Kind::ByEmployee, true);
    ExportXL(databasePath(), s); // quick: nothing shown
    EXPECT_TRUE(dialogs->progress().isEmpty());
    DelayedProgress::setDelay(0); // as if every step came late
    ExportXL(databasePath(), s);
    ASSERT_EQ(dialogs->progress().size(), 1);
    EXPECT_EQ(dialogs->progress()[0].label, u"Exportation du rapport vers le classeur..."_s);
    EXPECT_EQ(dialogs->progress()[0].total, 3 + 1); // the employees, then saving
    EXPECT_EQ(dialogs->progress()[0].value, 4);
}

} // namespace
