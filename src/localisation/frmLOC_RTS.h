#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace tarnvik {

// The language chooser, shown when nothing else settles the language.
class frmLOC_RTS : public QDialog {
    Q_OBJECT
public:
    explicit frmLOC_RTS(QWidget *parent = nullptr);

    QListWidget *lstLanguages = nullptr;
    QPushButton *cmdOK = nullptr;

    // Shows the chooser with the names and returns the 0-based position chosen.
    static int choose(const QStringList &names);

    void cmdOk_Click();
    void lstLanguages_DblClick();
};

} // namespace tarnvik
