// The report run from the report window's OK button, and the report window
// opened from the main window's menu.
#include "PunchWindowFixture.h"
#include "common/Progress.h"
#include "platform/Spreadsheet.h"
#include "platform/ui/Pickers.h"
#include "platform/ui/WidgetDialogs.h"
#include "reports/WorkbookExport.h"
#include "reports/frmRapport.h"
#include "reports/ui/ReportPreview.h"
#include "station/Scramble.h"
#include "station/ui/AdminMenus.h"
#include "support/ReportFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressDialog>
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
    EXPECT_EQ(whole.cancelDisabledAt, StepProgress::Scale) << "Cancel disabled once the bar is full";
    // The user cancels at each point of the run in turn, up to the bar's last value: no report, no
    // workbook, nothing written.
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

// The boxes answered by the script, the progress in the program's own window.
struct RealProgress : ScriptedDialogs {
    std::unique_ptr<ProgressTask> startProgress(const QString &label, int total, bool cancellable) override
    {
        return WidgetDialogs().startProgress(label, total, cancellable);
    }
};

// The Cancel button of the progress window on the screen; null when none shows.
QPushButton *progressCancel()
{
    for (QWidget *w : QApplication::allWidgets())
        if (auto *progress = qobject_cast<QProgressDialog *>(w); progress && progress->isVisible())
            return progress->findChild<QPushButton *>();
    return nullptr;
}

// A click that the window system delivers while the program is busy: it
// waits in the queue until the program next looks at its events.
void clickLater(QWidget *button)
{
    ASSERT_TRUE(button);
    const QPointF at = QRectF(button->rect()).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}));
}

TEST_F(ReportRunWindowTest, CancelClickedWhileTheWorkbookIsSavedIsTakenThenDisabledForTheHandOver)
{
    DelayedProgress::setDelay(0);
    RealProgress screen; // on top of the fixture's script
    open();
    for (QAbstractButton *b :
         std::initializer_list<QAbstractButton *>{window->optEmp, window->chkExport, window->chkExportXL})
        click(b);
    const QDir documents(folder() + u"/Documents"_s);
    SpreadsheetApplication::setDocumentsFolder(documents.path());
    textFile = folder() + u"/heures.txt"_s;
    execSql(u"UPDATE Vendeurs SET Status = NULL"_s);
    // The report, should it show, is read and closed as the user would.
    QTimer closer;
    closer.callOnTimeout([this] {
        if (auto *preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget())) {
            shownLines = preview->report().textLines();
            preview->close();
        }
    });
    closer.start(10);
    // The user clicks Cancel while the workbook is being saved (the bar at 99 %).
    window->exportWorkbook = [](const QSqlDatabase &db, const ReportSelection &s, StepProgress &progress) {
        auto workbook = prepareWorkbook(db, s, [&](int done, int total) { return progress.at(done, total); });
        clickLater(progressCancel());
        return workbook;
    };
    screen.then(Answer::file(textFile));
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    QTest::qWait(30);
    EXPECT_TRUE(shownLines.isEmpty()) << "no report";
    EXPECT_FALSE(QFile::exists(textFile));
    EXPECT_EQ(documents.entryList(QDir::Files | QDir::Hidden), QStringList()) << "no workbook";
    EXPECT_TRUE(screen.openedUrls().isEmpty()) << "nothing handed to the spreadsheet program";
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE Status Is Not Null"_s).toInt(), 0) << "no Status";
    EXPECT_EQ(progressCancel(), nullptr);

    // Clicked, or Escape pressed, while the files are handed over: the button is disabled, the
    // window stays, the run goes to its end.
    window->exportWorkbook = nullptr;
    bool enabledAtHandOver = true;
    bool stayedAfterEscape = false;
    screen.whileUrlOpened = [&](const QUrl &) {
        QPushButton *cancel = progressCancel();
        ASSERT_TRUE(cancel);
        enabledAtHandOver = cancel->isEnabled();
        clickLater(cancel);
        QCoreApplication::processEvents();
        QTest::keyClick(cancel->window(), Qt::Key_Escape);
        stayedAfterEscape = progressCancel() != nullptr;
    };
    screen.then(Answer::file(textFile));
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    QTest::qWait(30);
    EXPECT_FALSE(enabledAtHandOver);
    EXPECT_TRUE(stayedAfterEscape);
    EXPECT_FALSE(shownLines.isEmpty()) << "the report shows";
    EXPECT_TRUE(QFile::exists(textFile));
    EXPECT_EQ(documents.entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_EQ(screen.openedUrls().size(), 1);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE Status Is Not Null"_s).toInt(), 2);
    EXPECT_TRUE(screen.messages().isEmpty()) << screen.messages().join(u'|').toStdString();
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
