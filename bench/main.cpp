#include "ReportMemory.h"

#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A child started to measure the memory of one report run.
    if (const int child = tarnvik::bench::runReportMemoryChild(argc, argv); child >= 0)
        return child;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
