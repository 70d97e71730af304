#pragma once

#include <QDateTime>

namespace tarnvik {

// The one source of "now" for the whole program. Punches, periods and every
// displayed date read it, so tests can set and advance the time of day.
class Clock {
public:
    static QDateTime now();
    static QDate today() { return now().date(); }

    // Freezes the clock at the given local moment; it moves only by advance().
    static void setFixed(const QDateTime &moment);
    static void advance(qint64 seconds);
    // Returns to the computer's clock.
    static void useSystem();
    static bool isFixed();
};

} // namespace tarnvik
