#pragma once

#include "reports/DataReport.h"

namespace tarnvik {

// Pieces shared by the two worked-time layouts.
namespace ReportLayoutParts {

ReportControl label(const QString &name, int left, int top, int width, const QString &caption = QString());
ReportControl textBox(const QString &name, int left, int top, int width, const QString &field,
                      const QString &member = QString());
ReportControl line(const QString &name, int left, int top, int width);

// The five punch columns: their captions at captionTop in the header above
// the punches, and their fields in the detail section. The columns of one
// layout are the other's moved by shift twips.
void addPunchColumns(ReportSection &header, int captionTop, ReportSection &detail, int shift);

// The page footer of both layouts: today's date at the left, "Page :" and the
// page number at the right.
void addPageFooter(ReportSection &footer, int reportWidth);

} // namespace ReportLayoutParts
} // namespace tarnvik
