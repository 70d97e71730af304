#include "platform/Spreadsheet.h"
#include "reports/ReportRun.h"
#include "support/ReportFixture.h"
#include "support/WorkbookReader.h"

#include <QDir>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// The report run writes the workbook itself when asked, between the text
// file and the report on screen, while the temporary rows are there.
struct ReportRunWorkbookTest : ReportFixture {
    void SetUp() override
    {
        ReportFixture::SetUp();
        SpreadsheetApplication::setDocumentsFolder(folder() + u"/Documents"_s);
    }
    void TearDown() override
    {
        SpreadsheetApplication::setDocumentsFolder(QString());
        ReportFixture::TearDown();
    }
    QStringList workbooks() const
    {
        QStringList paths;
        const QDir documents(folder() + u"/Documents"_s);
        for (const QString &name : documents.entryList(QDir::Files))
            paths << documents.filePath(name);
        return paths;
    }
};

TEST_F(ReportRunWorkbookTest, WorkbookIsWrittenBeforeTheReportShowsAndHoldsTheRunsTotals)
{
    selection.kind = ReportSelection::Kind::ByEmployee;
    selection.detail = false;
    selection.exportWorkbook = true;
    ReportRun::Hooks hooks;
    hooks.computeTotals = [this](const ReportSelection &) {
        addEmployeeTotals();
        return true;
    };
    QStringList whileShown;
    hooks.showReport = [&](const std::shared_ptr<DataReport> &) { whileShown = workbooks(); };
    ASSERT_TRUE(ReportRun(databasePath(), selection, hooks).run());
    ASSERT_EQ(whileShown.size(), 1);
    EXPECT_EQ(QFileInfo(whileShown[0]).fileName(),
              u"Report by employee from 2003-03-03 to 2003-03-16.xlsx"_s);
    EXPECT_EQ(dialogs->openedUrls(), QList<QUrl>{QUrl::fromLocalFile(whileShown[0])});
    const WorkbookContent content = readWorkbook(whileShown[0]);
    ASSERT_TRUE(content.ok) << content.error.toStdString();
    EXPECT_EQ(content.rows.mid(2, 4),
              QStringList({u"4: A*Employee no.: | B=1001 | C*Name: | D=Alice Martin | E*Status: | F=Out"_s,
                           u"5: B*Project: | C=Bureau"_s, u"6: B*Project total: | C=0:00 Hours:Minutes"_s,
                           u"7: B*Project: | C=Chantier"_s}));
    EXPECT_EQ(temporaryRows(), 0);

    // Not asked for: no workbook.
    selection.exportWorkbook = false;
    ASSERT_TRUE(ReportRun(databasePath(), selection, hooks).run());
    EXPECT_EQ(workbooks().size(), 1);
}

} // namespace
