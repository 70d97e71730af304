#pragma once

#include <QtGlobal>

#include <functional>

namespace tarnvik {

// A moment of the system clock in UTC, field by field, as the clock is set
// from it. The day of the week is not used to set the clock.
struct SystemTimeRecord {
    quint16 year = 0;
    quint16 month = 0;
    quint16 dayOfWeek = 0;
    quint16 day = 0;
    quint16 hour = 0;
    quint16 minute = 0;
    quint16 second = 0;
    quint16 milliseconds = 0;
};

// Sets the system clock to the UTC moment of the record. Answers 0 when the
// clock was not set: an invalid record, or the system refused (the process
// has no right to set the clock); any other value on success.
int SetSystemTime(const SystemTimeRecord &record);

// What SetSystemTime calls. Tests put a recorder in place so that the clock of
// the machine is never touched; an empty function stands for the system's.
// Returns the setter that was in place.
using SystemTimeSetter = std::function<int(const SystemTimeRecord &)>;
SystemTimeSetter setSystemTimeSetter(SystemTimeSetter setter);

// The system's own setter (clock_settime on the real-time clock).
int setSystemClock(const SystemTimeRecord &record);

} // namespace tarnvik
