#include "reports/ui/ReportPreview.h"

#include "common/Dialogs.h"
#include "common/Progress.h"
#include "common/StationFiles.h"
#include "localisation/LOCRTSModule.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace tarnvik {

namespace {

constexpr int PageGap = 16; // pixels of grey around the page

QToolButton *toolButton(QWidget *parent, const QString &text, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(true);
    return b;
}

} // namespace

ReportPageView::ReportPageView(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(p);
}

double ReportPageView::scale() const
{
    return m_zoom * logicalDpiX() / double(Twips::PerInch);
}

void ReportPageView::showPage(const DataReport *report, const ReportPages *pages,
                              const ReportPageGeometry &geometry, int page, double zoom)
{
    m_report = report;
    m_pages = pages;
    m_geometry = geometry;
    m_page = page;
    m_zoom = zoom;
    resize(sizeHint());
    update();
}

QSize ReportPageView::sizeHint() const
{
    const double s = scale();
    return QSize(int(std::ceil(m_geometry.pageWidth * s)) + 2 * PageGap,
                 int(std::ceil(m_geometry.pageHeight * s)) + 2 * PageGap);
}

void ReportPageView::paintEvent(QPaintEvent *)
{
    if (!m_report || !m_pages)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double s = scale();
    const QRectF sheet(PageGap, PageGap, m_geometry.pageWidth * s, m_geometry.pageHeight * s);
    painter.fillRect(sheet.translated(3, 3), QColor(80, 80, 80));
    painter.fillRect(sheet, Qt::white);
    ReportPainter::paintPage(painter, *m_report, *m_pages, m_page, m_geometry, s, sheet.topLeft());
}

ReportPreview::ReportPreview(std::shared_ptr<DataReport> report, QWidget *owner)
    : QDialog(owner), m_report(std::move(report))
{
    setObjectName(m_report->name());
    setWindowTitle(m_report->Caption);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_geometry = ReportPageGeometry::forPageSize(ReportPageGeometry::defaultPageSize());
    m_pages = m_report->paginate(m_geometry.bodyHeight());

    auto *bar = new QHBoxLayout;
    cmdFirst = toolButton(this, QStringLiteral("|◀"), LOC_RTString(1860));
    cmdPrevious = toolButton(this, QStringLiteral("◀"), LOC_RTString(1862));
    lblPage = new QLabel(this);
    // As wide as the widest counter from the start, so that the bar never shifts.
    lblPage->setFixedWidth(lblPage->fontMetrics().horizontalAdvance(
                               QStringLiteral("%1 / %1").arg(qMax(10, pageCount()) * 10 - 1)) +
                           12);
    lblPage->setAlignment(Qt::AlignCenter);
    cmdNext = toolButton(this, QStringLiteral("▶"), LOC_RTString(1864));
    cmdLast = toolButton(this, QStringLiteral("▶|"), LOC_RTString(1866));
    cboZoom = new QComboBox(this);
    cboZoom->addItem(LOC_RTString(1874), WholePage);
    for (int percent : {50, 75, 100, 150, 200})
        cboZoom->addItem(QStringLiteral("%1 %").arg(percent), percent);
    cmdPrint = toolButton(this, LOC_RTString(1868), LOC_RTString(1868));
    cmdPdf = toolButton(this, LOC_RTString(1870), LOC_RTString(1870));
    cmdExport = toolButton(this, LOC_RTString(1872), LOC_RTString(1872));
    for (QWidget *w :
         std::initializer_list<QWidget *>{cmdFirst, cmdPrevious, lblPage, cmdNext, cmdLast, cboZoom})
        bar->addWidget(w);
    bar->addSpacing(20);
    bar->addWidget(cmdPrint);
    bar->addWidget(cmdPdf);
    bar->addWidget(cmdExport);
    bar->addStretch();

    scroller = new QScrollArea(this);
    scroller->setBackgroundRole(QPalette::Dark);
    scroller->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    pageView = new ReportPageView;
    scroller->setWidget(pageView);
    scroller->setWidgetResizable(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(scroller, 1);

    connect(cmdFirst, &QToolButton::clicked, this, [this] { setPage(0); });
    connect(cmdPrevious, &QToolButton::clicked, this, [this] { setPage(m_page - 1); });
    connect(cmdNext, &QToolButton::clicked, this, [this] { setPage(m_page + 1); });
    connect(cmdLast, &QToolButton::clicked, this, [this] { setPage(pageCount() - 1); });
    connect(cboZoom, &QComboBox::activated, this,
            [this](int index) { setZoom(cboZoom->itemData(index).toInt()); });
    connect(cmdPrint, &QToolButton::clicked, this, &ReportPreview::printReport);
    connect(cmdPdf, &QToolButton::clicked, this, &ReportPreview::savePdf);
    connect(cmdExport, &QToolButton::clicked, this, &ReportPreview::exportText);

    // Wide enough for a whole page width at 100 %, as high as the screen allows.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int width = int(m_geometry.pageWidth * logicalDpiX() / double(Twips::PerInch)) + 2 * PageGap + 40;
    resize(qMin(width, screen.width()), qMin(screen.height() - 40, 1000));
    setZoom(100);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

ReportPreview::~ReportPreview() = default;

double ReportPreview::zoomFactor() const
{
    if (m_zoom != WholePage)
        return m_zoom / 100.0;
    const QSize room = scroller->viewport()->size() - QSize(2 * PageGap, 2 * PageGap);
    const double dpi = logicalDpiX() / double(Twips::PerInch);
    const double across = room.width() / (m_geometry.pageWidth * dpi);
    const double down = room.height() / (m_geometry.pageHeight * dpi);
    return qMax(0.05, qMin(across, down));
}

void ReportPreview::refresh()
{
    const int count = pageCount();
    lblPage->setText(QStringLiteral("%1 / %2").arg(m_page + 1).arg(count));
    cmdFirst->setEnabled(m_page > 0);
    cmdPrevious->setEnabled(m_page > 0);
    cmdNext->setEnabled(m_page + 1 < count);
    cmdLast->setEnabled(m_page + 1 < count);
    cboZoom->setCurrentIndex(cboZoom->findData(m_zoom));
    pageView->showPage(m_report.get(), &m_pages, m_geometry, m_page, zoomFactor());
}

void ReportPreview::setPage(int page)
{
    m_page = qBound(0, page, pageCount() - 1);
    refresh();
    scroller->verticalScrollBar()->setValue(0);
}

void ReportPreview::setZoom(int percent)
{
    m_zoom = percent;
    refresh();
}

bool ReportPreview::turnPage(int key)
{
    switch (key) {
    case Qt::Key_PageDown:
        setPage(m_page + 1);
        return true;
    case Qt::Key_PageUp:
        setPage(m_page - 1);
        return true;
    case Qt::Key_Home:
        setPage(0);
        return true;
    case Qt::Key_End:
        setPage(pageCount() - 1);
        return true;
    default:
        return false;
    }
}

void ReportPreview::keyPressEvent(QKeyEvent *event)
{
    if (!turnPage(event->key()))
        QDialog::keyPressEvent(event);
}

bool ReportPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool pageKey = key->modifiers() == Qt::NoModifier &&
                             (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp ||
                              key->key() == Qt::Key_Home || key->key() == Qt::Key_End);
        if (pageKey) {
            if (event->type() == QEvent::KeyPress)
                turnPage(key->key());
            event->accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_zoom == WholePage)
        refresh();
}

void ReportPreview::savePdf()
{
    const QString path = Dialogs().saveFileName(
        LOC_RTString(1870), m_report->fileName(QStringLiteral(".pdf")), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    Dialogs().setBusyCursor(true);
    // A long save shows its progress and may be cancelled: then no file is left.
    const std::shared_ptr<DataReport> report = m_report; // kept should the window go meanwhile
    bool written = false;
    {
        StepProgress progress(LOC_RTString(2204));
        progress.step(StepProgress::Scale);
        written = ReportPainter::writePdf(
            *report, path, &error, [&progress](int done, int total) { return progress.at(done, total); });
    }
    Dialogs().setBusyCursor(false);
    if (!written && !error.isEmpty())
        MsgBox(LOC_RTString(1876).arg(QDir::toNativeSeparators(path), error), MsgStyle::Exclamation);
}

void ReportPreview::exportText()
{
    // A long export shows its progress and may be cancelled: then no file is left.
    StepProgress progress(LOC_RTString(2206));
    progress.step(StepProgress::Scale);
    m_report->ExportProgress = [&progress](qint64 done, qint64 total) { return progress.at(done, total); };
    m_report->ExportReport(QLatin1String(DataReport::TextFormatKey), QString(), true, true, 0);
    m_report->ExportProgress = nullptr;
}

void ReportPreview::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(ReportPageGeometry::defaultPageSize());
    printer.setFromTo(1, pageCount());
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    // Printing goes to a printer: a file is saved with "Save as PDF", which
    // keeps the station's own files. The print dialog's own file choice
    // would write anywhere, and its file dialog could rename and delete.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const QString own = StationFiles::refusal(printer.outputFileName()); !own.isEmpty()) {
        MsgBox(LOC_RTString(1876).arg(QDir::toNativeSeparators(printer.outputFileName()), own),
               MsgStyle::Exclamation);
        return;
    }
    const bool range = printer.printRange() == QPrinter::PageRange;
    ReportPainter::print(*m_report, printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
}

ReportPreview *ShowReport(const std::shared_ptr<DataReport> &report, int modality, QWidget *owner)
{
    if (modality == 1) {
        ReportPreview preview(report, owner);
        preview.setWindowModality(Qt::ApplicationModal);
        preview.exec();
        return nullptr;
    }
    auto *preview = new ReportPreview(report, owner);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setModal(false);
    preview->show();
    return preview;
}

} // namespace tarnvik
