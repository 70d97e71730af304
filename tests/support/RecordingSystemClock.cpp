#include "support/RecordingSystemClock.h"

namespace tarnvik::test {

RecordingSystemClock::RecordingSystemClock(int answer) : answer(answer)
{
    m_previous = setSystemTimeSetter([this](const SystemTimeRecord &record) {
        records.append(record);
        if (onSet)
            onSet(record);
        return this->answer;
    });
}

RecordingSystemClock::~RecordingSystemClock()
{
    setSystemTimeSetter(m_previous);
}

} // namespace tarnvik::test
