#pragma once

#include "reports/DataReport.h"

#include <initializer_list>

namespace tarnvik {

// Pieces shared by the two worked-time layouts.
namespace ReportLayoutParts {

ReportControl label(const QString &name, int left, int top, int width, const QString &caption = QString());
ReportControl textBox(const QString &name, int left, int top, int width, const QString &field,
                      const QString &member = QString());
ReportControl line(const QString &name, int left, int top, int width);
// The control in bold.
ReportControl bold(ReportControl control);

// The report's title at the top left of the page header: bold, 12 points.
void addTitle(ReportSection &page, int width);

// A total line: its caption right-aligned, then the worked time in bold at
// the right of the report, both at top.
void addTotal(ReportSection &footer, const QString &box, const QString &caption, int top, int reportWidth,
              const QString &member = QString());

// Sets the captions of the named controls from the language file; a control
// the layout does not have is passed over.
struct CaptionText {
    const char *section;
    const char *control;
    int string;
};
void setCaptions(DataReport &report, std::initializer_list<CaptionText> captions);

// The five punch columns: their captions at captionTop in the header above
// the punches, and their fields in the detail section. The columns of one
// layout are the other's moved by shift twips.
void addPunchColumns(ReportSection &header, int captionTop, ReportSection &detail, int shift);

// The page footer of both layouts: today's date at the left, "Page :" and the
// page number at the right.
void addPageFooter(ReportSection &footer, int reportWidth);

} // namespace ReportLayoutParts
} // namespace tarnvik
