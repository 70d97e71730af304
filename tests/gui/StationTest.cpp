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

// The station as it starts, with its start-up query: in the tests the server list holds only this machine,
// so no test ever asks a public time server.
TEST_F(StationTest, StartUpQueryOfATestGoesToThisMachineAndSetsTheClock)
{
    execSql("UPDATE Acces SET Lang = 2, Periode = 2, DateDebut = '2003-03-01'");
    LocalTimeServer server;
    server.reply = bytes({208, 0, 0, 0});
    RecordingSystemClock recorder;
    Station station;
    frmPunch &w = station.window();
    station.clockSync().setServerPort(server.port());
    QStringList asked;
    w.onClockSync = [&] {
        asked << w.Combo1->currentText();
        if (QHostAddress(asked.last()).isLoopback()) // anything else is left unasked
            station.clockSync().Punch();
    };
    station.start();
    EXPECT_EQ(asked, QStringList{"127.0.0.1"});
    for (int i = 0; i < w.Combo1->count(); ++i)
        EXPECT_TRUE(QHostAddress(w.Combo1->itemText(i)).isLoopback()) << w.Combo1->itemText(i).toStdString();
    ASSERT_TRUE(waitUntil([&] { return recorder.records.size() == 1; }));
    EXPECT_EQ(w.List1->item(0)->text(), "target: 127.0.0.1");
    EXPECT_EQ(QList<int>({recorder.records[0].year, recorder.records[0].hour}), QList<int>({2010, 14}));
}

} // namespace
