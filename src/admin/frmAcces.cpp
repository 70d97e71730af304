#include "admin/frmAcces.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/MaskedLineEdit.h"
#include "platform/ui/WindowLook.h"
#include "station/AdminGate.h"
#include "station/Scramble.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnvik {

namespace {
constexpr int kLine1X = 75;
} // namespace

frmAcces::frmAcces(QWidget *owner) : QDialog(owner), datAcces(QStringLiteral("SELECT * FROM Acces"))
{
    setObjectName(QStringLiteral("frmAcces"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(430, 100);
    applyStationColours(this);

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(9, 9, 55, 22);
    cmdOk->setDefault(true);
    cmdAnnuler = new QPushButton(QStringLiteral("Cancel"), this);
    cmdAnnuler->setObjectName(QStringLiteral("cmdAnnuler"));
    cmdAnnuler->setGeometry(9, 36, 55, 22);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::VLine);
    Line1->setStyleSheet(QStringLiteral("color: white;"));
    Line1->setGeometry(kLine1X, 9, 1, 82);

    // The captions start just past the line: the French "Confirmez le mot de
    // passe :" needs their whole width.
    Label1 = placeLabel(this, "Label1", QRect(kLine1X + 8, 16, 258 - kLine1X - 12, 20));
    // One "*" per character, as the number box of the main window shows.
    txtPass = new MaskedLineEdit(QLatin1Char('*'), this);
    txtPass->setObjectName(QStringLiteral("txtPass"));
    txtPass->setGeometry(258, 14, 160, 22);

    Label2 = placeLabel(this, "Label2", QRect(kLine1X + 8, 52, 258 - kLine1X - 12, 20));
    txtPass2 = new MaskedLineEdit(QLatin1Char('*'), this);
    txtPass2->setObjectName(QStringLiteral("txtPass2"));
    txtPass2->setGeometry(258, 50, 160, 22);

    setTabOrder(txtPass, txtPass2);
    setTabOrder(txtPass2, cmdOk);
    setTabOrder(cmdOk, cmdAnnuler);

    connect(cmdOk, &QPushButton::clicked, this, &frmAcces::cmdOk_Click);
    connect(cmdAnnuler, &QPushButton::clicked, this, &frmAcces::cmdAnnuler_Click);

    Form_Load();
    txtPass->setFocus();
}

void frmAcces::LOC_SetProperties()
{
    setWindowTitle(LOC_RTString(1090));
    Label2->setText(LOC_RTString(1644));
    Label1->setText(LOC_RTString(1392));
}

void frmAcces::placeLine1(int twipsPerPixel)
{
    placeSeparatorLine(Line1, kLine1X, twipsPerPixel);
}

void frmAcces::Form_Load()
{
    LOC_SetProperties();
    placeLine1(twipsPerPixelX(this));
    datAcces.setConnectionString(ProgramState::ConnString);
    // A settings row that cannot be read shows as no password; storing then
    // fails with a message on OK.
    QString error;
    const bool read = AdminPassword::readSettingsRow(datAcces, &error);
    if (!read || !AdminPassword::isSet(datAcces))
        txtPass->setText(LOC_RTString(1132));
    else
        // The stored password unscrambled with the text last typed into the
        // gate: the current password whenever the gate last tested it.
        txtPass->setText(Debrouiller(ProgramState::PassStored, ProgramState::PassEntered));
}

void frmAcces::cmdOk_Click()
{
    const QString password = txtPass->text();
    if (password != txtPass2->text()) {
        MsgBox(LOC_RTString(1646), MsgStyle::Critical, LOC_RTString(1250));
        return;
    }
    if (!AdminPassword::checkCharacters(password))
        return;
    QString error;
    if (!AdminPassword::store(datAcces, password, &error)) {
        AdminPassword::reportFailure(false, error);
        return;
    }
    accept();
}

void frmAcces::cmdAnnuler_Click()
{
    reject();
}

void frmAcces::reject()
{
    datAcces->CancelUpdate();
    QDialog::reject();
}

} // namespace tarnvik
