#include "reports/WorkbookExport.h"

#include "common/Database.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/Progress.h"
#include "localisation/LOCRTSModule.h"
#include "platform/Spreadsheet.h"
#include "reports/GroupedRows.h"

#include <QSqlError>
#include <QSqlQuery>

#include <QSqlRecord>

#include <optional>

namespace tarnvik {

namespace {

// Strings of the language file.
constexpr int ZeroTotalSuffix = 1032; // " Heures:Minutes" after a worked time
constexpr int PeriodFromText = 1482;  // "Période du "
constexpr int PeriodToText = 1028;    // " au "
constexpr int EmployeeNumberLabel = 1170;
constexpr int NameLabel = 1414;
constexpr int StatusLabel = 1574;
constexpr int ProjectLabel = 1492;
constexpr int SubProjectLabel = 1562;
constexpr int TimeHeader = 1298;
constexpr int ProjectTotalLabel = 1604;
constexpr int SubProjectTotalLabel = 1606;
constexpr int EmployeeTotalLabel = 1608;
constexpr int ByEmployeeName = 1880; // file name: report by employee, period
constexpr int ByProjectName = 1882;  // file name: report by project, period
constexpr int ProgressText = 1888;
constexpr int CannotReadText = 1892;

// Columns A to H.
enum Column { A = 1, B, C, D, E, F, G, H };

// The text of a zero total as the French language file words it; the
// totals write the current language's text, which is left out as well.
const char *const FixedZeroTotal = "0:00 Heures:Minutes";

// Writes the lines of a report: the row number and the three ways a cell is
// written (a label in bold, a value kept from wrapping, a plain value).
class SheetWriter {
public:
    explicit SheetWriter(SpreadsheetApplication &xl) : m_xl(xl) {}

    qint64 row = 1;

    void label(int column, const QString &text)
    {
        m_xl.Cells(row, column).setFormula(text);
        m_xl.Cells(row, column).Font().setBold(true);
    }
    void noWrap(int column, const QVariant &value)
    {
        m_xl.Cells(row, column).setFormula(value);
        m_xl.Cells(row, column).setWrapText(false);
    }
    void value(int column, const QVariant &value) { m_xl.Cells(row, column).setFormula(value); }

private:
    SpreadsheetApplication &m_xl;
};

// A row of a result, its fields by name.
class Fields {
public:
    Fields(const GroupedRows::Row &row, const QStringList &names) : m_row(row), m_names(names) {}
    QVariant operator[](const char *name) const
    {
        for (int i = 0; i < m_names.size() && i < m_row.size(); ++i) {
            if (m_names[i].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return m_row.at(i);
        }
        return QVariant();
    }

private:
    const GroupedRows::Row &m_row;
    const QStringList &m_names;
};

struct Result {
    QStringList names;
    std::vector<GroupedRows::Row> rows;
};

bool readAll(const QSqlDatabase &db, const SqlQuery &query, Result *out, QString *error)
{
    QSqlQuery q(db);
    if (!Database::run(q, query.text, query.params, error))
        return false;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        out->names << record.fieldName(i);
    while (q.next()) {
        GroupedRows::Row row;
        for (int i = 0; i < record.count(); ++i)
            row << q.value(i);
        out->rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

// The period line and the archive line; the row number then becomes 4.
void writeOpening(SheetWriter &out, const ReportSelection &selection)
{
    out.row = 1;
    out.value(A, LOC_RTString(PeriodFromText));
    out.value(B, selection.periodStart);
    out.value(C, LOC_RTString(PeriodToText));
    out.value(D, selection.periodEnd);
    out.noWrap(B, selection.periodStart);
    out.noWrap(D, selection.periodEnd);
    out.row = 2;
    out.value(A, ArchiveCaption(selection.archive));
    out.row = 4;
}

// The punches of the period behind one total, keyed by the walk's order.
GroupedRows punchLevel(const QSqlDatabase &db, const ReportSelection &selection,
                       const QVector<GroupedRows::Key> &keys)
{
    const SqlQuery archive = ArchiveFilter(selection);
    // Only the punches of the chosen employees are ever asked for: the same
    // clause keeps the result small.
    const SqlQuery employees = EmployeeFilter(selection);
    return GroupedRows(
        db,
        QStringLiteral("SELECT NoVendeur, Projet, SousProjet, InOut, PunchDateShort, PunchTime, "
                       "PunchDateLong, Description FROM Punch"),
        QStringLiteral("(PunchDateShort >= ?) AND (PunchDateShort <= ?) ") + archive.text + employees.text,
        QVariantList{selection.periodStart, selection.periodEnd} + archive.params + employees.params, keys,
        QStringLiteral("PunchDateShort DESC, PunchTime"));
}

// The header line of the punch block, then one line per punch, the latest
// day first and the earliest time of a day first.
bool writePunchBlock(SheetWriter &out, GroupedRows &punches, const QVariantList &key, QString *error)
{
    const std::vector<GroupedRows::Row> *rows = punches.group(key);
    if (!rows) {
        *error = punches.error();
        return false;
    }
    ++out.row;
    out.label(D, QStringLiteral("InOut"));
    out.label(E, QStringLiteral("Date"));
    out.label(F, LOC_RTString(TimeHeader));
    out.label(G, QStringLiteral("Date / message"));
    out.label(H, QStringLiteral("Note"));
    const int inOut = punches.field(QStringLiteral("InOut"));
    const int date = punches.field(QStringLiteral("PunchDateShort"));
    const int time = punches.field(QStringLiteral("PunchTime"));
    const int dateLong = punches.field(QStringLiteral("PunchDateLong"));
    const int note = punches.field(QStringLiteral("Description"));
    for (const GroupedRows::Row &p : *rows) {
        ++out.row;
        // Dates and times are stored as text: they go to the sheet as a date
        // and a time, or as they stand when they are not one.
        const QDate day = dateFromStored(p[date]);
        const QTime clock = timeFromStored(p[time]);
        out.noWrap(D, p[inOut]);
        out.noWrap(E, day.isValid() ? QVariant(day) : p[date]);
        out.noWrap(F, clock.isValid() ? QVariant(clock) : p[time]);
        out.noWrap(G, p[dateLong]);
        out.noWrap(H, p[note]);
    }
    return true;
}

QString zeroTotal()
{
    return QStringLiteral("0:00") + LOC_RTString(ZeroTotalSuffix);
}

bool isOpen(const QSqlDatabase &db, WorkbookExportResult *result)
{
    if (!db.isValid() || !db.isOpen()) {
        result->error = QStringLiteral("the database is not open");
        return false;
    }
    return true;
}

// The three things a report groups by, each keyed by one field.
enum class Kind { Employee, Project, SubProject };

const char *keyField(Kind kind)
{
    return kind == Kind::Employee ? "NoVendeur" : kind == Kind::Project ? "Projet" : "SousProjet";
}

GroupedRows::Key keyOf(Kind kind)
{
    return {QLatin1String(keyField(kind)),
            kind == Kind::Employee ? KeyCollation::Binary : KeyCollation::NoCase};
}

// One level of a report: what it groups by and the column its line and its
// total line start in. The employee at the top of the report by employee
// starts on the current line and has no total line (own line false).
struct Level {
    Kind kind;
    int column;
    bool ownLine = true;
};

void writeLevelLine(SheetWriter &out, const Level &level, const Fields &row)
{
    if (level.ownLine)
        ++out.row;
    const int c = level.column;
    switch (level.kind) {
    case Kind::Employee:
        out.label(c, LOC_RTString(EmployeeNumberLabel));
        out.value(c + 1, row[keyField(level.kind)]);
        out.label(c + 2, LOC_RTString(NameLabel));
        out.value(c + 3, row["NomVendeur"]);
        out.label(c + 4, LOC_RTString(StatusLabel));
        out.value(c + 5, row["Status"]);
        break;
    case Kind::Project:
    case Kind::SubProject:
        out.label(c, LOC_RTString(level.kind == Kind::Project ? ProjectLabel : SubProjectLabel));
        out.value(c + 1, row[keyField(level.kind)]);
        break;
    }
}

void writeLevelTotal(SheetWriter &out, const Level &level, const Fields &row)
{
    if (!level.ownLine)
        return;
    const int text = level.kind == Kind::Employee  ? EmployeeTotalLabel
                     : level.kind == Kind::Project ? ProjectTotalLabel
                                                   : SubProjectTotalLabel;
    ++out.row;
    out.label(level.column, LOC_RTString(text));
    out.noWrap(level.column + 1, row["TotalHeures"]);
}

// The rows of the top level, those of the second level keyed by the top
// level, those of the third keyed by the first two.
struct LevelRows {
    Result top;
    GroupedRows *second;
    GroupedRows *third;
};

// Writes the report from row 1: the opening lines, then for each top row its
// line, its second-level rows each with its third-level rows (with their
// punches when the detail is asked for), each followed by its total, and
// two empty lines. Not filled when a level could not be read.
WorkbookExportResult writeLevels(SpreadsheetApplication &xl, const QSqlDatabase &db,
                                 const ReportSelection &selection, const Level (&levels)[3], LevelRows &rows,
                                 const ExportStep &onStep)
{
    WorkbookExportResult result;
    SheetWriter out(xl);
    GroupedRows punches =
        punchLevel(db, selection, {keyOf(levels[0].kind), keyOf(levels[1].kind), keyOf(levels[2].kind)});
    writeOpening(out, selection);
    int done = 0;
    for (const GroupedRows::Row &topRow : rows.top.rows) {
        const Fields first(topRow, rows.top.names);
        writeLevelLine(out, levels[0], first);
        const QVariant firstKey = first[keyField(levels[0].kind)];
        const std::vector<GroupedRows::Row> *secondRows = rows.second->group({firstKey});
        if (!secondRows) {
            result.error = rows.second->error();
            return result;
        }
        const QStringList &secondNames = rows.second->fieldNames();
        for (const GroupedRows::Row &secondRow : *secondRows) {
            const Fields second(secondRow, secondNames);
            writeLevelLine(out, levels[1], second);
            const QVariant secondKey = second[keyField(levels[1].kind)];
            const std::vector<GroupedRows::Row> *thirdRows = rows.third->group({firstKey, secondKey});
            if (!thirdRows) {
                result.error = rows.third->error();
                return result;
            }
            const QStringList &thirdNames = rows.third->fieldNames();
            for (const GroupedRows::Row &thirdRow : *thirdRows) {
                const Fields third(thirdRow, thirdNames);
                writeLevelLine(out, levels[2], third);
                if (selection.detail &&
                    !writePunchBlock(out, punches, {firstKey, secondKey, third[keyField(levels[2].kind)]},
                                     &result.error))
                    return result;
                writeLevelTotal(out, levels[2], third);
            }
            writeLevelTotal(out, levels[1], second);
        }
        writeLevelTotal(out, levels[0], first);
        out.row += 2;
        if (onStep && !onStep(++done, int(rows.top.rows.size()))) {
            result.stopped = true;
            return result;
        }
    }
    result.filled = true;
    result.lastRow = out.row;
    return result;
}

} // namespace

WorkbookExportResult writeReportByEmployee(SpreadsheetApplication &xl, const QSqlDatabase &db,
                                           const ReportSelection &selection, const ExportStep &onStep)
{
    WorkbookExportResult result;
    if (!isOpen(db, &result))
        return result;
    const QString noProject = NoProjectName();
    const SqlQuery employeeFilter = EmployeeFilter(selection);
    const Level levels[3] = {{Kind::Employee, A, false}, {Kind::Project, B}, {Kind::SubProject, C}};

    LevelRows rows;
    if (!readAll(db,
                 SqlQuery(QStringLiteral(
                              "SELECT DISTINCT Vendeurs.* FROM Vendeurs WHERE NomVendeur Is Not Null ") +
                              employeeFilter.text + QStringLiteral("ORDER BY Vendeurs.NoVendeur"),
                          employeeFilter.params),
                 &rows.top, &result.error))
        return result;
    // An employee's project totals, and the sub-project totals of one of
    // his projects but the zero ones; both levels come in name order.
    GroupedRows projects(db, QStringLiteral("SELECT DISTINCT Projets.* FROM Projets"),
                         QStringLiteral("(Projets.SousProjet IS NULL) AND (Projets.Projet <> ?)"),
                         {noProject}, {keyOf(Kind::Employee)}, QStringLiteral("Projet"));
    GroupedRows subProjects(
        db, QStringLiteral("SELECT DISTINCT Projets.* FROM Projets"),
        QStringLiteral(
            "(SousProjet <> '') AND (SousProjet <> ?) AND (TotalHeures <> ?) AND (TotalHeures <> ?)"),
        {noProject, QString::fromUtf8(FixedZeroTotal), zeroTotal()},
        {keyOf(Kind::Employee), keyOf(Kind::Project)}, QStringLiteral("SousProjet"));
    rows.second = &projects;
    rows.third = &subProjects;
    return writeLevels(xl, db, selection, levels, rows, onStep);
}

WorkbookExportResult writeReportByProject(SpreadsheetApplication &xl, const QSqlDatabase &db,
                                          const ReportSelection &selection, const ExportStep &onStep)
{
    WorkbookExportResult result;
    if (!isOpen(db, &result))
        return result;
    const QString noProject = NoProjectName();
    const SqlQuery employeeFilter = EmployeeFilter(selection);
    const Level levels[3] = {{Kind::Project, A}, {Kind::SubProject, B}, {Kind::Employee, C}};

    LevelRows rows;
    if (!readAll(
            db,
            SqlQuery(QStringLiteral("SELECT * From Projets WHERE Projet Is Not Null AND SousProjet Is Null "
                                    "AND TotalHeures Is Not Null AND Projet <> ? ORDER BY Projet"),
                     {noProject}),
            &rows.top, &result.error))
        return result;
    GroupedRows subProjects(
        db, QStringLiteral("SELECT * From Projets"),
        QStringLiteral("SousProjet Is Not Null AND NoVendeur Is Null AND TotalHeures Is Not "
                       "Null AND SousProjet <> ?"),
        {noProject}, {keyOf(Kind::Project)}, QStringLiteral("SousProjet"));
    GroupedRows employees(db, QStringLiteral("SELECT * FROM Vendeurs"),
                          QStringLiteral("NomVendeur Is Not Null ") + employeeFilter.text,
                          employeeFilter.params, {keyOf(Kind::Project), keyOf(Kind::SubProject)},
                          QStringLiteral("NoVendeur"));
    rows.second = &subProjects;
    rows.third = &employees;
    return writeLevels(xl, db, selection, levels, rows, onStep);
}

namespace {

using Filler = WorkbookExportResult (*)(SpreadsheetApplication &, const QSqlDatabase &,
                                        const ReportSelection &, const ExportStep &);

// Fills the workbook and saves it beside its final name; null when it was
// stopped (nothing left) or could not be filled (the user told).
std::unique_ptr<SpreadsheetApplication> prepare(const QSqlDatabase &db, const ReportSelection &selection,
                                                int nameText, Filler fill, const ExportStep &onStep,
                                                WorkbookExportResult *result)
{
    auto xl = std::make_unique<SpreadsheetApplication>();
    xl->setVisible(true);
    xl->Workbooks().Add();
    xl->setDocumentName(LOC_RTString(nameText).arg(selection.periodStart.toString(Qt::ISODate),
                                                   selection.periodEnd.toString(Qt::ISODate)));
    {
        // The outer rows, then saving the file, as the steps of the progress:
        // the caller's, or a window of the export's own.
        std::optional<DelayedProgress> own;
        if (!onStep)
            own.emplace(LOC_RTString(ProgressText));
        *result = fill(*xl, db, selection, [&](int done, int total) {
            if (own) {
                own->setValue(done, total + 1);
                return true;
            }
            return onStep(done, total + 1);
        });
        if (result->filled) {
            if (own)
                own->step();
            xl->save();
        }
    }
    if (!result->filled) {
        // Half a report is not handed over as if it were the report.
        xl->discard();
        if (!result->stopped)
            MsgBox(LOC_RTString(CannotReadText).arg(result->error), MsgStyle::Exclamation);
        return nullptr;
    }
    return xl;
}

WorkbookExportResult runExport(const QSqlDatabase &db, const ReportSelection &selection, int nameText,
                               Filler fill, const ExportStep &onStep)
{
    WorkbookExportResult result;
    const std::unique_ptr<SpreadsheetApplication> xl =
        prepare(db, selection, nameText, fill, onStep, &result);
    if (!xl)
        return result;
    const SpreadsheetApplication::Released released = xl->release();
    result.savedFiles = released.savedFiles;
    if (!released.failures.isEmpty())
        result.error = released.failures.join(QLatin1Char('\n'));
    return result;
}

} // namespace

WorkbookExportResult ExportXL(const QSqlDatabase &db, const ReportSelection &selection)
{
    return runExport(db, selection, ByEmployeeName, writeReportByEmployee, {});
}

WorkbookExportResult ExportXLProj(const QSqlDatabase &db, const ReportSelection &selection)
{
    return runExport(db, selection, ByProjectName, writeReportByProject, {});
}

WorkbookExportResult exportWorkbook(const QSqlDatabase &db, const ReportSelection &selection,
                                    const ExportStep &onStep)
{
    return selection.kind == ReportSelection::Kind::ByProject
               ? runExport(db, selection, ByProjectName, writeReportByProject, onStep)
               : runExport(db, selection, ByEmployeeName, writeReportByEmployee, onStep);
}

std::unique_ptr<SpreadsheetApplication> prepareWorkbook(const QSqlDatabase &db,
                                                        const ReportSelection &selection,
                                                        const ExportStep &onStep,
                                                        WorkbookExportResult *result)
{
    WorkbookExportResult ignored;
    WorkbookExportResult &out = result ? *result : ignored;
    return selection.kind == ReportSelection::Kind::ByProject
               ? prepare(db, selection, ByProjectName, writeReportByProject, onStep, &out)
               : prepare(db, selection, ByEmployeeName, writeReportByEmployee, onStep, &out);
}

} // namespace tarnvik
