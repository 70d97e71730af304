#pragma once

#include "common/DataSource.h"
#include "reports/ReportSelection.h"
#include "reports/Totals.h"

#include <QDate>
#include <QDialog>
#include <QVariant>

#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace tarnvik {

class ReportRun;
class SpreadsheetApplication;
class StepProgress;

class DatePicker;
class MonthView;

// The report window: the supervisor picks the report kind, the exports, the
// detail level, the archive filter, the employees and the period. It opens
// without owner and leaves the main window usable. Everything the report run
// needs from it comes out of selection() as plain values.
class frmRapport : public QDialog {
    Q_OBJECT
public:
    explicit frmRapport(QWidget *parent = nullptr);
    ~frmRapport() override;

    DataSource datAcces;
    DataSource datVendeur;
    DataSource datPunch;
    DataSource datProjets;
    DataSource datSous;
    DataSource datAdd;
    DataSource datAddV;

    // Report kind
    QGroupBox *frmType = nullptr;
    QRadioButton *optProjet = nullptr;
    QRadioButton *optEmp = nullptr;
    // Exports and detail
    QGroupBox *frmExport = nullptr;
    QCheckBox *chkExport = nullptr;
    QCheckBox *chkExportXL = nullptr;
    QCheckBox *chkDetail = nullptr;
    // Employees: all, or those checked in the list (number, name)
    QRadioButton *optTous = nullptr;
    QRadioButton *optSel = nullptr;
    QTreeWidget *lsvVendeurs = nullptr;
    QPushButton *cmdTous = nullptr;
    QPushButton *cmdNone = nullptr;
    // Archive filter
    QGroupBox *Frame1 = nullptr;
    QRadioButton *optBoth = nullptr;
    QRadioButton *optNonArch = nullptr;
    QRadioButton *optArch = nullptr;
    // Period: current pay period, the one before, or the days between the pickers
    QGroupBox *frmPeriode = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option3 = nullptr;
    DatePicker *DPicker = nullptr;
    DatePicker *DPicker2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    MonthView *Calendrier = nullptr;

    QPushButton *cmdOk = nullptr;
    QPushButton *cmdAnnuler = nullptr;
    QFrame *Line1 = nullptr;

    // The settings row's period length code as read when the window loaded;
    // empty when the row had no period or no start date.
    QString PeriodeCode;
    // Working date of the month view.
    QDate CalDate;
    // One more than the number of items of the employee list.
    int NextItemIndex = 1;
    // The period of the last totals, and whether its bounds were not dates.
    QDate PeriodStart;
    QDate PeriodEnd;
    qint16 PeriodInvalid = 0;

    // The window's choices as they stand.
    ReportSelection selection() const;
    // The clauses of the report queries, built from the choices as they stand.
    SqlQuery ArchiveFilter() const;
    SqlQuery EmployeeFilter() const;

    // Shows the current pay period on the month view.
    void SelCalendrier();
    // Shows the days from DPicker to DPicker2 on the month view.
    void SelCalendrier2();
    void LOC_SetProperties();
    // The first step of a report run: the current (Option1) or the previous
    // (Option2) pay period into the pickers; with Option3, or when the
    // settings row had no period, the pickers stay as they are. The month
    // view is not redrawn.
    void fixPeriod();

    // The totals of the report by employee (TimeDiff2) or by project
    // (ProjTimeDiff) over the pickers' period, written as temporary rows of
    // a report run's connection (ReportData.h), telling their progress; the
    // employees' Status goes into the file when the report is shown (a
    // cancelled run changes nothing). Returns true when the rows are
    // written; false, after telling the user why, when the period is not
    // valid (PeriodInvalid becomes 1, string 1340), when the rows could not
    // be stored (nothing is then written), or when the user cancelled: the
    // run stops there.
    bool TimeDiff2(const QSqlDatabase &db, StepProgress &progress);
    bool ProjTimeDiff(const QSqlDatabase &db, StepProgress &progress);
    // Whether a report run is in progress (from OK until its report closes).
    bool running() const { return m_run != nullptr; }

    // The first day of the current pay period as read when the window loaded.
    QDate settingsStart() const { return m_dateDebut; }

    void Form_Load();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void DPicker_Change();
    void DPicker2_Change();
    void optSel_Click();
    void optTous_Click();
    void cmdTous_Click();
    void cmdNone_Click();
    void cmdAnnuler_Click();
    // The report run.
    void cmdOk_Click();
    // The spreadsheet export of a report run (by employee or by project, as
    // the selection says), run after the text export while the totals exist.
    // Left empty, the report run uses its own.
    std::function<std::unique_ptr<SpreadsheetApplication>(const QSqlDatabase &, const ReportSelection &,
                                                          StepProgress &)>
        exportWorkbook;

    // Moves Line1 on a screen finer than 96 dots per inch.
    void placeLine1(int twipsPerPixel);
    static constexpr int Line1DesignX = 75;

protected:
    // While a run is in progress the window stays: closing it (or quitting
    // the station) cancels the run and the window closes once it has ended.
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildWindow();
    void fillEmployeeList();
    void showEmployeeChoice(bool selected);
    void setAllChecked(bool checked);
    int periodDays() const;
    bool runTotals(ReportSelection::Kind kind, const QSqlDatabase &db, StepProgress &progress);

    QDate m_dateDebut;
    ReportRun *m_run = nullptr; // the run in progress
    bool m_closeAfterRun = false;
    // The employees' Status worked out by the totals of the run in progress,
    // written into the file when its report is shown.
    std::vector<TotalsResult::StatusChange> m_statusChanges;
};

} // namespace tarnvik
