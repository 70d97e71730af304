#include "station/TimeServers.h"

#include <QtGlobal>

namespace tarnvik {

namespace {

QStringList g_hosts;

} // namespace

QStringList timeServerList()
{
    if (!g_hosts.isEmpty())
        return g_hosts;
    QStringList hosts;
    for (const char *host : TimeServerHosts)
        hosts << QLatin1String(host);
    return hosts;
}

void setTimeServerList(const QStringList &hosts)
{
    g_hosts = hosts;
}

int defaultTimeServerIndex()
{
    return qMin(DefaultTimeServer, int(timeServerList().size()) - 1);
}

} // namespace tarnvik
