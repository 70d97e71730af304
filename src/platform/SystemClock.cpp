#include "platform/SystemClock.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <ctime>
#include <utility>

namespace tarnvik {

namespace {

SystemTimeSetter &currentSetter()
{
    static SystemTimeSetter setter;
    return setter;
}

} // namespace

int SetSystemTime(const SystemTimeRecord &record)
{
    const SystemTimeSetter &setter = currentSetter();
    return setter ? setter(record) : setSystemClock(record);
}

SystemTimeSetter setSystemTimeSetter(SystemTimeSetter setter)
{
    return std::exchange(currentSetter(), std::move(setter));
}

int setSystemClock(const SystemTimeRecord &record)
{
    const QDate date(record.year, record.month, record.day);
    const QTime time(record.hour, record.minute, record.second, record.milliseconds);
    if (!date.isValid() || !time.isValid() || record.year < 1970)
        return 0;
#if defined(Q_OS_UNIX)
    const qint64 msecs = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
    timespec value{};
    value.tv_sec = static_cast<time_t>(msecs / 1000);
    value.tv_nsec = static_cast<long>(msecs % 1000) * 1000000L;
    return clock_settime(CLOCK_REALTIME, &value) == 0 ? 1 : 0;
#else
    return 0;
#endif
}

} // namespace tarnvik
