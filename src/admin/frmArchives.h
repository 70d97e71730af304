#pragma once

#include "common/DataSource.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

namespace tarnvik {

class ClickLabel;
class DataGrid;
class DatePicker;

// The nine punch columns of the archive and correction windows' grids, with
// their captions.
void setPunchGridColumns(DataGrid *grid);

// The punch archives: the current or the archived punches, the purge of
// every punch up to a day, and the way into the correction window on the
// punch selected here.
class frmArchives : public QDialog {
    Q_OBJECT
public:
    // stationEmployees is the main window's employee data source, which the
    // correction window borrows to look names up; it may be null.
    explicit frmArchives(DataSource *stationEmployees = nullptr, QWidget *owner = nullptr);
    ~frmArchives() override;

    // The listed punches; its current row is the row selected in the grid.
    DataSource datPunch;

    DataGrid *dgArchives = nullptr;
    QCheckBox *chkVoir = nullptr;
    ClickLabel *Label7 = nullptr;
    DatePicker *DPicker = nullptr;
    QPushButton *cmdSupp = nullptr;
    QPushButton *cmdModifier = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdAnnuler = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QFrame *Line1 = nullptr;

    // Asks, then deletes every punch dated on or before the day of DPicker.
    void Supp();
    void LOC_SetProperties();

    void chkVoir_Click();
    void Label7_Click();
    void cmdSupp_Click();
    void cmdModifier_Click();
    void cmdOk_Click();
    void cmdAnnuler_Click();

    // Whether the archived punches are listed (chkVoir checked).
    bool archivedShown() const;
    // Runs the list's query again; the first row becomes current.
    void reloadList();

private:
    void buildWindow();
    void Form_Load();
    void dgArchives_RowColChange();

    DataSource *m_stationEmployees;
};

} // namespace tarnvik
