#include "common/Windows1252.h"
#include "station/ClockSync.h"
#include "support/RecordingSystemClock.h"
#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

namespace {

struct SilentView : tarnvik::ClockSyncView {
    QStringList lines;
    QString timeServer() const override { return QString(); }
    int addLogLine(const QString &line) override { return int((lines << line).size()) - 1; }
    int logLineCount() const override { return int(lines.size()); }
    void setLogTopIndex(int) override {}
    void redrawDateTimeLabels() override {}
};

// Wrong length: refused in words; below 692657152 (1921-12-13 20:45:52): silence; else set to 1900 + value.
TEST(TimeServerReply, EndOfQueryOverRandomReplies)
{
    const char *edges[] = {"29491bff", "29491c00", "00000005",  "20000020",
                           "ffffffff", "d00000",   "d000000001"};
    std::independent_bits_engine<std::mt19937, 8, unsigned> random(868);
    for (int i = 0; i < 2000; ++i) {
        QByteArray reply(i % 3 ? 4 : random() % 7, '\0');
        std::generate(reply.begin(), reply.end(), [&] { return char(random()); });
        if (i < 7)
            reply = QByteArray::fromHex(edges[i]);
        SCOPED_TRACE(reply.toHex().toStdString());
        tarnvik::test::RecordingSystemClock systemClock;
        SilentView view;
        tarnvik::ClockSync sync(view);
        sync.TimeReply = tarnvik::Windows1252::decode(reply);
        sync.Winsock1_Close();
        const quint32 value = reply.size() == 4 ? qFromBigEndian<quint32>(reply.constData()) : 0;
        const bool sets = reply.size() == 4 && value >= 692657152U;
        ASSERT_EQ(view.lines.last(), sets                ? "clock synchronised succesfully"
                                     : reply.size() == 4 ? "   sockets closed"
                                                         : "Time passed not valid. Clock not synchronised");
        ASSERT_EQ(systemClock.records.size(), sets ? 1 : 0);
        const tarnvik::SystemTimeRecord r = systemClock.records.value(0);
        EXPECT_TRUE(!sets ||
                    QDateTime(QDate(r.year, r.month, r.day), QTime(r.hour, r.minute, r.second), Qt::UTC) ==
                        QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC).addSecs(value));
    }
}

} // namespace
