#pragma once

#include "common/DataSource.h"
#include "station/StationWindow.h"

#include <QMainWindow>
#include <QString>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;

namespace tarnvik {

class AdminMenus;
class ClickLabel;
class DataCombo;
class DatePicker;
class FormCanvas;
class LineShape;
class PictureButton;
class TimePicker;

// The punch station's main window and the program's start-up window: the
// employees punch in and out here, the date, time and an analog clock run at
// the top, the menus lead to the administration, and a lower area (shown by
// Command3) holds the time-server list and its log. Closing it ends the
// station.
//
// Build it, give it what other parts of the program plug in (onCheckPeriode,
// onClockSync, the menu handlers), then call Form_Load() and show it.
class frmPunch : public QMainWindow, public StationWindow {
    Q_OBJECT
public:
    explicit frmPunch(QWidget *parent = nullptr);
    ~frmPunch() override;

    // Window height with the lower area hidden and shown; fixed width.
    static constexpr int ClosedHeight = 545;
    static constexpr int OpenHeight = 700;
    // How long after start-up the whole database file is checked for damage.
    static constexpr int IntegrityCheckDelayMs = 2000;
    // How often the database file is looked at while the station is idle.
    static constexpr int FileWatchIntervalMs = 2000;
    static constexpr int FormWidth = 530;
    // Just above the lower area (the panel that frames it on the background
    // picture, its edge at 503, then Combo1, Command4 and List1): the window
    // with the area hidden never shows more than what lies above.
    static constexpr int LowerAreaTop = 500;

    void Form_Load();
    void Form_Unload();
    void Timer1_Timer();
    void Timer2_Timer();
    // Looks whether the database file was deleted, moved, replaced or changed
    // by another program, and tells the user (every few seconds, and at Quit).
    void Timer3_Timer();
    void Command3_Click();
    void Command4_Click();

    // StationWindow
    void LOC_SetProperties() override;
    void refreshSettingsRow() override;
    void reconnectDataSources(const QString &connString) override;
    // The one entry point for a change of database (the preferences, or the
    // storage layer finding another file at the path): logs the supervisor
    // off and closes the report window opened for the old database.
    void databaseChanged() override;

    // The pay-period check (start-up and every ten seconds) and the start of
    // a clock synchronisation (start-up and the Connect button): they run
    // what the program plugged in, and nothing when nothing is.
    void CheckPeriode();
    void Punch();
    std::function<void()> onCheckPeriode;
    std::function<void()> onClockSync;

    // The punch road.
    void PunchInOut(const QString &Pu = QString());
    void txtNumVendeur_Change();
    void txtNumVendeur_KeyPress(int keyAscii);
    void txtNumVendeur_Click() {}
    void dcbProjet_Change();
    void dcbProjet_KeyPress(int keyAscii);
    void txtDescription_KeyPress(int keyAscii);
    void Command1_Click();
    void Command2_Click();
    void chkErreur_Click();
    void Label1_Click();

    // The general end of day: an "Out" punch for every open presence.
    void FinDeJournee();

    // The query of the sub-project list behind dcbProjet (datProjets).
    static SqlQuery subProjectListQuery();

    // Redraws the date labels, the time label and the clock hands from the clock.
    void redrawDateTimeLabels();
    // Sets the date and time labels' text size for a screen of this density.
    void applyScreenDensity(int logicalDpi);
    // Whether the lower area is shown.
    bool lowerAreaShown() const { return m_lowerAreaFlag.toInt() != 0; }

    // Controls.
    FormCanvas *canvas = nullptr;
    QLineEdit *txtNumVendeur = nullptr;
    DataCombo *dcbProjet = nullptr;
    QLineEdit *txtDescription = nullptr;
    QLabel *lblNoteLength = nullptr; // the note's length and its limit
    PictureButton *Command1 = nullptr;
    PictureButton *Command2 = nullptr;
    PictureButton *Command3 = nullptr;
    QCheckBox *chkErreur = nullptr;
    ClickLabel *Label1 = nullptr;
    DatePicker *DPicker = nullptr;
    TimePicker *TPicker = nullptr;
    QLabel *lblVendeur = nullptr;
    ClickLabel *Label2 = nullptr;
    QLabel *lblProjet = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *lblStatus = nullptr;
    ClickLabel *lblDeconnexion = nullptr;
    QLabel *lblDateLong = nullptr;
    QLabel *lblDateShort = nullptr;
    QLabel *lblTime = nullptr;
    LineShape *LineHour = nullptr;
    LineShape *LineMinute = nullptr;
    LineShape *LineSecond = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *Command4 = nullptr;
    QListWidget *List1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;

    // Data sources.
    DataSource *datAcces = nullptr;
    DataSource *datProjets = nullptr;
    DataSource *datPunch = nullptr;
    DataSource *datVendeur = nullptr;
    DataSource *datSetStatus = nullptr;

    // Menus. Only mnuQuitter is connected here; the other entries, the
    // password gate in front of the administration and the log-off label
    // lblDeconnexion are wired by adminMenus.
    QMenu *mnuFichier = nullptr;
    QAction *mnuQuitter = nullptr;
    QMenu *mnuRapports = nullptr;
    QAction *mnuEmp = nullptr;
    QAction *mnuFin = nullptr;
    QAction *mnuBar = nullptr;
    QAction *mnuArchives = nullptr;
    QMenu *mnuOptions = nullptr;
    QAction *mnuAcces = nullptr;
    QAction *mnuEmployes = nullptr;
    QAction *mnuProjets = nullptr;
    QAction *mnuBar3 = nullptr;
    QAction *mnuPref = nullptr;
    QMenu *mnuInfo = nullptr;
    QAction *mnuAide = nullptr;
    QAction *mnuBar2 = nullptr;
    QAction *mnuApropos = nullptr;
    AdminMenus *adminMenus = nullptr;
    // The supervisor is logged on through the password gate.
    bool AdminUnlocked() const;

signals:
    // Form_Unload has closed the window's own results: the windows opened
    // from this one close now.
    void unloading();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void layOut();
    void setOuterHeight(int height);
    // unreadable: the database named exists but cannot be read as a station
    // database; the problems then name it.
    void readSettings(std::vector<std::function<QString()>> *problems, bool *unreadable);
    void loadSubProjectList();
    void showDates();
    void drawClockHands();
    void emptyNumberBox();
    void clearCorrectionMode();
    void confirmAndPunch(const QString &direction);
    void showNoteLength();
    bool subProjectChosen();
    // In correction mode, tells the user when a picker holds no date or time
    // (emptied, or typed as one that cannot exist); true then.
    bool correctionMomentRefused();
    QString databasePath() const;

    QString m_lowerAreaFlag = QStringLiteral("0");
    bool m_unloaded = false;
    bool m_shownOnce = false;
};

} // namespace tarnvik
