#include "reports/ReportRun.h"
#include "reports/ReportShapes.h"
#include "support/ReportFixture.h"

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

} // namespace
