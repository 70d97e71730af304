#pragma once

#include "reports/DataReport.h"

#include <memory>

namespace tarnvik {

// The worked-time report by project: for each project its sub-projects, for
// each sub-project the employees with their punches, and the totals of each
// employee, sub-project and project.
class ProjRep : public DataReport {
public:
    // The layout as designed, captions not yet set.
    ProjRep();

    // What runs when the layout is created: the captions.
    void DataReport_Initialize();
    void LOC_SetProperties();

    static std::shared_ptr<ProjRep> create();
};

} // namespace tarnvik
