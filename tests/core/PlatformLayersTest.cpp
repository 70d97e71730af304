#include "platform/SysInfo.h"
#include "platform/Winsock.h"
#include "support/LocalTimeServer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tarnvik;

namespace {

#if defined(Q_OS_LINUX)
// The notification rests on a timer that the kernel cancels when the clock is
// set; the kernel must accept it as armed.
TEST(SysInfo, WatchesTheClockOnLinux)
{
    SysInfo sysInfo;
    EXPECT_TRUE(sysInfo.isWatching());
}
#endif

TEST(Winsock, UnknownHostIsReportedAsAnError)
{
    Winsock socket;
    QSignalSpy errors(&socket, &Winsock::Error);
    QSignalSpy connects(&socket, &Winsock::Connect);
    socket.connectTo(QStringLiteral("no-such-host.invalid"), 37);
    EXPECT_NE(socket.state(), Winsock::Closed);
    ASSERT_TRUE(test::waitUntil([&] { return errors.size() > 0; }, 20000));
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.at(0).at(0).value<qint16>(), Winsock::ErrHostNotFound);
    EXPECT_EQ(errors.at(0).at(1).toString(), QStringLiteral("Host not found"));
    EXPECT_EQ(socket.state(), Winsock::Failed);
    EXPECT_TRUE(connects.isEmpty());
}

// A connection reports connect, data and the peer's close in that order, and
// nothing once this side has closed it.
TEST(Winsock, EventsComeInOrderAndStopAtClose)
{
    test::LocalTimeServer server;
    server.reply = test::bytes({1, 2, 3, 4});
    Winsock socket;
    QList<QString> events;
    QObject::connect(&socket, &Winsock::Connect, [&] { events.append(QStringLiteral("connect")); });
    QObject::connect(&socket, &Winsock::DataArrival, [&](qint32 n) {
        events.append(QStringLiteral("data %1 %2").arg(n).arg(socket.getData().size()));
    });
    QObject::connect(&socket, &Winsock::Close, [&] { events.append(QStringLiteral("close")); });
    QObject::connect(&socket, &Winsock::Error,
                     [&](qint16 n, const QString &) { events.append(QString::number(n)); });

    socket.connectTo(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(test::waitUntil([&] { return events.contains(QStringLiteral("close")); }));
    EXPECT_EQ(events, (QList<QString>{"connect", "data 4 4", "close"}));
    EXPECT_EQ(socket.state(), Winsock::PeerClosed);
    socket.close();
    EXPECT_EQ(socket.state(), Winsock::Closed);

    // Once this side has closed, what the server still sends is not reported.
    server.autoReply = false;
    socket.connectTo(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(test::waitUntil([&] { return server.connectionCount() == 2; }));
    events.clear();
    socket.close();
    server.send(1, test::bytes({5, 6, 7, 8}));
    server.closeConnection(1);
    ASSERT_TRUE(test::waitUntil([&] {
        return server.connection(1) == nullptr ||
               server.connection(1)->state() == QAbstractSocket::UnconnectedState;
    }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(socket.bytesReceived(), 0);
}

} // namespace
