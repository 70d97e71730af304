#include "reports/frmRapport.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/MonthView.h"
#include "platform/ui/Pickers.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace tarnvik::test {
namespace {

class frmRapportTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 2"_s);
    }
    void TearDown() override
    {
        window.reset(); // its data sources go before the database is closed
        ProgramFixture::TearDown();
    }
    void open() { (window = std::make_unique<frmRapport>())->show(); }
    // Clicks on the round mark, as the user does.
    static void choose(QRadioButton *o)
    {
        QTest::mouseClick(o, Qt::LeftButton, {}, QPoint(7, o->height() / 2));
    }
    static void check(QTreeWidgetItem *item)
    {
        const QRect box = item->treeWidget()->visualItemRect(item);
        QTest::mouseClick(item->treeWidget()->viewport(), Qt::LeftButton, {},
                          {box.left() + 12, box.center().y()});
    }
    // "first last" of the pickers, then of the range the month view lights.
    QString period() const
    {
        const MonthView *cal = window->Calendrier;
        return u"%1 %2 / %3 %4"_s.arg(
            window->DPicker->Value().toString(Qt::ISODate), window->DPicker2->Value().toString(Qt::ISODate),
            cal->SelStart().toString(Qt::ISODate), cal->SelEnd().toString(Qt::ISODate));
    }
    QStringList listed() const
    {
        QStringList items;
        for (int i = 0; i < window->lsvVendeurs->topLevelItemCount(); ++i)
            items << window->lsvVendeurs->topLevelItem(i)->text(0) + u' ' +
                         window->lsvVendeurs->topLevelItem(i)->text(1);
        return items;
    }
    std::unique_ptr<frmRapport> window;
};

TEST_F(frmRapportTest, ListsNamedEmployeesByNumberAndFiltersOnTheCheckedOnes)
{
    addEmployee(u"30"_s, u"Zoé"_s);
    addEmployee(u"1001"_s, u"Alice"_s);
    addEmployee(u"205"_s, u"Bruno"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('205', 'P', 'A')"_s); // presence
    execSql(u"INSERT INTO Vendeurs (NoVendeur) VALUES ('999')"_s);                               // no name
    open();
    EXPECT_EQ(listed(), QStringList({u"1001 Alice"_s, u"205 Bruno"_s, u"30 Zoé"_s}));
    EXPECT_FALSE(window->lsvVendeurs->isEnabled()) << "the list serves only \"selected employees\"";
    choose(window->optSel);
    EXPECT_TRUE(window->EmployeeFilter().text.isEmpty()) << "nothing checked: every employee";
    check(window->lsvVendeurs->topLevelItem(2));
    check(window->lsvVendeurs->topLevelItem(0));
    EXPECT_EQ(window->EmployeeFilter(),
              SqlQuery(u"AND (NoVendeur = ? OR NoVendeur = ? ) "_s, {u"1001"_s, u"30"_s}));
    QTest::mouseClick(window->cmdNone, Qt::LeftButton);
    check(window->lsvVendeurs->topLevelItem(1));
    choose(window->optEmp);
    choose(window->optArch);
    QTest::mouseClick(window->chkDetail, Qt::LeftButton);
    const ReportSelection chosen = window->selection();
    EXPECT_TRUE(chosen.kind == ReportSelection::Kind::ByEmployee && !chosen.detail &&
                chosen.archive == ReportSelection::Archive::ArchivedOnly);
    EXPECT_EQ(chosen.checkedEmployees, QStringList{u"205"_s});
    EXPECT_EQ(window->ArchiveFilter().text, u"AND (Archived <> 0) "_s);
    QTest::mouseClick(window->cmdTous, Qt::LeftButton);
    EXPECT_EQ(window->selection().checkedEmployees, QStringList({u"1001"_s, u"205"_s, u"30"_s}));
}

TEST_F(frmRapportTest, PeriodOptionsFillThePickersAndTheMonthViewShowsTheDays)
{
    const QList<std::tuple<QVariant, QString, QString>> cases = {
        {1, u"2003-03-03 2003-03-09"_s, u"2003-02-24 2003-03-02"_s},
        {2, u"2003-03-03 2003-03-16"_s, u"2003-02-17 2003-03-02"_s},
        {3, u"2003-03-03 2003-03-30"_s, u"2003-02-03 2003-03-02"_s},
        {u"x"_s, u"2003-03-03 2003-03-30"_s, u"2003-02-03 2003-03-02"_s}, // any other code: 28 days
    };
    for (const auto &[periode, current, previous] : cases) {
        SCOPED_TRACE(current.toStdString());
        execSql(u"UPDATE Acces SET Periode = ?, DateDebut = '2003-03-03'"_s, {periode});
        open();
        EXPECT_EQ(period(), current + u" / "_s + current);
        choose(window->Option2);
        EXPECT_EQ(period(), previous + u" / "_s + previous);
        // Option1 shows the current period again but leaves the pickers; the run puts it back.
        choose(window->Option1);
        EXPECT_EQ(period(), previous + u" / "_s + current);
        window->fixPeriod();
        EXPECT_EQ(period(), current + u" / "_s + current);
    }
    choose(window->Option3); // the user's own days: the month view follows the pickers
    window->DPicker2->setFocus();
    QTest::keyClick(window->DPicker2, Qt::Key_Down); // the day, one less
    window->fixPeriod();
    EXPECT_EQ(period(), u"2003-03-03 2003-03-29 / 2003-03-03 2003-03-29"_s) << "kept with custom dates";
}

TEST_F(frmRapportTest, TotalsStopOnAnInvalidPeriodThenWriteStatusOnTheNextRun)
{
    execSql(u"UPDATE Acces SET Periode = 1, DateDebut = '2003-03-03'"_s);
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    addProject(u"P"_s, {u"A"_s});
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 3, 4), QTime(8, 0), u"P"_s, u"A"_s);
    open();
    choose(window->optEmp);
    choose(window->Option3);
    window->DPicker2->setFocus();
    QTest::keyClick(window->DPicker2, Qt::Key_Delete); // emptied
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1340)});
    EXPECT_TRUE(window->selection().periodInvalid);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Projets WHERE TotalHeures Is Not Null"_s).toInt(), 0);

    // The current period again, through OK: the run fixes the pickers first.
    choose(window->Option1);
    QString shown; // the report, shown modally until the user closes it
    QTimer::singleShot(0, window.get(), [&] {
        if (QWidget *report = QApplication::activeModalWidget()) {
            shown = report->windowTitle();
            report->close();
        }
    });
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_EQ(shown, LOC_RTString(1524));
    EXPECT_EQ(window->PeriodEnd, QDate(2003, 3, 9));
    EXPECT_EQ(scalar(u"SELECT Status FROM Vendeurs WHERE NoVendeur = '1001'"_s), u"In"_s) << "still at work";
}

// Enter in a period picker ends the typing as a click away does; a day that cannot exist, or a period that
// ends before it starts, is refused with string 1340 and no report runs: no total, no Status written.
TEST_F(frmRapportTest, ImpossibleOrBackwardPeriodTypedIsRefusedAndRunsNoReport)
{
    execSql(u"UPDATE Acces SET Periode = 1, DateDebut = '2026-11-02'"_s);
    addEmployee(u"1001"_s, u"Alice"_s, u"Unchanged"_s);
    addProject(u"P"_s, {u"A"_s});
    addPunch(u"1001"_s, u"In"_s, QDate(2026, 11, 5), QTime(8, 0), u"P"_s, u"A"_s);
    open();
    choose(window->optEmp);
    choose(window->Option3);
    int reports = 0; // a report that runs is shown modally: it is counted and closed
    QTimer closer;
    closer.callOnTimeout([&] {
        if (QWidget *report = QApplication::activeModalWidget())
            ++reports, report->close();
    });
    closer.start(5);
    // Typed into "from", then into "to" (empty: not typed into); Enter goes to the last picker typed into.
    const QList<std::pair<QString, QString>> cases = {
        {QString(), u"31/02/2026"_s},
        {u"30/02/2026"_s, QString()},
        {u"20/11/2026"_s, u"10/11/2026"_s},
    };
    for (const auto &[from, to] : cases) {
        SCOPED_TRACE((from + u" - "_s + to).toStdString());
        window->DPicker->setValue(QDate(2026, 11, 2));
        window->DPicker2->setValue(QDate(2026, 11, 8));
        dialogs->clear();
        QWidget *last = nullptr;
        for (const auto &[picker, keys] :
             {std::pair(window->DPicker, from), std::pair(window->DPicker2, to)}) {
            if (keys.isEmpty())
                continue;
            QLineEdit *edit = picker->findChild<QLineEdit *>();
            picker->setFocus();
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
            QTest::keyClicks(last = picker, keys);
        }
        QTest::keyClick(last, Qt::Key_Return);
        EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1340)});
        EXPECT_EQ(reports, 0);
        EXPECT_EQ(scalar(u"SELECT Status FROM Vendeurs WHERE NomVendeur = 'Alice'"_s).toString(),
                  u"Unchanged"_s);
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Projets WHERE TotalHeures Is Not Null"_s).toInt(), 0);
    }
    // The period put right runs.
    window->DPicker->setValue(QDate(2026, 11, 2));
    window->DPicker2->setValue(QDate(2026, 11, 8));
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(scalar(u"SELECT Status FROM Vendeurs WHERE NomVendeur = 'Alice'"_s).toString(), u"In"_s);
}

} // namespace
} // namespace tarnvik::test
