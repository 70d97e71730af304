#pragma once

#include "reports/HierarchicalResult.h"

#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QSaveFile;

namespace tarnvik {

// Positions and sizes of a report are in twips: 1440 to the inch, 20 to the point.
namespace Twips {
constexpr int PerInch = 1440;
constexpr int PerPoint = 20;
// Width of one character column in the text rendering of a report.
constexpr int PerTextColumn = 100;
} // namespace Twips

// A label, a text box bound to a field of one level of the result, or a line.
struct ReportControl {
    enum class Kind { Label, TextBox, Line };
    enum class Format { Plain, ShortDate, Time };

    QString name;
    Kind kind = Kind::Label;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 240;
    bool Visible = true;
    // A label's text. In page headers and footers "%d" stands for today's
    // date, "%p" for the page number and "%P" for the number of pages.
    QString Caption;
    // A text box's field, and the chapter (level) it reads; the empty
    // DataMember reads the top level.
    QString DataMember;
    QString DataField;
    Format format = Format::Plain;
    bool rightAligned = false;
    bool bold = false;
    int fontSize = 8; // points

    // Where the bound field was found in the result (set with the result).
    int boundLevel = -1;
    int boundField = -1;
};

// A band of the layout: report, page and group headers and footers, and the
// detail. Group sections are named after their level: "Punch_Detail",
// "Projets_Header", "Projets_Footer".
class ReportSection {
public:
    enum class Kind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, PageFooter, ReportFooter };

    ReportSection(const QString &name, int height);

    QString name;
    Kind kind = Kind::Detail;
    QString level; // the chapter of a group or detail section
    int Height;
    bool Visible = true;
    std::vector<ReportControl> controls;

    // A control by name; nullptr when the section has none of that name.
    ReportControl *Controls(const QString &name);
    const ReportControl *Controls(const QString &name) const;
    ReportControl &add(ReportControl control);
};

// One printed occurrence of a section, with the rows of each level that it
// stands in (the current row of every level above and of its own).
struct ReportBand {
    static constexpr int MaxLevels = 6;
    int section = -1;
    std::array<const ResultRecord *, MaxLevels> records{};
};

// The report laid out on pages of one height: its bands in order, and where
// each page's bands begin. A band never spans two pages.
struct ReportPages {
    int pageHeight = 0; // twips, the page header and footer included
    std::vector<ReportBand> bands;
    std::vector<int> pageStarts; // index of each page's first band
    int pageCount() const { return int(pageStarts.size()); }
    // Bands of a page: [first, end).
    int pageEnd(int page) const
    {
        return page + 1 < pageCount() ? pageStarts[size_t(page + 1)] : int(bands.size());
    }
};

// A banded report: sections holding labels, text boxes and lines, bound to
// a hierarchical result with one group level per level of the result above
// the detail. It lays itself out on pages, renders itself as text, and
// exports that text; the GUI library paints, previews and prints it.
class DataReport {
public:
    explicit DataReport(const QString &name);
    virtual ~DataReport();
    DataReport(const DataReport &) = delete;
    DataReport &operator=(const DataReport &) = delete;

    QString name() const { return m_name; }
    // The title of the report's window.
    QString Caption;
    // Width of the printed area.
    int ReportWidth = 10080;

    std::deque<ReportSection> &sections() { return m_sections; }
    const std::deque<ReportSection> &sections() const { return m_sections; }
    // A section by name; nullptr when the layout has none of that name.
    ReportSection *Sections(const QString &name);
    const ReportSection *Sections(const QString &name) const;

    // Binds the report to a result; false (and lastError()) when a text box
    // names a field or a chapter the result does not have. An empty pointer
    // gives an empty report (its page header and footer only).
    bool setDataSource(std::shared_ptr<const HierarchicalResult> result);
    std::shared_ptr<const HierarchicalResult> DataSource() const { return m_result; }

    // The bands of the whole report on pages of the given height (twips).
    ReportPages paginate(int pageHeight) const;

    // The text a control shows in a band on a page.
    QString controlText(const ReportControl &control, const ReportBand &band, int page, int pageCount) const;

    // The whole report as plain text: the page header once, then every band
    // in order, each row of controls on one line, a character column per
    // 100 twips (a text that would run into the next one pushes it right).
    QStringList textLines() const;
    // What a file of the report is called: the kind of report and its
    // period (empty: the window's title).
    QString DocumentName;
    // A name for a file of the report: its document name (else its title,
    // else its name), without the characters file names cannot hold, and
    // the suffix.
    QString fileName(const QString &suffix) const;

    enum class ExportResult { Written, Cancelled, Failed };
    // Writes the report to a file in a format: "key_def_Text" (plain text,
    // UTF-8). With showDialog the user picks the file (fileName proposes
    // one); a file that exists is replaced only with overwrite. A file that
    // cannot be written is reported to the user in a message box. pageRange
    // 0 is the whole report (a text file has no pages).
    ExportResult ExportReport(const QString &formatKey, const QString &fileName = QString(),
                              bool overwrite = true, bool showDialog = false, int pageRange = 0);
    QString lastError() const { return m_error; }

    static constexpr const char *TextFormatKey = "key_def_Text";
    // Told the bands written out of their count while ExportReport writes;
    // returning false stops it: no file is written, the export is Cancelled.
    std::function<bool(qint64 done, qint64 total)> ExportProgress;
    // When set, ExportReport writes the whole file beside its name and
    // leaves it there: commitExport() puts it in place (what a report run
    // does once nothing can stop it), discardExport() removes it.
    bool ExportKeptAside = false;
    // Puts the file kept aside in place; false, after telling the user,
    // when it cannot be. True when there is none.
    bool commitExport();
    void discardExport();
    bool exportKeptAside() const { return m_keptAside != nullptr; }

protected:
    ReportSection &addSection(const QString &name, int height);

private:
    QStringList bandText(const ReportSection &section, const ReportBand &band) const;

    QString m_name;
    // A deque: a section added later leaves the earlier ones in place.
    std::deque<ReportSection> m_sections;
    std::shared_ptr<const HierarchicalResult> m_result;
    QString m_error;
    std::unique_ptr<QSaveFile> m_keptAside;
};

} // namespace tarnvik
