#pragma once

#include "common/DataSource.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnvik {

class DataGrid;
class frmPunch;

// The projects window: the project list on the left, the sub-projects of the
// selected project on the right. Projects and sub-projects are added by name
// and deleted from the grids with the Delete key; deleting a project deletes
// every row of Projets carrying its name. Every change is stored at once; OK
// hands the new sub-project list to the main window's pick list.
class frmProjets : public QDialog {
    Q_OBJECT
public:
    // station may be null (no employee number to show, no list to refresh).
    explicit frmProjets(frmPunch *station, QWidget *owner = nullptr);

    // Each grid is wide enough for its three captions and a long name.
    static constexpr int GridWidth = 390;
    static constexpr int SecondX = 100 + GridWidth + 10;
    static constexpr int FormWidth = SecondX + GridWidth + 10;
    static constexpr int FormHeight = 380;
    static constexpr int Line1DesignX = 75;

    DataSource datProjets;
    DataSource datSous;
    DataGrid *dgProjets = nullptr;
    DataGrid *dgSous = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *txtProjet = nullptr;
    QPushButton *cmdAjoutP = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtSous = nullptr;
    QPushButton *cmdAjout = nullptr;
    QPushButton *cmdOk = nullptr;
    QLabel *lblVendeur = nullptr;
    QFrame *Line1 = nullptr;

    // True while the deletion of a project removes its rows.
    bool DeletingProject = false;

    void LOC_SetProperties();
    void cmdAjoutP_Click();
    void cmdAjout_Click();
    void dgProjets_RowColChange(int lastRow);
    void dgProjets_BeforeDelete(bool *cancel);
    void dgSous_BeforeDelete(bool *cancel);
    void cmdOk_Click();
    void placeLine1(int twipsPerPixel);

private:
    void buildWindow();
    void Form_Load();
    QVariant currentProject();
    // Runs a data source's query; a failure is said.
    bool refresh(DataSource &source);
    void problem(int stringIndex, const QString &reason);

    frmPunch *m_station;
};

} // namespace tarnvik
