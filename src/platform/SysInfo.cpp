#include "platform/SysInfo.h"

#include <QSocketNotifier>

#if defined(Q_OS_LINUX)
#include <sys/timerfd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <unistd.h>
#endif

namespace tarnvik {

namespace {

#if defined(Q_OS_LINUX)
class TimerClockChange final : public ClockChangeDescriptor {
public:
    TimerClockChange() : m_fd(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {}
    ~TimerClockChange() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TimerClockChange(const TimerClockChange &) = delete;
    TimerClockChange &operator=(const TimerClockChange &) = delete;

    int handle() const override { return m_fd; }

    // Arms the timer about ten years ahead. It exists only to be cancelled: a
    // jump of the clock makes the descriptor readable. Arming again also
    // clears the cancelled condition, so that the next change is reported too.
    bool arm() override
    {
        timespec now{};
        if (m_fd < 0 || clock_gettime(CLOCK_REALTIME, &now) != 0)
            return false;
        itimerspec expiry{};
        expiry.it_value.tv_sec = now.tv_sec + time_t(10) * 366 * 24 * 3600;
        return timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) == 0;
    }

    ClockChangeRead read() override
    {
        std::uint64_t expirations = 0;
        const ssize_t got = ::read(m_fd, &expirations, sizeof expirations);
        if (got >= 0)
            return ClockChangeRead::Expired;
        if (errno == ECANCELED)
            return ClockChangeRead::ClockSet;
        if (errno == EAGAIN || errno == EINTR)
            return ClockChangeRead::Nothing;
        return ClockChangeRead::Failed;
    }

private:
    int m_fd;
};
#endif

} // namespace

std::unique_ptr<ClockChangeDescriptor> systemClockChangeDescriptor()
{
#if defined(Q_OS_LINUX)
    auto descriptor = std::make_unique<TimerClockChange>();
    if (descriptor->handle() >= 0)
        return descriptor;
#endif
    return nullptr;
}

SysInfo::SysInfo(QObject *parent) : SysInfo(systemClockChangeDescriptor(), parent) {}

SysInfo::SysInfo(std::unique_ptr<ClockChangeDescriptor> descriptor, QObject *parent)
    : QObject(parent), m_descriptor(std::move(descriptor))
{
    if (!m_descriptor || !m_descriptor->arm())
        return;
    m_notifier = new QSocketNotifier(qintptr(m_descriptor->handle()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SysInfo::onReadable);
}

SysInfo::~SysInfo()
{
    // The notifier goes before the descriptor it watches.
    delete m_notifier;
}

bool SysInfo::isWatching() const
{
    return m_notifier && m_notifier->isEnabled();
}

void SysInfo::onReadable()
{
    const ClockChangeRead what = m_descriptor->read();
    if (what == ClockChangeRead::Nothing)
        return;
    // Armed again whatever was read; a descriptor that can no longer be armed
    // (or read) would report for ever, so it is then left alone.
    if (what == ClockChangeRead::Failed || !m_descriptor->arm())
        m_notifier->setEnabled(false);
    if (what == ClockChangeRead::ClockSet)
        emit TimeChanged();
}

} // namespace tarnvik
