#pragma once

#include "common/DataSource.h"
#include "platform/CommonDialog.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnvik {

class MonthView;
class StationWindow;

// The options window: the database file, the language and the pay period
// (its length and start date). Saving writes the settings row and the
// settings file, then gives the main window its new captions and connects
// its data sources to the database chosen.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    // All of the options, or only the choice of the database: what is offered
    // without the password while the database cannot be read. Then OK writes
    // the settings file alone and connects the station to the file chosen,
    // which keeps its own settings row.
    enum class Scope { All, DatabaseOnly };

    // station may be null (the window then only stores the settings).
    explicit frmOptions(StationWindow *station, QWidget *parent = nullptr, Scope scope = Scope::All);
    ~frmOptions() override;

    DataSource datAcces;

    QGroupBox *Frame3 = nullptr;
    QLabel *lblChoose = nullptr;
    QLineEdit *txtPath = nullptr;
    QPushButton *cmdDefault = nullptr;
    QPushButton *cmdChoose = nullptr;
    CommonDialog cdgPath;

    QGroupBox *Frame2 = nullptr;
    QLabel *Label3 = nullptr;
    QRadioButton *optFr = nullptr;
    QRadioButton *optEn = nullptr;

    QGroupBox *Frame1 = nullptr;
    QRadioButton *opt7 = nullptr;
    QRadioButton *opt14 = nullptr;
    QRadioButton *optMois = nullptr;

    QLabel *Label1 = nullptr;
    QLabel *lblDate = nullptr;
    MonthView *Calendrier = nullptr;
    QLabel *Label2 = nullptr;

    QPushButton *cmdOk = nullptr;
    QPushButton *cmdAnnuler = nullptr;
    QFrame *Line1 = nullptr;

    // Draws the period's range on the calendar from its date.
    void SelCalendrier();
    void LOC_SetProperties();

    void Form_Load();
    void opt7_Click();
    void opt14_Click();
    void optMois_Click();
    void Calendrier_SelChange();
    void cmdDefault_Click();
    void cmdChoose_Click();
    void cmdOk_Click();
    void cmdAnnuler_Click();

    // Moves Line1 on a screen finer than 96 dots per inch, that is with
    // fewer than 15 twips per pixel.
    void placeLine1(int twipsPerPixel);
    static constexpr int Line1DesignX = 75;
    static constexpr int Line1FineScreenX = 92;

public slots:
    // The close box and Escape cancel like the Cancel button.
    void reject() override;

private:
    void buildWindow();
    // The steps of saving; each returns false after telling the user why.
    bool prepareDatabase(const QString &path, bool *created);
    // Gives a database just made the password of the one it replaces, and
    // tells the user it was made (and whether it took the password).
    bool takePassword(const QString &created, const QString &replaced);
    // settingsDatabase receives the file whose settings row was written.
    bool storeSettings(const QString &path, int periode, const QDate &start, int lang, bool created,
                       QString *settingsDatabase);

    // The station takes the settings of its database and connects to path.
    // otherDatabase: the station now works on another file, which logs the
    // supervisor off.
    void switchStation(const QString &path, const QString &settingsDatabase, bool otherDatabase);
    void saveDatabaseChoice(const QString &path);

    StationWindow *m_station;
    Scope m_scope;
};

// Shows the options window modally, owned by owner; returns the dialog's result.
int showOptionsDialog(QWidget *owner, StationWindow *station,
                      frmOptions::Scope scope = frmOptions::Scope::All);

// What the pay-period check opens when no period is set: the options window,
// modal and owned by owner; when it has closed, whatever the user did there,
// its calendar is set to now. The window is built anew at every opening, so
// that value goes with it and the next opening starts from the settings row.
void showOptionsForMissingPeriod(QWidget *owner, StationWindow *station);

} // namespace tarnvik
