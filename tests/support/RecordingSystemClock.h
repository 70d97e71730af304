#pragma once

#include "platform/SystemClock.h"

#include <QList>

#include <functional>

namespace tarnvik::test {

// Stands in for the setting of the system clock while it lives: records each
// record and answers `answer`; onSet runs after each recording. Puts back the
// setter that was in place before.
class RecordingSystemClock {
public:
    explicit RecordingSystemClock(int answer = 1);
    ~RecordingSystemClock();
    RecordingSystemClock(const RecordingSystemClock &) = delete;
    RecordingSystemClock &operator=(const RecordingSystemClock &) = delete;

    QList<SystemTimeRecord> records;
    int answer;
    std::function<void(const SystemTimeRecord &)> onSet;

private:
    SystemTimeSetter m_previous;
};

} // namespace tarnvik::test
