#include "reports/Totals.h"

#include "common/Database.h"
#include "common/DateFormat.h"
#include "localisation/LOCRTSModule.h"
#include "reports/WorkedTime.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>
#include <vector>

namespace tarnvik {

namespace {

using WorkedTime::Direction;
using WorkedTime::Pairing;

const char *const kRemoveProjetsRows = "DELETE FROM Projets WHERE NoVendeur <> '' OR TotalHeures <> ''";
const char *const kRemoveVendeursRows = "DELETE FROM Vendeurs WHERE NoVendeur Is Not Null AND NomVendeur Is "
                                        "Not Null AND SousProjet Is Not Null AND Projet Is Not Null";

QVariant nullText()
{
    return QVariant(QMetaType(QMetaType::QString));
}

// Names are compared as the Punch columns compare them: letters A to Z
// without regard to case, every other character as it is.
QString foldCase(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.toString() == b.toString();
}

TotalsResult failure(const QString &error)
{
    TotalsResult result;
    result.outcome = TotalsResult::Outcome::Failed;
    result.error = error;
    return result;
}

TotalsResult outcome(TotalsResult::Outcome o)
{
    TotalsResult result;
    result.outcome = o;
    return result;
}

// The punches of the period and archive choice, in lists of one number, one
// project and one sub-project, each list in date, time and entry order.
class PunchLists {
public:
    // The lists of one number, by project and sub-project (see listKey).
    using NumberLists = QHash<QString, std::pair<int, int>>;

    bool load(const QSqlDatabase &db, const ReportSelection &selection, QString *error)
    {
        const SqlQuery archive = ArchiveFilter(selection);
        QSqlQuery q(db);
        QVariantList params{toStoredDate(selection.periodStart), toStoredDate(selection.periodEnd)};
        params += archive.params;
        if (!Database::run(
                q,
                QStringLiteral("SELECT NoVendeur, Projet, SousProjet, InOut, PunchDateShort, PunchTime "
                               "FROM Punch WHERE PunchDateShort >= ? AND PunchDateShort <= ? ") +
                    archive.text +
                    QStringLiteral("ORDER BY NoVendeur, Projet COLLATE NOCASE, SousProjet COLLATE "
                                   "NOCASE, PunchDateShort, PunchTime, rowid"),
                params, error))
            return false;
        QString number;
        QString key;
        NumberLists *lists = nullptr;
        int first = 0;
        while (q.next()) {
            if (q.isNull(0) || q.isNull(1) || q.isNull(2))
                continue; // matches no employee or sub-project
            const QString rowNumber = q.value(0).toString();
            const QString rowKey = listKey(q.value(1).toString(), q.value(2).toString());
            if (!lists || rowNumber != number || rowKey != key) {
                close(lists, key, first);
                if (!lists || rowNumber != number) {
                    number = rowNumber;
                    lists = &m_byNumber[number];
                }
                key = rowKey;
                first = int(m_items.size());
            }
            m_items.push_back(
                {WorkedTime::instant(q.value(4), q.value(5)), WorkedTime::direction(q.value(3).toString())});
        }
        close(lists, key, first);
        return true;
    }

    // The lists of a number; null when it has no punch. A Null number is
    // looked up as the empty text.
    const NumberLists *of(const QVariant &number) const
    {
        const auto found = m_byNumber.constFind(number.toString());
        return found == m_byNumber.constEnd() ? nullptr : &found.value();
    }

    // The key of a project and sub-project; empty when either is Null.
    static QString listKey(const QVariant &project, const QVariant &subProject)
    {
        if (project.isNull() || subProject.isNull())
            return QString();
        return foldCase(project.toString()) + QChar(0x1f) + foldCase(subProject.toString());
    }

    // The pairing of one list.
    Pairing walk(const NumberLists *lists, const QString &key) const
    {
        Pairing pairing;
        if (!lists || key.isNull())
            return pairing;
        const auto found = lists->constFind(key);
        if (found == lists->constEnd())
            return pairing;
        const int end = found->second;
        for (int i = found->first; i < end; ++i)
            pairing.add(m_items[size_t(i)].direction, m_items[size_t(i)].instant, i + 1 == end);
        return pairing;
    }

private:
    struct Item {
        qint64 instant;
        Direction direction;
    };
    void close(NumberLists *lists, const QString &key, int first)
    {
        if (lists && int(m_items.size()) > first)
            lists->insert(key, {first, int(m_items.size())});
    }

    std::vector<Item> m_items;
    QHash<QString, NumberLists> m_byNumber;
};

// Worked-time texts, the frequent empty total made once.
class TotalTexts {
public:
    TotalTexts()
        : m_unit(LOC_RTString(1032)), m_suffix(WorkedTime::atWorkSuffix()),
          m_zero(WorkedTime::text(0, m_unit))
    {
    }
    QString text(qint64 minutes) const { return minutes == 0 ? m_zero : WorkedTime::text(minutes, m_unit); }
    QString text(qint64 minutes, bool atWork) const
    {
        return atWork ? text(minutes) + m_suffix : text(minutes);
    }

private:
    QString m_unit;
    QString m_suffix;
    QString m_zero;
};

// Rows of one table written many at a time: one prepared statement of many
// rows, bound anew for each block.
class RowWriter {
public:
    RowWriter(const QSqlDatabase &db, const QString &table, const QStringList &columns)
        : m_db(db), m_table(table), m_columns(columns)
    {
    }
    void reserve(qint64 rows) { m_values.reserve(rows * m_columns.size()); }
    template <typename... Values> void add(const Values &...values)
    {
        (m_values.append(QVariant(values)), ...);
    }
    qint64 count() const { return m_values.size() / m_columns.size(); }

    bool write(QString *error)
    {
        const int width = int(m_columns.size());
        const qint64 rows = count();
        QSqlQuery block(m_db);
        int prepared = 0;
        for (qint64 start = 0; start < rows; start += RowsPerStatement) {
            const int n = int(qMin<qint64>(RowsPerStatement, rows - start));
            if (n != prepared) {
                if (!block.prepare(statement(n))) {
                    *error = block.lastError().text();
                    return false;
                }
                prepared = n;
            }
            const qint64 offset = start * width;
            for (int i = 0; i < n * width; ++i)
                block.bindValue(i, m_values.at(offset + i));
            if (!block.exec()) {
                *error = block.lastError().text();
                return false;
            }
        }
        return true;
    }

private:
    static constexpr int RowsPerStatement = 100;
    QString statement(int rows) const
    {
        QString one = QStringLiteral("(?");
        for (int i = 1; i < m_columns.size(); ++i)
            one += QStringLiteral(", ?");
        one += QLatin1Char(')');
        QStringList all;
        for (int r = 0; r < rows; ++r)
            all << one;
        return QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                   .arg(m_table, m_columns.join(QStringLiteral(", "))) +
               all.join(QStringLiteral(", "));
    }

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    QVariantList m_values;
};

bool removeTemporaryRows(const QSqlDatabase &db, QString *error)
{
    return Database::exec(db, QLatin1String(kRemoveProjetsRows), {}, error) &&
           Database::exec(db, QLatin1String(kRemoveVendeursRows), {}, error);
}

// Stores the rows and the Status changes in one transaction, after removing
// the temporary rows of an earlier run; all or nothing.
TotalsResult store(const QSqlDatabase &db, const std::vector<RowWriter *> &writers,
                   const std::vector<std::pair<qint64, QString>> &statusWrites)
{
    QString error;
    Transaction tx(db);
    if (!tx.ok())
        return failure(tx.error());
    if (!removeTemporaryRows(db, &error))
        return failure(error);
    TotalsResult result;
    for (RowWriter *writer : writers) {
        if (!writer->write(&error))
            return failure(error);
        result.rows += writer->count();
    }
    QSqlQuery status(db);
    if (!statusWrites.empty() &&
        !status.prepare(QStringLiteral("UPDATE Vendeurs SET Status = ? WHERE rowid = ?")))
        return failure(status.lastError().text());
    for (const auto &[rowid, value] : statusWrites) {
        status.bindValue(0, value);
        status.bindValue(1, rowid);
        if (!status.exec())
            return failure(status.lastError().text());
    }
    if (!tx.commit())
        return failure(tx.error());
    result.outcome = TotalsResult::Outcome::Written;
    return result;
}

// Checks the period and opens the database; what to hand back instead when
// the period is not valid or the database does not open.
std::optional<TotalsResult> startTotals(const QString &databasePath, const ReportSelection &selection,
                                        QSqlDatabase *db)
{
    if (!selection.periodStart.isValid() || !selection.periodEnd.isValid())
        return outcome(TotalsResult::Outcome::PeriodInvalid);
    QString error;
    *db = Database::connection(databasePath, &error);
    if (!db->isOpen())
        return failure(error);
    return std::nullopt;
}

// Calls the progress callback, at most about every hundredth of the work.
class ProgressTicker {
public:
    ProgressTicker(const TotalsProgress &progress, qint64 total)
        : m_progress(progress), m_total(qMax<qint64>(1, total)), m_step(qMax<qint64>(1, m_total / 100))
    {
    }
    bool at(qint64 done)
    {
        if (!m_progress || (done % m_step != 0 && done != m_total))
            return true;
        return m_progress(done, m_total);
    }

private:
    const TotalsProgress &m_progress;
    qint64 m_total;
    qint64 m_step;
};

} // namespace

bool removeTemporaryReportRows(const QString &databasePath, QString *error)
{
    return Transaction::together(databasePath, &removeTemporaryRows, error);
}

TotalsResult TotalsByEmployee(const QString &databasePath, const ReportSelection &selection,
                              const TotalsProgress &progress)
{
    QSqlDatabase db;
    if (const std::optional<TotalsResult> refused = startTotals(databasePath, selection, &db))
        return *refused;
    QString error;

    // Employee rows with a name (temporary rows, which hold a project and a
    // sub-project, left out), in number order.
    struct Employee {
        qint64 rowid;
        QVariant number;
    };
    std::vector<Employee> employees;
    {
        const SqlQuery filter = EmployeeFilter(selection);
        QSqlQuery q(db);
        if (!Database::run(
                q,
                QStringLiteral("SELECT rowid, NoVendeur FROM Vendeurs WHERE NomVendeur Is Not Null "
                               "AND (Projet Is Null OR SousProjet Is Null) ") +
                    filter.text + QStringLiteral("ORDER BY NoVendeur, rowid"),
                filter.params, &error))
            return failure(error);
        while (q.next())
            employees.push_back({q.value(0).toLongLong(), q.value(1)});
    }
    // Every sub-project row, named or placeholder, in project then
    // sub-project order; temporary rows left out.
    struct SubProject {
        QVariant project;
        QVariant subProject;
        QString key; // of its punch lists
        bool endsProject = false;
    };
    std::vector<SubProject> subProjects;
    {
        QSqlQuery q(db);
        if (!Database::run(q,
                           QStringLiteral("SELECT Projet, SousProjet FROM Projets WHERE SousProjet <> '' AND "
                                          "NoVendeur Is Null AND ifnull(TotalHeures, '') = '' "
                                          "ORDER BY Projet, SousProjet, rowid"),
                           {}, &error))
            return failure(error);
        while (q.next())
            subProjects.push_back({q.value(0), q.value(1), PunchLists::listKey(q.value(0), q.value(1))});
        // A project ends at its last sub-project row.
        for (size_t s = 0; s < subProjects.size(); ++s)
            subProjects[s].endsProject =
                s + 1 == subProjects.size() || !sameValue(subProjects[s + 1].project, subProjects[s].project);
    }
    PunchLists punches;
    if (!punches.load(db, selection, &error))
        return failure(error);

    const TotalTexts texts;
    const QVariant noSubProject = nullText();
    RowWriter rows(db, QStringLiteral("Projets"),
                   {QStringLiteral("NoVendeur"), QStringLiteral("Projet"), QStringLiteral("SousProjet"),
                    QStringLiteral("TotalHeures")});
    rows.reserve(qint64(employees.size()) * qint64(subProjects.size()) * 2);
    std::vector<std::pair<qint64, QString>> statusWrites;
    ProgressTicker ticker(progress, qint64(employees.size()));
    for (size_t e = 0; e < employees.size(); ++e) {
        if (!ticker.at(qint64(e)))
            return outcome(TotalsResult::Outcome::Cancelled);
        const Employee &employee = employees[e];
        qint64 projectTotal = 0;
        bool projectAtWork = false;
        QString status;
        const PunchLists::NumberLists *lists = punches.of(employee.number);
        for (const SubProject &sub : subProjects) {
            const Pairing pairing = punches.walk(lists, sub.key);
            projectTotal += pairing.minutes();
            rows.add(employee.number, sub.project, sub.subProject,
                     texts.text(pairing.minutes(), pairing.atWork()));
            projectAtWork = projectAtWork || pairing.atWork();
            status = pairing.atWork() ? QStringLiteral("In") : QStringLiteral("Out");
            if (sub.endsProject) {
                rows.add(employee.number, sub.project, noSubProject, texts.text(projectTotal, projectAtWork));
                if (projectAtWork)
                    status = QStringLiteral("In");
                projectAtWork = false;
                projectTotal = 0;
            }
        }
        if (!status.isNull())
            statusWrites.emplace_back(employee.rowid, status);
    }
    if (!ticker.at(qint64(employees.size())))
        return outcome(TotalsResult::Outcome::Cancelled);
    return store(db, {&rows}, statusWrites);
}

TotalsResult TotalsByProject(const QString &databasePath, const ReportSelection &selection,
                             const TotalsProgress &progress)
{
    QSqlDatabase db;
    if (const std::optional<TotalsResult> refused = startTotals(databasePath, selection, &db))
        return *refused;
    QString error;

    // Project rows in project order, each with its sub-project rows in
    // sub-project order; temporary rows (with a total) left out.
    struct Project {
        QVariant name;
        QVariantList subProjects;
        QStringList keys; // of their punch lists
    };
    std::vector<Project> projects;
    qint64 units = 0;
    {
        QSqlQuery q(db);
        if (!Database::run(
                q,
                QStringLiteral("SELECT Projet FROM Projets WHERE Projet <> '' AND SousProjet Is Null "
                               "AND NoVendeur Is Null AND TotalHeures Is Null ORDER BY Projet, rowid"),
                {}, &error))
            return failure(error);
        while (q.next())
            projects.push_back({q.value(0), {}, {}});
        for (Project &project : projects) {
            if (!Database::run(
                    q,
                    QStringLiteral("SELECT SousProjet FROM Projets WHERE Projet = ? AND "
                                   "SousProjet <> '' AND NoVendeur Is Null AND TotalHeures Is Null "
                                   "ORDER BY SousProjet, rowid"),
                    {project.name}, &error))
                return failure(error);
            while (q.next()) {
                project.subProjects << q.value(0);
                project.keys << PunchLists::listKey(project.name, q.value(0));
            }
            units += project.subProjects.size();
        }
    }
    // Employee rows: no project and no sub-project, in the order they were
    // entered.
    struct Employee {
        qint64 rowid;
        QVariant number;
        QVariant name;
        QVariant status;
        const PunchLists::NumberLists *lists = nullptr;
        bool statusChanged = false;
    };
    std::vector<Employee> employees;
    {
        const SqlQuery filter = EmployeeFilter(selection);
        QSqlQuery q(db);
        if (!Database::run(q,
                           QStringLiteral("SELECT rowid, NoVendeur, NomVendeur, Status FROM Vendeurs "
                                          "WHERE Projet Is Null AND SousProjet Is Null ") +
                               filter.text + QStringLiteral("ORDER BY rowid"),
                           filter.params, &error))
            return failure(error);
        // A temporary row always holds a number and a name (empty when the
        // employee row has none), so that it is never taken for a presence
        // row and the clean-up finds it.
        const auto textOrEmpty = [](const QVariant &v) {
            return v.isNull() ? QVariant(QLatin1String("")) : v;
        };
        while (q.next())
            employees.push_back(
                {q.value(0).toLongLong(), textOrEmpty(q.value(1)), textOrEmpty(q.value(2)), q.value(3)});
    }
    PunchLists punches;
    if (!punches.load(db, selection, &error))
        return failure(error);
    for (Employee &employee : employees)
        employee.lists = punches.of(employee.number);

    const TotalTexts texts;
    const QVariant noSubProject = nullText();
    RowWriter employeeRows(db, QStringLiteral("Vendeurs"),
                           {QStringLiteral("NoVendeur"), QStringLiteral("NomVendeur"),
                            QStringLiteral("Projet"), QStringLiteral("SousProjet"), QStringLiteral("Status"),
                            QStringLiteral("TotalHeures")});
    RowWriter totalRows(
        db, QStringLiteral("Projets"),
        {QStringLiteral("Projet"), QStringLiteral("SousProjet"), QStringLiteral("TotalHeures")});
    employeeRows.reserve(units * qint64(employees.size()));
    ProgressTicker ticker(progress, units);
    qint64 done = 0;
    for (const Project &project : projects) {
        qint64 projectTotal = 0;
        for (int s = 0; s < project.subProjects.size(); ++s) {
            const QVariant &subProject = project.subProjects.at(s);
            if (!ticker.at(done++))
                return outcome(TotalsResult::Outcome::Cancelled);
            qint64 subTotal = 0;
            for (Employee &employee : employees) {
                const Pairing pairing = punches.walk(employee.lists, project.keys.at(s));
                employeeRows.add(employee.number, employee.name, project.name, subProject, employee.status,
                                 texts.text(pairing.minutes(), pairing.atWork()));
                if (pairing.atWork()) {
                    employee.status = QStringLiteral("In");
                    employee.statusChanged = true;
                }
                subTotal += pairing.minutes();
            }
            totalRows.add(project.name, subProject, texts.text(subTotal));
            projectTotal += subTotal;
        }
        totalRows.add(project.name, noSubProject, texts.text(projectTotal));
    }
    if (!ticker.at(units))
        return outcome(TotalsResult::Outcome::Cancelled);
    std::vector<std::pair<qint64, QString>> statusWrites;
    for (const Employee &employee : employees) {
        if (employee.statusChanged)
            statusWrites.emplace_back(employee.rowid, QStringLiteral("In"));
    }
    return store(db, {&employeeRows, &totalRows}, statusWrites);
}

} // namespace tarnvik
