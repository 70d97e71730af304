#include "admin/frmVendeurs.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/RecordsetTableModel.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/WindowLook.h"

#include <QFrame>
#include <QHeaderView>
#include <QPushButton>

namespace tarnvik {

namespace {

// The grid's columns: field and width in pixels (the worked-time column is
// almost closed).
struct Column {
    const char *field;
    int width;
};
constexpr Column kColumns[] = {{"NoVendeur", 90}, {"NomVendeur", 250}, {"TotalHeures", 4}, {"Status", 40}};

} // namespace

frmVendeurs::frmVendeurs(QWidget *owner)
    : QDialog(owner),
      datVendeur(QStringLiteral("SELECT * FROM Vendeurs WHERE NomVendeur Is Not Null ORDER BY NoVendeur"))
{
    setObjectName(QStringLiteral("frmVendeurs"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(FormWidth, FormHeight);
    applyStationColours(this);

    dgVendeurs = placeControl(
        new DataGrid(this), "dgVendeurs",
        QRect(twipsToPixels(1350), twipsToPixels(135), twipsToPixels(6315), twipsToPixels(4020)));
    dgVendeurs->setAllowAddNew(true);
    dgVendeurs->setAllowDelete(true);
    dgVendeurs->setAllowUpdate(true);
    dgVendeurs->setRowAtATime(true);
    dgVendeurs->setDataSource(&datVendeur);
    QStringList fields;
    for (const Column &column : kColumns)
        fields << QLatin1String(column.field);
    dgVendeurs->gridModel()->setVisibleFields(fields);

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(twipsToPixels(135), twipsToPixels(135), twipsToPixels(825), twipsToPixels(330));
    cmdAnnuler = new QPushButton(QStringLiteral("Cancel"), this);
    cmdAnnuler->setObjectName(QStringLiteral("cmdAnnuler"));
    cmdAnnuler->setGeometry(twipsToPixels(135), twipsToPixels(720), twipsToPixels(825), twipsToPixels(330));
    // Enter belongs to the grid (it ends the typing of a cell), not to a button.
    cmdOk->setAutoDefault(false);
    cmdAnnuler->setAutoDefault(false);

    Line1 = separatorLine(this, QRect(Line1DesignX, twipsToPixels(135), 1, twipsToPixels(3465 - 135)));

    setTabOrder(dgVendeurs, cmdOk);
    setTabOrder(cmdOk, cmdAnnuler);

    connect(cmdOk, &QPushButton::clicked, this, &frmVendeurs::cmdOk_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmVendeurs::cmdAnnuler_Click);
    connect(dgVendeurs, &DataGrid::writeFailed, this, &frmVendeurs::showWriteFailure);

    Form_Load();
    dgVendeurs->setFocus();
}

void frmVendeurs::Form_Load()
{
    LOC_SetProperties();
    placeLine1(twipsPerPixelX(this));
    datVendeur.setConnectionString(ProgramState::ConnString);
    // A list that cannot be read is said, and the grid stays empty.
    if (!datVendeur.Refresh())
        MsgBox(LOC_RTString(1804).arg(datVendeur.lastError()), MsgStyle::Exclamation,
               QLatin1String(ProgramTitle));
    dgVendeurs->horizontalHeader()->setMinimumSectionSize(0);
    for (int i = 0; i < int(std::size(kColumns)); ++i)
        dgVendeurs->setColumnWidth(i, kColumns[i].width);
}

void frmVendeurs::LOC_SetProperties()
{
    setWindowTitle(LOC_RTString(1232));
    const int captions[] = {1168, 1412, 1610, 1572};
    for (int i = 0; i < int(std::size(captions)); ++i)
        dgVendeurs->setColumnCaption(i, LOC_RTString(captions[i]));
    datVendeur.setCaption(LOC_RTString(1640));
}

void frmVendeurs::placeLine1(int twipsPerPixel)
{
    placeSeparatorLine(Line1, Line1DesignX, twipsPerPixel);
}

void frmVendeurs::showWriteFailure(const QString &reason)
{
    const bool deleting = dgVendeurs->gridModel()->failedWrite() == RecordsetTableModel::Write::Delete;
    MsgBox(LOC_RTString(deleting ? 1802 : 1800).arg(reason), MsgStyle::Exclamation,
           QLatin1String(ProgramTitle));
}

void frmVendeurs::cmdOk_Click()
{
    // A row that cannot be stored keeps the window open with what was typed
    // (the grid has said why).
    if (dgVendeurs->gridModel()->storePendingRow())
        accept();
}

void frmVendeurs::cmdAnnuler_Click()
{
    reject();
}

void frmVendeurs::reject()
{
    dgVendeurs->gridModel()->cancelPendingRow();
    QDialog::reject();
}

} // namespace tarnvik
