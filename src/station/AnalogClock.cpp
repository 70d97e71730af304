#include "station/AnalogClock.h"

#include <cmath>

namespace tarnvik::AnalogClock {

namespace {
// The hour, minute and second are taken as single-precision numbers, and pi
// to five decimals, so the hands land on the same points as the station's
// clock always has.
constexpr double kRadiansPerDegree = 3.14159 / 180;
} // namespace

double hourDegrees(const QTime &time)
{
    const float h = float(time.hour());
    const float m = float(time.minute());
    return double(30.0f * (h + m / 60.0f) - 90.0f);
}

double minuteDegrees(const QTime &time)
{
    return double(6.0f * float(time.minute()) - 90.0f);
}

double secondDegrees(const QTime &time)
{
    return double(6.0f * float(time.second()) - 90.0f);
}

QPointF handEnd(const QPointF &centre, double degrees, double length)
{
    const double a = kRadiansPerDegree * degrees;
    return {centre.x() + length * std::cos(a), centre.y() + length * std::sin(a)};
}

Hands hands(const QPointF &centre, const QTime &time)
{
    return {handEnd(centre, hourDegrees(time), HourLength),
            handEnd(centre, minuteDegrees(time), MinuteLength),
            handEnd(centre, secondDegrees(time), SecondLength)};
}

} // namespace tarnvik::AnalogClock
