#include "station/ClockSync.h"
#include "common/Clock.h"
#include "support/LocalTimeServer.h"
#include "support/RecordingSystemClock.h"
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// The window as the synchronisation sees it.
struct FakeView : ClockSyncView {
    QStringList lines;
    int topIndex = -1, redraws = 0;
    QString timeServer() const override { return "127.0.0.1"; }
    int addLogLine(const QString &line) override { return int((lines << line).size()) - 1; }
    int logLineCount() const override { return int(lines.size()); }
    void setLogTopIndex(int index) override { topIndex = index; }
    void redrawDateTimeLabels() override { ++redraws; }
};

const QStringList Header = {"target: 127.0.0.1", "opening connection", "   winsock connection made"};
const QStringList Closed = {"   closing connection", "   sockets closed"};
const QString Success = "clock synchronised succesfully";

QString received(const QByteArray &data) // one character per byte
{
    return QString("      data received: %1    (%2 bytes)").arg(QString::fromLatin1(data)).arg(data.size());
}

QStringList errorLines(const QString &text, int number)
{
    return {"   error received: " + text, "   error received: " + QString::number(number), "sockets closed"};
}

class ClockSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Clock::setFixed(QDateTime(QDate(2010, 7, 30), QTime(9, 5, 3)));
        sync.setServerPort(server.port());
    }
    void TearDown() override { Clock::useSystem(), QLocale::setDefault(QLocale::system()); }
    // Presses Connect and waits until the server has closed or an error was reported.
    bool query(const QByteArray &reply)
    {
        server.reply = reply;
        const qsizetype before = view.lines.size();
        sync.Command4_Click();
        return waitUntil([&] { return !view.lines.mid(before).filter("sockets closed").isEmpty(); });
    }
    // Connect with a server that answers by hand; waits for connection n.
    bool connectHeld(int n)
    {
        const qsizetype made = view.lines.count(Header[2]);
        sync.Command4_Click();
        return waitUntil([&] { return server.connectionCount() == n && view.lines.count(Header[2]) > made; });
    }
    // A change of the system clock is notified: a query starts only when none is in progress.
    void timeChange(bool startsQuery)
    {
        const qsizetype lines = view.lines.size();
        emit sync.SysInfo1.TimeChanged();
        EXPECT_EQ(std::pair(sync.SyncInProgress, view.lines.size() > lines),
                  std::pair(startsQuery, startsQuery));
    }

    RecordingSystemClock systemClock;
    LocalTimeServer server;
    FakeView view;
    ClockSync sync{view};
};

TEST_F(ClockSyncTest, ReplySetsTheClockAndEveryStepIsLogged)
{
    systemClock.onSet = [](auto &) { Clock::setFixed(QDateTime(QDate(2010, 8, 1), QTime(14, 15, 28))); };
    server.reply = bytes({208, 0, 0, 0});
    timeChange(true); // the clock changed by another program
    ASSERT_TRUE(waitUntil([&] { return view.lines.contains(Success); }));
    const QStringList expected = Header + QStringList{received(server.reply)} + Closed +
                                 QStringList{"   beginning system clock synchronization",
                                             "      data value (GMT): \t3489660928",
                                             "      sec since 1990 (GMT):\t649520128",
                                             "      system date (local) : \t30/07/2010 09:05:03",
                                             "      synced date (GMT) : \t01/08/2010 14:15:28",
                                             "      calling SetSystemTime",
                                             Success};
    EXPECT_EQ(view.lines, expected);
    const SystemTimeRecord r = systemClock.records.value(0);
    EXPECT_EQ(QList<int>({r.year, r.month, r.dayOfWeek, r.day, r.hour, r.minute, r.second, r.milliseconds}),
              QList<int>({2010, 8, 0, 1, 14, 15, 28, 0}));
    EXPECT_EQ(std::pair(view.redraws, view.topIndex), std::pair(1, int(expected.size()) - 1));
    timeChange(false); // the change that setting the clock causes
    // A refused clock: one failure line; no redraw, no scroll. The flag stays set after a failed query.
    systemClock.answer = 0;
    ASSERT_TRUE(query(server.reply));
    EXPECT_EQ(view.lines.last(), "SetSystemTime failed. Clock not synchronised");
    EXPECT_EQ(std::pair(view.redraws, view.topIndex), std::pair(1, int(expected.size()) - 1));
    timeChange(false);
    timeChange(true);
}

TEST_F(ClockSyncTest, FailuresAreLoggedAndLeaveTheClockAlone)
{
    sync.setQueryTimeout(std::chrono::milliseconds(50));
    server.autoReply = false; // accepts and never closes
    ASSERT_TRUE(query(QByteArray()));
    EXPECT_EQ(view.lines, Header + errorLines("Connection timed out", 10060));
    server.autoReply = true;
    // Not four bytes: refused in words; four below 692657152 (1921-12-13 20:45:52): left in silence.
    for (const QByteArray &reply : {QByteArray(), bytes({208, 0, 0}), bytes({208, 0, 0, 0, 1}),
                                    bytes({0x29, 0x49, 0x1b, 0xff}), bytes({0, 0, 0, 5})}) {
        view.lines.clear();
        ASSERT_TRUE(query(reply));
        QStringList expected = Header + QStringList{received(reply)}.mid(reply.isEmpty()) + Closed;
        if (reply.size() != 4)
            expected << "Time passed not valid. Clock not synchronised";
        EXPECT_EQ(view.lines, expected) << reply.toHex().toStdString();
    }
    server.stopListening();
    view.lines.clear();
    ASSERT_TRUE(query(QByteArray()));
    EXPECT_EQ(view.lines, Header.mid(0, 2) + errorLines("Connection is refused", 10061));
    EXPECT_EQ(sync.Winsock1.state(), Winsock::Closed);
    EXPECT_TRUE(systemClock.records.isEmpty() && view.redraws == 0);
}

// A second Connect drops the open query; the time-out counts from the server's last sign of life, so a slow
// server whose whole reply takes longer than the time-out still sets the clock.
TEST_F(ClockSyncTest, SecondConnectDropsTheOpenQueryAndTimeOutCountsFromTheLastByteReceived)
{
    sync.setQueryTimeout(std::chrono::milliseconds(700));
    server.autoReply = false;
    ASSERT_TRUE(connectHeld(1) && connectHeld(2));
    server.send(0, bytes({0x80, 0, 0, 0})); // would give 1968-01-20 03:14:08
    server.closeConnection(0);
    QElapsedTimer elapsed;
    elapsed.start();
    for (int b : {208, 0, 0, 0})
        QTest::qWait(350), server.send(1, bytes({b}));
    QTest::qWait(350);
    server.closeConnection(1);
    ASSERT_TRUE(
        waitUntil([&] { return view.lines.contains(Success) || !view.lines.filter("error").isEmpty(); }));
    EXPECT_GT(elapsed.elapsed(), 1400) << "longer than the time-out from the start";
    const QString zero = received(bytes({0}));
    const QStringList pieces{received(bytes({208})), zero, zero, zero};
    EXPECT_EQ(view.lines.mid(0, 13), Header + QStringList{QString()} + Header + pieces + Closed);
    ASSERT_EQ(systemClock.records.size(), 1) << view.lines.join(u'\n').toStdString();
    EXPECT_EQ(systemClock.records[0].hour, 14);
}

} // namespace
