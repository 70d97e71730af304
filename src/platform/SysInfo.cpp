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

SysInfo::SysInfo(QObject *parent) : QObject(parent)
{
#if defined(Q_OS_LINUX)
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    if (!arm()) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SysInfo::onReadable);
#endif
}

SysInfo::~SysInfo()
{
#if defined(Q_OS_LINUX)
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

// Arms the timer about ten years ahead. It exists only to be cancelled: a jump
// of the clock makes the descriptor readable. Arming again also clears the
// cancelled condition, so that the next change is reported as well.
bool SysInfo::arm()
{
#if defined(Q_OS_LINUX)
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0)
        return false;
    itimerspec expiry{};
    expiry.it_value.tv_sec = now.tv_sec + time_t(10) * 366 * 24 * 3600;
    return timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) == 0;
#else
    return false;
#endif
}

void SysInfo::onReadable()
{
#if defined(Q_OS_LINUX)
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(m_fd, &expirations, sizeof expirations);
    const bool clockSet = got < 0 && errno == ECANCELED;
    if (got < 0 && !clockSet && errno == EAGAIN)
        return;
    // Re-arm whether the clock was set or the far timer expired; a timer that
    // can no longer be armed would report forever, so it is then left alone.
    if (!arm())
        m_notifier->setEnabled(false);
    if (clockSet)
        emit TimeChanged();
#endif
}

} // namespace tarnvik
