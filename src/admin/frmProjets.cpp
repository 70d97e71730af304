#include "admin/frmProjets.h"

#include "admin/ProjectTree.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/RecordsetTableModel.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataCombo.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/WindowLook.h"
#include "station/frmPunch.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnvik {

namespace {

const QString kProjet = QStringLiteral("Projet");
const QString kSousProjet = QStringLiteral("SousProjet");

// Both grids show these fields, at these widths in pixels.
void setUpGrid(DataGrid *grid, DataSource *source)
{
    grid->setAllowUpdate(false);
    grid->setAllowAddNew(false);
    grid->setAllowDelete(true);
    grid->setDataSource(source);
    grid->gridModel()->setVisibleFields({QStringLiteral("NoVendeur"), kProjet, kSousProjet});
    grid->setColumnCaption(0, QStringLiteral("NoVendeur"));
}

// The number column is always empty: narrow. The grid's own names (projects
// in the first grid, sub-projects in the second) take the room left, so a
// long name reads whole; a cut one shows as a tool tip.
void sizeColumns(DataGrid *grid, int namesColumn)
{
    grid->setColumnWidth(0, 24);
    grid->setColumnWidth(3 - namesColumn, 40);
    grid->horizontalHeader()->setSectionResizeMode(namesColumn, QHeaderView::Stretch);
}

} // namespace

frmProjets::frmProjets(frmPunch *station, QWidget *owner)
    : QDialog(owner), datProjets(QStringLiteral("SELECT * From Projets")),
      datSous(QStringLiteral("SELECT * From Projets")), m_station(station)
{
    buildWindow();
    Form_Load();
    txtProjet->setFocus();
}

void frmProjets::buildWindow()
{
    setObjectName(QStringLiteral("frmProjets"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(FormWidth, FormHeight);
    applyStationColours(this);

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(9, 9, 55, 22);
    lblVendeur = placeLabel(this, "lblVendeur", QRect(9, 40, 60, 16));

    Line1 = separatorLine(this, QRect(Line1DesignX, 9, 1, FormHeight - 18));

    Label1 = placeLabel(this, "Label1", QRect(100, 9, GridWidth, 16));
    txtProjet = placeControl(new QLineEdit(this), "txtProjet", QRect(100, 29, GridWidth - 80, 24));
    cmdAjoutP = placeControl(new QPushButton(this), "cmdAjoutP", QRect(100 + GridWidth - 74, 28, 74, 26));
    dgProjets = placeControl(new DataGrid(this), "dgProjets", QRect(100, 62, GridWidth, FormHeight - 71));
    setUpGrid(dgProjets, &datProjets);

    Label2 = placeLabel(this, "Label2", QRect(SecondX, 9, GridWidth, 16));
    txtSous = placeControl(new QLineEdit(this), "txtSous", QRect(SecondX, 29, GridWidth - 80, 24));
    cmdAjout = placeControl(new QPushButton(this), "cmdAjout", QRect(SecondX + GridWidth - 74, 28, 74, 26));
    dgSous = placeControl(new DataGrid(this), "dgSous", QRect(SecondX, 62, GridWidth, FormHeight - 71));
    setUpGrid(dgSous, &datSous);

    // Enter in a name box adds the name; no button is pressed by Enter elsewhere.
    for (QPushButton *button : {cmdOk, cmdAjoutP, cmdAjout})
        button->setAutoDefault(false);
    setTabOrder(txtProjet, cmdAjoutP);
    setTabOrder(cmdAjoutP, dgProjets);
    setTabOrder(dgProjets, txtSous);
    setTabOrder(txtSous, cmdAjout);
    setTabOrder(cmdAjout, dgSous);
    setTabOrder(dgSous, cmdOk);

    connect(cmdOk, &QPushButton::clicked, this, &frmProjets::cmdOk_Click);
    connect(cmdAjoutP, &QPushButton::clicked, this, &frmProjets::cmdAjoutP_Click);
    connect(cmdAjout, &QPushButton::clicked, this, &frmProjets::cmdAjout_Click);
    connect(txtProjet, &QLineEdit::returnPressed, this, &frmProjets::cmdAjoutP_Click);
    connect(txtSous, &QLineEdit::returnPressed, this, &frmProjets::cmdAjout_Click);
    connect(dgProjets, &DataGrid::RowColChange, this, &frmProjets::dgProjets_RowColChange);
    connect(dgProjets, &DataGrid::BeforeDelete, this, &frmProjets::dgProjets_BeforeDelete);
    connect(dgSous, &DataGrid::BeforeDelete, this, &frmProjets::dgSous_BeforeDelete);
    connect(dgSous, &DataGrid::writeFailed, this, [this](const QString &reason) { problem(1812, reason); });
}

void frmProjets::problem(int stringIndex, const QString &reason)
{
    MsgBox(LOC_RTString(stringIndex).arg(reason), MsgStyle::Exclamation, QLatin1String(ProgramTitle));
}

bool frmProjets::refresh(DataSource &source)
{
    if (source.Refresh())
        return true;
    problem(1814, source.lastError());
    return false;
}

void frmProjets::placeLine1(int twipsPerPixel)
{
    placeSeparatorLine(Line1, Line1DesignX, twipsPerPixel);
}

QVariant frmProjets::currentProject()
{
    return datProjets->isEOF() ? QVariant() : datProjets->value(kProjet);
}

void frmProjets::Form_Load()
{
    LOC_SetProperties();
    placeLine1(twipsPerPixelX(this));
    datProjets.setConnectionString(ProgramState::ConnString);
    datSous.setConnectionString(ProgramState::ConnString);
    if (m_station)
        lblVendeur->setText(m_station->txtNumVendeur->text());
    // One message at most when the database cannot be read.
    datProjets.setRecordSource(ProjectTree::projectList());
    if (refresh(datProjets)) {
        datSous.setRecordSource(ProjectTree::subProjectList(currentProject()));
        refresh(datSous);
    }
    sizeColumns(dgProjets, 1);
    sizeColumns(dgSous, 2);
}

void frmProjets::LOC_SetProperties()
{
    setWindowTitle(LOC_RTString(1286));
    dgProjets->setColumnCaption(1, LOC_RTString(1496));
    dgProjets->setColumnCaption(2, LOC_RTString(1700));
    cmdAjoutP->setText(LOC_RTString(1104));
    cmdAjout->setText(LOC_RTString(1104));
    datProjets.setCaption(LOC_RTString(1496));
    datSous.setCaption(LOC_RTString(1568));
    dgSous->setColumnCaption(1, LOC_RTString(1496));
    dgSous->setColumnCaption(2, LOC_RTString(1700));
    Label2->setText(LOC_RTString(1570));
    Label1->setText(LOC_RTString(1498));
}

void frmProjets::cmdAjoutP_Click()
{
    if (txtProjet->text().isEmpty()) {
        MsgBox(LOC_RTString(1652));
        return;
    }
    Recordset &rs = datProjets.recordset();
    // The name is stored as typed; the list is not sorted again until the
    // next query, so the new project shows last, selected.
    const bool stored = rs.isOpen() && rs.MoveFirst() && rs.AddNew() &&
                        rs.setValue(kProjet, txtProjet->text()) && rs.setValue(kSousProjet, QVariant()) &&
                        rs.Update();
    if (!stored) {
        const QString reason = rs.isOpen() ? rs.lastError() : datProjets.lastError();
        rs.CancelUpdate();
        problem(1806, reason);
        return;
    }
    txtProjet->clear();
    dgProjets->gridModel()->syncWithResult();
    dgProjets->showCurrentRow();
    dgProjets_RowColChange(-1);
}

void frmProjets::cmdAjout_Click()
{
    const QString noProject = LOC_RTString(1698);
    const QVariant project = currentProject();
    if (project.toString() == noProject) {
        MsgBox(LOC_RTString(1678));
        txtSous->clear();
        return;
    }
    if (txtSous->text().isEmpty()) {
        MsgBox(LOC_RTString(1654));
        return;
    }
    // A sub-project needs a project: without one it would be stored under
    // no name and never be listed.
    if (project.isNull()) {
        MsgBox(LOC_RTString(1816));
        return;
    }
    Recordset &rs = datSous.recordset();
    const bool stored = rs.isOpen() && rs.MoveFirst() && rs.AddNew() && rs.setValue(kProjet, project) &&
                        rs.setValue(kSousProjet, txtSous->text()) && rs.Update();
    if (!stored) {
        const QString reason = rs.isOpen() ? rs.lastError() : datSous.lastError();
        rs.CancelUpdate();
        problem(1808, reason);
        return;
    }
    // The project list is read again: its first project becomes current and
    // the sub-projects shown are that project's.
    datProjets.setRecordSource(ProjectTree::projectList());
    if (refresh(datProjets)) {
        datSous.setRecordSource(ProjectTree::subProjectList(currentProject()));
        refresh(datSous);
    }
    txtSous->clear();
}

void frmProjets::dgProjets_RowColChange(int)
{
    datSous.setRecordSource(ProjectTree::subProjectListOnRowChange(currentProject()));
    refresh(datSous);
}

void frmProjets::dgProjets_BeforeDelete(bool *cancel)
{
    const QString noProject = LOC_RTString(1698);
    const QVariant project = currentProject();
    if (project.toString() == noProject) {
        MsgBox(LOC_RTString(1680));
        *cancel = true;
        return;
    }
    if (MsgBox(LOC_RTString(1670) + project.toString() + LOC_RTString(1026),
               MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Confirmation")) != MsgResult::Yes) {
        *cancel = true;
        return;
    }
    // The project row goes with the others, all in one transaction, so the
    // grid has no row of its own left to delete: its deletion is cancelled
    // and the list read again, the row after the deleted one current.
    *cancel = true;
    const qint64 position = datProjets->Bookmark();
    const int nameColumn = datProjets->fieldIndex(kProjet);
    // The first row after it that the deletion leaves (rows of the same name
    // go with it).
    QVariant nextName;
    for (qint64 i = position; nextName.isNull() && i < datProjets->RecordCount(); ++i) {
        const QVariant name = datProjets->valueAt(i, nameColumn); // 0-based
        if (name.toString().compare(project.toString(), Qt::CaseInsensitive) != 0)
            nextName = name;
    }
    DeletingProject = true;
    QString error;
    const bool deleted = ProjectTree::deleteProject(datSous.databasePath(), project, &error);
    datSous.setRecordSource(ProjectTree::rowsOfProject(project));
    refresh(datSous);
    DeletingProject = false;
    if (!deleted) {
        problem(1810, error);
        // Nothing was deleted: the project's sub-projects are shown again.
        datSous.setRecordSource(ProjectTree::subProjectListOnRowChange(project));
        refresh(datSous);
        return;
    }
    if (!refresh(datProjets))
        return;
    // Found again by its name: a project added since the last query moves
    // to its sorted place.
    const qint64 rows = datProjets->RecordCount();
    qint64 next = qMin(position, rows);
    for (qint64 i = 0; !nextName.isNull() && i < rows; ++i) {
        if (datProjets->valueAt(i, nameColumn) == nextName) {
            next = i + 1;
            break;
        }
    }
    if (next > 0)
        datProjets->setBookmark(next);
    dgProjets->showCurrentRow();
}

void frmProjets::dgSous_BeforeDelete(bool *cancel)
{
    if (DeletingProject)
        return;
    const QString noProject = LOC_RTString(1698);
    const QString subProject = datSous->isEOF() ? QString() : datSous->value(kSousProjet).toString();
    if (currentProject().toString() == noProject && subProject == noProject) {
        MsgBox(LOC_RTString(1682));
        *cancel = true;
        return;
    }
    *cancel = MsgBox(LOC_RTString(1672) + subProject + QStringLiteral("'?"),
                     MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Confirmation")) != MsgResult::Yes;
}

void frmProjets::cmdOk_Click()
{
    if (m_station) {
        DataSource *list = m_station->datProjets;
        list->setRecordSource(frmPunch::subProjectListQuery());
        // The window closes all the same: every change is already stored.
        if (!list->Refresh())
            problem(1818, list->lastError());
        m_station->dcbProjet->Refresh();
        m_station->dcbProjet->clearChoice();
    }
    accept();
}

} // namespace tarnvik
