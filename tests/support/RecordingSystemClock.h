#pragma once

#include "platform/SystemClock.h"

#include <QList>

#include <functional>

namespace tarnvik::test {

// Stands in for the setting of the system clock while it lives: records each record, runs onSet and answers
// `answer`. Puts back the setter that was in place before.
class RecordingSystemClock {
public:
    RecordingSystemClock()
        : m_previous(setSystemTimeSetter([this](const SystemTimeRecord &record) {
              records.append(record);
              if (onSet)
                  onSet(record);
              return answer;
          }))
    {
    }
    ~RecordingSystemClock() { setSystemTimeSetter(m_previous); }
    RecordingSystemClock(const RecordingSystemClock &) = delete;
    RecordingSystemClock &operator=(const RecordingSystemClock &) = delete;

    QList<SystemTimeRecord> records;
    int answer = 1;
    std::function<void(const SystemTimeRecord &)> onSet;

private:
    SystemTimeSetter m_previous;
};

} // namespace tarnvik::test
