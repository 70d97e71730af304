#pragma once

#include <QStringList>

#include <array>

namespace tarnvik {

// Public servers answering the TIME protocol (RFC 868) on TCP port 37: the
// time servers of the US National Institute of Standards and Technology.
// The station offers them in this order and asks the sixth by default, the
// name that spreads its clients over all of them.
inline constexpr std::array<const char *, 17> TimeServerHosts = {
    "time-a-g.nist.gov",    "time-b-g.nist.gov",   "time-c-g.nist.gov",   "time-d-g.nist.gov",
    "time-e-g.nist.gov",    "time.nist.gov",       "time-a-wwv.nist.gov", "time-b-wwv.nist.gov",
    "time-c-wwv.nist.gov",  "time-d-wwv.nist.gov", "time-e-wwv.nist.gov", "time-a-b.nist.gov",
    "time-b-b.nist.gov",    "time-c-b.nist.gov",   "time-d-b.nist.gov",   "time-e-b.nist.gov",
    "utcnist.colorado.edu",
};

inline constexpr int DefaultTimeServer = 5;

// The host names the main window offers, in order: TimeServerHosts unless
// another list was set.
QStringList timeServerList();
// Sets the list offered; the tests give only this machine's address, so that
// no query of theirs leaves it. An empty list brings the public servers back.
void setTimeServerList(const QStringList &hosts);
// The entry selected at start: DefaultTimeServer, or the last of a shorter list.
int defaultTimeServerIndex();

} // namespace tarnvik
