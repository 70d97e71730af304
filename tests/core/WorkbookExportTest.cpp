#include "reports/WorkbookExport.h"
#include "common/Progress.h"
#include "platform/Spreadsheet.h"
#include "reports/Totals.h"
#include "support/ProgramFixture.h"
#include "support/WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;
using Kind = ReportSelection::Kind;

namespace {

const QString AtWork = u"0:00 Heures:Minutes (Employé(e) au travail)"_s;
const QString Header = u"D*InOut | E*Date | F*Heure | G*Date / message | H*Note"_s;
const QStringList Opening = {u"1: A=Période du  | B=d:2003-03-01 | C= au  | D=d:2003-03-07"_s,
                             u"2: A=Pointages archivés et courants"_s};

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

    static ReportSelection selection(Kind kind, bool detail)
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
    // "h:mm" becomes the stored total, "*" marking an employee at work; "-" is Null.
    static QVariant field(const QString &f)
    {
        if (f == u"-"_s)
            return {};
        if (f == u"*"_s)
            return AtWork;
        return f.contains(u':') ? f + u" Heures:Minutes"_s : f;
    }
    // Rows of a table, "field|field|...".
    void insert(const QString &sql, const QStringList &rows)
    {
        for (const QString &row : rows) {
            QVariantList values;
            for (const QString &f : row.split(u'|'))
                values << field(f);
            execSql(sql, values);
        }
    }
    // Punches "number|InOut|mm-dd|hh:mm|project|sub-project" in 2003, then a note or "-", then 1 if
    // archived.
    void punches(const QStringList &rows)
    {
        for (const QString &row : rows) {
            const QStringList f = row.split(u'|');
            const QDate day = QDate::fromString(u"2003-"_s + f[2], Qt::ISODate);
            execSql(u"INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, PunchDateLong, Projet, "
                    "SousProjet, Description, Archived) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                    {f[0], f[1], day.toString(Qt::ISODate), f[3] + u":00"_s,
                     QLocale(QLocale::French).toString(day, u"dddd dd MMMM yyyy"_s), f[4], f[5],
                     field(f.value(6, u"-"_s)), f.value(7).toInt()});
        }
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
        punches({u"1001|In|03-03|08:00|Chantier|Peinture"_s, u"1001|Out|03-03|12:00|Chantier|Peinture"_s,
                 u"1001|Out|03-04|15:00|Chantier|Peinture|=2+2"_s, u"1001|In|03-04|13:00|Chantier|Peinture"_s,
                 u"1001|In|03-07|10:00|CHANTIER|peinture"_s, u"1001|In|03-01|09:00|Chantier|Peinture|-|1"_s,
                 u"1001|In|02-28|09:00|Chantier|Peinture"_s, u"1001|In|03-08|09:00|Chantier|Peinture"_s,
                 u"1001|In|03-05|09:00|Bureau|Autre"_s, u"1003|In|03-06|07:30|Chantier|Peinture"_s,
                 u"1003|Out|03-06|09:30|None|None"_s});
    }
    // The rows the totals of the given kind write.
    void totals(Kind kind)
    {
        const QString projets =
            u"INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) VALUES (?, ?, ?, ?)"_s;
        if (kind == Kind::ByEmployee) {
            insert(projets,
                   {u"Chantier|Peinture|1001|4:00"_s, u"Chantier|Plomberie|1001|0:00"_s,
                    u"Chantier|-|1001|4:00"_s, u"Bureau|Accueil|1001|1:30"_s, u"Bureau|-|1001|1:30"_s,
                    u"None|None|1001|2:00"_s, u"None|-|1001|2:00"_s, u"Chantier|Peinture|1003|*"_s,
                    u"Chantier|Plomberie|1003|0:00"_s, u"Chantier|-|1003|*"_s, u"Bureau|Accueil|1003|0:00"_s,
                    u"Bureau|-|1003|0:00"_s, u"None|None|1003|2:00"_s, u"None|-|1003|2:00"_s});
            return;
        }
        insert(projets,
               {u"Chantier|Peinture|-|4:00"_s, u"Chantier|Plomberie|-|0:00"_s, u"Chantier|-|-|4:00"_s,
                u"Bureau|Accueil|-|1:30"_s, u"Bureau|-|-|1:30"_s, u"None|None|-|2:00"_s, u"None|-|-|2:00"_s});
        insert(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status, Projet, SousProjet, TotalHeures) "
               "VALUES (?, ?, ?, ?, ?, ?)"_s,
               {u"1003|Bob|Out|Chantier|Peinture|*"_s, u"1001|Alice|Out|Chantier|Peinture|4:00"_s,
                u"1001|Alice|Out|Chantier|Plomberie|0:00"_s, u"1003|Bob|In|Chantier|Plomberie|0:00"_s,
                u"1001|Alice|Out|Bureau|Accueil|1:30"_s, u"1003|Bob|Out|Bureau|Accueil|0:00"_s,
                u"1001|Alice|Out|None|None|2:00"_s});
    }
};

// Alice's punches on Chantier / Peinture in the period, latest day first and
// earliest time first within a day, from a given row.
QStringList alicePunches(int row)
{
    QStringList rows;
    for (const QString &p : {u"In | E=d:2003-03-07 | F=t:10:00:00 | G=vendredi 07 mars 2003"_s,
                             u"In | E=d:2003-03-04 | F=t:13:00:00 | G=mardi 04 mars 2003"_s,
                             u"Out | E=d:2003-03-04 | F=t:15:00:00 | G=mardi 04 mars 2003 | H==2+2"_s,
                             u"In | E=d:2003-03-03 | F=t:08:00:00 | G=lundi 03 mars 2003"_s,
                             u"Out | E=d:2003-03-03 | F=t:12:00:00 | G=lundi 03 mars 2003"_s,
                             u"In | E=d:2003-03-01 | F=t:09:00:00 | G=samedi 01 mars 2003"_s})
        rows << u"%1: D=%2"_s.arg(row++).arg(p);
    return rows;
}

// The same sheet without detail: no captions and no punch lines, the rows below moving up.
QStringList withoutDetail(const QStringList &rows)
{
    QStringList kept;
    int dropped = 0;
    for (const QString &row : rows) {
        const int colon = row.indexOf(u':');
        const QString cells = row.mid(colon + 2);
        if (cells == Header || cells.startsWith(u"D=In |"_s) || cells.startsWith(u"D=Out |"_s))
            ++dropped;
        else
            kept << u"%1: %2"_s.arg(row.left(colon).toInt() - dropped).arg(cells);
    }
    return kept;
}

TEST_F(WorkbookExportTest, EveryLineInItsRowForBothKindsWithAndWithoutDetail)
{
    common();
    const QStringList byEmployee =
        Opening +
        QStringList{u"4: A*N° d'employé : | B=1001 | C*Nom : | D=Alice | E*Statut : | F=Out"_s,
                    u"5: B*Projet : | C=Bureau"_s,
                    u"6: C*Sous-projet : | D=Accueil"_s,
                    u"7: "_s + Header, // no punch in the period: the header, then the total
                    u"8: C*Total du sous-projet : | D=1:30 Heures:Minutes"_s,
                    u"9: B*Total du projet : | C=1:30 Heures:Minutes"_s,
                    u"10: B*Projet : | C=Chantier"_s,
                    u"11: C*Sous-projet : | D=Peinture"_s,
                    u"12: "_s + Header} +
        alicePunches(13) +
        QStringList{// the zero total of Plomberie is left out
                    u"19: C*Total du sous-projet : | D=4:00 Heures:Minutes"_s,
                    u"20: B*Total du projet : | C=4:00 Heures:Minutes"_s,
                    // an employee without totals: his line alone, the next one two rows down
                    u"22: A*N° d'employé : | B=1002 | C*Nom : | D=Chloé D'Arcy | E*Statut : | F=Out"_s,
                    u"24: A*N° d'employé : | B=1003 | C*Nom : | D=Bob | E*Statut : | F=In"_s,
                    u"25: B*Projet : | C=Bureau"_s, u"26: B*Total du projet : | C=0:00 Heures:Minutes"_s,
                    u"27: B*Projet : | C=Chantier"_s, u"28: C*Sous-projet : | D=Peinture"_s,
                    u"29: "_s + Header, u"30: D=In | E=d:2003-03-06 | F=t:07:30:00 | G=jeudi 06 mars 2003"_s,
                    u"31: C*Total du sous-projet : | D="_s + AtWork,
                    u"32: B*Total du projet : | C="_s + AtWork};
    const QStringList byProject =
        Opening +
        QStringList{u"5: A*Projet : | B=Bureau"_s, u"6: B*Sous-projet : | C=Accueil"_s,
                    u"7: C*N° d'employé : | D=1001 | E*Nom : | F=Alice | G*Statut : | H=Out"_s,
                    u"8: "_s + Header, u"9: C*Total de l'employé : | D=1:30 Heures:Minutes"_s,
                    u"10: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=Out"_s,
                    u"11: "_s + Header, u"12: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
                    u"13: B*Total du sous-projet : | C=1:30 Heures:Minutes"_s,
                    u"14: A*Total du projet : | B=1:30 Heures:Minutes"_s,
                    // two empty rows between projects
                    u"17: A*Projet : | B=Chantier"_s, u"18: B*Sous-projet : | C=Peinture"_s,
                    u"19: C*N° d'employé : | D=1001 | E*Nom : | F=Alice | G*Statut : | H=Out"_s,
                    u"20: "_s + Header} +
        alicePunches(21) +
        QStringList{u"27: C*Total de l'employé : | D=4:00 Heures:Minutes"_s,
                    u"28: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=Out"_s,
                    u"29: "_s + Header, u"30: D=In | E=d:2003-03-06 | F=t:07:30:00 | G=jeudi 06 mars 2003"_s,
                    u"31: C*Total de l'employé : | D="_s + AtWork,
                    u"32: B*Total du sous-projet : | C=4:00 Heures:Minutes"_s,
                    // by project the zero totals are written
                    u"33: B*Sous-projet : | C=Plomberie"_s,
                    u"34: C*N° d'employé : | D=1001 | E*Nom : | F=Alice | G*Statut : | H=Out"_s,
                    u"35: "_s + Header, u"36: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
                    u"37: C*N° d'employé : | D=1003 | E*Nom : | F=Bob | G*Statut : | H=In"_s,
                    u"38: "_s + Header, u"39: C*Total de l'employé : | D=0:00 Heures:Minutes"_s,
                    u"40: B*Total du sous-projet : | C=0:00 Heures:Minutes"_s,
                    u"41: A*Total du projet : | B=4:00 Heures:Minutes"_s};
    for (const auto &[kind, expected] :
         {std::pair{Kind::ByEmployee, byEmployee}, {Kind::ByProject, byProject}}) {
        SCOPED_TRACE(int(kind));
        totals(kind);
        EXPECT_EQ(exported(selection(kind, true)), expected);
        EXPECT_EQ(exported(selection(kind, false)), withoutDetail(expected));
        ASSERT_TRUE(removeTemporaryReportRows(databasePath()));
    }
    EXPECT_TRUE(dialogs->messages().isEmpty()) << dialogs->messages().join(u"\n"_s).toStdString();
}

TEST_F(WorkbookExportTest, ArchiveFilterAndCheckedEmployeesChooseThePunchesAndLines)
{
    common();
    using Archive = ReportSelection::Archive;
    const struct {
        Kind kind;
        Archive archive;
        QStringList checked;
        QString archiveLine;
        int employeeLines;
        const char *days; // the days of the punches shown
    } cases[] = {
        {Kind::ByEmployee,
         Archive::CurrentOnly,
         {},
         u"2: A=Pointages courants seulement"_s,
         3,
         "03 04 06 07"},
        {Kind::ByEmployee, Archive::ArchivedOnly, {}, u"2: A=Pointages archivés seulement"_s, 3, "01"},
        {Kind::ByEmployee, Archive::Both, {u"1003"_s, u"1001"_s}, Opening[1], 2, "01 03 04 06 07"},
        // checked, but none checked: every employee
        {Kind::ByEmployee, Archive::NoneChosen, {}, QString(), 3, "01 03 04 06 07"},
        {Kind::ByProject, Archive::CurrentOnly, {u"1003"_s}, u"2: A=Pointages courants seulement"_s, 3, "06"},
        {Kind::ByProject, Archive::Both, {}, Opening[1], 6, "01 03 04 06 07"}, // not the placeholder project
    };
    for (const auto &c : cases) {
        totals(c.kind);
        ReportSelection s = selection(c.kind, true);
        s.archive = c.archive;
        s.employees = ReportSelection::Employees::Checked;
        s.checkedEmployees = c.checked;
        const QStringList rows = exported(s);
        const QString joined = rows.join(u'\n');
        SCOPED_TRACE(joined.toStdString());
        EXPECT_EQ(rows.filter(u"*N° d'employé"_s).size(), c.employeeLines);
        if (c.archiveLine.isEmpty())
            EXPECT_FALSE(rows.value(1).startsWith(u"2:"_s));
        else
            EXPECT_EQ(rows.value(1), c.archiveLine);
        QStringList days;
        for (const QString &day : {u"01"_s, u"03"_s, u"04"_s, u"06"_s, u"07"_s})
            if (joined.contains(u"E=d:2003-03-"_s + day))
                days << day;
        EXPECT_EQ(days.join(u' '), QString::fromUtf8(c.days));
        ASSERT_TRUE(removeTemporaryReportRows(databasePath()));
    }
}

TEST_F(WorkbookExportTest, WithoutTotalRowsOnlyThePeriodAndArchiveLinesAreWritten)
{
    common();
    for (const auto kind : {Kind::ByEmployee, Kind::ByProject}) {
        ReportSelection s = selection(kind, true);
        s.employees = ReportSelection::Employees::Checked;
        s.checkedEmployees = {u"9999"_s}; // nobody by employee; no total row at all by project
        EXPECT_EQ(exported(s), Opening);
    }
}

TEST_F(WorkbookExportTest, RowsBeyond32767KeepCounting)
{
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    insert(u"INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) VALUES (?, ?, ?, ?)"_s,
           {u"P|S|1001|1:00"_s, u"P|-|1001|1:00"_s});
    // 33000 punches in one block: rows 8 .. 33007.
    execSql(
        u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32999) "
        "INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, Projet, SousProjet, Archived) "
        "SELECT '1001', 'In', '2003-03-03', printf('%02d:%02d:%02d', i / 3600 % 24, i / 60 % 60, i % 60), "
        "'P', 'S', 0 FROM n"_s);
    const QStringList rows = exported(selection(Kind::ByEmployee, true));
    ASSERT_EQ(rows.size(), 2 + 3 + 1 + 33000 + 2);
    EXPECT_EQ(rows.mid(rows.size() - 3),
              QStringList({u"33007: D=In | E=d:2003-03-03 | F=t:09:09:59"_s,
                           u"33008: C*Total du sous-projet : | D=1:00 Heures:Minutes"_s,
                           u"33009: B*Total du projet : | C=1:00 Heures:Minutes"_s}));
}

TEST_F(WorkbookExportTest, SavedUnderTheReportAndPeriodNameWithoutReplacingAnEarlierOne)
{
    common();
    totals(Kind::ByEmployee);
    const ReportSelection s = selection(Kind::ByEmployee, false);
    QStringList names;
    for (const auto &r :
         {ExportXL(databasePath(), s), ExportXL(databasePath(), s), ExportXLProj(databasePath(), s)})
        names << QFileInfo(r.savedFiles.value(0)).absoluteFilePath();
    const QDir docs(documents());
    EXPECT_EQ(
        names,
        QStringList({docs.absoluteFilePath(u"Rapport par employé du 2003-03-01 au 2003-03-07.xlsx"_s),
                     docs.absoluteFilePath(u"Rapport par employé du 2003-03-01 au 2003-03-07 (2).xlsx"_s),
                     docs.absoluteFilePath(u"Rapport par projet du 2003-03-01 au 2003-03-07.xlsx"_s)}));
    EXPECT_EQ(docs.entryList(QDir::Files).size(), 3); // nothing half-written left beside
    EXPECT_EQ(dialogs->openedUrls().size(), 3);
}

TEST_F(WorkbookExportTest, FailuresAreToldAndTheCallerCarriesOn)
{
    common();
    totals(Kind::ByEmployee);
    const ReportSelection s = selection(Kind::ByEmployee, false);
    const auto told = [this](const QString &text) {
        const QStringList m = dialogs->messages();
        EXPECT_TRUE(m.size() == 1 && m[0].contains(text)) << m.join(u'|').toStdString();
        dialogs->clear();
    };

    // No program opens the file: the user is told where it is.
    dialogs->openUrlResult = false;
    const WorkbookExportResult notOpened = ExportXL(databasePath(), s);
    ASSERT_EQ(notOpened.savedFiles.size(), 1);
    told(QDir::toNativeSeparators(notOpened.savedFiles[0]));
    dialogs->openUrlResult = true;

    // The documents folder cannot be made (a file stands in its place).
    const QString blocked = folder() + u"/blocked"_s;
    QFile(blocked).open(QIODevice::WriteOnly);
    SpreadsheetApplication::setDocumentsFolder(blocked + u"/Documents"_s);
    EXPECT_TRUE(ExportXL(databasePath(), s).savedFiles.isEmpty());
    EXPECT_TRUE(dialogs->openedUrls().isEmpty());
    told(u"ne peut pas être créé"_s);

    // The totals cannot be read: no workbook at all, and the reason.
    SpreadsheetApplication::setDocumentsFolder(documents());
    execSql(u"ALTER TABLE Projets RENAME TO Gone"_s);
    const WorkbookExportResult unread = ExportXL(databasePath(), s);
    EXPECT_FALSE(unread.filled);
    EXPECT_TRUE(unread.savedFiles.isEmpty());
    told(u"Projets"_s);
    EXPECT_EQ(QDir(documents()).entryList(QDir::Files).size(), 1); // only the first, opened by nobody
}

TEST_F(WorkbookExportTest, ProgressShowsOnlyOnceTheExportLastsLongerThanTheDelay)
{
    common();
    totals(Kind::ByEmployee);
    const ReportSelection s = selection(Kind::ByEmployee, true);
    ExportXL(databasePath(), s); // quick: nothing shown
    EXPECT_TRUE(dialogs->progress().isEmpty());
    DelayedProgress::setDelay(0); // as if every step came late
    ExportXL(databasePath(), s);
    ASSERT_EQ(dialogs->progress().size(), 1);
    EXPECT_EQ(dialogs->progress()[0].total, 3 + 1); // the employees, then saving
    EXPECT_EQ(dialogs->progress()[0].value, 4);
}

} // namespace
