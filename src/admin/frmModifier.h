#pragma once

#include "common/DataSource.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnvik {

class ClickLabel;
class DataCombo;
class DataGrid;
class DatePicker;
class TimePicker;
class frmArchives;

// Punch corrections: the punches of one employee, current or archived, edited
// in place through the controls bound to the current row, and punches added
// by hand. A change of date, time, direction or archived state marks the
// punch's long-date text as changed by hand.
//
// It opens on the employee and the punch selected in the archives window,
// listing current or archived punches as that window does, and leaves the
// archives list reloaded on its first row.
class frmModifier : public QDialog {
    Q_OBJECT
public:
    // stationEmployees: the main window's employee data source, borrowed for
    // the name look-up (a data source of the window's own when null).
    frmModifier(frmArchives *archives, DataSource *stationEmployees, QWidget *owner = nullptr);
    ~frmModifier() override;

    // The employee whose punches are listed.
    QString NoEmp;

    DataSource datPunch;
    DataSource datVendeur;
    DataSource datProjets;

    QGroupBox *Frame1 = nullptr;
    QLineEdit *txtNoEmp = nullptr;
    QPushButton *cmdAjouter = nullptr;
    QCheckBox *chkVoir = nullptr;
    ClickLabel *Label13 = nullptr;
    QCheckBox *chkLong = nullptr;
    ClickLabel *Label14 = nullptr;
    QLabel *Label11 = nullptr;
    DataGrid *DataGrid2 = nullptr;
    DataGrid *dgArchives = nullptr;

    // The controls bound to the current punch.
    DatePicker *DPicker = nullptr;
    TimePicker *TPicker = nullptr;
    QLineEdit *txtLong = nullptr;
    QComboBox *cbInOut = nullptr;
    QComboBox *cbArch = nullptr;
    DataCombo *dcbProjet = nullptr;
    QLabel *lblProjet = nullptr;
    QLabel *lblNoEmp = nullptr;
    QLabel *lblNomEmp = nullptr;

    QPushButton *cmdOk = nullptr;
    QPushButton *cmdAnnuler = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Label16 = nullptr;
    QFrame *Line1 = nullptr;

    // Shows the name of employee NoEmp in lblNomEmp.
    void NameChanged();
    void LOC_SetProperties();

    void txtNoEmp_Change();
    void DataGrid2_RowColChange();
    void dgArchives_RowColChange();
    void chkVoir_Click();
    void Label13_Click();
    void chkLong_Click();
    void Label14_Click();
    void cbInOut_Change();
    void cbArch_Click();
    void DPicker_Change();
    void TPicker_Change();
    void txtLong_Change();
    void dcbProjet_Change();
    void cmdAjouter_Click();
    void cmdOk_Click();
    void cmdAnnuler_Click();

public slots:
    // The close box and Escape cancel like the Cancel button.
    void reject() override;

protected:
    // txtNoEmp selects its whole text when it gets the focus; Enter in
    // cbInOut goes on to OK at once.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildBoundControls();
    void Form_Load();
    // Lists NoEmp's current or archived punches, after storing the change
    // pending on the current row; false (after saying why) when that change
    // cannot be stored: the list then stays as it was.
    bool listPunches(bool archived);
    // Stores the change pending on the current row; tells the user when it
    // cannot be stored and keeps it.
    bool storePending();
    // Shows the current row in the bound controls and selects it in the grid.
    void showCurrentRow();
    // Selects in the employee grid the employee whose punches are listed.
    void showEmployee();
    // Tells the user when a picker holds a date or time typed that cannot
    // exist; true then.
    bool refuseImpossibleTyping();
    void writeField(const QString &field, const QVariant &value);
    // The long-date text after the user's own change of the punch.
    void markChanged();
    void showWriteFailure(const QString &reason);

    frmArchives *m_archives;
    DataSource *m_stationEmployees;
    DataSource m_ownEmployees;
    bool m_showingRow = false;
    bool m_selectOnRelease = false;
};

} // namespace tarnvik
