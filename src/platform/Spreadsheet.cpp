#include "platform/Spreadsheet.h"

#include "common/Dialogs.h"
#include "common/StationFiles.h"
#include "localisation/LOCRTSModule.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTime>
#include <QUrl>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <map>

namespace tarnvik {

namespace {

// Strings of the language file.
constexpr int CannotWriteText = 1884;   // the workbook %1 could not be written: %2
constexpr int NotOpenedText = 1886;     // saved as %1, but no spreadsheet program opened it
constexpr int TooManyRowsText = 1890;   // more than %1 rows
constexpr int FolderMissingText = 1894; // the folder %1 cannot be created

QString g_documentsFolder;

// What a cell holds once written: how it is stored and shown.
enum class Kind { Empty, Text, Number, Boolean, Date, Time, DateTime };

Kind kindOf(const QVariant &value)
{
    if (value.isNull())
        return Kind::Empty;
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().isValid() ? Kind::Date : Kind::Empty;
    case QMetaType::QTime:
        return value.toTime().isValid() ? Kind::Time : Kind::Empty;
    case QMetaType::QDateTime:
        return value.toDateTime().isValid() ? Kind::DateTime : Kind::Empty;
    case QMetaType::Bool:
        return Kind::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return Kind::Number;
    default:
        return value.toString().isEmpty() ? Kind::Empty : Kind::Text;
    }
}

// Day number of a date in the sheet's calendar (day 1 is 1900-01-01, and
// the calendar counts a 29 February 1900 that never was); -1 before 1900.
qint64 serialDay(const QDate &date)
{
    static const QDate first(1900, 1, 1);
    static const QDate march(1900, 3, 1);
    if (date < first)
        return -1;
    const qint64 days = QDate(1899, 12, 30).daysTo(date);
    return date < march ? days - 1 : days;
}

double dayFraction(const QTime &time)
{
    return time.msecsSinceStartOfDay() / 86400000.0;
}

// Characters a column of the default font needs to show a value whole.
int displayWidth(const SpreadsheetBook::Cell &cell)
{
    switch (kindOf(cell.value)) {
    case Kind::Date:
        return 10;
    case Kind::Time:
        return 8;
    case Kind::DateTime:
        return 19;
    case Kind::Number:
        return int(QString::number(cell.value.toDouble()).size());
    case Kind::Boolean:
        return 5;
    case Kind::Text:
        return int(cell.value.toString().size());
    case Kind::Empty:
        break;
    }
    return 0;
}

QString safeFileName(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        if (c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c))
            continue;
        out += c;
    }
    out = out.trimmed();
    while (out.startsWith(QLatin1Char('.')))
        out.remove(0, 1);
    return out.isEmpty() ? QStringLiteral("Tarnvik") : out;
}

QString freePath(const QDir &folder, const QString &base)
{
    QString path = folder.filePath(base + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
    return path;
}

} // namespace

// --- cells -----------------------------------------------------------------

bool SpreadsheetFont::Bold() const
{
    const SpreadsheetBook::Cell *c = std::as_const(*m_app).cell(m_row, m_column);
    return c && c->bold;
}

void SpreadsheetFont::setBold(bool bold)
{
    if (SpreadsheetBook::Cell *c = m_app->cell(m_row, m_column, bold))
        c->bold = bold;
}

QVariant SpreadsheetRange::Formula() const
{
    const SpreadsheetBook::Cell *c = std::as_const(*m_app).cell(m_row, m_column);
    return c ? c->value : QVariant();
}

void SpreadsheetRange::setFormula(const QVariant &value)
{
    if (SpreadsheetBook::Cell *c = m_app->cell(m_row, m_column, true))
        c->value = value;
}

bool SpreadsheetRange::WrapText() const
{
    const SpreadsheetBook::Cell *c = std::as_const(*m_app).cell(m_row, m_column);
    return c && c->wrap;
}

void SpreadsheetRange::setWrapText(bool wrap)
{
    if (SpreadsheetBook::Cell *c = m_app->cell(m_row, m_column, wrap))
        c->wrap = wrap;
}

void SpreadsheetWorkbooks::Add()
{
    m_app->m_books.push_back(std::make_unique<SpreadsheetBook>());
}

int SpreadsheetWorkbooks::Count() const
{
    return int(m_app->m_books.size());
}

// --- application -----------------------------------------------------------

SpreadsheetApplication::SpreadsheetApplication() = default;

SpreadsheetApplication::~SpreadsheetApplication()
{
    release();
}

SpreadsheetBook::Cell *SpreadsheetApplication::cell(qint64 row, qint64 column, bool create)
{
    if (m_books.empty() || m_saved || m_released)
        return nullptr;
    SpreadsheetBook &book = *m_books.back();
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns) {
        if (create)
            ++book.cellsOutside;
        return nullptr;
    }
    if (qint64(book.rows.size()) < row) {
        if (!create)
            return nullptr;
        book.rows.resize(size_t(row));
    }
    std::vector<SpreadsheetBook::Cell> &cells = book.rows[size_t(row - 1)];
    for (SpreadsheetBook::Cell &c : cells) {
        if (c.column == std::uint32_t(column))
            return &c;
    }
    if (!create)
        return nullptr;
    cells.push_back(SpreadsheetBook::Cell{QVariant(), std::uint32_t(column), false, false});
    return &cells.back();
}

const SpreadsheetBook::Cell *SpreadsheetApplication::cell(qint64 row, qint64 column) const
{
    return const_cast<SpreadsheetApplication *>(this)->cell(row, column, false);
}

void SpreadsheetApplication::setDocumentsFolder(const QString &folder)
{
    g_documentsFolder = folder;
}

QString SpreadsheetApplication::documentsFolder()
{
    if (!g_documentsFolder.isEmpty())
        return g_documentsFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

void SpreadsheetApplication::save()
{
    if (m_saved || m_released)
        return;
    m_saved = true;
    if (!m_visible) {
        m_books.clear();
        return;
    }
    const QString folderPath = documentsFolder();
    for (size_t i = 0; i < m_books.size(); ++i) {
        const QString base =
            safeFileName(m_documentName) + (i == 0 ? QString() : QStringLiteral(" (%1)").arg(i + 1));
        QString path = QDir(folderPath).filePath(base + QStringLiteral(".xlsx"));
        QString error;
        if (!QDir().mkpath(folderPath)) {
            error = LOC_RTString(FolderMissingText).arg(QDir::toNativeSeparators(folderPath));
        } else {
            // Written beside the final name and renamed when released, so
            // that a failure or a stop never leaves a workbook, whole or
            // half, under the name the user looks for.
            path = freePath(QDir(folderPath), base);
            const QString partial = path + QStringLiteral(".part");
            if (writeXlsx(*m_books[i], partial, &error)) {
                m_written.push_back({partial, base});
                continue;
            }
        }
        m_result.failures << LOC_RTString(CannotWriteText).arg(QDir::toNativeSeparators(path), error);
    }
    m_books.clear();
}

void SpreadsheetApplication::discard()
{
    if (m_released)
        return;
    m_released = true;
    m_books.clear();
    for (const Written &w : std::as_const(m_written))
        QFile::remove(w.partial);
    m_written.clear();
}

SpreadsheetApplication::Released SpreadsheetApplication::release()
{
    if (m_released)
        return Released();
    save();
    m_released = true;
    for (const Written &w : std::as_const(m_written)) {
        // The name is chosen again: a file may have taken it meanwhile.
        const QString path = freePath(QFileInfo(w.partial).dir(), w.base);
        QFile written(w.partial);
        if (written.rename(path)) {
            m_result.savedFiles << path;
            continue;
        }
        m_result.failures
            << LOC_RTString(CannotWriteText).arg(QDir::toNativeSeparators(path), written.errorString());
        QFile::remove(w.partial);
    }
    m_written.clear();
    Released result = m_result;
    result.opened = result.failures.isEmpty() && !result.savedFiles.isEmpty();
    for (const QString &message : std::as_const(result.failures))
        MsgBox(message, MsgStyle::Exclamation);
    for (const QString &path : std::as_const(result.savedFiles)) {
        if (!Dialogs().openUrl(QUrl::fromLocalFile(path))) {
            result.opened = false;
            MsgBox(LOC_RTString(NotOpenedText).arg(QDir::toNativeSeparators(path)), MsgStyle::Information);
        }
    }
    return result;
}

// --- the .xlsx file ----------------------------------------------------------

bool SpreadsheetApplication::writeXlsx(const SpreadsheetBook &book, const QString &path, QString *error)
{
    if (book.cellsOutside > 0) {
        *error = LOC_RTString(TooManyRowsText).arg(MaxRows);
        return false;
    }
    // Column widths: a value that would be cut (a date, a number, or a text
    // with a filled cell at its right) widens its column; a text with room
    // at its right runs over, as sheets show it.
    std::map<std::uint32_t, double> widths;
    for (const auto &row : book.rows) {
        for (const SpreadsheetBook::Cell &c : row) {
            const Kind kind = kindOf(c.value);
            if (kind == Kind::Empty)
                continue;
            if (kind == Kind::Text) {
                const bool neighbour =
                    std::any_of(row.begin(), row.end(), [&](const SpreadsheetBook::Cell &n) {
                        return n.column == c.column + 1 && kindOf(n.value) != Kind::Empty;
                    });
                if (!neighbour)
                    continue;
            }
            const double w = std::min(60.0, displayWidth(c) * (c.bold ? 1.1 : 1.0) + 1.0);
            double &current = widths[c.column];
            current = std::max(current, w);
        }
    }

    // The caller names the file beside the final name (see release()); it
    // may not be one of the station's own files.
    const QString &partial = path;
    if (const QString own = StationFiles::refusal(partial); !own.isEmpty()) {
        *error = own;
        return false;
    }
    QFile::remove(partial);
    {
        // A file that cannot be made is said in the system's words (the
        // library's own reason is in English whatever the language).
        QFile probe(partial);
        if (!probe.open(QIODevice::WriteOnly)) {
            *error = probe.errorString();
            return false;
        }
    }
    const QByteArray partialName = QFile::encodeName(partial);
    // The rows go out in order, each once: the library then keeps only the
    // current row in memory instead of a second copy of the whole sheet.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *workbook = workbook_new_opt(partialName.constData(), &options);
    if (!workbook) {
        *error = QStringLiteral("cannot create the workbook");
        QFile::remove(partial);
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);

    // One format for each mix of bold, wrapping and kind of value.
    std::array<lxw_format *, 16> formats{};
    const auto formatFor = [&](const SpreadsheetBook::Cell &c, Kind kind) -> lxw_format * {
        int numberKind = kind == Kind::Date ? 1 : kind == Kind::Time ? 2 : kind == Kind::DateTime ? 3 : 0;
        if (!c.bold && !c.wrap && numberKind == 0)
            return nullptr;
        lxw_format *&f = formats[size_t(numberKind * 4 + (c.bold ? 2 : 0) + (c.wrap ? 1 : 0))];
        if (!f) {
            f = workbook_add_format(workbook);
            if (c.bold)
                format_set_bold(f);
            if (c.wrap)
                format_set_text_wrap(f);
            static const char *const patterns[] = {nullptr, "dd/mm/yyyy", "hh:mm:ss", "dd/mm/yyyy hh:mm:ss"};
            if (numberKind)
                format_set_num_format(f, patterns[numberKind]);
        }
        return f;
    };

    lxw_error status = LXW_NO_ERROR;
    for (const auto &[column, width] : widths) {
        if (status == LXW_NO_ERROR && width > 8.43)
            status =
                worksheet_set_column(sheet, lxw_col_t(column - 1), lxw_col_t(column - 1), width, nullptr);
    }
    std::vector<const SpreadsheetBook::Cell *> cells;
    for (size_t r = 0; r < book.rows.size() && status == LXW_NO_ERROR; ++r) {
        // Each row once, its cells from left to right.
        cells.clear();
        for (const SpreadsheetBook::Cell &c : book.rows[r])
            cells.push_back(&c);
        std::sort(cells.begin(), cells.end(),
                  [](const auto *a, const auto *b) { return a->column < b->column; });
        for (const SpreadsheetBook::Cell *cell : cells) {
            const SpreadsheetBook::Cell &c = *cell;
            const lxw_row_t row = lxw_row_t(r);
            const lxw_col_t col = lxw_col_t(c.column - 1);
            Kind kind = kindOf(c.value);
            if ((kind == Kind::Date && serialDay(c.value.toDate()) < 0) ||
                (kind == Kind::DateTime && serialDay(c.value.toDateTime().date()) < 0))
                kind = Kind::Text; // before the sheet's calendar: kept as its text
            lxw_format *format = formatFor(c, kind);
            switch (kind) {
            case Kind::Empty:
                status = worksheet_write_blank(sheet, row, col, format);
                break;
            case Kind::Text: {
                const QByteArray text = c.value.toString().toUtf8();
                status = worksheet_write_string(sheet, row, col, text.constData(), format);
                break;
            }
            case Kind::Number:
                status = worksheet_write_number(sheet, row, col, c.value.toDouble(), format);
                break;
            case Kind::Boolean:
                status = worksheet_write_boolean(sheet, row, col, c.value.toBool(), format);
                break;
            case Kind::Date:
                status = worksheet_write_number(sheet, row, col, double(serialDay(c.value.toDate())), format);
                break;
            case Kind::Time:
                status = worksheet_write_number(sheet, row, col, dayFraction(c.value.toTime()), format);
                break;
            case Kind::DateTime: {
                const QDateTime moment = c.value.toDateTime();
                status = worksheet_write_number(
                    sheet, row, col, double(serialDay(moment.date())) + dayFraction(moment.time()), format);
                break;
            }
            }
        }
    }
    const lxw_error closed = workbook_close(workbook);
    if (status == LXW_NO_ERROR)
        status = closed;
    if (status != LXW_NO_ERROR) {
        *error = QString::fromUtf8(lxw_strerror(status));
        QFile::remove(partial);
        return false;
    }
    return true;
}

} // namespace tarnvik
