// The punch road of the station's main window: the number box and its
// status line, the sub-project choice, correction mode, the In and Out
// buttons, the punch itself, and the general end of day.
#include "station/frmPunch.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/DataCombo.h"
#include "platform/ui/Pickers.h"
#include "station/PunchRules.h"
#include "station/PunchStore.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace tarnvik {

namespace {

const QString kMessageTitle = QStringLiteral("Message");
const QString kConfirmationTitle = QStringLiteral("Confirmation");
const QString kEndOfDayNote = QStringLiteral("Fin de journée générale");

QString programTitle()
{
    return QLatin1String(ProgramTitle);
}

} // namespace

bool frmPunch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == dcbProjet || watched == dcbProjet->lineEdit())) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            dcbProjet_KeyPress(13);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmPunch::txtNumVendeur_Change()
{
    loadSubProjectList();
    dcbProjet->Refresh();
    dcbProjet->clearChoice();

    const QString number = txtNumVendeur->text();
    const std::optional<PunchStore::LatestPunch> latest =
        number.isEmpty() ? std::nullopt : PunchStore(databasePath()).latestPunch(number);
    if (!latest) {
        // The list was refreshed above and has not changed since.
        lblStatus->clear();
        lblProjet->setText(LOC_RTString(1698));
        return;
    }
    lblStatus->setText(LOC_RTString(1214) + latest->inOut + LOC_RTString(1024) +
                       PunchRules::shownTime(latest->time) + LOC_RTString(1036) +
                       PunchRules::shownDate(latest->date));
}

void frmPunch::txtNumVendeur_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        dcbProjet->setFocus();
}

void frmPunch::dcbProjet_Change()
{
    if (const std::optional<QString> project = PunchStore(databasePath()).projectOf(dcbProjet->Text()))
        lblProjet->setText(*project);
}

void frmPunch::dcbProjet_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        txtDescription->setFocus();
}

void frmPunch::txtDescription_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        PunchInOut(QString());
}

void frmPunch::Command1_Click()
{
    confirmAndPunch(QLatin1String(PunchRules::In));
}

void frmPunch::Command2_Click()
{
    confirmAndPunch(QLatin1String(PunchRules::Out));
}

void frmPunch::confirmAndPunch(const QString &direction)
{
    const PunchStore::Employee employee = PunchStore(databasePath()).findEmployee(txtNumVendeur->text());
    if (!employee.error.isEmpty()) {
        // The number may well be right: it stays for another try.
        MsgBox(LOC_RTString(1734).arg(employee.error), MsgStyle::Critical, kMessageTitle);
        return;
    }
    if (!employee.hasEmployeeRow) {
        MsgBox(LOC_RTString(1152), MsgStyle::Exclamation, kMessageTitle);
        emptyNumberBox();
        return;
    }
    if (!subProjectChosen() || correctionMomentRefused())
        return;
    if (MsgBox(LOC_RTString(1256) + employee.name + QLatin1Char('?'), MsgStyle::YesNo | MsgStyle::Question,
               kConfirmationTitle) != MsgResult::Yes) {
        MsgBox(LOC_RTString(1134), MsgStyle::Exclamation, kMessageTitle);
        emptyNumberBox();
        return;
    }
    PunchInOut(direction);
}

bool frmPunch::subProjectChosen()
{
    // A punch goes only on a sub-project of the list (or on none at all):
    // a name typed that the list does not hold is refused before anything is
    // asked or stored, and the box keeps it for the employee to correct.
    const PunchRules::SubProjectChoice choice = PunchRules::checkSubProject(
        dcbProjet->Text(), dcbProjet->ListItems(), lblProjet->text() != LOC_RTString(1698));
    using Kind = PunchRules::SubProjectChoice::Kind;
    switch (choice.kind) {
    case Kind::Listed:
        if (choice.name != dcbProjet->Text())
            dcbProjet->setText(choice.name); // shows the project of the list's name
        return true;
    case Kind::NoneChosen:
        return true;
    case Kind::Missing:
        MsgBox(LOC_RTString(1768), MsgStyle::Exclamation, kMessageTitle);
        break;
    case Kind::Unlisted:
        MsgBox(LOC_RTString(1766).arg(dcbProjet->Text()), MsgStyle::Exclamation, kMessageTitle);
        break;
    }
    dcbProjet->setFocus();
    dcbProjet->lineEdit()->selectAll();
    return false;
}

void frmPunch::chkErreur_Click()
{
    if (chkErreur->isChecked()) {
        DPicker->setFocus();
        const QDateTime now = Clock::now();
        DPicker->setValue(now.date());
        TPicker->setValue(now.time());
    } else {
        txtNumVendeur->setFocus();
    }
}

void frmPunch::Label1_Click()
{
    // Toggling the box runs chkErreur_Click for its new state.
    chkErreur->setChecked(!chkErreur->isChecked());
}

bool frmPunch::correctionMomentRefused()
{
    // Empty, or typed as a date or time that cannot exist: the pickers hold
    // no value, and the punch is refused before the employee is asked
    // anything.
    if (!chkErreur->isChecked() || (DPicker->Value().isValid() && TPicker->Value().isValid()))
        return false;
    MsgBox(LOC_RTString(1202), MsgStyle::OkOnly, programTitle());
    DPicker->setFocus();
    return true;
}

void frmPunch::emptyNumberBox()
{
    txtNumVendeur->clear();
    txtNumVendeur->setFocus();
}

void frmPunch::clearCorrectionMode()
{
    chkErreur->setChecked(false);
    const QDateTime now = Clock::now();
    DPicker->setValue(now.date());
    TPicker->setValue(now.time());
}

void frmPunch::PunchInOut(const QString &Pu)
{
    const QString noProject = LOC_RTString(1698);
    const QString number = txtNumVendeur->text();
    PunchStore store(databasePath());

    // An employee is a number with an employee row; presence rows left by a
    // deleted employee do not let him punch.
    QString name;
    if (!number.isEmpty()) {
        const PunchStore::Employee employee = store.findEmployee(number);
        if (!employee.error.isEmpty()) {
            MsgBox(LOC_RTString(1734).arg(employee.error), MsgStyle::Critical, kMessageTitle);
            return;
        }
        if (!employee.hasEmployeeRow) {
            MsgBox(LOC_RTString(1152), MsgStyle::Exclamation, kMessageTitle);
            emptyNumberBox();
            return;
        }
        name = employee.name;
        if (!subProjectChosen())
            return;
    }

    // The clock is read once: date, long date and time come from this moment.
    const QDateTime now = Clock::now();
    PunchStore::NewPunch punch;
    punch.number = number;
    punch.date = now.date();
    punch.time = now.time();
    punch.dateLong = formatDate(now, QLatin1String(DatePattern::Long));

    const PunchRules::Target target = PunchRules::target(
        lblProjet->text(), dcbProjet->Text(), txtDescription->text(), noProject, LOC_RTString(1136));
    punch.project = target.project;
    punch.subProject = target.subProject;
    punch.description = target.description;

    const PunchStore::Counts counts = store.counts(number, target.subProject);
    if (!counts.error.isEmpty() && !number.isEmpty()) {
        MsgBox(LOC_RTString(1734).arg(counts.error), MsgStyle::Critical, kMessageTitle);
        return;
    }
    const PunchRules::Decision decision = PunchRules::decide(Pu, counts.in, counts.out, number.isEmpty());
    switch (decision.refusal) {
    case PunchRules::Refusal::AlreadyIn:
        MsgBox(LOC_RTString(1618), MsgStyle::OkOnly, programTitle());
        return;
    case PunchRules::Refusal::NoOpenIn:
        MsgBox(LOC_RTString(1616), MsgStyle::OkOnly, programTitle());
        return;
    case PunchRules::Refusal::MoreOutsThanIns:
        MsgBox(LOC_RTString(1254), MsgStyle::OkOnly, programTitle());
        return;
    case PunchRules::Refusal::None:
        break;
    }
    punch.inOut = decision.direction;
    if (correctionMomentRefused())
        return;
    if (decision.ask &&
        MsgBox(LOC_RTString(1256) + name + LOC_RTString(1054) + punch.inOut + QLatin1Char('?'),
               MsgStyle::YesNo | MsgStyle::Question, kConfirmationTitle) != MsgResult::Yes) {
        MsgBox(LOC_RTString(1134), MsgStyle::Exclamation, kMessageTitle);
        emptyNumberBox();
        return;
    }

    const bool correction = chkErreur->isChecked();
    if (correction) {
        punch.date = DPicker->Value();
        punch.time = TPicker->Value();
        punch.dateLong = LOC_RTString(1648);
    }
    if (number.isEmpty()) {
        if (correction)
            clearCorrectionMode();
        return;
    }

    // The punch, the employee's status and his presence are stored together.
    // When that fails, everything typed stays in place (correction mode too)
    // so that Enter tries again.
    QString error;
    // The direction is decided again inside the write: when another station
    // punched for him since, nothing is stored and he is told so.
    switch (store.storeDecidedPunch(punch, Pu, &error)) {
    case PunchStore::Outcome::Stored:
        break;
    case PunchStore::Outcome::DirectionChanged:
        MsgBox(LOC_RTString(1742), MsgStyle::Exclamation, kMessageTitle);
        return;
    case PunchStore::Outcome::Failed:
        MsgBox(LOC_RTString(1720).arg(error), MsgStyle::Critical, kMessageTitle);
        return;
    }
    if (correction)
        clearCorrectionMode();
    lblStatus->clear();
    txtDescription->clear();
    emptyNumberBox();
}

void frmPunch::FinDeJournee()
{
    if (MsgBox(LOC_RTString(1668), MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
               kConfirmationTitle) != MsgResult::Yes)
        return;
    QString error;
    if (!PunchStore(databasePath()).endOfDay(kEndOfDayNote, nullptr, &error))
        MsgBox(LOC_RTString(1722).arg(error), MsgStyle::Critical, kMessageTitle);
}

} // namespace tarnvik
