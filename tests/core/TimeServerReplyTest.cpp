#include "station/TimeServerReply.h"

#include "common/Windows1252.h"
#include "station/ClockSync.h"
#include "support/LocalTimeServer.h"
#include "support/RecordingSystemClock.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

using namespace tarnvik;
namespace Reply = tarnvik::TimeServerReply;

namespace {

const QDateTime Epoch1900(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC);

QByteArray randomBytes(std::mt19937 &random, int length)
{
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray result;
    for (int i = 0; i < length; ++i)
        result.append(char(byte(random)));
    return result;
}

TEST(TimeServerReply, KnownValues)
{
    // 208, 0, 0, 0: the first byte is the most significant.
    const auto value = Reply::valueOf(test::bytes({208, 0, 0, 0}));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, 3489660928U);
    EXPECT_EQ(Reply::secondsSince1990(*value), 649520128);
    EXPECT_EQ(Reply::syncedMoment(649520128), QDateTime(QDate(2010, 8, 1), QTime(14, 15, 28), Qt::UTC));

    // The range the station can express: 1921-12-13 20:45:52 to 2036-02-07 06:28:15 UTC.
    EXPECT_FALSE(Reply::fits(0));
    EXPECT_FALSE(Reply::fits(692657151U));
    ASSERT_TRUE(Reply::fits(692657152U));
    EXPECT_EQ(Reply::syncedMoment(Reply::secondsSince1990(692657152U)),
              QDateTime(QDate(1921, 12, 13), QTime(20, 45, 52), Qt::UTC));
    ASSERT_TRUE(Reply::fits(4294967295U));
    EXPECT_EQ(Reply::secondsSince1990(4294967295U), 1454826495);
    EXPECT_EQ(Reply::syncedMoment(1454826495), QDateTime(QDate(2036, 2, 7), QTime(6, 28, 15), Qt::UTC));

    const SystemTimeRecord record =
        Reply::recordOf(QDateTime(QDate(2010, 8, 1), QTime(14, 15, 28, 999), Qt::UTC));
    EXPECT_EQ(record.year, 2010);
    EXPECT_EQ(record.month, 8);
    EXPECT_EQ(record.day, 1);
    EXPECT_EQ(record.dayOfWeek, 0);
    EXPECT_EQ(record.hour, 14);
    EXPECT_EQ(record.minute, 15);
    EXPECT_EQ(record.second, 28);
    EXPECT_EQ(record.milliseconds, 0);
}

// For any bytes: only 4 give a value, the big-endian number; every byte
// survives being kept as text; a value that fits lands on the moment that
// lies value seconds after 1900.
TEST(TimeServerReply, PropertiesOverRandomReplies)
{
    std::mt19937 random(20100801);
    std::uniform_int_distribution<int> length(0, 8);
    for (int i = 0; i < 20000; ++i) {
        const QByteArray reply = randomBytes(random, i % 2 ? 4 : length(random));
        SCOPED_TRACE(reply.toHex().toStdString());

        ASSERT_EQ(Reply::bytesOf(Windows1252::decode(reply)), reply);

        const auto value = Reply::valueOf(reply);
        ASSERT_EQ(value.has_value(), reply.size() == 4);
        if (!value)
            continue;
        ASSERT_EQ(*value, qFromBigEndian<quint32>(reply.constData()));
        ASSERT_EQ(Reply::fits(*value), *value >= Reply::SmallestUsableValue);
        if (!Reply::fits(*value))
            continue;
        const QDateTime moment = Reply::syncedMoment(Reply::secondsSince1990(*value));
        ASSERT_EQ(moment, Epoch1900.addSecs(*value));
        const SystemTimeRecord r = Reply::recordOf(moment);
        ASSERT_EQ(QDateTime(QDate(r.year, r.month, r.day), QTime(r.hour, r.minute, r.second), Qt::UTC),
                  moment);
    }
}

struct SilentView : ClockSyncView {
    QStringList lines;
    QString timeServer() const override { return QString(); }
    int addLogLine(const QString &line) override
    {
        lines.append(line);
        return int(lines.size()) - 1;
    }
    int logLineCount() const override { return int(lines.size()); }
    void setLogTopIndex(int) override {}
    void redrawDateTimeLabels() override {}
};

// The whole decision after the server has closed, for random replies: a
// wrong length is refused in words, an early value ends in silence, and any
// other value sets the clock to the moment it names.
TEST(TimeServerReply, EndOfQueryOverRandomReplies)
{
    test::RecordingSystemClock systemClock;
    SilentView view;
    ClockSync sync(view);
    std::mt19937 random(868);
    std::uniform_int_distribution<int> length(0, 6);
    for (int i = 0; i < 3000; ++i) {
        const QByteArray reply = randomBytes(random, i % 3 ? 4 : length(random));
        SCOPED_TRACE(reply.toHex().toStdString());
        view.lines.clear();
        systemClock.records.clear();

        sync.TimeReply = Windows1252::decode(reply);
        sync.Winsock1_Close();

        ASSERT_GE(view.lines.size(), 2);
        ASSERT_EQ(view.lines.mid(0, 2), (QStringList{"   closing connection", "   sockets closed"}));
        if (reply.size() != 4) {
            ASSERT_EQ(view.lines.mid(2), QStringList{"Time passed not valid. Clock not synchronised"});
            ASSERT_TRUE(systemClock.records.isEmpty());
            continue;
        }
        const quint32 value = qFromBigEndian<quint32>(reply.constData());
        if (value < 692657152U) {
            ASSERT_EQ(view.lines.size(), 2);
            ASSERT_TRUE(systemClock.records.isEmpty());
            continue;
        }
        ASSERT_EQ(view.lines.size(), 9);
        ASSERT_EQ(view.lines.at(3), QStringLiteral("      data value (GMT): \t") + QString::number(value));
        ASSERT_EQ(view.lines.last(), QStringLiteral("clock synchronised succesfully"));
        ASSERT_EQ(systemClock.records.size(), 1);
        const SystemTimeRecord &r = systemClock.records[0];
        ASSERT_EQ(QDateTime(QDate(r.year, r.month, r.day), QTime(r.hour, r.minute, r.second), Qt::UTC),
                  Epoch1900.addSecs(value));
    }
}

} // namespace
