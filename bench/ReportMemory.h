#pragma once

namespace tarnvik::bench {

// The peak memory of a whole report run is measured in a process of its own:
// the benchmark starts this program again with the switch below and the
// name of a case, and the child runs that one report on the database of a
// million punches (totals, report, its preview window) and prints its peak
// resident size. Returns the child's exit code, or -1 when the command line
// does not ask for a child.
int runReportMemoryChild(int argc, char **argv);

constexpr const char *ReportMemorySwitch = "--report-peak-memory";

} // namespace tarnvik::bench
