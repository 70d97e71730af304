#pragma once

#include "common/DataSource.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnvik {

// Sets, changes or clears the administration password. It shows the
// current password (masked), takes the new one twice and on OK stores it
// scrambled with itself; an empty password removes the password.
class frmAcces : public QDialog {
    Q_OBJECT
public:
    // Loads the window: captions, the settings row and the current password.
    explicit frmAcces(QWidget *owner = nullptr);

    void LOC_SetProperties();
    void cmdOk_Click();
    void cmdAnnuler_Click();
    // Puts the separator line where a screen with this many twips per pixel
    // wants it.
    void placeLine1(int twipsPerPixel);

    QLineEdit *txtPass = nullptr;
    QLineEdit *txtPass2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdAnnuler = nullptr;
    QFrame *Line1 = nullptr;
    DataSource datAcces;

    // The close box and Escape store nothing, like Cancel.
    void reject() override;

private:
    void Form_Load();
};

} // namespace tarnvik
