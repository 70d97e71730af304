#include "platform/SysInfo.h"
#include "support/LocalTimeServer.h"

#include <QSignalSpy>
#include <QTest>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace tarnvik;

namespace {

#if defined(Q_OS_UNIX)
// A pipe whose bytes say what the system would report ('c' the clock was set, 'e' the far timer expired,
// 'f' a failed read), so that the notifier runs on the event loop as it does on the real timer.
struct PipeClockChange final : ClockChangeDescriptor {
    PipeClockChange(int *arms, bool *armFails) : arms(arms), armFails(armFails)
    {
        EXPECT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    }
    ~PipeClockChange() override { ::close(fds[0]), ::close(fds[1]); }
    int handle() const override { return fds[0]; }
    bool arm() override { return ++*arms, !*armFails; }
    ClockChangeRead read() override
    {
        char c = 0;
        if (::read(fds[0], &c, 1) != 1)
            return ClockChangeRead::Nothing;
        return c == 'c'   ? ClockChangeRead::ClockSet
               : c == 'e' ? ClockChangeRead::Expired
                          : ClockChangeRead::Failed;
    }
    void report(const char *events)
    {
        EXPECT_EQ(::write(fds[1], events, strlen(events)), ssize_t(strlen(events)));
    }
    int fds[2] = {-1, -1};
    int *arms;
    bool *armFails;
};

TEST(SysInfo, OneNotificationPerClockChangeAndNoStormWhenTheWatchFails)
{
    int arms = 0;
    bool armFails = false;
    auto owned = std::make_unique<PipeClockChange>(&arms, &armFails);
    PipeClockChange *pipe = owned.get();
    SysInfo info(std::move(owned));
    QSignalSpy changes(&info, &SysInfo::TimeChanged);
    EXPECT_TRUE(info.isWatching() && arms == 1) << "armed at start";
    pipe->report("cec"); // two changes and an expiry, waiting together
    ASSERT_TRUE(test::waitUntil([&] { return arms == 4; }));
    QTest::qWait(50);
    EXPECT_EQ(changes.size(), 2) << "one per change, none for the expiry";
    // A descriptor that can no longer be armed is left alone.
    armFails = true;
    pipe->report("c");
    ASSERT_TRUE(test::waitUntil([&] { return !info.isWatching(); }));
    pipe->report("cc");
    QTest::qWait(50);
    EXPECT_EQ(std::pair(changes.size(), arms), std::pair(qsizetype(3), 5));
    // A read that fails stops the watch as well.
    arms = 0, armFails = false;
    auto second = std::make_unique<PipeClockChange>(&arms, &armFails);
    second->report("fc");
    SysInfo failing(std::move(second));
    QSignalSpy none(&failing, &SysInfo::TimeChanged);
    ASSERT_TRUE(test::waitUntil([&] { return !failing.isWatching(); }));
    QTest::qWait(50);
    EXPECT_TRUE(none.isEmpty());
}
#endif

} // namespace
