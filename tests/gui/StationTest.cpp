#include "station/ui/Station.h"
#include "common/Clock.h"
#include "station/frmPunch.h"
#include "support/LocalTimeServer.h"
#include "support/ProgramFixture.h"
#include "support/RecordingSystemClock.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

class StationTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql("UPDATE Acces SET Lang = 2, Periode = 2, DateDebut = '2003-03-01'");
    }
    QStringList log(Station &station) const
    {
        QStringList lines;
        for (int i = 0; i < station.window().List1->count(); ++i)
            lines << station.window().List1->item(i)->text();
        return lines;
    }
};

TEST_F(StationTest, ConnectButtonAsksTheChosenServerAndLogsIntoTheLowerArea)
{
    LocalTimeServer server;
    server.reply = bytes({208, 0, 0, 0});
    Station station;
    station.clockSync().setServerPort(server.port());
    station.window().onClockSync = nullptr; // no query at start-up: the test asks by hand
    station.start();
    station.window().onClockSync = [&] { station.clockSync().Punch(); };
    EXPECT_EQ(station.window().List1->count(), 0);

    station.window().Combo1->setEditable(true);
    station.window().Combo1->setEditText("127.0.0.1");
    QTest::mouseClick(station.window().Command4, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] {
        return log(station).contains("SetSystemTime failed. Clock not synchronised");
    })) << log(station).join("\n").toStdString();
    const QStringList lines = log(station);
    EXPECT_EQ(lines.first(), "target: 127.0.0.1");
    EXPECT_TRUE(lines.contains("      data value (GMT): \t3489660928"));
}

TEST_F(StationTest, SuccessfulSynchronisationSetsTheClockFromTheReply)
{
    LocalTimeServer server;
    server.reply = bytes({208, 0, 0, 0});
    RecordingSystemClock recorder;
    Station station;
    station.clockSync().setServerPort(server.port());
    station.window().onClockSync = nullptr;
    station.start();
    station.window().onClockSync = [&] { station.clockSync().Punch(); };
    station.window().Combo1->setEditable(true);
    station.window().Combo1->setEditText("127.0.0.1");
    QTest::mouseClick(station.window().Command4, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return log(station).contains("clock synchronised succesfully"); }))
        << log(station).join("\n").toStdString();
    ASSERT_EQ(recorder.records.size(), 1);
    EXPECT_EQ(recorder.records.first().year, 2010);
    EXPECT_EQ(recorder.records.first().hour, 14);
}

} // namespace
