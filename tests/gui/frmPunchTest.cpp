#include "PunchWindowFixture.h"

#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "platform/ui/FormCanvas.h"
#include "platform/ui/Pickers.h"
#include "platform/ui/PictureButton.h"
#include "station/TimeServers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTimer>

using namespace Qt::StringLiterals;

using namespace tarnvik;
using tarnvik::test::PunchWindowFixture;
using tarnvik::test::Shown;

namespace {

class frmPunchTest : public PunchWindowFixture {};

TEST_F(frmPunchTest, StartUpLaysTheWindowOutAndWritesNothing)
{
    int checks = 0;
    int syncs = 0;
    bool loadingAtCheck = true;
    window = std::make_unique<frmPunch>();
    window->onCheckPeriode = [&]() {
        ++checks;
        loadingAtCheck = ProgramState::Loading;
    };
    window->onClockSync = [&]() { ++syncs; };
    window->Form_Load();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
    frmPunch &w = *window;

    EXPECT_EQ(w.frameGeometry().width(), 530);
    EXPECT_EQ(w.frameGeometry().height(), 545);
    struct Expected {
        QWidget *widget;
        QRect rect;
    };
    const Expected layout[] = {
        {w.lblDateLong, {225, 15, 285, 27}}, {w.lblDateShort, {255, 45, 255, 27}},
        {w.lblTime, {285, 75, 225, 27}},     {w.lblDeconnexion, {336, 135, 178, 20}},
        {w.lblStatus, {282, 162, 225, 37}},  {w.txtNumVendeur, {139, 189, 62, 20}},
        {w.lblVendeur, {15, 192, 110, 16}},  {w.Label2, {30, 217, 110, 16}},
        {w.lblProjet, {150, 217, 250, 16}},  {w.dcbProjet, {165, 240, 142, 21}},
        {w.Label3, {45, 242, 110, 16}},      {w.txtDescription, {102, 276, 281, 22}},
        {w.Label4, {30, 279, 55, 16}},       {w.Command1, {339, 333, 167, 65}},
        {w.chkErreur, {20, 362, 13, 13}},    {w.Label1, {38, 362, 292, 29}},
        {w.DPicker, {144, 399, 106, 22}},    {w.Label5, {12, 405, 124, 16}},
        {w.Command2, {339, 414, 167, 65}},   {w.TPicker, {144, 426, 106, 22}},
        {w.Label6, {12, 429, 124, 16}},      {w.Command3, {192, 459, 100, 28}},
        {w.Command4, {15, 516, 118, 19}},    {w.List1, {15, 540, 439, 108}},
    };
    for (const Expected &e : layout)
        EXPECT_EQ(e.widget->geometry(), e.rect) << e.widget->objectName().toStdString();
    EXPECT_EQ(w.Combo1->pos(), QPoint(165, 513));
    EXPECT_EQ(w.Combo1->width(), 214);
    // The lower area lies below the visible part of the window; the toggle does not.
    EXPECT_GE(w.List1->mapTo(&w, QPoint(0, 0)).y(), w.height());
    EXPECT_LE(w.Command3->mapTo(&w, QPoint(0, w.Command3->height())).y(), w.height());
    EXPECT_EQ(w.canvas->palette().color(QPalette::Window), QColor(0, 128, 128));
    EXPECT_EQ(w.lblVendeur->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_TRUE(w.canvas->hasPicture());
    for (PictureButton *b : {w.Command1, w.Command2, w.Command3})
        EXPECT_TRUE(b->hasPicture()) << b->objectName().toStdString();
    EXPECT_FALSE(w.lblDeconnexion->isVisible());
    EXPECT_EQ(w.txtNumVendeur->echoMode(), QLineEdit::Password);
    EXPECT_EQ(
        w.txtNumVendeur->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, w.txtNumVendeur),
        int('*'));

    // Dates, time and the time servers.
    EXPECT_EQ(w.lblDateLong->text(), u"Saturday 01 March 2003"_s);
    EXPECT_EQ(w.lblDateShort->text(), u"01/03/2003"_s);
    EXPECT_EQ(w.lblTime->text(), u"09:00:00 am"_s);
    ASSERT_EQ(w.Combo1->count(), 17);
    EXPECT_EQ(w.Combo1->currentIndex(), 5);
    EXPECT_EQ(w.Combo1->currentText(), QLatin1String(TimeServerHosts[5]));
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 3, 1));
    EXPECT_EQ(w.TPicker->Value(), QTime(9, 0));
    EXPECT_EQ(w.Timer1->interval(), 1000);
    EXPECT_EQ(w.Timer2->interval(), 10000);
    EXPECT_TRUE(w.Timer1->isActive() && w.Timer2->isActive());

    // The last start-up steps: the period check after loading, one clock
    // synchronisation, and the punch routine on an empty number, which
    // writes nothing and asks nothing.
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(loadingAtCheck);
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(punchCount(), 0);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_TRUE(w.lblStatus->text().isEmpty());
    EXPECT_EQ(w.lblProjet->text(), LOC_RTString(1698));
    // The sub-project list: sorted, without the placeholder name.
    addProject(u"Aucun"_s, {u"Aucun"_s});
    w.txtNumVendeur->setText(u"1"_s);
    QStringList items;
    for (int i = 0; i < w.dcbProjet->count(); ++i)
        items << w.dcbProjet->itemText(i);
    EXPECT_EQ(items, QStringList({"Accueil", "Peinture", "Plomberie"}));
}

TEST_F(frmPunchTest, CaptionsAndMenusComeFromTheLanguageFile)
{
    frmPunch &w = open();
    EXPECT_EQ(w.windowTitle(), LOC_RTString(1310));
    EXPECT_EQ(w.datVendeur->Caption(), LOC_RTString(1640));
    EXPECT_EQ(w.datProjets->Caption(), LOC_RTString(1496));
    const QPair<QLabel *, int> labels[] = {{w.Label3, 1562},        {w.Label2, 1492}, {w.lblVendeur, 1170},
                                           {w.Label1, 1106},        {w.Label6, 1300}, {w.Label5, 1196},
                                           {w.lblDeconnexion, 1208}};
    for (const auto &[label, number] : labels)
        EXPECT_EQ(label->text(), LOC_RTString(number)) << number;
    EXPECT_EQ(w.Label4->text(), u"Note :"_s);
    EXPECT_EQ(w.Command4->text(), u"Connect"_s);
    EXPECT_EQ(w.windowTitle(), u"Tarnvik - Time Clock"_s);

    // The menu bar, entry by entry: name and caption ("-" for a separator).
    QStringList tree;
    for (QAction *top : w.menuBar()->actions()) {
        tree << top->objectName() + QLatin1Char('=') + top->text();
        for (QAction *a : top->menu()->actions())
            tree << u"  "_s + a->objectName() + QLatin1Char('=') + (a->isSeparator() ? u"-"_s : a->text());
    }
    const QStringList expected = {
        "mnuFichier=" + LOC_RTString(1266),
        "  mnuQuitter=" + LOC_RTString(1520),
        "mnuRapports=" + LOC_RTString(1270),
        "  mnuEmp=" + LOC_RTString(1532),
        "  mnuFin=" + LOC_RTString(1268),
        "  mnuBar=-",
        "  mnuArchives=Archives",
        "mnuOptions=Options",
        "  mnuAcces=" + LOC_RTString(1090),
        "  mnuEmployes=" + LOC_RTString(1232),
        "  mnuProjets=" + LOC_RTString(1496),
        "  mnuBar3=-",
        "  mnuPref=" + LOC_RTString(1488),
        "mnuInfo=" + LOC_RTString(1098),
        "  mnuAide=" + LOC_RTString(1100),
        "  mnuBar2=-",
        "  mnuApropos=" + LOC_RTString(1088),
    };
    EXPECT_EQ(tree, expected);

    // Another language, and the captions follow.
    execSql(u"UPDATE Acces SET Lang = 1"_s);
    LOC_RTString(-1);
    w.LOC_SetProperties();
    EXPECT_EQ(w.windowTitle(), u"Tarnvik - Horloge de pointage"_s);
    EXPECT_EQ(w.mnuQuitter->text(), u"Quitter"_s);
}

TEST_F(frmPunchTest, ClockHandsFollowTheTime)
{
    frmPunch &w = open();
    // 09:00:00 at start-up: hour hand to 9 o'clock, minute and second hands up.
    EXPECT_NEAR(w.LineHour->X2(), 129, 0.001);
    EXPECT_NEAR(w.LineHour->Y2(), 93, 0.001);
    EXPECT_NEAR(w.LineMinute->Y2(), 53, 0.001);
    EXPECT_NEAR(w.LineSecond->Y2(), 43, 0.001);

    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(15, 30, 45)));
    w.Timer1_Timer();
    for (LineShape *hand : {w.LineHour, w.LineMinute, w.LineSecond}) {
        EXPECT_EQ(hand->X1(), 159);
        EXPECT_EQ(hand->Y1(), 93);
    }
    EXPECT_NEAR(w.LineHour->X2(), 187.98, 0.005);
    EXPECT_NEAR(w.LineHour->Y2(), 100.76, 0.005);
    EXPECT_NEAR(w.LineMinute->X2(), 159, 0.001);
    EXPECT_NEAR(w.LineMinute->Y2(), 133, 0.001);
    EXPECT_NEAR(w.LineSecond->X2(), 109, 0.001);
    EXPECT_NEAR(w.LineSecond->Y2(), 93, 0.001);
    EXPECT_EQ(w.lblTime->text(), u"03:30:45 pm"_s);
    // The date labels wait for the ten-second timer.
    Clock::setFixed(QDateTime(QDate(2003, 3, 2), QTime(0, 0, 5)));
    w.Timer1_Timer();
    EXPECT_EQ(w.lblDateShort->text(), u"01/03/2003"_s);
    EXPECT_EQ(w.lblTime->text(), u"12:00:05 am"_s);
    w.Timer2_Timer();
    EXPECT_EQ(w.lblDateShort->text(), u"02/03/2003"_s);
    EXPECT_EQ(w.lblDateLong->text(), u"Sunday 02 March 2003"_s);
}

TEST_F(frmPunchTest, TenSecondTimerRereadsSettingsAndChecksThePeriodOnceLoaded)
{
    frmPunch &w = open();
    int checks = 0;
    w.onCheckPeriode = [&]() { ++checks; };
    execSql(u"UPDATE Acces SET Periode = 2"_s);
    w.Timer2_Timer();
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(w.datAcces->recordset().value(u"Periode"_s).toInt(), 2);
    ProgramState::Loading = true;
    w.Timer2_Timer();
    EXPECT_EQ(checks, 1);
    ProgramState::Loading = false;
}

TEST_F(frmPunchTest, Command3ShowsAndHidesTheLowerAreaWhereConnectSynchronises)
{
    frmPunch &w = open();
    w.txtDescription->setFocus();
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    EXPECT_EQ(w.frameGeometry().height(), 700);
    EXPECT_EQ(w.frameGeometry().width(), 530);
    EXPECT_TRUE(w.lowerAreaShown());
    EXPECT_TRUE(w.List1->visibleRegion().boundingRect().height() == w.List1->height());
    EXPECT_EQ(focused(), w.txtNumVendeur);
    w.txtDescription->setFocus();
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    EXPECT_EQ(w.frameGeometry().height(), 545);
    EXPECT_FALSE(w.lowerAreaShown());
    EXPECT_EQ(focused(), w.txtNumVendeur);

    // Connect, in the lower area, starts a clock synchronisation.
    int syncs = 0;
    w.onClockSync = [&]() { ++syncs; };
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    EXPECT_EQ(syncs, 1);
}

TEST_F(frmPunchTest, DenseScreensGetTwelvePointDates)
{
    frmPunch &w = open();
    w.applyScreenDensity(120);
    EXPECT_EQ(w.lblDateLong->font().pointSize(), 12);
    EXPECT_EQ(w.lblTime->font().pointSize(), 12);
    w.applyScreenDensity(96);
    EXPECT_LT(w.lblDateShort->font().pointSize(), 12);
}

TEST_F(frmPunchTest, QuitClosesTheWindowAndItsResults)
{
    frmPunch &w = open();
    QSignalSpy unloading(&w, &frmPunch::unloading);
    ASSERT_TRUE(w.datPunch->recordset().isOpen());
    w.mnuQuitter->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(unloading.count(), 1);
    EXPECT_FALSE(w.datPunch->recordset().isOpen());
    EXPECT_FALSE(w.datVendeur->recordset().isOpen());
    EXPECT_FALSE(w.Timer1->isActive());
}

// A first start: no settings file and no database in the program's folder.
class frmPunchFirstStartTest : public PunchWindowFixture {
protected:
    bool prepareDatabase() const override { return false; }
};

TEST_F(frmPunchFirstStartTest, CreatesTheSettingsFileAndTheDatabase)
{
    dialogs->then(tarnvik::test::Answer::choose(1)); // the language chooser: English
    const QString ini = SettingsFile::path();
    ASSERT_FALSE(QFile::exists(ini));
    frmPunch &w = open();
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (QLatin1Char('"') + SettingsFile::defaultDatabasePath() + "\"\r\n").toUtf8());
    EXPECT_EQ(ProgramState::DbPath, SettingsFile::defaultDatabasePath());
    EXPECT_EQ(ProgramState::ConnString, buildConnString(SettingsFile::defaultDatabasePath()));
    EXPECT_EQ(w.datPunch->databasePath(), SettingsFile::defaultDatabasePath());
    EXPECT_TRUE(QFile::exists(SettingsFile::defaultDatabasePath()));
    EXPECT_TRUE(dialogs->messages().isEmpty());
    // The new database takes punches at once.
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur) VALUES ('7', 'Zoé')"_s);
    dialogs->thenYes();
    punchByKeyboard(u"7"_s, QString());
    EXPECT_EQ(punchCount(), 1);
}

TEST_F(frmPunchFirstStartTest, AnUnusableDatabaseIsToldAndTheStationStillOpens)
{
    const QString db = SettingsFile::defaultDatabasePath();
    QFile garbage(db);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), db));
    // The language cannot be read from that file nor stored in it: the
    // loader's boxes are answered Ignore, and English is chosen.
    dialogs->then(tarnvik::test::Answer::ignore())
        .then(tarnvik::test::Answer::choose(1))
        .then(tarnvik::test::Answer::ignore());

    frmPunch &w = open();
    // After the language loader's own boxes, the station says which file
    // cannot be used.
    const Shown last = dialogs->shown().last();
    EXPECT_EQ(last.kind, Shown::Message);
    EXPECT_TRUE(last.text.startsWith(LOC_RTString(1702).arg(db, LOC_RTString(1712)).left(20)));
    EXPECT_TRUE(last.text.contains(db));
    EXPECT_EQ(last.style, 16);
    // The file is left as it was, and the clock runs.
    EXPECT_EQ(QFileInfo(db).size(), 4096);
    EXPECT_TRUE(w.isVisible());
    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(10, 0, 0)));
    w.Timer1_Timer();
    EXPECT_EQ(w.lblTime->text(), u"10:00:00 am"_s);
}

} // namespace
