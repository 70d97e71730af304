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

// The progress of one computation on one scale: the punches read take the
// first tenths, the totals computed the next, the rows written the rest.
// The callback is called at most about every hundredth of a phase.
class ProgressTicker {
public:
    enum Phase { Reading, Computing, Writing };
    explicit ProgressTicker(const TotalsProgress &progress) : m_progress(progress) {}
    void phase(Phase phase, qint64 total)
    {
        m_phase = phase;
        m_total = qMax<qint64>(1, total);
        m_step = qMax<qint64>(1, m_total / 100);
        m_last = -1;
    }
    // false once cancelled
    bool at(qint64 done)
    {
        if (!m_progress)
            return true;
        done = qBound<qint64>(0, done, m_total);
        if (done / m_step == m_last && done != m_total)
            return true;
        m_last = done / m_step;
        static constexpr qint64 Start[] = {0, 250, 500};
        static constexpr qint64 Share[] = {250, 250, 500};
        return m_progress(Start[m_phase] + Share[m_phase] * done / m_total, Scale);
    }
    static constexpr qint64 Scale = 1000;

private:
    const TotalsProgress &m_progress;
    Phase m_phase = Reading;
    qint64 m_total = 1;
    qint64 m_step = 1;
    qint64 m_last = -1;
};

// The punches of the period and archive choice, in lists of one number, one
// project and one sub-project, each list in date, time and entry order.
class PunchLists {
public:
    // One list: its items, what it lists, and its pairs across the period's bounds.
    struct List {
        int first = 0;
        int end = 0;
        QVariant number;
        QVariant project;
        QVariant subProject;
        std::optional<qint64> outAfter; // the "Out" closing its last "In" after the period
        bool outCountedBefore = false;  // its first "Out" closes an "In" before the period
    };
    // The lists of one number, by project and sub-project (see listKey).
    using NumberLists = QHash<QString, List>;

    // numbers: how many numbers the lists are expected to hold (progress).
    bool load(const QSqlDatabase &db, const ReportSelection &selection, qint64 numbers,
              ProgressTicker &ticker, QString *error, bool *cancelled)
    {
        const SqlQuery archive = ArchiveFilter(selection);
        QSqlQuery q(db);
        q.setForwardOnly(true);
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
        ticker.phase(ProgressTicker::Reading, numbers);
        QString number;
        QString key;
        NumberLists *lists = nullptr;
        List list;
        while (q.next()) {
            if (q.isNull(0) || q.isNull(1) || q.isNull(2))
                continue; // matches no employee or sub-project
            const QString rowNumber = q.value(0).toString();
            const QString rowKey = listKey(q.value(1).toString(), q.value(2).toString());
            if (!lists || rowNumber != number || rowKey != key) {
                close(lists, key, list);
                if (!lists || rowNumber != number) {
                    number = rowNumber;
                    lists = &m_byNumber[number];
                    if (!ticker.at(m_byNumber.size())) {
                        *cancelled = true;
                        return false;
                    }
                }
                key = rowKey;
                list = List{int(m_items.size()), 0, q.value(0), q.value(1), q.value(2), std::nullopt, false};
            }
            m_items.push_back(
                {WorkedTime::instant(q.value(4), q.value(5)), WorkedTime::direction(q.value(3).toString())});
        }
        close(lists, key, list);
        return readNeighbours(db, selection, archive, error);
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

    // The pairing of one list, with the pairs across the period's bounds.
    Pairing walk(const NumberLists *lists, const QString &key) const
    {
        Pairing pairing;
        if (!lists || key.isNull())
            return pairing;
        const auto found = lists->constFind(key);
        if (found == lists->constEnd())
            return pairing;
        const List &list = found.value();
        const int first = list.first + (list.outCountedBefore ? 1 : 0);
        for (int i = first; i < list.end; ++i) {
            const bool last = i + 1 == list.end;
            pairing.add(m_items[size_t(i)].direction, m_items[size_t(i)].instant, last && !list.outAfter);
            if (last && list.outAfter)
                pairing.add(Direction::Out, *list.outAfter, true);
        }
        return pairing;
    }

private:
    struct Item {
        qint64 instant;
        Direction direction;
    };
    void close(NumberLists *lists, const QString &key, List &list)
    {
        if (!lists || int(m_items.size()) <= list.first)
            return;
        list.end = int(m_items.size());
        lists->insert(key, list);
    }

    // The punch of a list next after the period (or last before it), as the
    // walk needs it: only for a list ending with an "In" (starting with an
    // "Out"); the look-up goes through the index of a number's punches.
    bool readNeighbours(const QSqlDatabase &db, const ReportSelection &selection, const SqlQuery &archive,
                        QString *error)
    {
        const QString select = QStringLiteral("SELECT InOut, PunchDateShort, PunchTime FROM Punch "
                                              "WHERE NoVendeur = ? AND Projet = ? AND SousProjet = ? AND ");
        QSqlQuery after(db);
        QSqlQuery before(db);
        if (!after.prepare(select + QStringLiteral("PunchDateShort > ? ") + archive.text +
                           QStringLiteral("ORDER BY PunchDateShort, PunchTime, rowid LIMIT 1")) ||
            !before.prepare(
                select + QStringLiteral("PunchDateShort < ? ") + archive.text +
                QStringLiteral("ORDER BY PunchDateShort DESC, PunchTime DESC, rowid DESC LIMIT 1"))) {
            *error = after.lastError().text() + before.lastError().text();
            return false;
        }
        const auto neighbour = [&](QSqlQuery &q, const List &list, const QDate &bound,
                                   Direction wanted) -> std::optional<qint64> {
            QVariantList params{list.number, list.project, list.subProject, toStoredDate(bound)};
            params += archive.params;
            for (int i = 0; i < params.size(); ++i)
                q.bindValue(i, params.at(i));
            if (!q.exec()) {
                *error = q.lastError().text();
                return std::nullopt;
            }
            std::optional<qint64> instant;
            if (q.next() && WorkedTime::direction(q.value(0).toString()) == wanted)
                instant = WorkedTime::instant(q.value(1), q.value(2));
            q.finish();
            return instant;
        };
        for (NumberLists &lists : m_byNumber) {
            for (List &list : lists) {
                if (m_items[size_t(list.end - 1)].direction == Direction::In) {
                    list.outAfter = neighbour(after, list, selection.periodEnd, Direction::Out);
                    if (!error->isEmpty())
                        return false;
                }
                if (m_items[size_t(list.first)].direction == Direction::Out) {
                    list.outCountedBefore =
                        neighbour(before, list, selection.periodStart, Direction::In).has_value();
                    if (!error->isEmpty())
                        return false;
                }
            }
        }
        return true;
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

    // done: rows written before these (progress).
    bool write(QString *error, ProgressTicker &ticker, qint64 done, bool *cancelled)
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
            if (!ticker.at(done + start + n)) {
                *cancelled = true;
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

// Stores the rows and the Status changes into the run's tables in one
// transaction; all or nothing.
TotalsResult store(const QSqlDatabase &db, const std::vector<RowWriter *> &writers,
                   std::vector<TotalsResult::StatusChange> statusChanges, ProgressTicker &ticker)
{
    QString error;
    Transaction tx(db);
    if (!tx.ok())
        return failure(tx.error());
    TotalsResult result;
    qint64 total = 0;
    for (RowWriter *writer : writers)
        total += writer->count();
    ticker.phase(ProgressTicker::Writing, total);
    bool cancelled = false;
    for (RowWriter *writer : writers) {
        if (!writer->write(&error, ticker, result.rows, &cancelled))
            return cancelled ? outcome(TotalsResult::Outcome::Cancelled) : failure(error);
        result.rows += writer->count();
    }
    QSqlQuery status(db);
    if (!statusChanges.empty() &&
        !status.prepare(QStringLiteral("UPDATE Vendeurs SET Status = ? WHERE rowid = ?")))
        return failure(status.lastError().text());
    for (const TotalsResult::StatusChange &change : statusChanges) {
        status.bindValue(0, change.after);
        status.bindValue(1, change.rowid);
        if (!status.exec())
            return failure(status.lastError().text());
    }
    if (!tx.commit())
        return failure(tx.error());
    if (!ticker.at(total))
        return outcome(TotalsResult::Outcome::Cancelled);
    result.outcome = TotalsResult::Outcome::Written;
    result.statusChanges = std::move(statusChanges);
    return result;
}

// Checks the period and the run's connection; what to hand back instead
// when the period is not valid (a bound that is no date, or an end before
// the start) or the connection is not open.
std::optional<TotalsResult> startTotals(const QSqlDatabase &db, const ReportSelection &selection)
{
    if (!selection.periodStart.isValid() || !selection.periodEnd.isValid() ||
        selection.periodEnd < selection.periodStart)
        return outcome(TotalsResult::Outcome::PeriodInvalid);
    if (!db.isOpen())
        return failure(QStringLiteral("the database is not open"));
    return std::nullopt;
}

} // namespace

bool removeTemporaryReportRows(const QString &databasePath, QString *error)
{
    return Transaction::together(databasePath, &removeTemporaryRows, error);
}

bool hasTemporaryReportRows(const QString &databasePath)
{
    const QSqlDatabase db = Database::connection(databasePath);
    QSqlQuery q(db);
    return db.isOpen() &&
           Database::run(q,
                         QStringLiteral("SELECT EXISTS (SELECT 1 FROM Projets WHERE NoVendeur <> '' OR "
                                        "TotalHeures <> '') OR EXISTS (SELECT 1 FROM Vendeurs WHERE "
                                        "NomVendeur Is Not Null AND SousProjet Is Not Null AND Projet Is "
                                        "Not Null)"),
                         {}, nullptr) &&
           q.next() && q.value(0).toBool();
}

bool applyStatusChanges(const QString &databasePath, const std::vector<TotalsResult::StatusChange> &changes,
                        QString *error)
{
    if (changes.empty())
        return true;
    return Transaction::together(
        databasePath,
        [&changes](const QSqlDatabase &db, QString *why) {
            QSqlQuery q(db);
            if (!q.prepare(QStringLiteral("UPDATE Vendeurs SET Status = ? WHERE rowid = ? AND NoVendeur IS ? "
                                          "AND Status IS ? AND NomVendeur Is Not Null"))) {
                *why = q.lastError().text();
                return false;
            }
            for (const TotalsResult::StatusChange &change : changes) {
                q.bindValue(0, change.after);
                q.bindValue(1, change.rowid);
                q.bindValue(2, change.number);
                q.bindValue(3, change.before);
                if (!q.exec()) {
                    *why = q.lastError().text();
                    return false;
                }
            }
            return true;
        },
        error, Transaction::Lock::Immediate);
}

TotalsResult TotalsByEmployee(const QSqlDatabase &db, const ReportSelection &selection,
                              const TotalsProgress &progress)
{
    if (const std::optional<TotalsResult> refused = startTotals(db, selection))
        return *refused;
    ProgressTicker ticker(progress);
    bool cancelled = false;
    QString error;

    // Employee rows with a name (temporary rows, which hold a project and a
    // sub-project, left out), in number order.
    struct Employee {
        qint64 rowid;
        QVariant number;
        QVariant status;
    };
    std::vector<Employee> employees;
    {
        const SqlQuery filter = EmployeeFilter(selection);
        QSqlQuery q(db);
        if (!Database::run(
                q,
                QStringLiteral("SELECT rowid, NoVendeur, Status FROM Vendeurs WHERE NomVendeur Is Not Null "
                               "AND (Projet Is Null OR SousProjet Is Null) ") +
                    filter.text + QStringLiteral("ORDER BY NoVendeur, rowid"),
                filter.params, &error))
            return failure(error);
        while (q.next())
            employees.push_back({q.value(0).toLongLong(), q.value(1), q.value(2)});
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
    if (!punches.load(db, selection, qint64(employees.size()), ticker, &error, &cancelled))
        return cancelled ? outcome(TotalsResult::Outcome::Cancelled) : failure(error);

    const TotalTexts texts;
    const QVariant noSubProject = nullText();
    RowWriter rows(db, QStringLiteral("Projets"),
                   {QStringLiteral("NoVendeur"), QStringLiteral("Projet"), QStringLiteral("SousProjet"),
                    QStringLiteral("TotalHeures")});
    rows.reserve(qint64(employees.size()) * qint64(subProjects.size()) * 2);
    std::vector<TotalsResult::StatusChange> statusChanges;
    ticker.phase(ProgressTicker::Computing, qint64(employees.size()));
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
            statusChanges.push_back({employee.rowid, employee.number, employee.status, status});
    }
    if (!ticker.at(qint64(employees.size())))
        return outcome(TotalsResult::Outcome::Cancelled);
    return store(db, {&rows}, std::move(statusChanges), ticker);
}

TotalsResult TotalsByProject(const QSqlDatabase &db, const ReportSelection &selection,
                             const TotalsProgress &progress)
{
    if (const std::optional<TotalsResult> refused = startTotals(db, selection))
        return *refused;
    ProgressTicker ticker(progress);
    bool cancelled = false;
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
        QVariant readStatus; // as read, before the run changes it
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
            employees.push_back({q.value(0).toLongLong(), textOrEmpty(q.value(1)), textOrEmpty(q.value(2)),
                                 q.value(3), nullptr, false, q.value(3)});
    }
    PunchLists punches;
    if (!punches.load(db, selection, qint64(employees.size()), ticker, &error, &cancelled))
        return cancelled ? outcome(TotalsResult::Outcome::Cancelled) : failure(error);
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
    ticker.phase(ProgressTicker::Computing, units);
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
    std::vector<TotalsResult::StatusChange> statusChanges;
    for (const Employee &employee : employees) {
        if (employee.statusChanged)
            statusChanges.push_back(
                {employee.rowid, employee.number, employee.readStatus, QStringLiteral("In")});
    }
    return store(db, {&employeeRows, &totalRows}, std::move(statusChanges), ticker);
}

} // namespace tarnvik
