#include "platform/SysInfo.h"
#include "platform/Winsock.h"
#include "support/LocalTimeServer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tarnvik;

namespace {

#if defined(Q_OS_LINUX)
// The notification rests on a timer that the kernel cancels when the clock is set; it must be armed.
TEST(SysInfo, WatchesTheClockOnLinux)
{
    EXPECT_TRUE(SysInfo().isWatching());
}
#endif

TEST(Winsock, UnknownHostIsReportedAsAnError)
{
    Winsock socket;
    QSignalSpy errors(&socket, &Winsock::Error);
    QSignalSpy connects(&socket, &Winsock::Connect);
    socket.connectTo(QStringLiteral("no-such-host.invalid"), 37);
    ASSERT_TRUE(test::waitUntil([&] { return errors.size() > 0; }, 20000));
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.at(0).at(0).value<qint16>(), Winsock::ErrHostNotFound);
    EXPECT_EQ(errors.at(0).at(1).toString(), QStringLiteral("Host not found"));
    EXPECT_EQ(socket.state(), Winsock::Failed);
    EXPECT_TRUE(connects.isEmpty());
}

} // namespace
