#include "PunchWindowFixture.h"

#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "platform/ui/FormCanvas.h"
#include "platform/ui/PictureButton.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchTest = PunchWindowFixture;

TEST_F(frmPunchTest, StartUpChecksThePeriodSynchronisesAndWritesNothing)
{
    addProject(u"Aucun"_s, {u"Aucun"_s});
    int checks = 0, syncs = 0;
    bool loadingAtCheck = true;
    window = std::make_unique<frmPunch>();
    window->onCheckPeriode = [&]() { ++checks, loadingAtCheck = ProgramState::Loading; };
    window->onClockSync = [&]() { ++syncs; };
    window->Form_Load();
    const frmPunch &w = *window;
    // The period check runs once loading is over, then one clock synchronisation; the punch
    // routine on the empty number box writes nothing and asks nothing.
    EXPECT_EQ(std::tuple(checks, loadingAtCheck, syncs), std::tuple(1, false, 1));
    EXPECT_EQ(punchCount(), 0);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_EQ(w.lblStatus->text() + w.lblProjet->text(), LOC_RTString(1698));
    EXPECT_EQ(w.lblDateLong->text() + u'|' + w.lblDateShort->text() + u'|' + w.lblTime->text(),
              u"Saturday 01 March 2003|01/03/2003|09:00:00 am"_s);
    EXPECT_EQ(w.dcbProjet->count(), 3) << "the sub-projects, without the placeholder name";
    EXPECT_EQ(w.dcbProjet->itemText(0), u"Accueil"_s);
}

TEST_F(frmPunchTest, TimersMoveTheHandsAndRereadTheSettings)
{
    frmPunch &w = open();
    Clock::setFixed(QDateTime(QDate(2003, 3, 2), QTime(15, 30, 45)));
    w.Timer1_Timer();
    const QList<QPointF> ends = {{187.98, 100.76}, {159, 133}, {109, 93}}; // hour, minute, second
    const LineShape *hands[] = {w.LineHour, w.LineMinute, w.LineSecond};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QPointF(hands[i]->X1(), hands[i]->Y1()), QPointF(159, 93));
        EXPECT_NEAR(hands[i]->X2(), ends[i].x(), 0.005) << i;
        EXPECT_NEAR(hands[i]->Y2(), ends[i].y(), 0.005) << i;
    }
    // The dates wait for the ten-second timer.
    EXPECT_EQ(w.lblTime->text() + u'|' + w.lblDateShort->text(), u"03:30:45 pm|01/03/2003"_s);

    // Every ten seconds: the dates, and the settings row read again for the period check.
    int checks = 0;
    w.onCheckPeriode = [&]() { ++checks; };
    execSql(u"UPDATE Acces SET Periode = 2"_s);
    w.Timer2_Timer();
    EXPECT_EQ(w.lblDateLong->text(), u"Sunday 02 March 2003"_s);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(w.datAcces->recordset().value(u"Periode"_s).toInt(), 2);
}

TEST_F(frmPunchTest, Command3ShowsTheLowerAreaWhereConnectSynchronises)
{
    frmPunch &w = open();
    // Whatever the window frame (here next to none, as with no window manager), the lower area is
    // hidden, wholly, until Command3 shows it.
    const auto lowerAreaHidden = [&] {
        if (w.canvas->height() > frmPunch::LowerAreaTop) // the area's panel on the background
            return false;
        for (const QWidget *lower : std::initializer_list<const QWidget *>{w.Combo1, w.Command4, w.List1})
            if (w.canvas->rect().intersects(lower->geometry()))
                return false;
        return true;
    };
    EXPECT_TRUE(lowerAreaHidden());
    EXPECT_TRUE(w.canvas->rect().contains(w.Command3->geometry())) << "the toggle stays in sight";
    for (bool shown : {true, false}) {
        QTest::mouseClick(w.Command3, Qt::LeftButton);
        EXPECT_EQ(lowerAreaHidden(), !shown);
        EXPECT_EQ(w.canvas->rect().contains(w.List1->geometry()), shown) << "the whole log when shown";
        EXPECT_EQ(focused(), w.txtNumVendeur);
    }
    int syncs = 0;
    w.onClockSync = [&]() { ++syncs; };
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    EXPECT_EQ(syncs, 1);
    w.applyScreenDensity(120);
    EXPECT_EQ(w.lblDateLong->font().pointSize() + w.lblTime->font().pointSize(), 24) << "dense screen: 12 pt";
}

// A first start: no settings file and no database in the program's folder.
class frmPunchFirstStartTest : public PunchWindowFixture {
protected:
    bool prepareDatabase() const override { return false; }
};

TEST_F(frmPunchFirstStartTest, CreatesTheSettingsFileAndTheDatabase)
{
    dialogs->then(Answer::choose(1)); // the language chooser: English
    const QString db = SettingsFile::defaultDatabasePath();
    frmPunch &w = open();
    QFile file(SettingsFile::path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (u'"' + db + "\"\r\n").toUtf8());
    EXPECT_EQ(ProgramState::DbPath, db);
    EXPECT_EQ(w.datPunch->databasePath(), db);
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
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
    garbage.close();
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), db));
    // The language cannot be read from that file nor stored in it: Ignore, English, Ignore.
    dialogs->then(Answer::ignore()).then(Answer::choose(1)).then(Answer::ignore());
    frmPunch &w = open();
    const Shown last = dialogs->shown().last();
    EXPECT_TRUE(last.text.startsWith(LOC_RTString(1702).arg(db, LOC_RTString(1712)).left(20)) &&
                last.text.contains(db));
    EXPECT_EQ(last.style, 16);
    EXPECT_EQ(QFileInfo(db).size(), 4096) << "the file is left as it was";
    EXPECT_TRUE(w.isVisible());
}

} // namespace
