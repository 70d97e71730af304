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

namespace tarnvik {

namespace {

// Strings of the language file.
constexpr int ZeroTotalSuffix = 1032;  // " Heures:Minutes" after a worked time
constexpr int PeriodFromText = 1482;   // "Période du "
constexpr int PeriodToText = 1028;     // " au "
constexpr int BothArchiveText = 1220;  // archived and current punches
constexpr int ArchivedOnlyText = 1222; // archived punches only
constexpr int CurrentOnlyText = 1224;  // current punches only
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
    switch (selection.archive) {
    case ReportSelection::Archive::Both:
        out.value(A, LOC_RTString(BothArchiveText));
        break;
    case ReportSelection::Archive::CurrentOnly:
        out.value(A, LOC_RTString(CurrentOnlyText));
        break;
    case ReportSelection::Archive::ArchivedOnly:
        out.value(A, LOC_RTString(ArchivedOnlyText));
        break;
    case ReportSelection::Archive::NoneChosen:
        out.value(A, QString());
        break;
    }
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

bool openDatabase(const QString &databasePath, QSqlDatabase *db, WorkbookExportResult *result)
{
    QString error;
    *db = Database::connection(databasePath, &error);
    if (!db->isValid() || !db->isOpen()) {
        result->error = error.isEmpty() ? QStringLiteral("the database is not open") : error;
        return false;
    }
    return true;
}

} // namespace

WorkbookExportResult writeReportByEmployee(SpreadsheetApplication &xl, const QString &databasePath,
                                           const ReportSelection &selection, const ExportStep &onStep)
{
    WorkbookExportResult result;
    QSqlDatabase db;
    if (!openDatabase(databasePath, &db, &result))
        return result;
    const QString noProject = NoProjectName();
    const SqlQuery employeeFilter = EmployeeFilter(selection);

    Result employees;
    if (!readAll(db,
                 SqlQuery(QStringLiteral(
                              "SELECT DISTINCT Vendeurs.* FROM Vendeurs WHERE NomVendeur Is Not Null ") +
                              employeeFilter.text + QStringLiteral("ORDER BY Vendeurs.NoVendeur"),
                          employeeFilter.params),
                 &employees, &result.error))
        return result;
    // An employee's project totals, and the sub-project totals of one of
    // his projects but the zero ones; both levels come in name order.
    GroupedRows projects(db, QStringLiteral("SELECT DISTINCT Projets.* FROM Projets"),
                         QStringLiteral("(Projets.SousProjet IS NULL) AND (Projets.Projet <> ?)"),
                         {noProject}, {{QStringLiteral("NoVendeur"), KeyCollation::Binary}},
                         QStringLiteral("Projet"));
    GroupedRows subProjects(
        db, QStringLiteral("SELECT DISTINCT Projets.* FROM Projets"),
        QStringLiteral(
            "(SousProjet <> '') AND (SousProjet <> ?) AND (TotalHeures <> ?) AND (TotalHeures <> ?)"),
        {noProject, QString::fromUtf8(FixedZeroTotal), zeroTotal()},
        {{QStringLiteral("NoVendeur"), KeyCollation::Binary},
         {QStringLiteral("Projet"), KeyCollation::NoCase}},
        QStringLiteral("SousProjet"));
    GroupedRows punches = punchLevel(db, selection,
                                     {{QStringLiteral("NoVendeur"), KeyCollation::Binary},
                                      {QStringLiteral("Projet"), KeyCollation::NoCase},
                                      {QStringLiteral("SousProjet"), KeyCollation::NoCase}});

    SheetWriter out(xl);
    writeOpening(out, selection);
    int done = 0;
    for (const GroupedRows::Row &employeeRow : employees.rows) {
        const Fields employee(employeeRow, employees.names);
        out.label(A, LOC_RTString(EmployeeNumberLabel));
        out.value(B, employee["NoVendeur"]);
        out.label(C, LOC_RTString(NameLabel));
        out.value(D, employee["NomVendeur"]);
        out.label(E, LOC_RTString(StatusLabel));
        out.value(F, employee["Status"]);
        const std::vector<GroupedRows::Row> *projectRows = projects.group({employee["NoVendeur"]});
        if (!projectRows) {
            result.error = projects.error();
            return result;
        }
        const QStringList &projectNames = projects.fieldNames();
        for (const GroupedRows::Row &projectRow : *projectRows) {
            const Fields project(projectRow, projectNames);
            ++out.row;
            out.label(B, LOC_RTString(ProjectLabel));
            out.value(C, project["Projet"]);
            const std::vector<GroupedRows::Row> *subRows =
                subProjects.group({employee["NoVendeur"], project["Projet"]});
            if (!subRows) {
                result.error = subProjects.error();
                return result;
            }
            const QStringList &subNames = subProjects.fieldNames();
            for (const GroupedRows::Row &subRow : *subRows) {
                const Fields sub(subRow, subNames);
                ++out.row;
                out.label(C, LOC_RTString(SubProjectLabel));
                out.value(D, sub["SousProjet"]);
                if (selection.detail &&
                    !writePunchBlock(out, punches,
                                     {employee["NoVendeur"], project["Projet"], sub["SousProjet"]},
                                     &result.error)) {
                    return result;
                }
                ++out.row;
                out.label(C, LOC_RTString(SubProjectTotalLabel));
                out.noWrap(D, sub["TotalHeures"]);
            }
            ++out.row;
            out.label(B, LOC_RTString(ProjectTotalLabel));
            out.noWrap(C, project["TotalHeures"]);
        }
        out.row += 2;
        if (onStep)
            onStep(++done, int(employees.rows.size()));
    }
    result.filled = true;
    result.lastRow = out.row;
    return result;
}

WorkbookExportResult writeReportByProject(SpreadsheetApplication &xl, const QString &databasePath,
                                          const ReportSelection &selection, const ExportStep &onStep)
{
    WorkbookExportResult result;
    QSqlDatabase db;
    if (!openDatabase(databasePath, &db, &result))
        return result;
    const QString noProject = NoProjectName();
    const SqlQuery employeeFilter = EmployeeFilter(selection);

    Result projects;
    if (!readAll(
            db,
            SqlQuery(QStringLiteral("SELECT * From Projets WHERE Projet Is Not Null AND SousProjet Is Null "
                                    "AND TotalHeures Is Not Null AND Projet <> ? ORDER BY Projet"),
                     {noProject}),
            &projects, &result.error))
        return result;
    GroupedRows subProjects(
        db, QStringLiteral("SELECT * From Projets"),
        QStringLiteral("SousProjet Is Not Null AND NoVendeur Is Null AND TotalHeures Is Not "
                       "Null AND SousProjet <> ?"),
        {noProject}, {{QStringLiteral("Projet"), KeyCollation::NoCase}}, QStringLiteral("SousProjet"));
    GroupedRows employees(db, QStringLiteral("SELECT * FROM Vendeurs"),
                          QStringLiteral("NomVendeur Is Not Null ") + employeeFilter.text,
                          employeeFilter.params,
                          {{QStringLiteral("Projet"), KeyCollation::NoCase},
                           {QStringLiteral("SousProjet"), KeyCollation::NoCase}},
                          QStringLiteral("NoVendeur"));
    GroupedRows punches = punchLevel(db, selection,
                                     {{QStringLiteral("Projet"), KeyCollation::NoCase},
                                      {QStringLiteral("SousProjet"), KeyCollation::NoCase},
                                      {QStringLiteral("NoVendeur"), KeyCollation::Binary}});

    SheetWriter out(xl);
    writeOpening(out, selection);
    int done = 0;
    for (const GroupedRows::Row &projectRow : projects.rows) {
        const Fields project(projectRow, projects.names);
        ++out.row;
        out.label(A, LOC_RTString(ProjectLabel));
        out.value(B, project["Projet"]);
        const std::vector<GroupedRows::Row> *subRows = subProjects.group({project["Projet"]});
        if (!subRows) {
            result.error = subProjects.error();
            return result;
        }
        const QStringList &subNames = subProjects.fieldNames();
        for (const GroupedRows::Row &subRow : *subRows) {
            const Fields sub(subRow, subNames);
            ++out.row;
            out.label(B, LOC_RTString(SubProjectLabel));
            out.value(C, sub["SousProjet"]);
            const std::vector<GroupedRows::Row> *employeeRows =
                employees.group({project["Projet"], sub["SousProjet"]});
            if (!employeeRows) {
                result.error = employees.error();
                return result;
            }
            const QStringList &employeeNames = employees.fieldNames();
            for (const GroupedRows::Row &employeeRow : *employeeRows) {
                const Fields employee(employeeRow, employeeNames);
                ++out.row;
                out.label(C, LOC_RTString(EmployeeNumberLabel));
                out.value(D, employee["NoVendeur"]);
                out.label(E, LOC_RTString(NameLabel));
                out.value(F, employee["NomVendeur"]);
                out.label(G, LOC_RTString(StatusLabel));
                out.value(H, employee["Status"]);
                if (selection.detail &&
                    !writePunchBlock(out, punches,
                                     {project["Projet"], sub["SousProjet"], employee["NoVendeur"]},
                                     &result.error)) {
                    return result;
                }
                ++out.row;
                out.label(C, LOC_RTString(EmployeeTotalLabel));
                out.noWrap(D, employee["TotalHeures"]);
            }
            ++out.row;
            out.label(B, LOC_RTString(SubProjectTotalLabel));
            out.noWrap(C, sub["TotalHeures"]);
        }
        ++out.row;
        out.label(A, LOC_RTString(ProjectTotalLabel));
        out.noWrap(B, project["TotalHeures"]);
        out.row += 2;
        if (onStep)
            onStep(++done, int(projects.rows.size()));
    }
    result.filled = true;
    result.lastRow = out.row;
    return result;
}

namespace {

using Filler = WorkbookExportResult (*)(SpreadsheetApplication &, const QString &, const ReportSelection &,
                                        const ExportStep &);

WorkbookExportResult runExport(const QString &databasePath, const ReportSelection &selection, int nameText,
                               Filler fill)
{
    SpreadsheetApplication xl;
    xl.setVisible(true);
    xl.Workbooks().Add();
    xl.setDocumentName(LOC_RTString(nameText).arg(selection.periodStart.toString(Qt::ISODate),
                                                  selection.periodEnd.toString(Qt::ISODate)));
    WorkbookExportResult result;
    {
        // The outer rows, then saving the file, as the steps of the progress.
        DelayedProgress progress(LOC_RTString(ProgressText));
        result = fill(xl, databasePath, selection,
                      [&progress](int done, int total) { progress.setValue(done, total + 1); });
        if (result.filled) {
            progress.step();
            xl.save();
        }
    }
    if (!result.filled) {
        // Half a report is not handed over as if it were the report.
        xl.setVisible(false);
        xl.release();
        MsgBox(LOC_RTString(CannotReadText).arg(result.error), MsgStyle::Exclamation);
        return result;
    }
    const SpreadsheetApplication::Released released = xl.release();
    result.savedFiles = released.savedFiles;
    if (!released.failures.isEmpty())
        result.error = released.failures.join(QLatin1Char('\n'));
    return result;
}

} // namespace

WorkbookExportResult ExportXL(const QString &databasePath, const ReportSelection &selection)
{
    return runExport(databasePath, selection, ByEmployeeName, writeReportByEmployee);
}

WorkbookExportResult ExportXLProj(const QString &databasePath, const ReportSelection &selection)
{
    return runExport(databasePath, selection, ByProjectName, writeReportByProject);
}

WorkbookExportResult exportWorkbook(const QString &databasePath, const ReportSelection &selection)
{
    return selection.kind == ReportSelection::Kind::ByProject ? ExportXLProj(databasePath, selection)
                                                              : ExportXL(databasePath, selection);
}

} // namespace tarnvik
