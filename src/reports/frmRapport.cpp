#include "reports/frmRapport.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/Progress.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/MonthView.h"
#include "platform/ui/Pickers.h"
#include "platform/ui/WindowLook.h"
#include "station/PayPeriod.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <memory>

namespace tarnvik {

namespace {

QRadioButton *option(QWidget *parent, int x, int y, int width)
{
    auto *button = new QRadioButton(parent);
    button->setGeometry(x, y, width, 22);
    return button;
}

} // namespace

frmRapport::frmRapport(QWidget *parent)
    : QDialog(parent), datAcces(QStringLiteral("SELECT * FROM Acces")),
      datVendeur(QStringLiteral("SELECT * FROM Vendeurs WHERE NomVendeur Is Not Null ORDER BY NoVendeur")),
      datPunch(QStringLiteral("SELECT * FROM Punch")), datProjets(QStringLiteral("SELECT * From Projets")),
      datSous(QStringLiteral("SELECT * From Projets")), datAdd(QStringLiteral("SELECT * From Projets")),
      datAddV(QStringLiteral("SELECT * From Vendeurs"))
{
    buildWindow();
    Form_Load();
}

frmRapport::~frmRapport() = default;

void frmRapport::buildWindow()
{
    setObjectName(QStringLiteral("frmRapport"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(640, 516);
    applyStationColours(this);

    addOkCancel(this, &cmdOk, &cmdAnnuler);
    cmdOk->setDefault(true);

    Line1 = separatorLine(this, QRect(Line1DesignX, 8, 1, 500));

    frmType = new QGroupBox(this);
    frmType->setGeometry(100, 4, 220, 78);
    optProjet = option(frmType, 10, 22, 200);
    optEmp = option(frmType, 10, 48, 200);
    optProjet->setChecked(true);

    frmExport = new QGroupBox(QStringLiteral("Exportation"), this);
    frmExport->setGeometry(330, 4, 302, 78);
    chkExport = new QCheckBox(frmExport);
    chkExport->setGeometry(10, 22, 282, 22);
    chkExportXL = new QCheckBox(frmExport);
    chkExportXL->setGeometry(10, 48, 282, 22);

    chkDetail = new QCheckBox(this);
    chkDetail->setGeometry(100, 90, 225, 22);
    chkDetail->setChecked(true);

    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(100, 120, 220, 104);
    optBoth = option(Frame1, 10, 22, 200);
    optNonArch = option(Frame1, 10, 48, 200);
    optArch = option(Frame1, 10, 74, 200);
    optBoth->setChecked(true);

    optTous = option(this, 330, 88, 302);
    optSel = option(this, 330, 110, 302);
    auto *employees = new QButtonGroup(this);
    employees->addButton(optTous);
    employees->addButton(optSel);
    optTous->setChecked(true);
    lsvVendeurs = new QTreeWidget(this);
    lsvVendeurs->setGeometry(330, 136, 302, 122);
    lsvVendeurs->setColumnCount(2);
    lsvVendeurs->setRootIsDecorated(false);
    lsvVendeurs->setUniformRowHeights(true);
    lsvVendeurs->header()->resizeSection(0, 110);
    cmdTous = new QPushButton(this);
    cmdTous->setGeometry(330, 264, 100, 26);
    cmdNone = new QPushButton(this);
    cmdNone->setGeometry(436, 264, 100, 26);
    // The list and its two buttons serve only a choice of employees.
    showEmployeeChoice(false);

    frmPeriode = new QGroupBox(this);
    frmPeriode->setGeometry(100, 298, 532, 210);
    Option1 = option(frmPeriode, 10, 22, 250);
    Option2 = option(frmPeriode, 10, 46, 250);
    Option3 = option(frmPeriode, 10, 70, 250);
    Option1->setChecked(true);
    DPicker = new DatePicker(frmPeriode);
    DPicker->setGeometry(10, 106, 112, 24);
    Label1 = new QLabel(frmPeriode);
    Label1->setGeometry(126, 110, 22, 16);
    Label1->setAlignment(Qt::AlignCenter);
    DPicker2 = new DatePicker(frmPeriode);
    DPicker2->setGeometry(150, 106, 112, 24);
    Label3 = new QLabel(frmPeriode);
    Label3->setGeometry(10, 132, 112, 16);
    Label2 = new QLabel(frmPeriode);
    Label2->setGeometry(150, 132, 112, 16);
    DPicker->setValue(Clock::today());
    DPicker2->setValue(Clock::today());
    Calendrier = new MonthView(frmPeriode);
    Calendrier->setGeometry(272, 20, 252, 182);
    // The month view only shows the period; the window does not react to it.
    Calendrier->setSelectionMode(QCalendarWidget::NoSelection);

    connect(Option1, &QRadioButton::toggled, this, [this](bool on) { on ? Option1_Click() : void(); });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) { on ? Option2_Click() : void(); });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) { on ? Option3_Click() : void(); });
    connect(optSel, &QRadioButton::toggled, this, [this](bool on) { on ? optSel_Click() : void(); });
    connect(optTous, &QRadioButton::toggled, this, [this](bool on) { on ? optTous_Click() : void(); });
    connect(DPicker, &QDateTimeEdit::dateChanged, this, &frmRapport::DPicker_Change);
    connect(DPicker2, &QDateTimeEdit::dateChanged, this, &frmRapport::DPicker2_Change);
    connect(cmdTous, &QPushButton::clicked, this, &frmRapport::cmdTous_Click);
    connect(cmdNone, &QPushButton::clicked, this, &frmRapport::cmdNone_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmRapport::cmdAnnuler_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmRapport::cmdOk_Click);
}

void frmRapport::placeLine1(int twipsPerPixel)
{
    placeSeparatorLine(Line1, Line1DesignX, twipsPerPixel);
}

void frmRapport::Form_Load()
{
    LOC_SetProperties();
    placeLine1(twipsPerPixelX(this));

    for (DataSource *source : {&datAcces, &datProjets, &datPunch, &datSous, &datVendeur, &datAdd, &datAddV}) {
        source->setConnectionString(ProgramState::ConnString);
        source->Refresh();
    }
    fillEmployeeList();

    // The current pay period, when the settings row holds one.
    const bool haveRow = datAcces->isOpen() && !datAcces->isEOF();
    const QVariant periode = haveRow ? datAcces->value(QStringLiteral("Periode")) : QVariant();
    const QVariant start = haveRow ? datAcces->value(QStringLiteral("DateDebut")) : QVariant();
    if (!PayPeriod::hasValue(periode) || !PayPeriod::hasValue(start) || !dateFromStored(start).isValid())
        return;
    PeriodeCode = periode.toString();
    m_dateDebut = dateFromStored(start);
    CalDate = m_dateDebut;
    SelCalendrier();
    DPicker->setValue(m_dateDebut);
    DPicker2->setValue(m_dateDebut.addDays(periodDays() - 1));
}

void frmRapport::fillEmployeeList()
{
    lsvVendeurs->clear();
    NextItemIndex = 1;
    Recordset &rows = datVendeur.recordset();
    for (bool more = rows.isOpen() && rows.MoveFirst(); more && !rows.isEOF(); more = rows.MoveNext()) {
        // Report rows left by a run that did not finish carry a name too.
        if (!rows.value(QStringLiteral("Projet")).isNull() &&
            !rows.value(QStringLiteral("SousProjet")).isNull())
            continue;
        auto *item = new QTreeWidgetItem(lsvVendeurs);
        item->setText(0, rows.value(QStringLiteral("NoVendeur")).toString());
        item->setText(1, rows.value(QStringLiteral("NomVendeur")).toString());
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        ++NextItemIndex;
    }
    lsvVendeurs->sortItems(0, Qt::AscendingOrder);
}

int frmRapport::periodDays() const
{
    return PayPeriod::lengthInDays(PeriodeCode);
}

void frmRapport::SelCalendrier()
{
    if (PeriodeCode.isEmpty())
        return;
    CalDate = m_dateDebut;
    Calendrier->setValue(CalDate);
    Calendrier->setSelectedRange(CalDate, CalDate.addDays(periodDays() - 1));
}

void frmRapport::SelCalendrier2()
{
    CalDate = DPicker->Value();
    Calendrier->setValue(CalDate);
    Calendrier->setSelectedRange(CalDate, DPicker2->Value());
}

void frmRapport::Option1_Click()
{
    SelCalendrier();
}

void frmRapport::Option2_Click()
{
    if (PeriodeCode.isEmpty())
        return;
    DPicker->setValue(m_dateDebut.addDays(-periodDays()));
    DPicker2->setValue(DPicker->Value().addDays(periodDays() - 1));
    SelCalendrier2();
}

void frmRapport::Option3_Click()
{
    SelCalendrier2();
}

void frmRapport::DPicker_Change()
{
    SelCalendrier2();
}

void frmRapport::DPicker2_Change()
{
    SelCalendrier2();
}

void frmRapport::fixPeriod()
{
    if (PeriodeCode.isEmpty() || Option3->isChecked())
        return;
    const QDate first = Option1->isChecked() ? m_dateDebut : m_dateDebut.addDays(-periodDays());
    // Both pickers first, so that their change handlers see the new period.
    const QSignalBlocker blockFirst(DPicker);
    const QSignalBlocker blockLast(DPicker2);
    DPicker->setValue(first);
    DPicker2->setValue(first.addDays(periodDays() - 1));
}

void frmRapport::showEmployeeChoice(bool selected)
{
    lsvVendeurs->setEnabled(selected);
    cmdTous->setEnabled(selected);
    cmdNone->setEnabled(selected);
    lsvVendeurs->update();
}

void frmRapport::optSel_Click()
{
    showEmployeeChoice(true);
}

void frmRapport::optTous_Click()
{
    showEmployeeChoice(false);
}

void frmRapport::setAllChecked(bool checked)
{
    if (!optSel->isChecked())
        return;
    for (int i = 1; i < NextItemIndex && i <= lsvVendeurs->topLevelItemCount(); ++i)
        lsvVendeurs->topLevelItem(i - 1)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void frmRapport::cmdTous_Click()
{
    setAllChecked(true);
}

void frmRapport::cmdNone_Click()
{
    setAllChecked(false);
}

void frmRapport::cmdAnnuler_Click()
{
    close();
}

ReportSelection frmRapport::selection() const
{
    ReportSelection chosen;
    chosen.kind =
        optProjet->isChecked() ? ReportSelection::Kind::ByProject : ReportSelection::Kind::ByEmployee;
    chosen.exportText = chkExport->isChecked();
    chosen.exportWorkbook = chkExportXL->isChecked();
    chosen.detail = chkDetail->isChecked();
    chosen.archive = optBoth->isChecked()      ? ReportSelection::Archive::Both
                     : optNonArch->isChecked() ? ReportSelection::Archive::CurrentOnly
                     : optArch->isChecked()    ? ReportSelection::Archive::ArchivedOnly
                                               : ReportSelection::Archive::NoneChosen;
    chosen.employees = optTous->isChecked()  ? ReportSelection::Employees::All
                       : optSel->isChecked() ? ReportSelection::Employees::Checked
                                             : ReportSelection::Employees::NoneChosen;
    for (int i = 0; i < lsvVendeurs->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lsvVendeurs->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            chosen.checkedEmployees << item->text(0);
    }
    chosen.periodStart = DPicker->Value();
    chosen.periodEnd = DPicker2->Value();
    chosen.periodInvalid = PeriodInvalid != 0;
    return chosen;
}

SqlQuery frmRapport::ArchiveFilter() const
{
    return tarnvik::ArchiveFilter(selection());
}

SqlQuery frmRapport::EmployeeFilter() const
{
    return tarnvik::EmployeeFilter(selection());
}

bool frmRapport::TimeDiff2(const QSqlDatabase &db, StepProgress &progress)
{
    return runTotals(ReportSelection::Kind::ByEmployee, db, progress);
}

bool frmRapport::ProjTimeDiff(const QSqlDatabase &db, StepProgress &progress)
{
    return runTotals(ReportSelection::Kind::ByProject, db, progress);
}

bool frmRapport::runTotals(ReportSelection::Kind kind, const QSqlDatabase &db, StepProgress &progress)
{
    PeriodInvalid = 0;
    const ReportSelection chosen = selection();
    PeriodStart = chosen.periodStart;
    PeriodEnd = chosen.periodEnd;

    const TotalsProgress report = [&progress](qint64 done, qint64 total) { return progress.at(done, total); };
    const TotalsResult result = kind == ReportSelection::Kind::ByEmployee
                                    ? TotalsByEmployee(db, chosen, report)
                                    : TotalsByProject(db, chosen, report);
    switch (result.outcome) {
    case TotalsResult::Outcome::Written:
        m_statusChanges = result.statusChanges;
        return true;
    case TotalsResult::Outcome::PeriodInvalid:
        PeriodInvalid = 1;
        MsgBox(LOC_RTString(1340), MsgStyle::OkOnly);
        return false;
    case TotalsResult::Outcome::Failed:
        MsgBox(LOC_RTString(1844).arg(result.error), MsgStyle::Exclamation);
        return false;
    case TotalsResult::Outcome::Cancelled:
        break;
    }
    return false;
}

void frmRapport::LOC_SetProperties()
{
    setWindowTitle(LOC_RTString(1526));
    frmType->setTitle(LOC_RTString(1624));
    optEmp->setText(LOC_RTString(1474));
    optProjet->setText(LOC_RTString(1476));
    chkExport->setText(LOC_RTString(1274));
    chkExportXL->setText(LOC_RTString(1272));
    chkDetail->setText(LOC_RTString(1528));
    cmdNone->setText(LOC_RTString(1698));
    cmdTous->setText(LOC_RTString(1612));
    optSel->setText(LOC_RTString(1234));
    optTous->setText(LOC_RTString(1614));
    lsvVendeurs->setHeaderLabels({LOC_RTString(1168), LOC_RTString(1418)});
    Frame1->setTitle(LOC_RTString(1626));
    optArch->setText(LOC_RTString(1124));
    optNonArch->setText(LOC_RTString(1420));
    optBoth->setText(LOC_RTString(1122));
    frmPeriode->setTitle(LOC_RTString(1480));
    Option1->setText(LOC_RTString(1478));
    Option3->setText(LOC_RTString(1204));
    Option2->setText(LOC_RTString(1216));
    Label1->setText(LOC_RTString(1128));
    Label3->setText(LOC_RTString(1336));
    Label2->setText(LOC_RTString(1336));
    datVendeur.setCaption(LOC_RTString(1640));
    datProjets.setCaption(LOC_RTString(1496));
    datSous.setCaption(LOC_RTString(1568));
}

} // namespace tarnvik
