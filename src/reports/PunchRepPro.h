#pragma once

#include "reports/DataReport.h"
#include "reports/ReportSelection.h"

namespace tarnvik {

// The worked-time report by employee: for each employee his projects, for
// each project its sub-projects with their punches, and the totals of each
// sub-project and project. Its page header shows the period and which
// punches (archived, current) were counted.
class PunchRepPro : public DataReport {
public:
    // The layout as designed, captions not yet set.
    PunchRepPro();

    // What runs when the layout is created: the captions, then the period and
    // the archive choice of the selection in the page header.
    void DataReport_Initialize(const ReportSelection &selection);
    void LOC_SetProperties();

    // A layout created and initialised for a selection.
    static std::shared_ptr<PunchRepPro> create(const ReportSelection &selection);

    // The page header's caption of a period.
    static QString periodCaption(const QDate &first, const QDate &last);
};

} // namespace tarnvik
