#include "PunchWindowFixture.h"
#include "common/Database.h"
#include "reports/PunchRepPro.h"
#include "reports/ReportRun.h"
#include "reports/ReportShapes.h"
#include "reports/ui/ReportPreview.h"
#include "station/Scramble.h"
#include "support/DataGenerator.h"
#include "support/ReportFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QScrollArea>
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
    const QStringList expected = {
        u"Worked hours by employee Period from 03/03/2003 to 16/03/2003"_s,
        u"Archived and current punches"_s,
        u"Employee no.: 1001 Name: Alice Martin Out"_s,
        u"Project: Chantier"_s,
        u"InOut Date Time Date / message Note"_s,
        u"In 16/03/2003 01:00:00 pm"_s,
        u"Sub-project total: 5:30 Hours:Minutes"_s,
        u"Project total: 0:00 Hours:Minutes (Employé(e) au travail)"_s,
        u"01/03/2003 Page : 1"_s,
    };
    for (const QString &line : expected)
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << " in:\n" << lines.join(u'\n').toStdString();
    EXPECT_FALSE(lines.join(u' ').contains(u"Page : 2"_s)) << "one page";
}

TEST_F(ReportPreviewTest, PagesTurnByButtonsAndKeysAndTheWholePageFits)
{
    GeneratedData data;
    data.employees = 3;
    data.punches = 2000;
    const QString big = folder() + u"/big.mdb"_s;
    QString error;
    ASSERT_TRUE(generateDatabase(big, data, &error)) << error.toStdString();
    QSqlDatabase db = Database::connection(big);
    for (int e = 0; e < data.employees; ++e)
        for (int p = 0; p < data.projects; ++p)
            for (int s = -1; s < data.subProjectsPerProject; ++s)
                Database::exec(db, u"INSERT INTO Projets (NoVendeur, Projet, SousProjet, TotalHeures) VALUES (?, ?, ?, 'x')"_s,
                               {employeeNumber(e), projectName(p), s < 0 ? QVariant() : subProjectName(p, s)});
    selection.kind = ReportSelection::Kind::ByEmployee;
    selection.periodStart = data.from;
    selection.periodEnd = data.to;
    ReportPreview preview(report(big));
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    const int pages = preview.pageCount();
    ASSERT_GT(pages, 20);
    EXPECT_EQ(preview.lblPage->text(), u"1 / %1"_s.arg(pages));
    EXPECT_FALSE(preview.cmdPrevious->isEnabled());
    QTest::mouseClick(preview.cmdNext, Qt::LeftButton);
    QTest::keyClick(&preview, Qt::Key_PageDown);
    EXPECT_EQ(preview.lblPage->text(), u"3 / %1"_s.arg(pages));
    QTest::keyClick(&preview, Qt::Key_End);
    EXPECT_EQ(preview.page(), pages - 1);
    EXPECT_FALSE(preview.cmdNext->isEnabled());
    QTest::mouseClick(preview.cmdFirst, Qt::LeftButton);
    EXPECT_EQ(preview.page(), 0);

    preview.cboZoom->setFocus();
    QTest::keyClick(preview.cboZoom, Qt::Key_Home); // the first choice: the whole page
    EXPECT_EQ(preview.zoom(), ReportPreview::WholePage);
    const QSize room = preview.scroller->viewport()->size();
    EXPECT_LE(preview.pageView->width(), room.width() + 1);
    EXPECT_LE(preview.pageView->height(), room.height() + 1);
}

struct ReportShortcutTest : PunchWindowFixture {};

TEST_F(ReportShortcutTest, Label2ShowsTheEmptyReportByEmployeeWithoutPasswordNorModality)
{
    execSql(u"UPDATE Acces SET RapPass = ?, Periode = 1, DateDebut = '2003-03-03'"_s,
            {Brouiller(u"Secret"_s, u"Secret"_s)});
    open();
    QTest::mouseClick(window->Label2, Qt::LeftButton);
    QPointer<ReportPreview> preview;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w); p && p->isVisible())
            preview = p;
    ASSERT_TRUE(preview);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(preview->parentWidget(), nullptr);
    EXPECT_EQ(preview->windowTitle(), LOC_RTString(1524));
    EXPECT_EQ(preview->report().textLines(),
              QStringList({LOC_RTString(1264) + u"                                        "_s +
                               LOC_RTString(1482) + u"03/03/2003"_s + LOC_RTString(1028) + u"09/03/2003"_s,
                           u"                                                                        "_s +
                               LOC_RTString(1220)}));
    EXPECT_EQ(preview->pageCount(), 1);
    EXPECT_TRUE(dialogs->shown().isEmpty()) << "no password asked";
    window->mnuQuitter->trigger();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(preview) << "closed with the station";
}

} // namespace
