#include "reports/ui/ReportPreview.h"
#include "reports/ReportRun.h"
#include "reports/ReportShapes.h"
#include "support/ReportFixture.h"

#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

struct ReportPreviewTest : ReportFixture {
    std::shared_ptr<DataReport> report(const QString &database)
    {
        auto result = std::make_shared<HierarchicalResult>();
        QString error;
        EXPECT_TRUE(result->open(database, ReportShapes::forSelection(selection, NoProjectName()), &error))
            << error.toStdString();
        auto layout = ReportRun::createLayout(selection);
        EXPECT_TRUE(layout->setDataSource(result));
        return layout;
    }
};

TEST_F(ReportPreviewTest, SavedAsPdfTheReportReadsAsItsText)
{
    addEmployeeTotals();
    selection.kind = ReportSelection::Kind::ByEmployee;
    ReportPreview preview(report(databasePath()));
    const QString pdf = folder() + u"/rapport.pdf"_s;
    dialogs->then(Answer::file(pdf));
    QTest::mouseClick(preview.cmdPdf, Qt::LeftButton);
    ASSERT_TRUE(dialogs->messages().isEmpty()) << dialogs->messages().join(u'|').toStdString();
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    ASSERT_TRUE(pdftotext.waitForFinished(20000)) << "pdftotext (poppler-utils) must be installed";
    QStringList lines;
    for (const QString &line : QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\n'))
        lines << line.simplified();
    for (const QString &line :
         {u"Worked hours by employee Period from 03/03/2003 to 16/03/2003"_s,
          u"Employee no.: 1001 Name: Alice Martin Out"_s, u"In 16/03/2003 01:00:00 pm"_s,
          u"Project total: 0:00 Hours:Minutes (Employé(e) au travail)"_s, u"01/03/2003 Page : 1"_s})
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << " in:\n"
                                          << lines.join(u'\n').toStdString();
    EXPECT_FALSE(lines.join(u' ').contains(u"Page : 2"_s)) << "one page";
}

} // namespace

namespace {

// Page Down and Page Up turn one page, End and Home go to the last and the first page; so do the buttons.
TEST_F(ReportPreviewTest, KeysAndButtonsTurnOnePageOrGoToAnEnd)
{
    for (int i = 0; i < 60; ++i) {
        const QString number = QString::number(2000 + i);
        addEmployee(number, u"Employee "_s + number);
        addTotals(number, AliceTotals);
    }
    selection.kind = ReportSelection::Kind::ByEmployee;
    ReportPreview preview(report(databasePath()));
    preview.show();
    const int last = preview.pageCount() - 1;
    ASSERT_GE(last, 3);
    const auto key = [&](Qt::Key k) { return [&preview, k] { QTest::keyClick(&preview, k); }; };
    const auto click = [](QToolButton *b) { return [b] { QTest::mouseClick(b, Qt::LeftButton); }; };
    const std::pair<std::function<void()>, int> steps[] = {
        {key(Qt::Key_PageDown), 1},     {key(Qt::Key_PageDown), 2},
        {key(Qt::Key_PageUp), 1},       {key(Qt::Key_End), last},
        {key(Qt::Key_PageDown), last},  {key(Qt::Key_Home), 0},
        {key(Qt::Key_PageUp), 0},       {click(preview.cmdNext), 1},
        {click(preview.cmdLast), last}, {click(preview.cmdPrevious), last - 1},
        {click(preview.cmdFirst), 0}};
    for (const auto &[step, page] : steps) {
        step();
        EXPECT_EQ(preview.lblPage->text(), u"%1 / %2"_s.arg(page + 1).arg(last + 1));
    }
}

} // namespace
