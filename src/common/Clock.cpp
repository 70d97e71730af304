#include "common/Clock.h"

namespace tarnvik {

namespace {
bool g_fixed = false;
QDateTime g_moment;
} // namespace

QDateTime Clock::now()
{
    return g_fixed ? g_moment : QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime &moment)
{
    g_fixed = true;
    g_moment = moment;
}

void Clock::advance(qint64 seconds)
{
    if (g_fixed)
        g_moment = g_moment.addSecs(seconds);
}

void Clock::useSystem()
{
    g_fixed = false;
}

bool Clock::isFixed()
{
    return g_fixed;
}

} // namespace tarnvik
