#include "reports/ui/ReportPainter.h"

#include "common/StationFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRawFont>
#include <QSaveFile>
#include <QTextLayout>

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

// A text laid out once in a font: a report shows the same captions, totals
// and dates over and over, and laying text out is most of the cost of
// drawing a page.
struct LaidOutText {
    QList<QGlyphRun> runs;
    qreal width = 0;
};

// The texts laid out in one font.
struct FontTexts {
    QFont font;
    QHash<QString, LaidOutText> texts;
};

const LaidOutText &laidOut(const QString &text, int pixelSize, bool bold)
{
    static QHash<int, FontTexts> fonts; // pixel size * 2 + bold
    const int key = pixelSize * 2 + (bold ? 1 : 0);
    auto font = fonts.find(key);
    if (font == fonts.end()) {
        FontTexts made;
        made.font = QFont(QStringLiteral("DejaVu Sans"));
        made.font.setStyleHint(QFont::SansSerif);
        made.font.setPixelSize(pixelSize);
        made.font.setBold(bold);
        font = fonts.insert(key, made);
    }
    QHash<QString, LaidOutText> &texts = font->texts;
    const auto found = texts.constFind(text);
    if (found != texts.constEnd())
        return *found;
    if (texts.size() > 50000)
        texts.clear();
    QTextLayout layout(text, font->font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    LaidOutText laid;
    laid.runs = layout.glyphRuns();
    // Glyphs on whole device pixels: invisible on a page at printer
    // resolution, and the PDF writes whole numbers, far shorter to store.
    for (QGlyphRun &run : laid.runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF &p : positions)
            p = QPointF(std::round(p.x()), std::round(p.y()));
        run.setPositions(positions);
    }
    laid.width = line.isValid() ? line.naturalTextWidth() : 0;
    return *texts.insert(text, laid);
}

// The glyphs of a page gathered by font and drawn together at the end: one
// text object per font and page costs far less than one per text.
class GlyphBatch {
public:
    explicit GlyphBatch(QPainter &painter) : m_painter(painter) {}
    ~GlyphBatch() { flush(); }
    void add(const QGlyphRun &run, QPointF at)
    {
        Pending *target = nullptr;
        for (Pending &p : m_pending) {
            if (p.font == run.rawFont())
                target = &p;
        }
        if (!target) {
            m_pending.push_back(Pending{run.rawFont(), {}, {}});
            target = &m_pending.back();
        }
        target->glyphs += run.glyphIndexes();
        for (const QPointF &p : run.positions())
            target->positions << p + at;
    }
    void flush()
    {
        for (const Pending &p : m_pending) {
            QGlyphRun run;
            run.setRawFont(p.font);
            run.setGlyphIndexes(p.glyphs);
            run.setPositions(p.positions);
            m_painter.drawGlyphRun(QPointF(0, 0), run);
        }
        m_pending.clear();
    }

private:
    struct Pending {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    QPainter &m_painter;
    std::vector<Pending> m_pending;
};

void paintSection(QPainter &painter, GlyphBatch &batch, const DataReport &report,
                  const ReportSection &section, const ReportBand &band, int page, int pageCount, double scale,
                  QPointF at)
{
    for (const ReportControl &c : section.controls) {
        if (!c.Visible)
            continue;
        const QRectF box(at.x() + c.Left * scale, at.y() + c.Top * scale, c.Width * scale,
                         qMax(c.Height, c.fontSize * Twips::PerPoint * 3 / 2) * scale);
        if (c.kind == ReportControl::Kind::Line) {
            painter.drawLine(QPointF(box.left(), box.top()), QPointF(box.right(), box.top()));
            continue;
        }
        const QString text = report.controlText(c, band, page, pageCount);
        if (text.isEmpty())
            continue;
        const int pixelSize = qMax(1, int(std::lround(c.fontSize * Twips::PerPoint * scale)));
        const LaidOutText *fitted = &laidOut(text, pixelSize, c.bold);
        // A text a little too wide for its box is written smaller (down to
        // three quarters of its size) rather than cut.
        if (fitted->width > box.width() && fitted->width > 0) {
            const int smaller = int(pixelSize * box.width() / fitted->width);
            if (smaller >= pixelSize * 3 / 4 && smaller < pixelSize)
                fitted = &laidOut(text, smaller, c.bold);
        }
        const LaidOutText &laid = *fitted;
        const QPointF topLeft(std::round(c.rightAligned ? box.right() - laid.width : box.left()),
                              std::round(box.top()));
        // A text wider than its box is cut at the box's edges.
        if (laid.width > box.width()) {
            painter.save();
            painter.setClipRect(box, Qt::IntersectClip);
            for (const QGlyphRun &run : laid.runs)
                painter.drawGlyphRun(topLeft, run);
            painter.restore();
            continue;
        }
        for (const QGlyphRun &run : laid.runs)
            batch.add(run, topLeft);
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
    QPen pen(Qt::black);
    pen.setWidthF(qMax(1.0, 15 * scale));
    painter.setPen(pen);
    GlyphBatch batch(painter);
    if (const ReportSection *header = report.Sections(QStringLiteral("PageHeader"));
        header && header->Visible) {
        paintSection(painter, batch, report, *header, none, page, count, scale, QPointF(left, y));
        y += header->Height * scale;
    }
    for (int i = pages.pageStarts[size_t(page)]; i < pages.pageEnd(page); ++i) {
        const ReportBand &band = pages.bands[size_t(i)];
        const ReportSection &section = report.sections()[size_t(band.section)];
        paintSection(painter, batch, report, section, band, page, count, scale, QPointF(left, y));
        y += section.Height * scale;
    }
    if (const ReportSection *footer = report.Sections(QStringLiteral("PageFooter"));
        footer && footer->Visible) {
        const double top =
            origin.y() + (geometry.pageHeight - geometry.bottomMargin - footer->Height) * scale;
        paintSection(painter, batch, report, *footer, none, page, count, scale, QPointF(left, top));
    }
    batch.flush();
    painter.restore();
}

bool writePdf(const DataReport &report, const QString &path, QString *error,
              const std::function<bool(int done, int total)> &progress)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    // The station's own files are never written over.
    if (const QString own = StationFiles::refusal(path); !own.isEmpty())
        return fail(own);
    const QPageSize size = ReportPageGeometry::defaultPageSize();
    const ReportPageGeometry geometry = ReportPageGeometry::forPageSize(size);
    const ReportPages pages = report.paginate(geometry.bodyHeight());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    bool stopped = false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(size);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        // Positions on a 1/300 inch grid: finer than the eye sees, and short to store.
        writer.setResolution(300);
        writer.setTitle(report.Caption);
        writer.setCreator(QCoreApplication::applicationName());
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return fail(QStringLiteral("the PDF document cannot be started"));
        }
        const double scale = writer.resolution() / double(Twips::PerInch);
        for (int page = 0; page < pages.pageCount() && !stopped; ++page) {
            if (progress && !progress(page, pages.pageCount())) {
                stopped = true;
                break;
            }
            if (page > 0)
                writer.newPage();
            paintPage(painter, report, pages, page, geometry, scale);
        }
        if (!painter.end() && !stopped) {
            file.cancelWriting();
            return fail(QStringLiteral("the PDF document cannot be written"));
        }
    }
    // The last chance to stop, the document written: a Cancel clicked
    // meanwhile is taken now, and nothing is left.
    if (!stopped && progress && !progress(pages.pageCount(), pages.pageCount()))
        stopped = true;
    if (stopped) {
        file.cancelWriting();
        file.commit(); // discards what was written
        return fail(QString());
    }
    if (!file.commit())
        return fail(file.errorString());
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
