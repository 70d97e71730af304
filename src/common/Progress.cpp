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

} // namespace tarnvik
