#include "reports/ReportRun.h"
#include "common/Progress.h"
#include "platform/Spreadsheet.h"
#include "reports/Totals.h"
#include "reports/WorkbookExport.h"
#include "support/ReportFixture.h"
#include "support/WorkbookReader.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// A report run with its hooks recording what happened, in order.
struct ReportRunTest : ReportFixture {
    void TearDown() override
    {
        DelayedProgress::setDelay(500);
        SpreadsheetApplication::setDocumentsFolder(QString());
        ReportFixture::TearDown();
    }
    ReportRun::Hooks hooks(bool periodValid = true)
    {
        ReportRun::Hooks h;
        h.computeTotals = [this, periodValid](const QSqlDatabase &db, const ReportSelection &s,
                                              StepProgress &) {
            events << u"totals"_s;
            target = db;
            s.kind == ReportSelection::Kind::ByProject ? addProjectTotals() : addEmployeeTotals();
            target = QSqlDatabase();
            return periodValid;
        };
        h.showReport = [this](const std::shared_ptr<DataReport> &report) {
            events << u"shown"_s;
            rowsWhileShown = temporaryRows();
            linesShown = report->textLines();
            const ReportSection *header = report->Sections(ReportRun::punchHeaderSection(selection.kind));
            captionShown = header->Controls(u"Label6"_s)->Visible;
            headerHeight = header->Height;
        };
        h.afterCleanUp = [this] { events << u"cleaned up"_s; };
        return h;
    }
    bool run(const ReportRun::Hooks &h, const QString &database = QString())
    {
        events.clear();
        dialogs->whileMessageShown = [this](const QString &) { events << u"message"_s; };
        return ReportRun(database.isNull() ? databasePath() : database, selection, h).run();
    }

    QStringList events;
    int rowsWhileShown = -1;
    QStringList linesShown;
    bool captionShown = false;
    int headerHeight = 0;
};

TEST_F(ReportRunTest, TextFileThenWorkbookThenReportAndNothingTemporaryLeftAfterwards)
{
    const QDir documents(folder() + u"/Documents"_s);
    SpreadsheetApplication::setDocumentsFolder(documents.path());
    selection.kind = ReportSelection::Kind::ByEmployee;
    selection.exportText = true;
    selection.detail = false;
    const QString path = folder() + u"/export.txt"_s;
    ReportRun::Hooks h = hooks();
    int workbooksWhileShown = -1;
    h.showReport = [&, show = h.showReport](const std::shared_ptr<DataReport> &report) {
        show(report);
        workbooksWhileShown = int(documents.entryList(QDir::Files).size());
    };
    bool textBeforeWorkbook = false;
    dialogs->whileUrlOpened = [&](const QUrl &) { textBeforeWorkbook = QFile::exists(path); };
    bool savePickedBeforeWorkbook = false; // the text file's name is asked before the workbook is made
    h.exportWorkbook = [&](const QSqlDatabase &db, const ReportSelection &s, StepProgress &progress) {
        savePickedBeforeWorkbook =
            !dialogs->shown().isEmpty() && dialogs->shown().last().kind == Shown::SaveFile;
        return prepareWorkbook(db, s, [&](int done, int total) { return progress.at(done, total); });
    };
    for (bool asked : {false, true}) {
        QFile::remove(path);
        dialogs->then(Answer::file(path));
        selection.exportWorkbook = asked;
        EXPECT_TRUE(run(h));
        EXPECT_EQ(events, QStringList({u"totals"_s, u"shown"_s, u"cleaned up"_s}));
        EXPECT_EQ(workbooksWhileShown, asked ? 1 : 0);
    }
    EXPECT_EQ(dialogs->lastProposedName, u"Report by employee from 2003-03-03 to 2003-03-16.txt"_s);
    EXPECT_TRUE(textBeforeWorkbook) << "the text file is written before the workbook";
    EXPECT_TRUE(savePickedBeforeWorkbook);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), linesShown.join(u'\n') + u'\n') << "the report shown";
    const WorkbookContent content =
        readWorkbook(documents.filePath(documents.entryList(QDir::Files).value(0)));
    ASSERT_TRUE(content.ok) << content.error.toStdString();
    EXPECT_EQ(content.rows.mid(2, 3),
              QStringList({u"4: A*Employee no.: | B=1001 | C*Name: | D=Alice Martin | E*Status: | F=Out"_s,
                           u"5: B*Project: | C=Bureau"_s, u"6: B*Project total: | C=0:00 Hours:Minutes"_s}))
        << "the run's totals";
    EXPECT_EQ(rowsWhileShown, 0) << "the run's rows are never in the file, not even while it shows";
    EXPECT_EQ(temporaryRows(), 0);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Projets"_s).toInt(), 7) << "project and sub-project rows stay";
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs"_s).toInt(), 2) << "employee rows stay";
}

TEST_F(ReportRunTest, EveryWayOutLeavesNothingInTheFile)
{
    const struct {
        const char *name;
        QString database, message; // no message: the period was not valid
    } cases[] = {
        {"invalid period", QString(), QString()},
        {"no database file", u"/nowhere/tarnvik.mdb"_s,
         u"Please verify the database name if it is in /nowhere/tarnvik.mdb"_s},
        {"failure inside the report", QString(), u"the printer caught fire"_s},
        {"no punch table", QString(), u"no such table"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QLatin1String name(c.name);
        if (name == QLatin1String("no punch table"))
            execSql(u"ALTER TABLE Punch RENAME TO Pointage"_s);
        ReportRun::Hooks h = hooks(!c.message.isEmpty());
        if (name == QLatin1String("failure inside the report"))
            h.showReport = [](const std::shared_ptr<DataReport> &) {
                throw std::runtime_error("the printer caught fire");
            };
        dialogs->clear();
        EXPECT_FALSE(run(h, c.database));
        // A missing file is found before anything is computed.
        EXPECT_EQ(events, c.message.isEmpty()    ? QStringList({u"totals"_s, u"cleaned up"_s})
                          : c.database.isEmpty() ? QStringList({u"totals"_s, u"message"_s, u"cleaned up"_s})
                                                 : QStringList({u"message"_s, u"cleaned up"_s}));
        EXPECT_TRUE(c.message.isEmpty() ? dialogs->messages().isEmpty()
                                        : dialogs->messages().value(0).contains(c.message))
            << dialogs->messages().join(u'|').toStdString();
        EXPECT_FALSE(dialogs->busyCursor());
        EXPECT_EQ(temporaryRows(), 0);
    }
}

TEST_F(ReportRunTest, OneStateOfThePunchesForTheWholeRunAndRowsLeftByACrashNeverShown)
{
    // Rows that a run of an older program left in the file when it crashed.
    addTotals(u"1002"_s, "Bureau|Accueil|9:59 Bureau||9:59");
    addEmployeeTotal(u"1002"_s, u"Bob O'Neil"_s, u"Bureau"_s, u"Accueil"_s, total(u"9:59"_s));
    selection.kind = ReportSelection::Kind::ByEmployee;
    ReportRun::Hooks h = hooks();
    bool punched = false;
    h.computeTotals = [&](const QSqlDatabase &db, const ReportSelection &s, StepProgress &) {
        const bool written = TotalsByEmployee(db, s).written();
        // Bob punches Out at the station while the report is computed: stored at once.
        punched =
            punched || execSql(u"INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, Projet, "
                               "SousProjet, Archived) VALUES ('1002', 'Out', '2003-03-05', '09:00:00', "
                               "'Bureau', 'Accueil', 0)"_s);
        return written;
    };
    for (const bool second : {false, true}) {
        ASSERT_TRUE(run(h));
        const QString shown = linesShown.join(u'\n');
        EXPECT_FALSE(shown.contains(u"9:59"_s)) << "rows left by a crash are not part of a report";
        // The first run: the punches before Bob's Out, in his total and in his punch lines alike.
        EXPECT_EQ(shown.contains(u"Sub-project total: 0:00 Hours:Minutes (Employé(e) au travail)"_s),
                  !second);
        EXPECT_EQ(shown.contains(u"1:45 Hours:Minutes"_s), second);
        EXPECT_EQ(shown.contains(u"Out     05/03/2003"_s), second) << shown.toStdString();
        EXPECT_EQ(temporaryRows(), 0) << "the rows a crash left are gone after a run";
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs"_s).toInt(), 2);
    }
    EXPECT_TRUE(punched);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE NoVendeur = '1002'"_s).toInt(), 2)
        << "every punch made during a run is stored";
}

TEST_F(ReportRunTest, EachRunHasItsOwnLayoutSoDetailComesBackAfterARunWithout)
{
    for (bool detail : {false, true, false}) {
        selection.detail = detail;
        EXPECT_TRUE(run(hooks()));
        EXPECT_TRUE(captionShown == detail && (detail || headerHeight == 240)) << "header of 240 twips";
        EXPECT_EQ(linesShown.contains(u"  In      16/03/2003  01:00:00 pm"_s), detail) << "by project";
    }
}

TEST_F(ReportRunTest, ATextFileThatCannotBeWrittenIsReportedAndTheReportStillShows)
{
    selection.exportText = true;
    const QString unwritable = folder() + u"/no such folder/report.txt"_s;
    dialogs->then(Answer::file(unwritable));
    EXPECT_TRUE(run(hooks()));
    EXPECT_EQ(events, QStringList({u"totals"_s, u"message"_s, u"shown"_s, u"cleaned up"_s}));
    EXPECT_TRUE(
        dialogs->messages().value(0).startsWith(u"The file \""_s + unwritable + u"\" cannot be written."_s))
        << dialogs->messages().join(u'|').toStdString();

    dialogs->clear();
    dialogs->then(Answer::cancel());
    EXPECT_TRUE(run(hooks())) << "a cancelled save dialog writes nothing and goes on";
    EXPECT_EQ(events, QStringList({u"totals"_s, u"shown"_s, u"cleaned up"_s}));
    EXPECT_EQ(temporaryRows(), 0);
}

// A Cancel that the progress takes always takes effect, up to the bar's last
// value (the workbook saved); after that the run can no longer stop and its
// Cancel button is disabled before anything is put in place.
TEST_F(ReportRunTest, ACancelUpToTheLastValueStopsEverythingThenCancelIsDisabledForTheHandOver)
{
    DelayedProgress::setDelay(0);
    const QDir documents(folder() + u"/Documents"_s);
    SpreadsheetApplication::setDocumentsFolder(documents.path());
    selection.kind = ReportSelection::Kind::ByEmployee;
    selection.exportText = true;
    selection.exportWorkbook = true;
    const QString path = folder() + u"/export.txt"_s;
    const auto filesLeft = [&] {
        return QDir(folder()).entryList({u"export*"_s}, QDir::Files | QDir::Hidden) +
               documents.entryList(QDir::Files | QDir::Hidden);
    };
    // Pressed as the bar shows its last value: the text file and the
    // workbook are written by then, neither is put in place.
    dialogs->cancelWhen = [](const ScriptedDialogs::Progress &p) { return p.value == StepProgress::Scale; };
    dialogs->then(Answer::file(path));
    EXPECT_FALSE(run(hooks()));
    EXPECT_EQ(events, QStringList({u"totals"_s, u"cleaned up"_s})) << "no report";
    EXPECT_EQ(filesLeft(), QStringList()) << "no text file, no workbook, nothing half-written";
    EXPECT_TRUE(dialogs->openedUrls().isEmpty()) << "nothing handed to the spreadsheet program";
    ASSERT_EQ(dialogs->progress().size(), 1);
    EXPECT_EQ(dialogs->progress().at(0).values.last(), StepProgress::Scale);

    // Not pressed: the Cancel button is disabled before the files go in place.
    dialogs->clear();
    dialogs->cancelWhen = {};
    dialogs->then(Answer::file(path));
    bool disabledAtHandOver = false;
    dialogs->whileUrlOpened = [&](const QUrl &) {
        disabledAtHandOver = QFile::exists(path) && !dialogs->progress().value(0).cancelEnabled();
    };
    EXPECT_TRUE(run(hooks()));
    EXPECT_EQ(events, QStringList({u"totals"_s, u"shown"_s, u"cleaned up"_s}));
    EXPECT_TRUE(disabledAtHandOver) << "the text file goes in place first, the button already disabled";
    EXPECT_EQ(dialogs->progress().value(0).cancelDisabledAt, StepProgress::Scale);
    EXPECT_EQ(filesLeft().size(), 2) << filesLeft().join(u' ').toStdString();
}

} // namespace
