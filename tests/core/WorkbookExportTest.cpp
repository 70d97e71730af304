#include "reports/WorkbookExport.h"
#include "platform/Spreadsheet.h"
#include "reports/Totals.h"
#include "support/ReportFixture.h"
#include "support/WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;
using Kind = ReportSelection::Kind;

namespace {

const QString Header = u"D*InOut | E*Date | F*Time | G*Date / message | H*Note"_s;
const QStringList Opening = {u"1: A=Period from  | B=d:2003-03-03 | C= to  | D=d:2003-03-16"_s,
                             u"2: A=Archived and current punches"_s};

// The report fixture, with a third employee without totals and a punch on
// Chantier / Peinture written in other letter cases.
class WorkbookExportTest : public ReportFixture {
protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        addEmployee(u"1003"_s, u"Chloé D'Arcy"_s, u"Out"_s);
        addPunch(u"1001"_s, u"In"_s, {2003, 3, 10}, {9, 0}, u"CHANTIER"_s, u"peinture"_s);
        SpreadsheetApplication::setDocumentsFolder(documents());
    }
    void TearDown() override
    {
        SpreadsheetApplication::setDocumentsFolder(QString());
        ReportFixture::TearDown();
    }
    QString documents() const { return folder() + u"/Documents"_s; }
    ReportSelection with(Kind kind, bool detail) const
    {
        ReportSelection s = selection;
        s.kind = kind;
        s.detail = detail;
        return s;
    }
    void totals(Kind kind) { kind == Kind::ByEmployee ? addEmployeeTotals() : addProjectTotals(); }
    // Exports, checks that one workbook was saved and handed to the desktop,
    // and reads its rows back.
    QStringList exported(const ReportSelection &s)
    {
        const WorkbookExportResult r = exportWorkbook(fileDb(), s);
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
};

// Alice's punches on Chantier / Peinture in the period, latest day first and
// earliest time first within a day, from a given row.
QStringList alicePunches(int row)
{
    QStringList rows;
    for (const char *p : {"In | E=d:2003-03-16 | F=t:13:00:00", "Out | E=d:2003-03-16 | F=t:14:30:00",
                          "In | E=d:2003-03-10 | F=t:09:00:00", "In | E=d:2003-03-03 | F=t:08:00:00",
                          "Out | E=d:2003-03-03 | F=t:12:00:00"})
        rows << u"%1: D=%2"_s.arg(row++).arg(QLatin1String(p));
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
    const QStringList byEmployee =
        Opening +
        QStringList{// the placeholder project and zero sub-project totals are left out
                    u"4: A*Employee no.: | B=1001 | C*Name: | D=Alice Martin | E*Status: | F=Out"_s,
                    u"5: B*Project: | C=Bureau"_s,
                    u"6: B*Project total: | C=0:00 Hours:Minutes"_s,
                    u"7: B*Project: | C=Chantier"_s,
                    u"8: C*Sub-project: | D=Peinture"_s,
                    u"9: "_s + Header} +
        alicePunches(10) +
        QStringList{u"15: C*Sub-project total: | D=5:30 Hours:Minutes"_s,
                    u"16: B*Project total: | C=5:30 Hours:Minutes"_s,
                    u"18: A*Employee no.: | B=1002 | C*Name: | D=Bob O'Neil | E*Status: | F=In"_s,
                    u"19: B*Project: | C=Bureau"_s, u"20: C*Sub-project: | D=Accueil"_s, u"21: "_s + Header,
                    u"22: D=In | E=d:2003-03-05 | F=t:07:15:00"_s,
                    u"23: C*Sub-project total: | D=0:00 Hours:Minutes (Employé(e) au travail)"_s,
                    u"24: B*Project total: | C=0:00 Hours:Minutes (Employé(e) au travail)"_s,
                    u"25: B*Project: | C=Chantier"_s, u"26: B*Project total: | C=0:00 Hours:Minutes"_s,
                    // an employee without totals: his line alone
                    u"28: A*Employee no.: | B=1003 | C*Name: | D=Chloé D'Arcy | E*Status: | F=Out"_s};
    const QStringList byProject =
        Opening +
        QStringList{u"5: A*Project: | B=Bureau"_s, u"6: B*Sub-project: | C=Accueil"_s,
                    u"7: C*Employee no.: | D=1001 | E*Name: | F=Alice Martin | G*Status: | H=Out"_s,
                    u"8: "_s + Header, u"9: C*Employee total: | D=0:00 Hours:Minutes"_s,
                    u"10: C*Employee no.: | D=1002 | E*Name: | F=Bob O'Neil | G*Status: | H=Out"_s,
                    u"11: "_s + Header, u"12: D=In | E=d:2003-03-05 | F=t:07:15:00"_s,
                    u"13: C*Employee total: | D=0:00 Hours:Minutes (Employé(e) au travail)"_s,
                    u"14: B*Sub-project total: | C=0:00 Hours:Minutes"_s,
                    u"15: A*Project total: | B=0:00 Hours:Minutes"_s,
                    // two empty rows between projects
                    u"18: A*Project: | B=Chantier"_s, u"19: B*Sub-project: | C=Peinture"_s,
                    u"20: C*Employee no.: | D=1001 | E*Name: | F=Alice Martin | G*Status: | H=Out"_s,
                    u"21: "_s + Header} +
        alicePunches(22) +
        QStringList{u"27: C*Employee total: | D=5:30 Hours:Minutes"_s,
                    u"28: C*Employee no.: | D=1002 | E*Name: | F=Bob O'Neil | G*Status: | H=Out"_s,
                    u"29: "_s + Header, u"30: C*Employee total: | D=0:00 Hours:Minutes"_s,
                    u"31: B*Sub-project total: | C=5:30 Hours:Minutes"_s,
                    // by project the zero totals are written
                    u"32: B*Sub-project: | C=Plomberie"_s,
                    u"33: C*Employee no.: | D=1001 | E*Name: | F=Alice Martin | G*Status: | H=Out"_s,
                    u"34: "_s + Header, u"35: C*Employee total: | D=0:00 Hours:Minutes"_s,
                    u"36: C*Employee no.: | D=1002 | E*Name: | F=Bob O'Neil | G*Status: | H=Out"_s,
                    u"37: "_s + Header, u"38: C*Employee total: | D=0:00 Hours:Minutes"_s,
                    u"39: B*Sub-project total: | C=0:00 Hours:Minutes"_s,
                    u"40: A*Project total: | B=5:30 Hours:Minutes"_s};
    for (const auto &[kind, expected] :
         {std::pair{Kind::ByEmployee, byEmployee}, {Kind::ByProject, byProject}}) {
        SCOPED_TRACE(int(kind));
        totals(kind);
        EXPECT_EQ(exported(with(kind, true)), expected);
        EXPECT_EQ(exported(with(kind, false)), withoutDetail(expected));
        ASSERT_TRUE(removeTemporaryReportRows(databasePath()));
    }
    EXPECT_TRUE(dialogs->messages().isEmpty()) << dialogs->messages().join(u"\n"_s).toStdString();
}

TEST_F(WorkbookExportTest, ArchiveFilterAndCheckedEmployeesChooseThePunchesAndLines)
{
    using Archive = ReportSelection::Archive;
    const QString current = u"2: A=Current punches only"_s;
    const struct {
        Kind kind;
        Archive archive;
        QStringList checked;
        QString archiveLine;
        int employeeLines;
        const char *days; // the days of the punches shown
    } cases[] = {
        {Kind::ByEmployee, Archive::CurrentOnly, {}, current, 3, "05 10 16"},
        {Kind::ByEmployee, Archive::ArchivedOnly, {}, u"2: A=Archived punches only"_s, 3, "03"},
        {Kind::ByEmployee, Archive::Both, {u"1003"_s, u"1001"_s}, Opening[1], 2, "03 10 16"},
        // checked, but none checked: every employee
        {Kind::ByEmployee, Archive::NoneChosen, {}, QString(), 3, "03 05 10 16"},
        {Kind::ByProject, Archive::CurrentOnly, {u"1002"_s}, current, 3, "05"}, // not the placeholder project
        // nobody: only the period and archive lines
        {Kind::ByEmployee, Archive::Both, {u"9999"_s}, Opening[1], 0, ""},
    };
    for (const auto &c : cases) {
        totals(c.kind);
        ReportSelection s = with(c.kind, true);
        s.archive = c.archive;
        s.employees = ReportSelection::Employees::Checked;
        s.checkedEmployees = c.checked;
        const QStringList rows = exported(s);
        const QString joined = rows.join(u'\n');
        SCOPED_TRACE(joined.toStdString());
        EXPECT_EQ(rows.filter(u"*Employee no."_s).size(), c.employeeLines);
        if (c.archiveLine.isEmpty())
            EXPECT_FALSE(rows.value(1).startsWith(u"2:"_s));
        else
            EXPECT_EQ(rows.value(1), c.archiveLine);
        if (c.employeeLines == 0) {
            EXPECT_EQ(rows, Opening);
        }
        QStringList days;
        for (const QString &day : {u"03"_s, u"05"_s, u"10"_s, u"16"_s})
            if (joined.contains(u"E=d:2003-03-"_s + day))
                days << day;
        EXPECT_EQ(days.join(u' '), QString::fromUtf8(c.days));
        ASSERT_TRUE(removeTemporaryReportRows(databasePath()));
    }
}

TEST_F(WorkbookExportTest, RowsBeyond32767KeepCounting)
{
    addTotal(u"1001"_s, u"Bureau"_s, u"Accueil"_s, hours(u"1:00"_s));
    addTotal(u"1001"_s, u"Bureau"_s, QString(), hours(u"1:00"_s));
    // 33000 punches in one block: rows 8 .. 33007.
    execSql(
        u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32999) "
        "INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, Projet, SousProjet, Archived) "
        "SELECT '1001', 'In', '2003-03-04', printf('%02d:%02d:%02d', i / 3600 % 24, i / 60 % 60, i % 60), "
        "'Bureau', 'Accueil', 0 FROM n"_s);
    ReportSelection s = with(Kind::ByEmployee, true);
    s.employees = ReportSelection::Employees::Checked;
    s.checkedEmployees = {u"1001"_s};
    const QStringList rows = exported(s);
    ASSERT_EQ(rows.size(), 2 + 3 + 1 + 33000 + 2);
    EXPECT_EQ(rows.mid(rows.size() - 3), QStringList({u"33007: D=In | E=d:2003-03-04 | F=t:09:09:59"_s,
                                                      u"33008: C*Sub-project total: | D=1:00 Hours:Minutes"_s,
                                                      u"33009: B*Project total: | C=1:00 Hours:Minutes"_s}));
}

TEST_F(WorkbookExportTest, NamedAfterTheReportNeverReplacingOneAndFailuresAreTold)
{
    totals(Kind::ByEmployee);
    const ReportSelection s = with(Kind::ByEmployee, false);
    QStringList names;
    for (const auto &r : {ExportXL(fileDb(), s), ExportXL(fileDb(), s), ExportXLProj(fileDb(), s)})
        names << QFileInfo(r.savedFiles.value(0)).fileName();
    EXPECT_EQ(names, QStringList({u"Report by employee from 2003-03-03 to 2003-03-16.xlsx"_s,
                                  u"Report by employee from 2003-03-03 to 2003-03-16 (2).xlsx"_s,
                                  u"Report by project from 2003-03-03 to 2003-03-16.xlsx"_s}));
    EXPECT_EQ(QDir(documents()).entryList(QDir::Files).size(), 3); // nothing half-written left beside
    const auto told = [this](const QString &text) {
        const QStringList m = dialogs->messages();
        EXPECT_TRUE(m.size() == 1 && m[0].contains(text)) << m.join(u'|').toStdString();
        dialogs->clear();
    };

    // No program opens the file: the user is told where it is.
    dialogs->openUrlResult = false;
    const WorkbookExportResult notOpened = ExportXL(fileDb(), s);
    ASSERT_EQ(notOpened.savedFiles.size(), 1);
    told(QDir::toNativeSeparators(notOpened.savedFiles[0]));
    dialogs->openUrlResult = true;

    // The documents folder cannot be made (a file stands in its place).
    const QString blocked = folder() + u"/blocked"_s;
    QFile(blocked).open(QIODevice::WriteOnly);
    SpreadsheetApplication::setDocumentsFolder(blocked + u"/Documents"_s);
    EXPECT_TRUE(ExportXL(fileDb(), s).savedFiles.isEmpty());
    EXPECT_TRUE(dialogs->openedUrls().isEmpty());
    told(u"cannot be created"_s);

    // The file cannot be made (a folder stands in its place): the reason in the system's words,
    // not the spreadsheet library's English.
    SpreadsheetApplication::setDocumentsFolder(documents());
    ASSERT_TRUE(QDir(documents()).mkpath(u"Report by project from 2003-03-03 to 2003-03-16 (2).xlsx.part"_s));
    EXPECT_TRUE(ExportXLProj(fileDb(), s).savedFiles.isEmpty());
    EXPECT_FALSE(dialogs->messages().join(u' ').contains(u"xlsx file"_s));
    told(u"directory"_s);
    ASSERT_TRUE(QDir(documents()).rmdir(u"Report by project from 2003-03-03 to 2003-03-16 (2).xlsx.part"_s));

    // The totals cannot be read: no workbook at all, and the reason.
    SpreadsheetApplication::setDocumentsFolder(documents());
    execSql(u"ALTER TABLE Projets RENAME TO Gone"_s);
    const WorkbookExportResult unread = ExportXL(fileDb(), s);
    EXPECT_FALSE(unread.filled);
    EXPECT_TRUE(unread.savedFiles.isEmpty());
    told(u"Projets"_s);
    EXPECT_EQ(QDir(documents()).entryList(QDir::Files).size(), 4); // and the one opened by nobody
}

} // namespace
