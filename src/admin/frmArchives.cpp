#include "admin/frmArchives.h"

#include "admin/PunchArchive.h"
#include "admin/frmModifier.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/RecordsetTableModel.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/Pickers.h"
#include "platform/ui/WindowLook.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

namespace tarnvik {

namespace {

const QString kMessageTitle = QStringLiteral("Message");
const QString kConfirmationTitle = QStringLiteral("Confirmation");

} // namespace

void setPunchGridColumns(DataGrid *grid)
{
    // Bound field and caption of the nine columns; three captions come from
    // the language file.
    static const QStringList fields = {
        QStringLiteral("NoVendeur"),  QStringLiteral("InOut"),         QStringLiteral("PunchDateShort"),
        QStringLiteral("PunchTime"),  QStringLiteral("PunchDateLong"), QStringLiteral("Projet"),
        QStringLiteral("SousProjet"), QStringLiteral("Description"),   QStringLiteral("Archived")};
    grid->gridModel()->setVisibleFields(fields);
    const QStringList captions = {
        QStringLiteral("#"), QStringLiteral("In / Out"),       QStringLiteral("Date"),
        LOC_RTString(1294),  QStringLiteral("Date / Message"), LOC_RTString(1490),
        LOC_RTString(1700),  QStringLiteral("Description"),    QStringLiteral("Arch.")};
    for (int i = 0; i < captions.size(); ++i)
        grid->setColumnCaption(i, captions[i]);
    grid->gridModel()->setDateFields({QStringLiteral("PunchDateShort")});
    // "Date / Message" is wide enough for the longest long date (French
    // names are the longest); a cut text shows whole as a tool tip. The nine
    // columns fit in the window's grids, "Arch." in sight.
    const int longDate =
        grid->fontMetrics().horizontalAdvance(QStringLiteral("mercredi 30 septembre 2026")) + 16;
    const int widths[] = {50, 60, 82, 70, std::max(160, longDate), 100, 110, 90, 40};
    for (int i = 0; i < captions.size(); ++i)
        grid->setColumnWidth(i, widths[i]);
}

frmArchives::frmArchives(DataSource *stationEmployees, QWidget *owner)
    : QDialog(owner), datPunch(PunchArchive::listQuery(false).text), m_stationEmployees(stationEmployees)
{
    setObjectName(QStringLiteral("frmArchives"));
    buildWindow();
    Form_Load();
}

frmArchives::~frmArchives() = default;

void frmArchives::buildWindow()
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(940, 560);
    applyStationColours(this);
    setWindowTitle(QStringLiteral("Archives"));

    addOkCancel(this, &cmdOk, &cmdAnnuler);

    Line1 = separatorLine(this, QRect(75, 8, 1, 544));

    dgArchives = placeControl(new DataGrid(this), "dgArchives", QRect(90, 8, 842, 390));
    dgArchives->setAllowUpdate(false);
    dgArchives->setDataSource(&datPunch);

    chkVoir = placeControl(new QCheckBox(this), "chkVoir", QRect(90, 408, 20, 20));
    Label7 = placeControl(new ClickLabel(this), "Label7", QRect(112, 408, 360, 20));

    cmdModifier = placeControl(new QPushButton(this), "cmdModifier", QRect(812, 406, 120, 28));

    Label1 = placeLabel(this, "Label1", QRect(90, 446, 380, 18));
    Label2 = placeLabel(this, "Label2", QRect(90, 468, 400, 18));
    Label3 = placeLabel(this, "Label3", QRect(90, 490, 400, 36));
    Label3->setWordWrap(true);

    Label6 = placeLabel(this, "Label6", QRect(500, 446, 300, 18));
    DPicker = placeControl(new DatePicker(this), "DPicker", QRect(500, 468, 130, 26));
    Label4 = placeLabel(this, "Label4", QRect(638, 472, 120, 18));
    Label5 = placeLabel(this, "Label5", QRect(500, 500, 300, 36));
    Label5->setWordWrap(true);
    cmdSupp = placeControl(new QPushButton(this), "cmdSupp", QRect(812, 466, 120, 28));

    setTabOrder(dgArchives, chkVoir);
    setTabOrder(chkVoir, cmdModifier);
    setTabOrder(cmdModifier, DPicker);
    setTabOrder(DPicker, cmdSupp);
    setTabOrder(cmdSupp, cmdOk);
    setTabOrder(cmdOk, cmdAnnuler);

    connect(dgArchives, &DataGrid::RowColChange, this, &frmArchives::dgArchives_RowColChange);
    connect(chkVoir, &QCheckBox::toggled, this, &frmArchives::chkVoir_Click);
    connect(Label7, &ClickLabel::clicked, this, &frmArchives::Label7_Click);
    connect(cmdSupp, &QPushButton::clicked, this, &frmArchives::cmdSupp_Click);
    connect(cmdModifier, &QPushButton::clicked, this, &frmArchives::cmdModifier_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmArchives::cmdOk_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmArchives::cmdAnnuler_Click);
}

void frmArchives::Form_Load()
{
    LOC_SetProperties();
    datPunch.setConnectionString(ProgramState::ConnString);
    reloadList();
    DPicker->setValue(Clock::today());
}

void frmArchives::LOC_SetProperties()
{
    setPunchGridColumns(dgArchives);
    cmdModifier->setText(LOC_RTString(1388));
    cmdSupp->setText(LOC_RTString(1582));
    Label7->setText(LOC_RTString(1664));
    Label6->setText(LOC_RTString(1200));
    Label5->setText(LOC_RTString(1044));
    Label4->setText(LOC_RTString(1336));
    Label3->setText(LOC_RTString(1068));
    Label2->setText(LOC_RTString(1066));
    Label1->setText(LOC_RTString(1118));
}

bool frmArchives::archivedShown() const
{
    return chkVoir->isChecked();
}

void frmArchives::reloadList()
{
    if (!datPunch.Refresh())
        MsgBox(LOC_RTString(1828).arg(datPunch.lastError()), MsgStyle::Critical, kMessageTitle);
    dgArchives->showCurrentRow(datPunch->isEOF() ? -1 : 0);
}

void frmArchives::dgArchives_RowColChange()
{
    // The data source's current row follows the grid, so that the
    // correction window opens on the punch selected here.
    const int row = dgArchives->currentRow();
    if (row >= 0)
        datPunch->setBookmark(row + 1);
}

void frmArchives::chkVoir_Click()
{
    datPunch.setRecordSource(PunchArchive::listQuery(chkVoir->isChecked()));
    reloadList();
}

void frmArchives::Label7_Click()
{
    chkVoir->setChecked(!chkVoir->isChecked());
}

void frmArchives::Supp()
{
    const QDate day = DPicker->Value();
    if (DPicker->typedImpossible()) {
        MsgBox(LOC_RTString(1944).arg(DPicker->typedText()), MsgStyle::Exclamation, kMessageTitle);
        DPicker->setFocus();
        return;
    }
    if (!day.isValid()) {
        MsgBox(LOC_RTString(1824), MsgStyle::Exclamation, kMessageTitle);
        return;
    }
    if (MsgBox(LOC_RTString(1674) + formatDate(day, QLatin1String(DatePattern::Short)) + QLatin1Char('?'),
               MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
               kConfirmationTitle) != MsgResult::Yes)
        return;
    qint64 deleted = 0;
    QString error;
    Dialogs().setBusyCursor(true);
    const bool done = PunchArchive::purge(datPunch.databasePath(), day, &deleted, &error);
    Dialogs().setBusyCursor(false);
    if (done)
        MsgBox(LOC_RTString(1820).arg(deleted), MsgStyle::Information, kMessageTitle);
    else
        MsgBox(LOC_RTString(1822).arg(error), MsgStyle::Critical, kMessageTitle);
}

void frmArchives::cmdSupp_Click()
{
    Supp();
    // Whatever the answer, the window goes back to the current punches.
    chkVoir->setChecked(false);
    datPunch.setRecordSource(PunchArchive::listQuery(false));
    reloadList();
}

void frmArchives::cmdModifier_Click()
{
    ProgramState::OpeningModifier = true;
    {
        frmModifier corrections(this, m_stationEmployees, this);
        ProgramState::OpeningModifier = false;
        corrections.exec();
    }
    dgArchives->showCurrentRow(datPunch->isEOF() ? -1 : datPunch->Bookmark() - 1);
}

void frmArchives::cmdOk_Click()
{
    dgArchives->setFocus();
    accept();
}

void frmArchives::cmdAnnuler_Click()
{
    dgArchives->setFocus();
    reject();
}

} // namespace tarnvik
