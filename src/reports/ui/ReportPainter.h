#pragma once

#include "reports/DataReport.h"

#include <QPageSize>
#include <QPointF>
#include <QString>

#include <functional>

class QPainter;
class QPrinter;

namespace tarnvik {

// The page a report is laid out on, in twips: its size and the margins
// around the report (the report is centred across the page).
struct ReportPageGeometry {
    int pageWidth = 11906;
    int pageHeight = 16838;
    int topMargin = 720;
    int bottomMargin = 720;

    // The height left to the report's bands, page header and footer included.
    int bodyHeight() const { return pageHeight - topMargin - bottomMargin; }
    int leftMargin(const DataReport &report) const { return qMax(0, (pageWidth - report.ReportWidth) / 2); }

    static ReportPageGeometry forPageSize(const QPageSize &size);
    // A4, or US Letter where the locale measures in inches.
    static QPageSize defaultPageSize();
};

// Draws reports with QPainter: on screen, into PDF files and on printers.
namespace ReportPainter {

// Paints one page (0-based) of a laid-out report; scale is device pixels per
// twip and origin the device position of the page's top left corner.
void paintPage(QPainter &painter, const DataReport &report, const ReportPages &pages, int page,
               const ReportPageGeometry &geometry, double scale, QPointF origin = QPointF());

// Writes the whole report as a PDF document of the default page size; false
// (and the reason) when the file cannot be written. The document goes under
// its name only once complete: a failure, or a stop through progress (told
// the pages done out of their count; false stops, with no reason), leaves
// no file and an earlier file of that name as it was.
bool writePdf(const DataReport &report, const QString &path, QString *error,
              const std::function<bool(int done, int total)> &progress = {});

// Prints the pages from first to last (1-based; 0 and 0 for all) on a printer
// that has been set up; false when printing could not begin.
bool print(const DataReport &report, QPrinter &printer, int first = 0, int last = 0);

} // namespace ReportPainter
} // namespace tarnvik
