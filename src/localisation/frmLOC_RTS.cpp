#include "localisation/frmLOC_RTS.h"

#include "common/Dialogs.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnvik {

frmLOC_RTS::frmLOC_RTS(QWidget *parent) : QDialog(parent)
{
    auto *layout = new QVBoxLayout(this);
    lstLanguages = new QListWidget(this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    layout->addWidget(lstLanguages);
    layout->addWidget(cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &frmLOC_RTS::cmdOk_Click);
    connect(lstLanguages, &QListWidget::itemDoubleClicked, this, &frmLOC_RTS::lstLanguages_DblClick);
}

void frmLOC_RTS::cmdOk_Click()
{
    if (lstLanguages->currentRow() > -1)
        accept();
    else
        Dialogs().beep();
}

void frmLOC_RTS::lstLanguages_DblClick()
{
    cmdOk_Click();
}

int frmLOC_RTS::choose(const QStringList &names)
{
    frmLOC_RTS chooser;
    chooser.lstLanguages->addItems(names);
    while (chooser.exec() != QDialog::Accepted || chooser.lstLanguages->currentRow() < 0) {
    }
    return chooser.lstLanguages->currentRow();
}

} // namespace tarnvik
