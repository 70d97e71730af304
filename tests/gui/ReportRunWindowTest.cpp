// The report run from the report window's OK button, and the report window
// opened from the main window's menu.
#include "PunchWindowFixture.h"
#include "platform/ui/Pickers.h"
#include "reports/frmRapport.h"
#include "reports/ui/ReportPreview.h"
#include "station/Scramble.h"
#include "station/ui/AdminMenus.h"
#include "support/ReportFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tarnvik::test {
namespace {

struct ReportRunWindowTest : ReportFixture {
    void TearDown() override
    {
        window.reset();
        ReportFixture::TearDown();
    }
    void open() { (window = std::make_unique<frmRapport>())->show(); }
    // Clicks on the mark, as the user does.
    static void click(QAbstractButton *b)
    {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, b->height() / 2));
    }
    // Clicks OK; the report, once shown, is read and closed as the user would.
    void runReport()
    {
        shownLines.clear();
        QTimer::singleShot(0, window.get(), [this] {
            if (auto *preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget())) {
                shownLines = preview->report().textLines();
                rowsWhileShown = temporaryRows();
                savedBeforeShown = QFile::exists(textFile);
                preview->close();
            }
        });
        QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    }

    std::unique_ptr<frmRapport> window;
    QStringList shownLines;
    int rowsWhileShown = 0;
    bool savedBeforeShown = false;
    QString textFile;
};

TEST_F(ReportRunWindowTest, ByEmployeeWithoutDetailTheTextFileFirstThenTheReportThenNothingLeft)
{
    open();
    click(window->optEmp);
    click(window->chkDetail);
    click(window->chkExport);
    textFile = folder() + u"/heures.txt"_s;
    dialogs->then(Answer::file(textFile));
    runReport();
    ASSERT_FALSE(shownLines.isEmpty()) << "the report was shown";
    EXPECT_TRUE(savedBeforeShown);
    EXPECT_GT(rowsWhileShown, 0);
    EXPECT_EQ(temporaryRows(), 0) << "removed once the report was closed";
    EXPECT_TRUE(
        shownLines.contains(u"Employee no.: 1001    Name:   Alice Martin                         Out"_s));
    EXPECT_FALSE(shownLines.join(u'\n').contains(u"InOut"_s)) << "no punch captions without detail";
    EXPECT_EQ(shownLines.filter(u"Project total: 5:30 Hours:Minutes"_s).size(), 1) << "totals by employee";
    QFile file(textFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), shownLines.join(u'\n') + u'\n');
    EXPECT_TRUE(dialogs->messages().isEmpty()) << dialogs->messages().join(u'|').toStdString();
}

TEST_F(ReportRunWindowTest, AMissingDatabaseFileIsNamedAndNoReportShows)
{
    open();
    ProgramState::DbPath = folder() + u"/autre.mdb"_s;
    runReport();
    EXPECT_TRUE(shownLines.isEmpty());
    EXPECT_EQ(dialogs->messages(),
              QStringList{u"Please verify the database name if it is in "_s + folder() + u"/autre.mdb"_s});
    EXPECT_EQ(temporaryRows(), 0) << "the totals written to the window's database are removed all the same";
}

struct ReportMenuTest : PunchWindowFixture {};

TEST_F(ReportMenuTest, TheReportEntryOpensOneReportWindowBehindThePasswordAndLeavesTheStationUsable)
{
    execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(u"Secret"_s, u"Secret"_s)});
    open();
    dialogs->thenType(u"Secret"_s);
    window->mnuEmp->trigger();
    QPointer<frmRapport> report;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *r = qobject_cast<frmRapport *>(w); r && r->isVisible())
            report = r;
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->parentWidget() == nullptr && QApplication::activeModalWidget() == nullptr);
    EXPECT_TRUE(window->lblDeconnexion->isVisible()) << "logged on as soon as it is shown";
    report->DPicker->setValue(QDate(2003, 2, 3)); // the report label takes the window's choices
    QTimer::singleShot(0, [] { // a modal preview would wait for the user: closed, it fails below
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    QTest::mouseClick(window->Label2, Qt::LeftButton);
    QStringList shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *preview = qobject_cast<ReportPreview *>(w); preview && preview->isVisible())
            shown += preview->report().textLines();
    EXPECT_TRUE(shown.join(u'\n').contains(u"03/02/2003"_s)) << shown.join(u'\n').toStdString();
    window->mnuEmp->trigger(); // the same window comes forward, with no second prompt
    EXPECT_EQ(dialogs->shown().size(), 1);
    window->mnuQuitter->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(report) << "closed with the station";
}

} // namespace
} // namespace tarnvik::test
