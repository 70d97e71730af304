// The report run from the report window's OK button, and the report window
// opened from the main window's menu.
#include "PunchWindowFixture.h"
#include "common/Progress.h"
#include "platform/Spreadsheet.h"
#include "platform/ui/Pickers.h"
#include "reports/frmRapport.h"
#include "reports/ui/ReportPreview.h"
#include "station/Scramble.h"
#include "station/ui/AdminMenus.h"
#include "support/ReportFixture.h"

#include <QCheckBox>
#include <QDir>
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
        DelayedProgress::setDelay(500);
        SpreadsheetApplication::setDocumentsFolder(QString());
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

TEST_F(ReportRunWindowTest, OneProgressFromStartToEndAndACancelAtAnyPointLeavesNothing)
{
    DelayedProgress::setDelay(0);
    open();
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
             window->optEmp, window->chkDetail, window->chkExport, window->chkExportXL})
        click(b);
    const QDir documents(folder() + u"/Documents"_s);
    SpreadsheetApplication::setDocumentsFolder(documents.path());
    textFile = folder() + u"/heures.txt"_s;
    dialogs->then(Answer::file(textFile));
    runReport();
    // By employee without detail: the text file, the workbook, then the report; nothing in the file.
    EXPECT_TRUE(savedBeforeShown);
    EXPECT_EQ(rowsWhileShown, 0) << "the run's rows are never in the file";
    EXPECT_TRUE(
        shownLines.contains(u"Employee no.: 1001    Name:   Alice Martin                         Out"_s));
    EXPECT_FALSE(shownLines.join(u'\n').contains(u"InOut"_s)) << "no punch captions without detail";
    EXPECT_EQ(shownLines.filter(u"Project total: 5:30 Hours:Minutes"_s).size(), 1) << "totals by employee";
    QFile file(textFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), shownLines.join(u'\n') + u'\n');
    EXPECT_EQ(documents.entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(dialogs->messages().isEmpty()) << dialogs->messages().join(u'|').toStdString();
    ASSERT_EQ(dialogs->progress().size(), 1) << "one window for the whole run";
    const ScriptedDialogs::Progress whole = dialogs->progress().at(0);
    EXPECT_TRUE(whole.cancellable);
    EXPECT_TRUE(std::is_sorted(whole.values.begin(), whole.values.end()));
    EXPECT_EQ(whole.values.count(StepProgress::Scale), 1) << "full only at the very end";
    EXPECT_EQ(whole.values.last(), StepProgress::Scale);
    EXPECT_EQ(whole.labels,
              QStringList({LOC_RTString(1840), LOC_RTString(2200), LOC_RTString(2206), LOC_RTString(1888)}));
    // The user cancels at each point of the run in turn: no report, no workbook, nothing written.
    click(window->chkExport);
    execSql(u"UPDATE Vendeurs SET Status = NULL"_s);
    bool shown = false;
    for (int at = 1; at <= 100 && !shown; ++at) { // until the run ends before its at-th value
        SCOPED_TRACE(at);
        dialogs->clear();
        QDir(documents).removeRecursively();
        dialogs->cancelWhen = [at](const ScriptedDialogs::Progress &p) { return p.values.size() >= at; };
        runReport();
        QCoreApplication::processEvents(); // the closing of a report that did not come
        if ((shown = !shownLines.isEmpty())) {
            EXPECT_GT(at, 10);
            break;
        }
        EXPECT_TRUE(dialogs->messages().isEmpty());
        EXPECT_EQ(documents.entryList(QDir::Files).size(), 0);
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE Status Is Not Null"_s).toInt(), 0);
        EXPECT_EQ(temporaryRows(), 0);
    }
    EXPECT_TRUE(shown) << "every point was tried and the run then ends with its report shown";
}

struct ReportMenuTest : PunchWindowFixture {
    void TearDown() override
    {
        DelayedProgress::setDelay(500);
        PunchWindowFixture::TearDown();
    }
};

TEST_F(ReportMenuTest, ReportRowsThatACrashLeftAreGoneWhenTheStationStarts)
{
    const QString leftOver = u"SELECT (SELECT COUNT(*) FROM Projets WHERE TotalHeures Is Not Null) + (SELECT "
                             "COUNT(*) FROM Vendeurs WHERE NomVendeur Is Not Null AND Projet Is Not Null)"_s;
    const int projectRows = scalar(u"SELECT COUNT(*) FROM Projets"_s).toInt();
    execSql(u"INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) SELECT Projet, SousProjet, "
            "'1001', '1:00 Hours:Minutes' FROM Projets"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status, Projet, SousProjet, TotalHeures) SELECT "
            "NoVendeur, NomVendeur, 'Out', 'P', 'S', '0:00' FROM Vendeurs WHERE NomVendeur Is Not Null"_s);
    ASSERT_GT(scalar(leftOver).toInt(), 0);
    open();
    EXPECT_EQ(scalar(leftOver).toInt(), 0);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Projets"_s).toInt(), projectRows) << "the project tree stays";
}

TEST_F(ReportMenuTest, OneReportWindowBehindThePasswordAndQuittingDuringARunCancelsItThenClosesIt)
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

    DelayedProgress::setDelay(0);
    bool reportShown = false;
    QTimer closer; // a report that shows is seen and closed
    closer.callOnTimeout([&] {
        if (QWidget *preview = QApplication::activeModalWidget())
            reportShown = preview->close();
    });
    closer.start(20);
    int ticks = 0;
    dialogs->cancelWhen = [&](const ScriptedDialogs::Progress &) {
        if (++ticks == 2) { // OK again, then File > Quit, and the deletions the event loop would do
            QTest::mouseClick(report->cmdOk, Qt::LeftButton);
            window->mnuQuitter->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(report && report->isVisible()) << "not closed under its run";
        }
        return false;
    };
    QTest::mouseClick(report->cmdOk, Qt::LeftButton);
    EXPECT_TRUE(ticks >= 2 && dialogs->progress().size() == 1) << "no second run";
    EXPECT_EQ(dialogs->messages(), QStringList());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(reportShown) << "a cancelled run shows no report";
    EXPECT_FALSE(report) << "closed with the station once its run ended";
}

} // namespace
} // namespace tarnvik::test
