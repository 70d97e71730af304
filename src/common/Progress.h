#pragma once

#include <QElapsedTimer>
#include <QString>

#include <memory>

namespace tarnvik {

class ProgressTask;

// The progress of a long task, shown through the dialog service once the
// task has lasted longer than half a second: a quick task shows nothing.
class DelayedProgress {
public:
    explicit DelayedProgress(const QString &label);
    ~DelayedProgress();
    DelayedProgress(const DelayedProgress &) = delete;
    DelayedProgress &operator=(const DelayedProgress &) = delete;

    // Steps done so far out of a total; shows the progress once the delay
    // has passed.
    void setValue(int done, int total);
    // One more step done.
    void step() { setValue(m_done + 1, m_total); }
    bool shown() const { return m_task != nullptr; }

    // How long a task runs before its progress shows (tests set 0).
    static void setDelay(int milliseconds);
    static int delay();

private:
    QString m_label;
    int m_done = 0;
    int m_total = 0;
    QElapsedTimer m_timer;
    std::unique_ptr<ProgressTask> m_task;
};

} // namespace tarnvik
