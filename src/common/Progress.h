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

// The progress of a task of several steps on one bar, shown through the
// dialog service once the task has lasted longer than half a second, with a
// Cancel button. Each step has its share of the bar, so the bar is full only
// when the last step ends. While the window is up, each call lets the
// program repaint (the window is modal to the whole program: nothing else
// can be done meanwhile). A cancel, by the user or through cancel(), is seen
// at the next call of at().
class StepProgress {
public:
    explicit StepProgress(const QString &label);
    ~StepProgress();
    StepProgress(const StepProgress &) = delete;
    StepProgress &operator=(const StepProgress &) = delete;

    // Begins the next step: its share of the bar (out of Scale) and what it
    // does (the task's label when empty).
    void step(int share, const QString &label = QString());
    // Done so far in the current step, out of total; false once cancelled.
    bool at(qint64 done, qint64 total);
    bool cancelled() const { return m_cancelled; }
    void cancel() { m_cancelled = true; }
    bool shown() const { return m_task != nullptr; }
    // The last chance to stop: the current step done (a Cancel clicked
    // meanwhile is taken now), then the Cancel button is disabled for what
    // follows, which cannot be undone. False when the task was cancelled.
    bool pointOfNoReturn();
    // Past the point of no return.
    bool committed() const { return m_committed; }

    static constexpr int Scale = 1000;

private:
    QString m_label;
    QString m_stepLabel;
    int m_start = 0; // where the current step begins on the bar
    int m_share = 0;
    int m_value = 0;
    bool m_cancelled = false;
    bool m_committed = false;
    QElapsedTimer m_timer;
    std::unique_ptr<ProgressTask> m_task;
};

} // namespace tarnvik
