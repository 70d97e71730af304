#pragma once

#include "reports/DataReport.h"
#include "reports/ui/ReportPainter.h"

#include <QDialog>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;

namespace tarnvik {

// The page of a report shown at a zoom, on a grey background.
class ReportPageView : public QWidget {
    Q_OBJECT
public:
    explicit ReportPageView(QWidget *parent = nullptr);
    void showPage(const DataReport *report, const ReportPages *pages, const ReportPageGeometry &geometry,
                  int page, double zoom);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double scale() const;
    const DataReport *m_report = nullptr;
    const ReportPages *m_pages = nullptr;
    ReportPageGeometry m_geometry;
    int m_page = 0;
    double m_zoom = 1.0;
};

// The window that shows a report: one page at a time with page navigation
// (also Page Up, Page Down, Home and End), the zoom, printing through the
// system's print dialog, saving as PDF and exporting as text.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(std::shared_ptr<DataReport> report, QWidget *owner = nullptr);
    ~ReportPreview() override;

    // Zoom choices: the whole page, then percentages.
    static constexpr int WholePage = 0;

    int page() const { return m_page; }
    int pageCount() const { return m_pages.pageCount(); }
    void setPage(int page);
    // A percentage, or WholePage.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    const DataReport &report() const { return *m_report; }
    const ReportPages &pages() const { return m_pages; }

    void savePdf();
    void printReport();
    void exportText();

    // Controls.
    QToolButton *cmdFirst = nullptr;
    QToolButton *cmdPrevious = nullptr;
    QLabel *lblPage = nullptr;
    QToolButton *cmdNext = nullptr;
    QToolButton *cmdLast = nullptr;
    QComboBox *cboZoom = nullptr;
    QToolButton *cmdPrint = nullptr;
    QToolButton *cmdPdf = nullptr;
    QToolButton *cmdExport = nullptr;
    QScrollArea *scroller = nullptr;
    ReportPageView *pageView = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Page Up, Page Down, Home and End turn the pages wherever the focus is
    // in the window (the zoom box and the page area would take them).
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();
    double zoomFactor() const;
    bool turnPage(int key);

    std::shared_ptr<DataReport> m_report;
    ReportPageGeometry m_geometry;
    ReportPages m_pages;
    int m_page = 0;
    int m_zoom = 100;
};

// Shows a report in a preview window. Modal (modality 1): owned by owner, it
// returns once the user has closed the window. Otherwise the window opens on
// its own and the call returns at once; the window deletes itself when
// closed. Returns that window; nullptr for a modal one (gone once closed).
ReportPreview *ShowReport(const std::shared_ptr<DataReport> &report, int modality, QWidget *owner = nullptr);

} // namespace tarnvik
