#include "reports/DataReport.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/StationFiles.h"
#include "localisation/LOCRTSModule.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <limits>
#include <map>

namespace tarnvik {

namespace {

ReportSection::Kind kindOf(const QString &name, QString *level)
{
    level->clear();
    if (name == QLatin1String("ReportHeader"))
        return ReportSection::Kind::ReportHeader;
    if (name == QLatin1String("PageHeader"))
        return ReportSection::Kind::PageHeader;
    if (name == QLatin1String("PageFooter"))
        return ReportSection::Kind::PageFooter;
    if (name == QLatin1String("ReportFooter"))
        return ReportSection::Kind::ReportFooter;
    const qsizetype cut = name.lastIndexOf(QLatin1Char('_'));
    *level = name.left(cut);
    const QString part = name.mid(cut + 1);
    if (part == QLatin1String("Header"))
        return ReportSection::Kind::GroupHeader;
    if (part == QLatin1String("Footer"))
        return ReportSection::Kind::GroupFooter;
    return ReportSection::Kind::Detail;
}

// The date that "%d" shows: the station's short date.
QString todayText()
{
    return formatDate(Clock::today(), QString::fromLatin1(DatePattern::Short));
}

QString fieldText(const QVariant &value, ReportControl::Format format)
{
    if (value.isNull())
        return QString();
    switch (format) {
    // The station's short date and time of day ("dd/mm/yyyy", "hh:mm:ss am/pm"),
    // written directly: a report writes thousands of them.
    case ReportControl::Format::ShortDate: {
        const QDate date = dateFromStored(value);
        return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : value.toString();
    }
    case ReportControl::Format::Time: {
        const QTime time = timeFromStored(value);
        return time.isValid() ? time.toString(QStringLiteral("hh:mm:ss ap")) : value.toString();
    }
    case ReportControl::Format::Plain:
        break;
    }
    return value.toString();
}

} // namespace

ReportSection::ReportSection(const QString &sectionName, int height) : name(sectionName), Height(height)
{
    kind = kindOf(sectionName, &level);
}

ReportControl *ReportSection::Controls(const QString &controlName)
{
    for (ReportControl &c : controls) {
        if (c.name == controlName)
            return &c;
    }
    return nullptr;
}

const ReportControl *ReportSection::Controls(const QString &controlName) const
{
    return const_cast<ReportSection *>(this)->Controls(controlName);
}

ReportControl &ReportSection::add(ReportControl control)
{
    controls.push_back(std::move(control));
    return controls.back();
}

DataReport::DataReport(const QString &name) : m_name(name) {}

DataReport::~DataReport()
{
    discardExport();
}

ReportSection &DataReport::addSection(const QString &name, int height)
{
    m_sections.emplace_back(name, height);
    return m_sections.back();
}

ReportSection *DataReport::Sections(const QString &name)
{
    for (ReportSection &s : m_sections) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

const ReportSection *DataReport::Sections(const QString &name) const
{
    return const_cast<DataReport *>(this)->Sections(name);
}

bool DataReport::setDataSource(std::shared_ptr<const HierarchicalResult> result)
{
    m_result = std::move(result);
    if (m_result && m_result->levels().size() > ReportBand::MaxLevels) {
        m_error = QStringLiteral("the result has more levels than a report can show");
        m_result.reset();
        return false;
    }
    for (ReportSection &section : m_sections) {
        for (ReportControl &c : section.controls) {
            c.boundLevel = c.boundField = -1;
            if (c.kind != ReportControl::Kind::TextBox || !m_result)
                continue;
            c.boundLevel = m_result->levelOf(c.DataMember);
            c.boundField = m_result->fieldIndex(c.boundLevel, c.DataField);
            if (c.boundLevel < 0 || c.boundField < 0) {
                m_error = QStringLiteral("the field %1 of the text box %2 is not in the data")
                              .arg(c.DataMember.isEmpty() ? c.DataField : c.DataMember + u'.' + c.DataField,
                                   c.name);
                return false;
            }
        }
    }
    return true;
}

ReportPages DataReport::paginate(int pageHeight) const
{
    ReportPages pages;
    pages.pageHeight = pageHeight;
    int pageHeader = 0, pageFooter = 0;
    int reportHeader = -1, reportFooter = -1;
    std::map<int, int> headerOf, footerOf; // level -> section
    int detail = -1, detailLevel = -1;
    const int levels = m_result ? int(m_result->levels().size()) : 0;
    for (int i = 0; i < int(m_sections.size()); ++i) {
        const ReportSection &s = m_sections[size_t(i)];
        const int level = m_result ? m_result->levelOf(s.level) : -1;
        switch (s.kind) {
        case ReportSection::Kind::PageHeader:
            pageHeader = s.Visible ? s.Height : 0;
            break;
        case ReportSection::Kind::PageFooter:
            pageFooter = s.Visible ? s.Height : 0;
            break;
        case ReportSection::Kind::ReportHeader:
            reportHeader = i;
            break;
        case ReportSection::Kind::ReportFooter:
            reportFooter = i;
            break;
        case ReportSection::Kind::GroupHeader:
            if (level >= 0)
                headerOf[level] = i;
            break;
        case ReportSection::Kind::GroupFooter:
            if (level >= 0)
                footerOf[level] = i;
            break;
        case ReportSection::Kind::Detail:
            detail = i;
            detailLevel = level;
            break;
        }
    }
    // The bands in order: a header, the rows of the level below, a footer.
    auto addBand = [&](int section, const ReportBand &context) {
        if (section < 0 || !m_sections[size_t(section)].Visible)
            return;
        ReportBand band = context;
        band.section = section;
        pages.bands.push_back(band);
    };
    ReportBand context;
    addBand(reportHeader, context);
    const int deepest = detailLevel >= 0 ? detailLevel : levels - 1;
    auto walk = [&](auto &&self, int level, const std::vector<ResultRecord> &rows) -> void {
        for (const ResultRecord &row : rows) {
            context.records[size_t(level)] = &row;
            if (level == detailLevel) {
                addBand(detail, context);
                continue;
            }
            const auto header = headerOf.find(level);
            addBand(header == headerOf.end() ? -1 : header->second, context);
            if (level < deepest)
                self(self, level + 1, row.children);
            const auto footer = footerOf.find(level);
            addBand(footer == footerOf.end() ? -1 : footer->second, context);
        }
        context.records[size_t(level)] = nullptr;
    };
    if (m_result && levels > 0)
        walk(walk, 0, m_result->rows());
    addBand(reportFooter, context);

    // Pages: bands are placed one below the other; one that does not fit in
    // what is left of the page begins the next page.
    const int body = std::max(1, pageHeight - pageHeader - pageFooter);
    pages.pageStarts.push_back(0);
    int used = 0;
    for (int i = 0; i < int(pages.bands.size()); ++i) {
        const int height = m_sections[size_t(pages.bands[size_t(i)].section)].Height;
        if (used > 0 && used + height > body) {
            pages.pageStarts.push_back(i);
            used = 0;
        }
        used += height;
    }
    return pages;
}

QString DataReport::controlText(const ReportControl &control, const ReportBand &band, int page,
                                int pageCount) const
{
    switch (control.kind) {
    case ReportControl::Kind::Line:
        return QString();
    case ReportControl::Kind::Label: {
        if (!control.Caption.contains(QLatin1Char('%')))
            return control.Caption;
        QString out;
        const QString &c = control.Caption;
        for (qsizetype i = 0; i < c.size(); ++i) {
            if (c.at(i) != QLatin1Char('%') || i + 1 >= c.size()) {
                out += c.at(i);
                continue;
            }
            const QChar code = c.at(++i);
            if (code == QLatin1Char('d'))
                out += todayText();
            else if (code == QLatin1Char('p'))
                out += QString::number(page + 1);
            else if (code == QLatin1Char('P'))
                out += QString::number(pageCount);
            else if (code == QLatin1Char('%'))
                out += QLatin1Char('%');
            else
                out += QLatin1Char('%') + code;
        }
        return out;
    }
    case ReportControl::Kind::TextBox:
        break;
    }
    if (control.boundLevel < 0 || control.boundLevel >= ReportBand::MaxLevels)
        return QString();
    const ResultRecord *record = band.records[size_t(control.boundLevel)];
    if (!record || control.boundField >= record->values.size())
        return QString();
    return fieldText(record->values.at(control.boundField), control.format);
}

QStringList DataReport::bandText(const ReportSection &section, const ReportBand &band) const
{
    std::map<int, std::vector<const ReportControl *>> rows; // top -> controls
    for (const ReportControl &c : section.controls) {
        if (c.Visible && c.kind != ReportControl::Kind::Line)
            rows[c.Top].push_back(&c);
    }
    QStringList lines;
    for (auto &[top, controls] : rows) {
        std::stable_sort(controls.begin(), controls.end(),
                         [](const ReportControl *a, const ReportControl *b) { return a->Left < b->Left; });
        QString line;
        for (const ReportControl *c : controls) {
            const QString text = controlText(*c, band, 0, 1).simplified();
            if (text.isEmpty())
                continue;
            int column = c->Left / Twips::PerTextColumn;
            if (c->rightAligned)
                column = std::max(column, int((c->Left + c->Width) / Twips::PerTextColumn - text.size()));
            if (!line.isEmpty())
                column = std::max(column, int(line.size()) + 1);
            line = line.leftJustified(column, QLatin1Char(' ')) + text;
        }
        if (!line.isEmpty())
            lines << line;
    }
    // A band with nothing to show still takes its place.
    if (lines.isEmpty() && section.Height > 0)
        lines << QString();
    return lines;
}

QStringList DataReport::textLines() const
{
    QStringList lines;
    const ReportBand none;
    if (const ReportSection *header = Sections(QStringLiteral("PageHeader")); header && header->Visible)
        lines << bandText(*header, none);
    const ReportPages pages = paginate(std::numeric_limits<int>::max() / 2);
    for (const ReportBand &band : pages.bands)
        lines << bandText(m_sections[size_t(band.section)], band);
    return lines;
}

QString DataReport::fileName(const QString &suffix) const
{
    static const QRegularExpression notInNames(QStringLiteral(R"([\\/:*?"<>|\x00-\x1f])"));
    QString name = DocumentName.isEmpty() ? Caption : DocumentName;
    name.replace(notInNames, QStringLiteral(" "));
    name = name.simplified();
    return (name.isEmpty() ? m_name : name) + suffix;
}

DataReport::ExportResult DataReport::ExportReport(const QString &formatKey, const QString &fileName,
                                                  bool overwrite, bool showDialog, int pageRange)
{
    Q_UNUSED(pageRange);
    m_error.clear();
    if (formatKey.compare(QLatin1String(TextFormatKey), Qt::CaseInsensitive) != 0) {
        m_error = QStringLiteral("the export format %1 is not known").arg(formatKey);
        return ExportResult::Failed;
    }
    QString path = fileName;
    if (showDialog) {
        path = Dialogs().saveFileName(LOC_RTString(1274),
                                      fileName.isEmpty() ? this->fileName(QStringLiteral(".txt")) : fileName,
                                      LOC_RTString(1878));
        if (path.isEmpty())
            return ExportResult::Cancelled;
    }
    QString reason;
    if (path.isEmpty())
        reason = QStringLiteral("no file is named");
    else if (const QString own = StationFiles::refusal(path); !own.isEmpty())
        reason = own; // the station's own files are never written over
    else if (!overwrite && QFileInfo::exists(path))
        reason = QStringLiteral("the file exists");
    if (reason.isEmpty()) {
        auto file = std::make_unique<QSaveFile>(path);
        if (file->open(QIODevice::WriteOnly | QIODevice::Text)) {
            // The lines of textLines(), written band by band.
            const auto write = [&file](const QStringList &lines) {
                for (const QString &line : lines) {
                    file->write(line.toUtf8());
                    file->write("\n");
                }
            };
            if (const ReportSection *header = Sections(QStringLiteral("PageHeader"));
                header && header->Visible)
                write(bandText(*header, ReportBand()));
            const ReportPages pages = paginate(std::numeric_limits<int>::max() / 2);
            const qint64 count = qint64(pages.bands.size());
            for (qint64 i = 0; i < count; ++i) {
                if (ExportProgress && i % 256 == 0 && !ExportProgress(i, count)) {
                    file->cancelWriting();
                    return ExportResult::Cancelled;
                }
                const ReportBand &band = pages.bands[size_t(i)];
                write(bandText(m_sections[size_t(band.section)], band));
            }
            // The last chance to stop, the file written: a Cancel clicked
            // meanwhile is taken now, and nothing is left.
            if (ExportProgress && !ExportProgress(count, count)) {
                file->cancelWriting();
                return ExportResult::Cancelled;
            }
            if (ExportKeptAside && file->error() == QFileDevice::NoError) {
                m_keptAside = std::move(file);
                return ExportResult::Written;
            }
            if (file->commit())
                return ExportResult::Written;
        }
        reason = file->errorString();
    }
    m_error = reason;
    MsgBox(LOC_RTString(1876).arg(QDir::toNativeSeparators(path), reason), MsgStyle::Exclamation);
    return ExportResult::Failed;
}

bool DataReport::commitExport()
{
    if (!m_keptAside)
        return true;
    const std::unique_ptr<QSaveFile> file = std::move(m_keptAside);
    if (file->commit())
        return true;
    m_error = file->errorString();
    MsgBox(LOC_RTString(1876).arg(QDir::toNativeSeparators(file->fileName()), m_error),
           MsgStyle::Exclamation);
    return false;
}

void DataReport::discardExport()
{
    if (m_keptAside)
        m_keptAside->cancelWriting();
    m_keptAside.reset();
}

} // namespace tarnvik
