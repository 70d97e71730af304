#include "common/Progress.h"

#include "common/Dialogs.h"

namespace tarnvik {

namespace {
int g_delayMs = 500;
}

DelayedProgress::DelayedProgress(const QString &label) : m_label(label)
{
    m_timer.start();
}

DelayedProgress::~DelayedProgress() = default;

void DelayedProgress::setValue(int done, int total)
{
    m_done = done;
    if (m_task && total != m_total)
        m_task.reset(); // started again with the new total
    m_total = total;
    if (!m_task && m_timer.elapsed() >= g_delayMs)
        m_task = Dialogs().startProgress(m_label, m_total);
    if (m_task)
        m_task->setValue(done);
}

void DelayedProgress::setDelay(int milliseconds)
{
    g_delayMs = milliseconds;
}

int DelayedProgress::delay()
{
    return g_delayMs;
}

StepProgress::StepProgress(const QString &label) : m_label(label), m_stepLabel(label)
{
    m_timer.start();
}

StepProgress::~StepProgress() = default;

void StepProgress::step(int share, const QString &label)
{
    m_start = m_value = qMin(Scale, m_start + m_share);
    m_share = qBound(0, share, Scale - m_start);
    m_stepLabel = label.isEmpty() ? m_label : label;
    if (m_task)
        m_task->setLabel(m_stepLabel);
}

bool StepProgress::at(qint64 done, qint64 total)
{
    if (m_cancelled)
        return false;
    if (m_committed)
        return true;
    const qint64 part = total > 0 ? qBound<qint64>(0, done, total) * m_share / total : 0;
    m_value = qMax(m_value, m_start + int(part));
    if (!m_task && m_timer.elapsed() >= DelayedProgress::delay())
        m_task = Dialogs().startProgress(m_stepLabel, Scale, true);
    if (m_task) {
        m_task->setValue(m_value);
        m_cancelled = m_task->cancelled();
    }
    return !m_cancelled;
}

bool StepProgress::pointOfNoReturn()
{
    if (m_committed)
        return !m_cancelled;
    if (!at(1, 1))
        return false;
    m_committed = true;
    if (m_task)
        m_task->disableCancel();
    return true;
}

} // namespace tarnvik
