#include "station/ClockSync.h"
#include "common/Clock.h"
#include "common/Windows1252.h"
#include "station/TimeServerReply.h"
#include "support/LocalTimeServer.h"
#include "support/RecordingSystemClock.h"
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
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
    return QString("      data received: %1    (%2 bytes)").arg(Windows1252::decode(data)).arg(data.size());
}

QStringList errorLines(const QString &text, int number)
{
    return {"   error received: " + text, "   error received: " + QString::number(number), "sockets closed"};
}

// The reply a server sends for a moment (UTC), the seconds since 1900 cut to 32 bits as the protocol does.
QByteArray replyFor(const QDateTime &moment, quint32 *value = nullptr)
{
    const auto v = quint32(QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC).secsTo(moment) & 0xFFFFFFFF);
    if (value)
        *value = v;
    return bytes({int(v >> 24), int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255)});
}

// A moment the clock may be set to: the day after the program was built.
const QDateTime AfterBuild(TimeServerReply::buildDay().addDays(1), QTime(14, 15, 28), Qt::UTC);
const QString Invalid = "Time passed not valid. Clock not synchronised";

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
    std::function<void()> feed; // what the server sends next, run by a test's timer
    LocalTimeServer server;
    FakeView view;
    ClockSync sync{view};
};

TEST_F(ClockSyncTest, ReplySetsTheClockAndEveryStepIsLogged)
{
    systemClock.onSet = [](auto &) { Clock::setFixed(AfterBuild.toLocalTime()); };
    quint32 value = 0;
    server.reply = replyFor(AfterBuild, &value);
    timeChange(true); // the clock changed by another program
    ASSERT_TRUE(waitUntil([&] { return view.lines.contains(Success); }));
    const QStringList expected =
        Header + QStringList{received(server.reply)} + Closed +
        QStringList{"   beginning system clock synchronization",
                    "      data value (GMT): \t" + QString::number(value),
                    "      sec since 1990 (GMT):\t" + QString::number(qint64(value) - 2840140800LL),
                    "      system date (local) : \t30/07/2010 09:05:03",
                    "      synced date (GMT) : \t" + AfterBuild.toString("dd/MM/yyyy hh:mm:ss"),
                    "      calling SetSystemTime",
                    Success};
    EXPECT_EQ(view.lines, expected);
    const SystemTimeRecord r = systemClock.records.value(0);
    const QDate day = AfterBuild.date();
    EXPECT_EQ(QList<int>({r.year, r.month, r.dayOfWeek, r.day, r.hour, r.minute, r.second, r.milliseconds}),
              QList<int>({day.year(), day.month(), 0, day.day(), 14, 15, 28, 0}));
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

// A second Connect drops the open query; a reply that comes in pieces within the time-out sets the clock.
TEST_F(ClockSyncTest, SecondConnectDropsTheOpenQueryAndAReplyInPiecesSetsTheClock)
{
    sync.setQueryTimeout(std::chrono::milliseconds(3000));
    server.autoReply = false;
    ASSERT_TRUE(connectHeld(1) && connectHeld(2));
    server.send(0, replyFor(AfterBuild.addDays(1)));
    server.closeConnection(0);
    const QByteArray reply = replyFor(AfterBuild);
    for (const char b : reply)
        QTest::qWait(100), server.send(1, QByteArray(1, b));
    QTest::qWait(100);
    server.closeConnection(1);
    ASSERT_TRUE(
        waitUntil([&] { return view.lines.contains(Success) || !view.lines.filter("error").isEmpty(); }));
    QStringList pieces;
    for (const char b : reply)
        pieces << received(QByteArray(1, b));
    EXPECT_EQ(view.lines.mid(0, 13), Header + QStringList{QString()} + Header + pieces + Closed);
    ASSERT_EQ(systemClock.records.size(), 1) << view.lines.join(u'\n').toStdString();
    EXPECT_EQ(systemClock.records[0].day, AfterBuild.date().day());
}

// A server can neither hold the query open nor fill the memory: no more than a reply holds is read, a longer
// reply ends the query at once, and the whole query ends within its time-out however the bytes arrive.
TEST_F(ClockSyncTest, AServerCannotHoldTheQueryOpenNorFloodIt)
{
    server.autoReply = false;
    QTimer sender; // what the server of each case sends, every 20 ms, on connection 0 of this case
    QObject::connect(&sender, &QTimer::timeout, [&] {
        if (feed)
            feed();
    });
    sender.start(20);
    const auto ended = [&] {
        return view.lines.contains(Invalid) || !view.lines.filter("error received").isEmpty();
    };
    const auto bytesTaken = [&] {
        qint64 total = 0;
        for (const QString &line : view.lines.filter("data received"))
            total += line.section(u'(', -1).section(u' ', 0, 0).toLongLong();
        return total;
    };

    // Flood: megabytes as fast as the client takes them, never closing. Long: five bytes, not closing.
    for (const qint64 size : {qint64(64 * 1024 * 1024), qint64(5)}) {
        SCOPED_TRACE(size);
        view.lines.clear();
        LocalTimeServer own;
        own.autoReply = false;
        sync.setServerPort(own.port());
        sync.setQueryTimeout(std::chrono::milliseconds(60000));
        qint64 sent = 0;
        feed = [&] {
            while (sent < size && own.unsent(0) >= 0 && own.unsent(0) < 1024 * 1024) {
                const qint64 chunk = qMin<qint64>(size - sent, 256 * 1024);
                own.send(0, QByteArray(int(chunk), 'x'));
                sent += chunk;
            }
        };
        sync.Command4_Click();
        ASSERT_TRUE(waitUntil(ended, 10000)) << "still open after " << sent << " bytes sent";
        EXPECT_EQ(view.lines, Header + QStringList{received("xxxxx")} + Closed + QStringList{Invalid});
        feed = nullptr;
    }
    sync.setServerPort(server.port());

    // Trickle: a byte every 400 ms never keeps the query open past its time-out of 1 s: it ends by the
    // time-out with two or three bytes, long before a fifth one would make the reply too long.
    view.lines.clear();
    sync.setQueryTimeout(std::chrono::milliseconds(1000));
    QElapsedTimer clock;
    const int before = server.connectionCount();
    feed = [&] {
        if (server.connectionCount() > before && clock.isValid() && clock.elapsed() >= 400)
            server.send(before, "y"), clock.restart();
    };
    clock.start();
    sync.Command4_Click();
    ASSERT_TRUE(waitUntil(ended, 10000)) << view.lines.join(u'\n').toStdString();
    EXPECT_EQ(view.lines.mid(view.lines.size() - 3), errorLines("Connection timed out", 10060));
    EXPECT_LT(bytesTaken(), 4);
    feed = nullptr;

    // Short: three bytes and the close are a wrong reply, said at once.
    server.autoReply = true;
    view.lines.clear();
    ASSERT_TRUE(query(bytes({1, 2, 3})));
    EXPECT_EQ(view.lines.last(), Invalid);
    EXPECT_TRUE(systemClock.records.isEmpty() && view.redraws == 0);
}

// A reply naming a moment before the program was built does not set the clock: a server a century off (1926),
// or one past the protocol's wrap in 2036 (2126 reads as 1990), is refused with a log line.
TEST_F(ClockSyncTest, AReplyBeforeTheProgramWasBuiltIsRefused)
{
    const QString refused = "Time passed is before this program was built (" +
                            TimeServerReply::buildDay().toString(Qt::ISODate) + "). Clock not synchronised";
    for (const QDateTime &sent : {QDateTime(QDate(1926, 12, 7), QTime(8, 0), Qt::UTC),
                                  QDateTime(QDate(2126, 12, 7), QTime(8, 0), Qt::UTC),
                                  QDateTime(QDate(2010, 8, 1), QTime(14, 15, 28), Qt::UTC)}) {
        SCOPED_TRACE(sent.toString(Qt::ISODate).toStdString());
        view.lines.clear();
        quint32 value = 0;
        ASSERT_TRUE(query(replyFor(sent, &value)));
        ASSERT_EQ(view.lines.size(), 12) << view.lines.join(u'\n').toStdString();
        EXPECT_EQ(view.lines[7], "      data value (GMT): \t" + QString::number(value));
        EXPECT_EQ(view.lines.last(), refused);
        EXPECT_FALSE(view.lines.contains("      calling SetSystemTime"));
    }
    // As the protocol reads them: 2126 wraps to 1990, and the bytes 208, 0, 0, 0 are 2010-08-01 14:15:28.
    EXPECT_TRUE(view.lines[10].endsWith("01/08/2010 14:15:28"));
    EXPECT_EQ(TimeServerReply::syncedMoment(TimeServerReply::secondsSince1990(3489660928U)),
              QDateTime(QDate(2010, 8, 1), QTime(14, 15, 28), Qt::UTC));
    EXPECT_EQ(replyFor(QDateTime(QDate(2010, 8, 1), QTime(14, 15, 28), Qt::UTC)), bytes({208, 0, 0, 0}));
    EXPECT_EQ(TimeServerReply::syncedMoment(
                  TimeServerReply::secondsSince1990(
                      TimeServerReply::valueOf(replyFor(QDateTime(QDate(2126, 12, 7), QTime(8, 0), Qt::UTC)))
                          .value()))
                  .date()
                  .year(),
              1990);
    EXPECT_TRUE(systemClock.records.isEmpty() && view.redraws == 0);
}

} // namespace
