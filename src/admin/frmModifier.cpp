#include "admin/frmModifier.h"

#include "admin/PunchArchive.h"
#include "admin/frmArchives.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/RecordsetTableModel.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/DataCombo.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/Pickers.h"
#include "platform/ui/WindowLook.h"
#include "station/PunchStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnvik {

namespace {

const QString kMessageTitle = QStringLiteral("Message");

} // namespace

frmModifier::frmModifier(frmArchives *archives, DataSource *stationEmployees, QWidget *owner)
    : QDialog(owner), datPunch(PunchArchive::listQuery(false).text),
      datVendeur(PunchArchive::employeesQuery().text), datProjets(QStringLiteral("SELECT * From Projets")),
      m_archives(archives), m_stationEmployees(stationEmployees),
      m_ownEmployees(QStringLiteral("SELECT * FROM Vendeurs"))
{
    setObjectName(QStringLiteral("frmModifier"));
    buildWindow();
    Form_Load();
}

frmModifier::~frmModifier() = default;

void frmModifier::buildWindow()
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(960, 660);
    applyStationColours(this);
    setWindowTitle(QStringLiteral("Modification"));

    addOkCancel(this, &cmdOk, &cmdAnnuler);
    // Enter anywhere stores the work (a punch being added, a change), never
    // throws it away.
    cmdOk->setDefault(true);
    Line1 = separatorLine(this, QRect(75, 8, 1, 644));

    Frame1 = placeControl(new QGroupBox(QStringLiteral("Options"), this), "Frame1", QRect(90, 4, 400, 150));
    Label11 = placeLabel(Frame1, "Label11", QRect(10, 28, 120, 20));
    txtNoEmp = placeControl(new QLineEdit(Frame1), "txtNoEmp", QRect(132, 26, 90, 24));
    txtNoEmp->installEventFilter(this);
    cmdAjouter = placeControl(new QPushButton(Frame1), "cmdAjouter", QRect(232, 24, 158, 28));
    chkVoir = placeControl(new QCheckBox(Frame1), "chkVoir", QRect(10, 64, 20, 20));
    Label13 = placeControl(new ClickLabel(Frame1), "Label13", QRect(32, 64, 350, 20));
    chkLong = placeControl(new QCheckBox(Frame1), "chkLong", QRect(10, 96, 20, 20));
    Label14 = placeControl(new ClickLabel(Frame1), "Label14", QRect(32, 96, 350, 20));

    DataGrid2 = placeControl(new DataGrid(this), "DataGrid2", QRect(500, 8, 452, 146));
    DataGrid2->setAllowUpdate(false);
    DataGrid2->setDataSource(&datVendeur);
    DataGrid2->gridModel()->setVisibleFields(
        {QStringLiteral("NoVendeur"), QStringLiteral("NomVendeur"), QStringLiteral("TotalHeures")});
    // The name takes the room left, so that the total stays in sight with
    // no scrolling sideways, whatever the number of employees.
    DataGrid2->setColumnWidth(0, 80);
    DataGrid2->setColumnWidth(2, 120);
    DataGrid2->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    dgArchives = placeControl(new DataGrid(this), "dgArchives", QRect(90, 164, 862, 270));
    dgArchives->setAllowUpdate(false);
    dgArchives->setDataSource(&datPunch);

    buildBoundControls();

    Label1 = placeLabel(this, "Label1", QRect(90, 600, 300, 18));
    Label2 = placeLabel(this, "Label2", QRect(90, 620, 300, 18));
    Label3 = placeLabel(this, "Label3", QRect(400, 620, 550, 18));

    connect(txtNoEmp, &QLineEdit::textChanged, this, &frmModifier::txtNoEmp_Change);
    connect(DataGrid2, &DataGrid::RowColChange, this, &frmModifier::DataGrid2_RowColChange);
    connect(dgArchives, &DataGrid::RowColChange, this, &frmModifier::dgArchives_RowColChange);
    // Leaving a punch stores the change made to it; when that fails the grid
    // stays on that punch, with what was typed.
    connect(dgArchives, &DataGrid::writeFailed, this, &frmModifier::showWriteFailure);
    // A date or time typed that cannot exist keeps the user on its punch.
    connect(dgArchives, &DataGrid::BeforeRowChange, this, [this](bool *stay) {
        if (!m_showingRow)
            *stay = refuseImpossibleTyping();
    });
    connect(chkVoir, &QCheckBox::toggled, this, &frmModifier::chkVoir_Click);
    connect(Label13, &ClickLabel::clicked, this, &frmModifier::Label13_Click);
    connect(chkLong, &QCheckBox::toggled, this, &frmModifier::chkLong_Click);
    connect(Label14, &ClickLabel::clicked, this, &frmModifier::Label14_Click);
    connect(cmdAjouter, &QPushButton::clicked, this, &frmModifier::cmdAjouter_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmModifier::cmdOk_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmModifier::cmdAnnuler_Click);
}

void frmModifier::buildBoundControls()
{
    // Left column: whose punch, when and which way; right column: its texts.
    const int labelX = 90, fieldX = 300, rightLabelX = 560, rightFieldX = 700;
    Label12 = placeLabel(this, "Label12", QRect(labelX, 446, 200, 20));
    lblNoEmp = placeLabel(this, "lblNoEmp", QRect(fieldX, 446, 70, 20));
    lblNomEmp = placeLabel(this, "lblNomEmp", QRect(fieldX + 74, 446, 180, 20));

    Label5 = placeLabel(this, "Label5", QRect(labelX, 478, 200, 20));
    DPicker = placeControl(new DatePicker(this), "DPicker", QRect(fieldX, 474, 130, 26));
    Label8 = placeLabel(this, "Label8", QRect(fieldX + 138, 478, 100, 20));
    Label6 = placeLabel(this, "Label6", QRect(labelX, 510, 200, 20));
    TPicker = placeControl(new TimePicker(this), "TPicker", QRect(fieldX, 506, 130, 26));
    Label9 = placeLabel(this, "Label9", QRect(fieldX + 138, 510, 100, 20), QStringLiteral("hh:mm:ss"));
    Label4 = placeLabel(this, "Label4", QRect(labelX, 542, 200, 20));
    cbInOut = placeControl(new QComboBox(this), "cbInOut", QRect(fieldX, 538, 80, 26));
    cbInOut->setEditable(true);
    cbInOut->setInsertPolicy(QComboBox::NoInsert);
    cbInOut->installEventFilter(this);
    Label7 = placeLabel(this, "Label7", QRect(labelX, 574, 200, 20));
    cbArch = placeControl(new QComboBox(this), "cbArch", QRect(fieldX, 570, 80, 26));

    Label10 = placeLabel(this, "Label10", QRect(rightLabelX, 478, 136, 20));
    txtLong = placeControl(new QLineEdit(this), "txtLong", QRect(rightFieldX, 474, 252, 26));
    Label15 = placeLabel(this, "Label15", QRect(rightLabelX, 510, 136, 20));
    dcbProjet = placeControl(new DataCombo(this), "dcbProjet", QRect(rightFieldX, 506, 252, 26));
    dcbProjet->setRowSource(&datProjets);
    dcbProjet->setListField(QStringLiteral("SousProjet"));
    Label16 = placeLabel(this, "Label16", QRect(rightLabelX, 542, 136, 20));
    lblProjet = placeLabel(this, "lblProjet", QRect(rightFieldX, 542, 252, 20));

    setTabOrder(txtNoEmp, cmdAjouter);
    setTabOrder(cmdAjouter, chkVoir);
    setTabOrder(chkVoir, chkLong);
    setTabOrder(chkLong, DataGrid2);
    setTabOrder(DataGrid2, dgArchives);
    setTabOrder(dgArchives, DPicker);
    setTabOrder(DPicker, TPicker);
    setTabOrder(TPicker, cbInOut);
    setTabOrder(cbInOut, cbArch);
    setTabOrder(cbArch, txtLong);
    setTabOrder(txtLong, dcbProjet);
    setTabOrder(dcbProjet, cmdOk);
    setTabOrder(cmdOk, cmdAnnuler);

    // The bound controls write what the user changes into the current row;
    // the values shown when another row becomes current write nothing.
    connect(DPicker, &QDateTimeEdit::dateChanged, this, &frmModifier::DPicker_Change);
    connect(TPicker, &QDateTimeEdit::timeChanged, this, &frmModifier::TPicker_Change);
    connect(cbInOut, &QComboBox::currentTextChanged, this, &frmModifier::cbInOut_Change);
    connect(cbArch, &QComboBox::activated, this, &frmModifier::cbArch_Click);
    connect(txtLong, &QLineEdit::textEdited, this, &frmModifier::txtLong_Change);
    connect(dcbProjet, &DataCombo::Change, this, &frmModifier::dcbProjet_Change);
}

void frmModifier::Form_Load()
{
    LOC_SetProperties();

    // The punch selected in the archives window, read before that window's
    // list is reloaded.
    Recordset &archive = m_archives->datPunch.recordset();
    const QVariantMap selected = PunchArchive::currentRow(archive);
    const bool archived = m_archives->archivedShown();

    datProjets.setConnectionString(ProgramState::ConnString);
    datPunch.setConnectionString(ProgramState::ConnString);
    datVendeur.setConnectionString(ProgramState::ConnString);
    m_ownEmployees.setConnectionString(ProgramState::ConnString);
    datVendeur.Refresh();
    datProjets.setRecordSource(PunchArchive::subProjectNamesQuery());
    datProjets.Refresh();
    dcbProjet->Refresh();

    m_showingRow = true;
    NoEmp = selected.value(QStringLiteral("NoVendeur")).toString();
    txtNoEmp->setText(NoEmp);
    chkVoir->setChecked(archived);
    cbInOut->addItems({QStringLiteral("In"), QStringLiteral("Out")});
    cbArch->addItems({QStringLiteral("0"), QStringLiteral("1")});
    m_showingRow = false;

    datPunch.setRecordSource(PunchArchive::employeeQuery(NoEmp, archived));
    if (!datPunch.Refresh())
        MsgBox(LOC_RTString(1828).arg(datPunch.lastError()), MsgStyle::Critical, kMessageTitle);
    // Both lists order one employee's punches alike; the punch is found by
    // its values, so that the same punch is current here.
    PunchArchive::moveToRow(datPunch.recordset(), selected);
    m_archives->reloadList();

    showEmployee();
    showCurrentRow();
    NameChanged();
    ProgramState::OpeningModifier = false;
}

void frmModifier::LOC_SetProperties()
{
    DataGrid2->setColumnCaption(1, LOC_RTString(1232));
    DataGrid2->setColumnCaption(2, LOC_RTString(1610));
    cmdAjouter->setText(LOC_RTString(1108));
    Label14->setText(LOC_RTString(1514));
    Label13->setText(LOC_RTString(1390));
    Label11->setText(LOC_RTString(1386));
    datVendeur.setCaption(LOC_RTString(1640));
    setPunchGridColumns(dgArchives);
    datProjets.setCaption(LOC_RTString(1496));
    Label16->setText(LOC_RTString(1492));
    Label15->setText(LOC_RTString(1562));
    lblProjet->setText(LOC_RTString(1698));
    Label12->setText(LOC_RTString(1414));
    Label10->setText(LOC_RTString(1120));
    Label8->setText(LOC_RTString(1336));
    Label7->setText(LOC_RTString(1244));
    Label6->setText(LOC_RTString(1300));
    Label5->setText(LOC_RTString(1196));
    Label4->setText(LOC_RTString(1442));
    Label1->setText(LOC_RTString(1118));
    Label2->setText(LOC_RTString(1066));
    Label3->setText(LOC_RTString(1068));
}

bool frmModifier::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cbInOut && event->type() == QEvent::KeyPress) {
        // Enter takes the direction as the box completed it ("O": "Out")
        // and goes on to OK at once; the box alone would spend the first
        // Enter on accepting its completion.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && cbInOut->lineEdit()->hasSelectedText()) {
            cbInOut->lineEdit()->deselect();
            cbInOut->lineEdit()->end(false);
        }
    }
    if (watched == txtNoEmp) {
        // The whole number is selected when the box gets the focus, also
        // after the click that gave it the focus has placed the cursor.
        if (event->type() == QEvent::FocusIn) {
            txtNoEmp->selectAll();
            m_selectOnRelease = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
        } else if (event->type() == QEvent::MouseButtonRelease && m_selectOnRelease) {
            m_selectOnRelease = false;
            const bool handled = QDialog::eventFilter(watched, event);
            txtNoEmp->selectAll();
            return handled;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmModifier::NameChanged()
{
    // The look-up borrows the main window's employee data source and gives
    // it back its query. Of the rows holding the number, the employee row
    // (the one with a name) is the one shown.
    DataSource &source = m_stationEmployees ? *m_stationEmployees : m_ownEmployees;
    const SqlQuery kept = source.RecordSource();
    source.setRecordSource(
        SqlQuery("SELECT * FROM Vendeurs WHERE NoVendeur = ? AND NomVendeur Is Not Null", {NoEmp}));
    source.Refresh();
    if (source->isOpen() && !source->isEOF()) {
        // A name longer than the label reads whole in its tool tip.
        lblNomEmp->setText(source->value(QStringLiteral("NomVendeur")).toString());
        lblNomEmp->setToolTip(lblNomEmp->text());
    }
    source.setRecordSource(kept);
    source.Refresh();
}

void frmModifier::showWriteFailure(const QString &reason)
{
    MsgBox(LOC_RTString(1826).arg(reason), MsgStyle::Critical, kMessageTitle);
}

bool frmModifier::storePending()
{
    Recordset &rs = datPunch.recordset();
    if (!rs.isOpen() || !rs.editPending())
        return true;
    if (!rs.Update()) {
        showWriteFailure(rs.lastError());
        return false;
    }
    dgArchives->gridModel()->showFetchedRows();
    dgArchives->viewport()->update();
    return true;
}

bool frmModifier::listPunches(bool archived)
{
    if (refuseImpossibleTyping() || !storePending())
        return false;
    ProgramState::RefreshingPunches = true;
    datPunch.setRecordSource(PunchArchive::employeeQuery(NoEmp, archived));
    if (!datPunch.Refresh())
        MsgBox(LOC_RTString(1828).arg(datPunch.lastError()), MsgStyle::Critical, kMessageTitle);
    showCurrentRow();
    ProgramState::RefreshingPunches = false;
    return true;
}

void frmModifier::showCurrentRow()
{
    Recordset &rs = datPunch.recordset();
    const bool hasRow = rs.isOpen() && !rs.isEOF() && !rs.isBOF();
    const QString previousNumber = lblNoEmp->text();

    m_showingRow = true;
    dgArchives->showCurrentRow(hasRow && rs.Bookmark() > 0 ? rs.Bookmark() - 1 : -1);
    if (hasRow) {
        DPicker->setValue(dateFromStored(rs.value(QStringLiteral("PunchDateShort"))));
        TPicker->setValue(timeFromStored(rs.value(QStringLiteral("PunchTime"))));
        txtLong->setText(rs.value(QStringLiteral("PunchDateLong")).toString());
        cbInOut->setEditText(rs.value(QStringLiteral("InOut")).toString());
        const QVariant archivedValue = rs.value(QStringLiteral("Archived"));
        cbArch->setCurrentIndex(cbArch->findText(archivedValue.toString()));
        dcbProjet->setText(rs.value(QStringLiteral("SousProjet")).toString());
        lblProjet->setText(rs.value(QStringLiteral("Projet")).toString());
        lblNoEmp->setText(rs.value(QStringLiteral("NoVendeur")).toString());
    } else {
        // No punch listed: the controls show nothing and take nothing.
        DPicker->setValue(QDate());
        TPicker->setValue(QTime());
        txtLong->clear();
        cbInOut->setEditText(QString());
        cbArch->setCurrentIndex(-1);
        dcbProjet->setText(QString());
    }
    for (QWidget *bound :
         std::initializer_list<QWidget *>{DPicker, TPicker, txtLong, cbInOut, cbArch, dcbProjet})
        bound->setEnabled(hasRow);
    m_showingRow = false;

    if (lblNoEmp->text() != previousNumber)
        NameChanged();
}

void frmModifier::showEmployee()
{
    // The employee grid shows the employee listed (no row when the number
    // typed is nobody's).
    Recordset &employees = datVendeur.recordset();
    if (!employees.isOpen())
        return;
    const int number = employees.fieldIndex(QStringLiteral("NoVendeur"));
    qint64 employeeRow = -1;
    for (qint64 i = 0; employeeRow < 0 && employees.valueAt(i, number).isValid(); ++i) {
        if (employees.valueAt(i, number).toString() == NoEmp)
            employeeRow = i;
    }
    if (DataGrid2->currentRow() != employeeRow)
        DataGrid2->showCurrentRow(employeeRow);
}

void frmModifier::writeField(const QString &field, const QVariant &value)
{
    if (m_showingRow)
        return;
    Recordset &rs = datPunch.recordset();
    if (!rs.isOpen() || rs.isEOF() || rs.isBOF())
        return;
    if (!rs.setValue(field, value))
        showWriteFailure(rs.lastError());
    dgArchives->viewport()->update();
}

void frmModifier::markChanged()
{
    txtLong->setText(LOC_RTString(1296));
    writeField(QStringLiteral("PunchDateLong"), txtLong->text());
}

void frmModifier::txtNoEmp_Change()
{
    if (m_showingRow)
        return;
    const QString previous = NoEmp;
    NoEmp = txtNoEmp->text();
    if (!listPunches(false)) {
        // The change of the punch shown could not be stored: the window
        // stays on its employee, in the number box and the grid too.
        NoEmp = previous;
        const QSignalBlocker block(txtNoEmp);
        txtNoEmp->setText(previous);
        txtNoEmp->selectAll();
        showEmployee();
        return;
    }
    showEmployee();
    const QSignalBlocker block(chkVoir);
    chkVoir->setChecked(false);
}

void frmModifier::DataGrid2_RowColChange()
{
    const int row = DataGrid2->currentRow();
    if (row < 0)
        return;
    Recordset &employees = datVendeur.recordset();
    txtNoEmp->setText(employees.valueAt(row, employees.fieldIndex(QStringLiteral("NoVendeur"))).toString());
}

void frmModifier::dgArchives_RowColChange()
{
    const int row = dgArchives->currentRow();
    if (m_showingRow || row < 0)
        return;
    // The grid has moved the data source to the row taken.
    dgArchives->gridModel()->showFetchedRows();
    showCurrentRow();
}

void frmModifier::chkVoir_Click()
{
    if (m_showingRow)
        return;
    if (!listPunches(chkVoir->isChecked())) {
        const QSignalBlocker block(chkVoir);
        chkVoir->setChecked(!chkVoir->isChecked());
    }
}

void frmModifier::Label13_Click()
{
    chkVoir->setChecked(!chkVoir->isChecked());
}

void frmModifier::chkLong_Click()
{
    if (chkLong->isChecked()) {
        txtLong->setText(LOC_RTString(1512));
    } else if (DPicker->Value().isValid()) {
        txtLong->setText(formatDate(DPicker->Value(), QLatin1String(DatePattern::Long)));
    }
    writeField(QStringLiteral("PunchDateLong"), txtLong->text());
    txtLong->setFocus();
    focusNextChild();
}

void frmModifier::Label14_Click()
{
    chkLong->setChecked(!chkLong->isChecked());
}

void frmModifier::cbInOut_Change()
{
    if (m_showingRow)
        return;
    writeField(QStringLiteral("InOut"), cbInOut->currentText());
    markChanged();
}

void frmModifier::cbArch_Click()
{
    writeField(QStringLiteral("Archived"), cbArch->currentText().toInt());
    markChanged();
}

void frmModifier::DPicker_Change()
{
    // An emptied picker writes nothing: the punch keeps its date.
    if (m_showingRow || !DPicker->Value().isValid())
        return;
    writeField(QStringLiteral("PunchDateShort"), DPicker->Value());
    markChanged();
}

void frmModifier::TPicker_Change()
{
    if (m_showingRow || !TPicker->Value().isValid())
        return;
    writeField(QStringLiteral("PunchTime"), TPicker->Value());
    markChanged();
}

void frmModifier::txtLong_Change()
{
    writeField(QStringLiteral("PunchDateLong"), txtLong->text());
}

void frmModifier::dcbProjet_Change()
{
    if (m_showingRow || ProgramState::OpeningModifier || ProgramState::RefreshingPunches)
        return;
    const QString subProject = dcbProjet->Text();
    writeField(QStringLiteral("SousProjet"), subProject);
    // The punch's project becomes the chosen sub-project's own (the first by
    // name when several projects hold a sub-project of that name).
    if (const std::optional<QString> project = PunchStore(datProjets.databasePath()).projectOf(subProject)) {
        lblProjet->setText(*project);
        writeField(QStringLiteral("Projet"), *project);
    }
}

void frmModifier::cmdAjouter_Click()
{
    if (!storePending())
        return;
    Recordset &rs = datPunch.recordset();
    if (!PunchArchive::addHandPunch(rs, NoEmp, Clock::now())) {
        showWriteFailure(rs.lastError());
        return;
    }
    dgArchives->gridModel()->showFetchedRows();
    showCurrentRow();
}

bool frmModifier::refuseImpossibleTyping()
{
    for (BlankablePicker *picker : std::initializer_list<BlankablePicker *>{DPicker, TPicker}) {
        if (picker->typedImpossible()) {
            MsgBox(LOC_RTString(1944).arg(picker->typedText()), MsgStyle::Exclamation, kMessageTitle);
            picker->setFocus();
            return true;
        }
    }
    return false;
}

void frmModifier::cmdOk_Click()
{
    // A date or time typed that cannot exist is never stored as another.
    if (refuseImpossibleTyping() || !storePending())
        return;
    m_archives->reloadList();
    accept();
}

void frmModifier::cmdAnnuler_Click()
{
    reject();
}

void frmModifier::reject()
{
    // The change pending on the current row is dropped; the archives list is
    // read again, as rows left earlier were stored.
    if (datPunch->isOpen())
        datPunch->CancelUpdate();
    m_archives->reloadList();
    QDialog::reject();
}

} // namespace tarnvik
