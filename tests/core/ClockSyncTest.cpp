#include "station/ClockSync.h"

#include "common/Clock.h"
#include "support/LocalTimeServer.h"
#include "support/RecordingSystemClock.h"
#include "support/ScriptedDialogs.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// The window as the synchronisation sees it: the log lines, where it was
// scrolled to, and when the labels were drawn.
struct FakeView : ClockSyncView {
    QString server = u"127.0.0.1"_s;
    QStringList lines;
    int topIndex = -1;
    QList<QDateTime> labelsDrawnAt;

    QString timeServer() const override { return server; }
    int addLogLine(const QString &line) override
    {
        lines.append(line);
        return int(lines.size()) - 1;
    }
    int logLineCount() const override { return int(lines.size()); }
    void setLogTopIndex(int index) override { topIndex = index; }
    void redrawDateTimeLabels() override { labelsDrawnAt.append(Clock::now()); }

    int count(const QString &line) const { return int(lines.count(line)); }
};

const QString Target = u"target: 127.0.0.1"_s;
const QString Opening = u"opening connection"_s;
const QString Connected = u"   winsock connection made"_s;
const QString Closing = u"   closing connection"_s;
const QString SocketsClosed = u"   sockets closed"_s;
const QString NotValid = u"Time passed not valid. Clock not synchronised"_s;
const QString Success = u"clock synchronised succesfully"_s;
const QString SetFailed = u"SetSystemTime failed. Clock not synchronised"_s;
const QString ErrorClosed = u"sockets closed"_s;

QString received(const QString &data, int count)
{
    return u"      data received: "_s + data + u"    ("_s + QString::number(count) + u" bytes)"_s;
}

// The text a reply shows in the log: one character per byte.
QString asText(std::initializer_list<int> values)
{
    QString text;
    for (int v : values)
        text.append(QChar(v));
    return text;
}

QStringList synchronisationLines(const QString &value, const QString &secs, const QString &local,
                                 const QString &synced)
{
    return {u"   beginning system clock synchronization"_s, u"      data value (GMT): \t"_s + value,
            u"      sec since 1990 (GMT):\t"_s + secs,      u"      system date (local) : \t"_s + local,
            u"      synced date (GMT) : \t"_s + synced,     u"      calling SetSystemTime"_s};
}

void expectRecord(const SystemTimeRecord &r, int year, int month, int day, int hour, int minute, int second)
{
    EXPECT_EQ(r.year, year);
    EXPECT_EQ(r.month, month);
    EXPECT_EQ(r.dayOfWeek, 0);
    EXPECT_EQ(r.day, day);
    EXPECT_EQ(r.hour, hour);
    EXPECT_EQ(r.minute, minute);
    EXPECT_EQ(r.second, second);
    EXPECT_EQ(r.milliseconds, 0);
}

class ClockSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Clock::setFixed(QDateTime(QDate(2010, 7, 30), QTime(9, 5, 3)));
        sync = std::make_unique<ClockSync>(view);
        sync->setServerPort(server.port());
    }
    void TearDown() override
    {
        sync.reset();
        Clock::useSystem();
        QLocale::setDefault(m_locale);
    }

    // Presses Connect and waits for the query to end (the server closed, or
    // an error was reported).
    bool query()
    {
        const int before = int(view.lines.size());
        sync->Command4_Click();
        return waitUntil([&] {
            const QStringList added = view.lines.mid(before);
            return added.contains(SocketsClosed) || added.contains(ErrorClosed);
        });
    }

    ScriptedDialogs dialogs;
    RecordingSystemClock systemClock;
    LocalTimeServer server;
    FakeView view;
    std::unique_ptr<ClockSync> sync;
    QLocale m_locale;
};

TEST_F(ClockSyncTest, ReplySetsTheClockAndEveryStepIsLogged)
{
    server.reply = bytes({208, 0, 0, 0});
    // The clock, once set, reads the synced moment as local time here.
    const QDateTime newClock(QDate(2010, 8, 1), QTime(14, 15, 28));
    systemClock.onSet = [&](const SystemTimeRecord &) { Clock::setFixed(newClock); };

    ASSERT_TRUE(query());

    QStringList expected = {Target,  Opening,      Connected, received(asText({208, 0, 0, 0}), 4),
                            Closing, SocketsClosed};
    expected += synchronisationLines(u"3489660928"_s, u"649520128"_s, u"30/07/2010 09:05:03"_s,
                                     u"01/08/2010 14:15:28"_s);
    expected += Success;
    EXPECT_EQ(view.lines, expected);

    ASSERT_EQ(systemClock.records.size(), 1);
    expectRecord(systemClock.records[0], 2010, 8, 1, 14, 15, 28);
    // Labels drawn once, from the clock as set; the log scrolled to the last line.
    EXPECT_EQ(view.labelsDrawnAt, QList<QDateTime>{newClock});
    EXPECT_EQ(view.topIndex, int(expected.size()) - 1);
    EXPECT_TRUE(sync->SyncInProgress);
    EXPECT_EQ(sync->Winsock1.state(), Winsock::Closed);
}

TEST_F(ClockSyncTest, ReplyInPiecesIsLoggedPieceByPieceAndUsedWhole)
{
    server.autoReply = false;
    sync->Command4_Click();
    ASSERT_TRUE(waitUntil([&] { return view.lines.contains(Connected) && server.connectionCount() == 1; }));

    const QList<QByteArray> pieces = {bytes({208}), bytes({0, 0}), bytes({0})};
    for (const QByteArray &piece : pieces) {
        const int before = int(view.lines.size());
        server.send(0, piece);
        ASSERT_TRUE(waitUntil([&] { return view.lines.size() > before; }));
    }
    server.closeConnection(0);
    ASSERT_TRUE(waitUntil([&] { return view.lines.contains(SocketsClosed); }));

    EXPECT_EQ(view.lines.mid(3, 3), (QStringList{received(asText({208}), 1), received(asText({0, 0}), 2),
                                                 received(asText({0}), 1)}));
    EXPECT_EQ(view.lines.mid(6, 2), (QStringList{Closing, SocketsClosed}));
    EXPECT_EQ(view.lines.last(), Success);
    ASSERT_EQ(systemClock.records.size(), 1);
    expectRecord(systemClock.records[0], 2010, 8, 1, 14, 15, 28);
}

TEST_F(ClockSyncTest, ReplyOfAnyOtherLengthLeavesTheClockAlone)
{
    struct Case {
        QByteArray reply;
        QStringList dataLines;
    };
    const QList<Case> cases = {
        {QByteArray(), {}}, // the server closes at once
        {bytes({208, 0, 0}), {received(asText({208, 0, 0}), 3)}},
        {bytes({208, 0, 0, 0, 1}), {received(asText({208, 0, 0, 0, 1}), 5)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reply.size());
        view.lines.clear();
        server.reply = c.reply;
        ASSERT_TRUE(query());
        const QStringList expected = QStringList{Target, Opening, Connected} + c.dataLines +
                                     QStringList{Closing, SocketsClosed, NotValid};
        EXPECT_EQ(view.lines, expected);
    }
    EXPECT_TRUE(systemClock.records.isEmpty());
    EXPECT_TRUE(view.labelsDrawnAt.isEmpty());
    EXPECT_EQ(view.topIndex, -1);
}

TEST_F(ClockSyncTest, ValueWhoseSecondsDoNotFitEndsWithoutAWord)
{
    // 692657151 lies one second before the earliest moment the station can
    // express (1921-12-13 20:45:52 UTC); 5 is a value past the 2036 wrap; a
    // first byte of 32 is a time like any other, and still too early.
    for (const QByteArray &reply :
         {bytes({0x29, 0x49, 0x1B, 0xFF}), bytes({0, 0, 0, 5}), bytes({32, 0, 0, 0})}) {
        SCOPED_TRACE(reply.toHex().toStdString());
        view.lines.clear();
        server.reply = reply;
        ASSERT_TRUE(query());
        EXPECT_EQ(view.lines.size(), 6);
        EXPECT_EQ(view.lines.last(), SocketsClosed);
    }
    EXPECT_TRUE(systemClock.records.isEmpty());

    // The earliest value that fits, and a last byte of 32, set the clock.
    view.lines.clear();
    server.reply = bytes({0x29, 0x49, 0x1C, 0x00});
    ASSERT_TRUE(query());
    ASSERT_EQ(view.lines.size(), 13);
    EXPECT_EQ(view.lines.mid(7, 2), (QStringList{"      data value (GMT): \t692657152",
                                                 "      sec since 1990 (GMT):\t-2147483648"}));
    EXPECT_EQ(view.lines.at(10), "      synced date (GMT) : \t13/12/1921 20:45:52");
    EXPECT_EQ(view.lines.last(), Success);

    server.reply = bytes({208, 0, 0, 32});
    ASSERT_TRUE(query());
    EXPECT_EQ(view.lines.last(), Success);

    ASSERT_EQ(systemClock.records.size(), 2);
    expectRecord(systemClock.records[0], 1921, 12, 13, 20, 45, 52);
    expectRecord(systemClock.records[1], 2010, 8, 1, 14, 16, 0);
}

TEST_F(ClockSyncTest, RefusedSetSystemTimeIsLoggedAndNothingRedrawn)
{
    systemClock.answer = 0;
    server.reply = bytes({208, 0, 0, 0});
    ASSERT_TRUE(query());
    EXPECT_EQ(view.lines.mid(view.lines.size() - 2), (QStringList{"      calling SetSystemTime", SetFailed}));
    EXPECT_EQ(systemClock.records.size(), 1);
    EXPECT_TRUE(view.labelsDrawnAt.isEmpty());
    EXPECT_EQ(view.topIndex, -1);
}

TEST_F(ClockSyncTest, RefusedConnectionLogsTheErrorAndClosesTheSocket)
{
    server.stopListening();
    ASSERT_TRUE(query());
    EXPECT_EQ(view.lines, (QStringList{Target, Opening, "   error received: Connection is refused",
                                       "   error received: 10061", ErrorClosed}));
    EXPECT_EQ(sync->Winsock1.state(), Winsock::Closed);
    // The query stays "in progress" until the next change of the clock.
    EXPECT_TRUE(sync->SyncInProgress);
    EXPECT_TRUE(systemClock.records.isEmpty());
}

TEST_F(ClockSyncTest, QueriesAreSeparatedByOneEmptyLine)
{
    server.reply = bytes({208, 0, 0, 0});
    ASSERT_TRUE(query());
    const int first = int(view.lines.size());
    server.reply = QByteArray();
    ASSERT_TRUE(query());
    EXPECT_EQ(view.lines.mid(first, 3), (QStringList{QString(), Target, Opening}));
    EXPECT_EQ(view.lines.count(QString()), 1);
    // Only the successful query scrolled the log.
    EXPECT_EQ(view.topIndex, first - 1);
}

TEST_F(ClockSyncTest, ConnectPressedAgainDropsTheOpenQuery)
{
    server.autoReply = false;
    sync->Command4_Click();
    ASSERT_TRUE(waitUntil([&] { return view.count(Connected) == 1 && server.connectionCount() == 1; }));
    sync->Command4_Click();
    ASSERT_TRUE(waitUntil([&] { return view.count(Connected) == 2 && server.connectionCount() == 2; }));

    // The first server answers first; only the second query may use a reply.
    server.send(0, bytes({0x80, 0, 0, 0}));
    server.closeConnection(0);
    server.send(1, bytes({208, 0, 0, 0}));
    server.closeConnection(1);
    ASSERT_TRUE(waitUntil([&] { return view.lines.contains(SocketsClosed); }));

    EXPECT_EQ(view.lines.mid(0, 8), (QStringList{Target, Opening, Connected, QString(), Target, Opening,
                                                 Connected, received(asText({208, 0, 0, 0}), 4)}));
    EXPECT_EQ(view.lines.last(), Success);
    ASSERT_EQ(systemClock.records.size(), 1);
    expectRecord(systemClock.records[0], 2010, 8, 1, 14, 15, 28);
}

TEST_F(ClockSyncTest, ConnectPressedTwiceQuicklyRunsOneQuery)
{
    server.reply = bytes({208, 0, 0, 0});
    sync->Command4_Click();
    sync->Command4_Click();
    ASSERT_TRUE(waitUntil([&] { return view.lines.contains(SocketsClosed); }));

    EXPECT_EQ(view.lines.mid(0, 7), (QStringList{Target, Opening, QString(), Target, Opening, Connected,
                                                 received(asText({208, 0, 0, 0}), 4)}));
    EXPECT_EQ(view.count(Connected), 1);
    EXPECT_EQ(systemClock.records.size(), 1);
}

TEST_F(ClockSyncTest, ServerThatNeverClosesTimesOut)
{
    server.autoReply = false;
    sync->setQueryTimeout(std::chrono::milliseconds(50));
    ASSERT_TRUE(query());
    EXPECT_EQ(view.lines, (QStringList{Target, Opening, Connected, "   error received: Connection timed out",
                                       "   error received: 10060", ErrorClosed}));
    EXPECT_EQ(sync->Winsock1.state(), Winsock::Closed);
    // The station has dropped the connection.
    ASSERT_TRUE(
        waitUntil([&] { return server.connection(0)->state() == QAbstractSocket::UnconnectedState; }));

    // The next query is not held up.
    server.autoReply = true;
    server.reply = bytes({208, 0, 0, 0});
    ASSERT_TRUE(query());
    EXPECT_EQ(view.lines.last(), Success);
    EXPECT_EQ(view.count(ErrorClosed), 1);
}

TEST_F(ClockSyncTest, TimeChangeStartsAQueryOnlyWhenNoneIsInProgress)
{
    // A change by another program starts a query.
    ASSERT_FALSE(sync->SyncInProgress);
    server.reply = bytes({208, 0, 0, 0});
    emit sync->SysInfo1.TimeChanged();
    EXPECT_TRUE(sync->SyncInProgress);
    ASSERT_TRUE(waitUntil([&] { return view.lines.contains(Success); }));
    EXPECT_EQ(view.lines.mid(0, 2), (QStringList{Target, Opening}));

    // The change that the station's own setting causes only clears the flag.
    const QStringList before = view.lines;
    emit sync->SysInfo1.TimeChanged();
    EXPECT_FALSE(sync->SyncInProgress);
    EXPECT_EQ(view.lines, before);
    EXPECT_EQ(server.connectionCount(), 1);

    // After a failed query the next outside change only clears the flag, and
    // the one after it starts a query.
    server.reply = QByteArray();
    ASSERT_TRUE(query());
    const int lines = int(view.lines.size());
    emit sync->SysInfo1.TimeChanged();
    EXPECT_FALSE(sync->SyncInProgress);
    EXPECT_EQ(view.lines.size(), lines);
    emit sync->SysInfo1.TimeChanged();
    EXPECT_TRUE(sync->SyncInProgress);
    EXPECT_EQ(view.lines.mid(lines, 3), (QStringList{QString(), Target, Opening}));
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 3; }));
}

TEST_F(ClockSyncTest, FormatDateTimeReadsTimeThenDate)
{
    EXPECT_EQ(sync->FormatDateTime(u"14:15:28 01/08/2010"_s),
              QDateTime(QDate(2010, 8, 1), QTime(14, 15, 28)));
    EXPECT_EQ(sync->FormatDateTime(u" 9:05:03  30/07/2010   "_s),
              QDateTime(QDate(2010, 7, 30), QTime(9, 5, 3)));
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // Not a time, or not a date: the present moment, after the box.
    EXPECT_EQ(sync->FormatDateTime(u"25:00:00 01/08/2010"_s), Clock::now());
    EXPECT_EQ(sync->FormatDateTime(u"14:15:28 31/02/2010"_s), Clock::now());
    EXPECT_EQ(dialogs.messages(), (QStringList{"Unsuitable", "Unsuitable"}));
    EXPECT_EQ(dialogs.shown().at(0).style, 0);
}

} // namespace
