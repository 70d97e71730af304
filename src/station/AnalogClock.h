#pragma once

#include <QPointF>
#include <QTime>

namespace tarnvik {

// The hands of the station's analog clock. Angles are in degrees, clockwise
// from 3 o'clock (the vertical axis points down, so -90 degrees is 12 o'clock).
namespace AnalogClock {

inline constexpr double HourLength = 30;
inline constexpr double MinuteLength = 40;
inline constexpr double SecondLength = 50;

double hourDegrees(const QTime &time);
double minuteDegrees(const QTime &time);
double secondDegrees(const QTime &time);

// The end point of a hand of the given length starting at the centre.
QPointF handEnd(const QPointF &centre, double degrees, double length);

struct Hands {
    QPointF hour;
    QPointF minute;
    QPointF second;
};
// The end points of the three hands at a time of day.
Hands hands(const QPointF &centre, const QTime &time);

} // namespace AnalogClock
} // namespace tarnvik
