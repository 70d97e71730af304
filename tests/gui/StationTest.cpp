#include "station/ui/Station.h"
#include "common/Clock.h"
#include "station/frmPunch.h"
#include "support/LocalTimeServer.h"
#include "support/ProgramFixture.h"
#include "support/RecordingSystemClock.h"

#include <QComboBox>
#include <QHostAddress>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using StationTest = ProgramFixture;

// The user types a server into the list, presses Connect; the log in the lower area shows the query.
TEST_F(StationTest, ConnectButtonAsksTheChosenServerAndSetsTheClock)
{
    execSql("UPDATE Acces SET Lang = 2, Periode = 2, DateDebut = '2003-03-01'");
    LocalTimeServer server;
    server.reply = bytes({208, 0, 0, 0});
    RecordingSystemClock recorder;
    Station station;
    station.clockSync().setServerPort(server.port());
    station.window().onClockSync = nullptr; // no query at start-up: the test asks by hand
    station.start();
    station.window().onClockSync = [&] { station.clockSync().Punch(); };
    QListWidget *log = station.window().List1;
    EXPECT_EQ(log->count(), 0);

    station.window().Combo1->setEditable(true);
    station.window().Combo1->setEditText("127.0.0.1");
    QTest::mouseClick(station.window().Command4, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] {
        return log->count() > 0 && log->item(log->count() - 1)->text() == "clock synchronised succesfully";
    }));
    EXPECT_EQ(log->item(0)->text(), "target: 127.0.0.1");
    EXPECT_FALSE(log->findItems("      data value (GMT): \t3489660928", Qt::MatchExactly).isEmpty());
    ASSERT_EQ(recorder.records.size(), 1);
    EXPECT_EQ(recorder.records.first().year, 2010);
    EXPECT_EQ(recorder.records.first().hour, 14);
}

// The station as it starts, with its start-up query: in the tests the server list holds only this
// machine, so no test ever asks a public time server.
TEST_F(StationTest, StartUpQueryOfATestGoesToThisMachine)
{
    execSql("UPDATE Acces SET Lang = 2, Periode = 2, DateDebut = '2003-03-01'");
    LocalTimeServer server;
    server.reply = bytes({208, 0, 0, 0});
    RecordingSystemClock recorder;
    Station station;
    station.clockSync().setServerPort(server.port());
    QStringList asked;
    station.window().onClockSync = [&] {
        const QString host = station.window().Combo1->currentText();
        asked << host;
        if (QHostAddress(host).isLoopback()) // anything else is left unasked
            station.clockSync().Punch();
    };
    station.start();
    EXPECT_EQ(asked, QStringList{"127.0.0.1"});
    QComboBox *list = station.window().Combo1;
    for (int i = 0; i < list->count(); ++i)
        EXPECT_TRUE(QHostAddress(list->itemText(i)).isLoopback()) << list->itemText(i).toStdString();
    QListWidget *log = station.window().List1;
    ASSERT_TRUE(waitUntil([&] { return recorder.records.size() == 1; }));
    EXPECT_EQ(log->item(0)->text(), "target: 127.0.0.1");
}

} // namespace
