#pragma once

#include "common/DataSource.h"

#include <QDialog>

class QFrame;
class QPushButton;

namespace tarnvik {

class DataGrid;

// The employees window: the employee rows of Vendeurs in one grid, where the
// supervisor adds (on the empty last line), edits and deletes them in place.
// What is typed into a row is stored when the row is left or on OK; Cancel
// drops the change of the row being edited. Nothing typed is validated.
class frmVendeurs : public QDialog {
    Q_OBJECT
public:
    explicit frmVendeurs(QWidget *owner = nullptr);

    // Client area of 8130 x 4365 twips.
    static constexpr int FormWidth = 542;
    static constexpr int FormHeight = 291;
    static constexpr int Line1DesignX = 75;

    DataGrid *dgVendeurs = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdAnnuler = nullptr;
    QFrame *Line1 = nullptr;
    DataSource datVendeur;

    void LOC_SetProperties();
    void cmdOk_Click();
    void cmdAnnuler_Click();
    void placeLine1(int twipsPerPixel);

    // The close box and Escape drop the pending change, like Cancel.
    void reject() override;

private:
    void Form_Load();
    void showWriteFailure(const QString &reason);
};

} // namespace tarnvik
