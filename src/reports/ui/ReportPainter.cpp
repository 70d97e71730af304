#include "reports/ui/ReportPainter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cmath>

namespace tarnvik {

ReportPageGeometry ReportPageGeometry::forPageSize(const QPageSize &size)
{
    ReportPageGeometry g;
    const QSizeF points = size.size(QPageSize::Point);
    g.pageWidth = int(std::lround(points.width() * Twips::PerPoint));
    g.pageHeight = int(std::lround(points.height() * Twips::PerPoint));
    return g;
}

QPageSize ReportPageGeometry::defaultPageSize()
{
    return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                               : QPageSize::A4);
}

namespace ReportPainter {

namespace {

void paintSection(QPainter &painter, const DataReport &report, const ReportSection &section,
                  const ReportBand &band, int page, int pageCount, double scale, QPointF at)
{
    for (const ReportControl &c : section.controls) {
        if (!c.Visible)
            continue;
        const QRectF box(at.x() + c.Left * scale, at.y() + c.Top * scale, c.Width * scale,
                         qMax(c.Height, c.fontSize * Twips::PerPoint * 3 / 2) * scale);
        if (c.kind == ReportControl::Kind::Line) {
            QPen pen(Qt::black);
            pen.setWidthF(qMax(1.0, 15 * scale));
            painter.setPen(pen);
            painter.drawLine(QPointF(box.left(), box.top()), QPointF(box.right(), box.top()));
            continue;
        }
        const QString text = report.controlText(c, band, page, pageCount);
        if (text.isEmpty())
            continue;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(qMax(1, int(std::lround(c.fontSize * Twips::PerPoint * scale))));
        font.setBold(c.bold);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(box, int(c.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine,
                         text);
    }
}

} // namespace

void paintPage(QPainter &painter, const DataReport &report, const ReportPages &pages, int page,
               const ReportPageGeometry &geometry, double scale, QPointF origin)
{
    if (page < 0 || page >= pages.pageCount())
        return;
    const ReportBand none;
    const int count = pages.pageCount();
    const double left = origin.x() + geometry.leftMargin(report) * scale;
    double y = origin.y() + geometry.topMargin * scale;
    painter.save();
    if (const ReportSection *header = report.Sections(QStringLiteral("PageHeader")); header && header->Visible) {
        paintSection(painter, report, *header, none, page, count, scale, QPointF(left, y));
        y += header->Height * scale;
    }
    for (int i = pages.pageStarts[size_t(page)]; i < pages.pageEnd(page); ++i) {
        const ReportBand &band = pages.bands[size_t(i)];
        const ReportSection &section = report.sections()[size_t(band.section)];
        paintSection(painter, report, section, band, page, count, scale, QPointF(left, y));
        y += section.Height * scale;
    }
    if (const ReportSection *footer = report.Sections(QStringLiteral("PageFooter")); footer && footer->Visible) {
        const double top = origin.y() + (geometry.pageHeight - geometry.bottomMargin - footer->Height) * scale;
        paintSection(painter, report, *footer, none, page, count, scale, QPointF(left, top));
    }
    painter.restore();
}

bool writePdf(const DataReport &report, const QString &path, QString *error)
{
    const QPageSize size = ReportPageGeometry::defaultPageSize();
    const ReportPageGeometry geometry = ReportPageGeometry::forPageSize(size);
    const ReportPages pages = report.paginate(geometry.bodyHeight());
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error)
                *error = probe.errorString();
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setPageSize(size);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(report.Caption);
    writer.setCreator(QCoreApplication::applicationName());
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error)
            *error = QStringLiteral("the PDF document cannot be started");
        return false;
    }
    const double scale = writer.resolution() / double(Twips::PerInch);
    for (int page = 0; page < pages.pageCount(); ++page) {
        if (page > 0)
            writer.newPage();
        paintPage(painter, report, pages, page, geometry, scale);
    }
    if (!painter.end() || QFileInfo(path).size() == 0) {
        if (error)
            *error = QStringLiteral("the PDF document cannot be written");
        return false;
    }
    return true;
}

bool print(const DataReport &report, QPrinter &printer, int first, int last)
{
    printer.setFullPage(true);
    printer.setDocName(report.Caption);
    // The page as the printer holds it, turned when printing across.
    const QRectF full = printer.pageLayout().fullRectPoints();
    ReportPageGeometry geometry;
    geometry.pageWidth = int(std::lround(full.width() * Twips::PerPoint));
    geometry.pageHeight = int(std::lround(full.height() * Twips::PerPoint));
    const ReportPages pages = report.paginate(geometry.bodyHeight());
    if (first <= 0)
        first = 1;
    if (last <= 0 || last > pages.pageCount())
        last = pages.pageCount();
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = printer.resolution() / double(Twips::PerInch);
    for (int page = first - 1; page < last; ++page) {
        if (page > first - 1)
            printer.newPage();
        paintPage(painter, report, pages, page, geometry, scale);
    }
    return painter.end();
}

} // namespace ReportPainter
} // namespace tarnvik
