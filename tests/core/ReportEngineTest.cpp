#include "reports/ReportRun.h"
#include "reports/ReportShapes.h"
#include "support/ReportFixture.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

struct ReportEngineTest : ReportFixture {
    std::shared_ptr<DataReport> build(bool detail = true)
    {
        auto result = std::make_shared<HierarchicalResult>();
        QString error;
        EXPECT_TRUE(
            result->open(databasePath(), ReportShapes::forSelection(selection, NoProjectName()), &error))
            << error.toStdString();
        auto report = ReportRun::createLayout(selection);
        EXPECT_TRUE(report->setDataSource(result)) << report->lastError().toStdString();
        if (!detail) {
            EXPECT_TRUE(ReportRun::hideDetail(*report, ReportRun::punchHeaderSection(selection.kind)));
        }
        return report;
    }
};

// The rows of one level of a result, all parents together.
int rowsAt(const HierarchicalResult &result, int level)
{
    std::vector<const ResultRecord *> rows;
    for (const ResultRecord &r : result.rows())
        rows.push_back(&r);
    for (int l = 0; l < level; ++l) {
        std::vector<const ResultRecord *> next;
        for (const ResultRecord *r : rows)
            for (const ResultRecord &child : r->children)
                next.push_back(&child);
        rows = std::move(next);
    }
    return int(rows.size());
}

const QString Period = u"Worked hours by employee                                        "
                       u"Period from 03/03/2003 to 16/03/2003"_s;
const QString Punches = u"           InOut   Date        Time             Date / message        Note"_s;

TEST_F(ReportEngineTest, ReportByEmployeeAsTextLineByLineWithAndWithoutDetail)
{
    addEmployeeTotals();
    selection.kind = ReportSelection::Kind::ByEmployee;
    const QStringList expected = {
        Period,
        u"                                                                        Archived and current punches"_s,
        u"Employee no.: 1001    Name:   Alice Martin                         Out"_s,
        u"   Project: Bureau"_s,
        u"   Sub-project:  Accueil"_s,
        Punches,
        u"                                          Sub-project total: 0:00 Hours:Minutes"_s,
        u"                                              Project total: 0:00 Hours:Minutes"_s,
        u"   Project: Chantier"_s,
        u"   Sub-project:  Peinture"_s,
        Punches,
        u"           In      16/03/2003  01:00:00 pm"_s, // the latest day first, the earliest time first
        u"           Out     16/03/2003  02:30:00 pm"_s,
        u"           In      03/03/2003  08:00:00 am"_s,
        u"           Out     03/03/2003  12:00:00 pm"_s,
        u"                                          Sub-project total: 5:30 Hours:Minutes"_s,
        u"   Sub-project:  Plomberie"_s,
        Punches,
        u"                                          Sub-project total: 0:00 Hours:Minutes"_s,
        u"                                              Project total: 5:30 Hours:Minutes"_s,
        QString(),
        u"Employee no.: 1002    Name:   Bob O'Neil                           In"_s,
        u"   Project: Bureau"_s,
        u"   Sub-project:  Accueil"_s,
        Punches,
        u"           In      05/03/2003  07:15:00 am"_s,
        u"                                          Sub-project total: 0:00 Hours:Minutes (Employé(e) au travail)"_s,
        u"                                              Project total: 0:00 Hours:Minutes (Employé(e) au travail)"_s,
        u"   Project: Chantier"_s,
        u"   Sub-project:  Peinture"_s,
        Punches,
        u"                                          Sub-project total: 0:00 Hours:Minutes"_s,
        u"   Sub-project:  Plomberie"_s,
        Punches,
        u"                                          Sub-project total: 0:00 Hours:Minutes"_s,
        u"                                              Project total: 0:00 Hours:Minutes"_s,
        QString(),
    };
    EXPECT_EQ(build()->textLines().join(u'\n').toStdString(), expected.join(u'\n').toStdString());

    QStringList withoutDetail;
    for (const QString &line : expected) {
        if (line != Punches && !line.startsWith(u"           In"_s) && !line.startsWith(u"           Out"_s))
            withoutDetail << line;
    }
    EXPECT_EQ(build(false)->textLines().join(u'\n').toStdString(), withoutDetail.join(u'\n').toStdString())
        << "no captions and no punch lines";
}

TEST_F(ReportEngineTest, ReportByProjectKeepsOnlyTheChosenEmployeesAndPunches)
{
    addProjectTotals();
    selection.archive = ReportSelection::Archive::CurrentOnly;
    selection.employees = ReportSelection::Employees::Checked;
    selection.checkedEmployees = QStringList{u"1001"_s};
    const QStringList lines = build()->textLines();
    const QString alice = u"    Employee no.: 1001       Name:  Alice Martin                       Out"_s;
    EXPECT_EQ(lines.filter(u"Employee no."_s), QStringList({alice, alice, alice}))
        << "Accueil, Peinture, Plomberie";
    // the archived pair of the 3rd is left out
    EXPECT_EQ(lines.filter(u"/2003"_s),
              QStringList({u"  In      16/03/2003  01:00:00 pm"_s, u"  Out     16/03/2003  02:30:00 pm"_s}));
    EXPECT_EQ(lines.filter(u"total"_s).size(), 3 + 3 + 2);
}

TEST_F(ReportEngineTest, PunchesGoOnlyUnderTheProjectWhoseTotalCountsThem)
{
    // Two projects hold a sub-project of the same name, written in other letter cases.
    addProject(u"Garage"_s, {u"PEINTURE"_s});
    addPunch(u"1001"_s, u"In"_s, {2003, 3, 10}, {9, 0}, u"garage"_s, u"peinture"_s);
    addTotal(u"1001"_s, u"Chantier"_s, u"Peinture"_s, hours(u"5:30"_s));
    addTotal(u"1001"_s, u"Chantier"_s, QString(), hours(u"5:30"_s));
    addTotal(u"1001"_s, u"Garage"_s, u"PEINTURE"_s, hours(u"0:00"_s, true));
    addTotal(u"1001"_s, u"Garage"_s, QString(), hours(u"0:00"_s, true));
    selection.kind = ReportSelection::Kind::ByEmployee;
    auto report = build();
    const auto &alice = report->DataSource()->rows().at(0);
    ASSERT_EQ(alice.children.size(), 2u);
    QStringList punchDays;
    for (const ResultRecord &project : alice.children) {
        QStringList days;
        for (const ResultRecord &sub : project.children)
            for (const ResultRecord &punch : sub.children)
                days << punch.values.at(2).toString();
        punchDays << project.values.at(0).toString() + u':' + days.join(u',');
    }
    EXPECT_EQ(punchDays, QStringList({u"Chantier:2003-03-16,2003-03-16,2003-03-03,2003-03-03"_s,
                                      u"Garage:2003-03-10"_s}));
}

TEST_F(ReportEngineTest, PagesNeverSplitABandAndNumberThemselves)
{
    addEmployeeTotals();
    selection.kind = ReportSelection::Kind::ByEmployee;
    auto report = build();
    const auto height = [&](const ReportPages &pages, int band) {
        return report->sections()[size_t(pages.bands[size_t(band)].section)].Height;
    };
    int tallest = 0;
    for (const ReportSection &section : report->sections())
        tallest = std::max(tallest, section.Height);
    const int frame = report->Sections(u"PageHeader"_s)->Height + report->Sections(u"PageFooter"_s)->Height;
    for (int body : {tallest, tallest * 2 + 1, tallest * 5 - 1}) {
        const ReportPages pages = report->paginate(frame + body);
        EXPECT_GT(pages.pageCount(), 2);
        for (int page = 0; page < pages.pageCount(); ++page) {
            int used = 0;
            for (int i = pages.pageStarts[size_t(page)]; i < pages.pageEnd(page); ++i)
                used += height(pages, i);
            EXPECT_LE(used, body) << "page " << page << " of a body " << body << " high";
            if (page + 1 < pages.pageCount()) {
                EXPECT_GT(used + height(pages, pages.pageEnd(page)), body)
                    << "the next band would have fitted";
            }
        }
    }
    const ReportSection &pageFooter = *report->Sections(u"PageFooter"_s);
    EXPECT_EQ(report->controlText(*pageFooter.Controls(u"Label11"_s), {}, 2, 9), u"3"_s);
}

// A report without punch lines reads no punch: its punch level has the
// fields its layout binds and no row, and it shows what the same report
// with the punches read and hidden shows.
TEST_F(ReportEngineTest, AReportWithoutPunchLinesReadsNoPunchAndShowsTheSame)
{
    for (const auto kind : {ReportSelection::Kind::ByEmployee, ReportSelection::Kind::ByProject}) {
        SCOPED_TRACE(int(kind));
        execSql(u"DELETE FROM Projets WHERE TotalHeures Is Not Null"_s);
        execSql(u"DELETE FROM Vendeurs WHERE NomVendeur Is Not Null AND Projet Is Not Null"_s);
        kind == ReportSelection::Kind::ByEmployee ? addEmployeeTotals() : addProjectTotals();
        selection.kind = kind;
        selection.detail = true;
        const auto read = build(false);
        selection.detail = false;
        const auto unread = build(false);
        const HierarchicalResult &withPunches = *read->DataSource();
        const HierarchicalResult &withoutPunches = *unread->DataSource();
        ASSERT_EQ(withoutPunches.levelOf(u"Punch"_s), 3);
        EXPECT_EQ(withoutPunches.levels().at(3).fields, withPunches.levels().at(3).fields);
        EXPECT_EQ(rowsAt(withPunches, 3), 5) << "the punches of the period";
        EXPECT_EQ(rowsAt(withoutPunches, 3), 0);
        EXPECT_EQ(withoutPunches.rowCount(), withPunches.rowCount() - 5);
        EXPECT_EQ(unread->textLines(), read->textLines());
    }
}

// Rows keep only the positions of their values in a table of distinct
// values: each value still reads back as the database gave it, of its kind.
TEST_F(ReportEngineTest, SharedValuesReadBackAsTheDatabaseGaveThem)
{
    const QSqlDatabase db = fileDb();
    ASSERT_TRUE(execSql(u"CREATE TABLE Mixed (a, b)"_s));
    const QVariantList values = {u"1"_s, 1, QVariant(), u"x"_s, u"X"_s, 2.5,    2,          u""_s,
                                 u"x"_s, 1, u"1"_s,     2.5,    0,      u"0"_s, QVariant(), 1.0};
    for (int i = 0; i + 1 < values.size(); i += 2)
        ASSERT_TRUE(execSql(u"INSERT INTO Mixed (a, b) VALUES (?, ?)"_s, {values[i], values[i + 1]}));
    HierarchicalResult result;
    QString error;
    ASSERT_TRUE(
        result.open(db, {{u"Mixed"_s, SqlQuery(u"SELECT a, b FROM Mixed ORDER BY rowid"_s), {}, {}}}, &error))
        << error.toStdString();
    QSqlQuery direct(db);
    ASSERT_TRUE(direct.exec(u"SELECT a, b FROM Mixed ORDER BY rowid"_s));
    ASSERT_EQ(result.rows().size(), size_t(values.size() / 2));
    for (const ResultRecord &row : result.rows()) {
        ASSERT_TRUE(direct.next());
        ASSERT_EQ(row.values.size(), 2);
        for (int column = 0; column < 2; ++column) {
            const QVariant expected = direct.value(column);
            const QVariant &got = row.values.at(column);
            EXPECT_EQ(got.metaType(), expected.metaType()) << expected.toString().toStdString();
            EXPECT_EQ(got.isNull(), expected.isNull());
            EXPECT_EQ(got.toString(), expected.toString());
        }
    }
    const ResultRecord copy = result.rows().at(2); // a copy reads the same values
    EXPECT_EQ(copy.values.at(0), QVariant(u"X"_s));
    EXPECT_EQ(copy.values.at(1), QVariant(2.5));
}

// Two employee rows of one number (a file edited by hand) both show that
// number's totals and punches: rows related to two parents show under each.
TEST_F(ReportEngineTest, RowsOfTwoParentsShowUnderEach)
{
    addEmployee(u"1001"_s, u"Alice Martin-Roy"_s, u"Out"_s);
    addEmployeeTotals();
    selection.kind = ReportSelection::Kind::ByEmployee;
    const QStringList lines = build()->textLines();
    const auto under = [&lines](const QString &name) {
        const qsizetype from = lines.indexOf(lines.filter(name).value(0));
        return lines.mid(from + 1, 19).filter(u"/2003"_s).size();
    };
    EXPECT_EQ(under(u"Alice Martin "_s), 4);
    EXPECT_EQ(under(u"Alice Martin-Roy"_s), 4);
}

} // namespace
