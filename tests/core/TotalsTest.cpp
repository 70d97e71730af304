#include "reports/Totals.h"

#include "common/Database.h"
#include "localisation/LOCRTSModule.h"
#include "reports/WorkedTime.h"
#include "support/DataGenerator.h"
#include "support/ProgramFixture.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>

#include <random>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using Outcome = TotalsResult::Outcome;

namespace {

const QString AtWork = u" (Employé(e) au travail)"_s;

// Lists compared as text, so that a difference reads plainly.
std::string lines(const QStringList &list)
{
    return list.join(u'\n').toStdString();
}

class TotalsTest : public test::ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 1"_s); // French: " Heures:Minutes"
    }
    // The first week of March 2003, every punch, every employee.
    static ReportSelection week()
    {
        ReportSelection s;
        s.periodStart = QDate(2003, 3, 3);
        s.periodEnd = QDate(2003, 3, 9);
        return s;
    }
    void punch(const QString &number, const QString &inOut, int day, const QString &time,
               const QString &project, const QString &sub, bool archived = false)
    {
        addPunch(number, inOut, QDate(2003, 3, 3).addDays(day), QTime::fromString(time, u"HH:mm"_s), project,
                 sub, archived);
    }
    // "h:mm" with the unit, as stored.
    static QString t(const QString &hm) { return hm + LOC_RTString(1032); }
    // The temporary rows of Projets as "number|project|sub-project|total", "-" for Null.
    QStringList projetsRows() const
    {
        return column(
            u"SELECT ifnull(NoVendeur,'-')||'|'||Projet||'|'||ifnull(SousProjet,'-')||'|'||TotalHeures "
            "FROM Projets WHERE TotalHeures Is Not Null ORDER BY rowid"_s);
    }
    QStringList vendeursRows() const
    {
        return column(
            u"SELECT NoVendeur||'|'||NomVendeur||'|'||Projet||'|'||SousProjet||'|'||ifnull(Status,'-')||'|'"
            "||TotalHeures FROM Vendeurs WHERE Projet Is Not Null AND TotalHeures Is Not Null "
            "ORDER BY rowid"_s);
    }
    QString statuses() const
    {
        return scalar(u"SELECT group_concat(NoVendeur||'='||ifnull(Status,'-'), ' ') FROM (SELECT * FROM "
                      u"Vendeurs "
                      "WHERE NomVendeur Is Not Null AND Projet Is Null ORDER BY NoVendeur)"_s)
            .toString();
    }
    QStringList column(const QString &sql) const
    {
        QStringList values;
        for (const QVariantMap &row : rows(sql))
            values << row.first().toString();
        return values;
    }
    TotalsResult byEmployee(const ReportSelection &s = week()) { return TotalsByEmployee(databasePath(), s); }
    TotalsResult byProject(const ReportSelection &s = week()) { return TotalsByProject(databasePath(), s); }
};

TEST_F(TotalsTest, ByEmployeeRowsSuffixesAndStatus)
{
    addEmployee(u"1002"_s, u"Bruno"_s, u"In"_s);
    addEmployee(u"1001"_s, u"Alice"_s, u"In"_s);
    addEmployee(u"1003"_s, u"Chloé"_s, u"In"_s);
    addProject(u"P"_s, {u"B"_s, u"A"_s});
    addProject(u"Q"_s, {u"C"_s});
    // Alice: 90 and 45 minutes on P, only an In on Q (the last project): still at work.
    punch(u"1001"_s, u"In"_s, 0, u"08:00"_s, u"P"_s, u"A"_s);
    punch(u"1001"_s, u"Out"_s, 0, u"09:30"_s, u"P"_s, u"A"_s);
    punch(u"1001"_s, u"In"_s, 1, u"10:00"_s, u"P"_s, u"B"_s);
    punch(u"1001"_s, u"Out"_s, 1, u"10:45"_s, u"P"_s, u"B"_s);
    punch(u"1001"_s, u"In"_s, 2, u"08:00"_s, u"Q"_s, u"C"_s);
    // Bruno: unequal counts on P, equal on the later Q; 22:00 to 06:00 the next day.
    punch(u"1002"_s, u"In"_s, 0, u"08:00"_s, u"P"_s, u"A"_s);
    punch(u"1002"_s, u"In"_s, 0, u"09:00"_s, u"P"_s, u"A"_s);
    punch(u"1002"_s, u"Out"_s, 0, u"12:00"_s, u"P"_s, u"A"_s);
    punch(u"1002"_s, u"In"_s, 3, u"22:00"_s, u"Q"_s, u"C"_s);
    punch(u"1002"_s, u"Out"_s, 4, u"06:00"_s, u"Q"_s, u"C"_s);
    // Chloé: "in" and "OUT" are passed over.
    punch(u"1003"_s, u"in"_s, 0, u"08:00"_s, u"P"_s, u"A"_s);
    punch(u"1003"_s, u"OUT"_s, 0, u"12:00"_s, u"P"_s, u"A"_s);

    const TotalsResult result = byEmployee();
    ASSERT_EQ(result.outcome, Outcome::Written) << result.error.toStdString();
    EXPECT_EQ(result.rows, 15);
    EXPECT_EQ(lines(projetsRows()), lines({
                                        u"1001|P|A|"_s + t(u"1:30"_s),
                                        u"1001|P|B|"_s + t(u"0:45"_s),
                                        u"1001|P|-|"_s + t(u"2:15"_s),
                                        u"1001|Q|C|"_s + t(u"0:00"_s) + AtWork,
                                        u"1001|Q|-|"_s + t(u"0:00"_s) + AtWork,
                                        u"1002|P|A|"_s + t(u"3:00"_s) + AtWork,
                                        u"1002|P|B|"_s + t(u"0:00"_s),
                                        u"1002|P|-|"_s + t(u"3:00"_s) + AtWork,
                                        u"1002|Q|C|"_s + t(u"8:00"_s),
                                        u"1002|Q|-|"_s + t(u"8:00"_s),
                                        u"1003|P|A|"_s + t(u"0:00"_s),
                                        u"1003|P|B|"_s + t(u"0:00"_s),
                                        u"1003|P|-|"_s + t(u"0:00"_s),
                                        u"1003|Q|C|"_s + t(u"0:00"_s),
                                        u"1003|Q|-|"_s + t(u"0:00"_s),
                                    }));
    EXPECT_EQ(statuses(), u"1001=In 1002=Out 1003=Out"_s);
}

TEST_F(TotalsTest, PeriodDaysArchiveChoiceAndEmployeesTable)
{
    addEmployee(u"1001"_s, u"Alice"_s);
    addEmployee(u"1002"_s, u"Bruno"_s);
    addProject(u"P"_s, {u"A"_s});
    // One hour on the day before the period, on its first day (archived), on
    // its last day, and on the day after; Bruno two hours inside.
    for (int day : {-1, 0, 6, 7}) {
        punch(u"1001"_s, u"In"_s, day, u"08:00"_s, u"P"_s, u"A"_s, day == 0);
        punch(u"1001"_s, u"Out"_s, day, u"09:00"_s, u"P"_s, u"A"_s, day == 0);
    }
    punch(u"1002"_s, u"In"_s, 3, u"08:00"_s, u"P"_s, u"A"_s);
    punch(u"1002"_s, u"Out"_s, 3, u"10:00"_s, u"P"_s, u"A"_s);
    using Archive = ReportSelection::Archive;
    using Employees = ReportSelection::Employees;
    const struct {
        Archive archive;
        Employees employees;
        QStringList checked;
        const char *expected; // sub-project rows, "number total"
    } cases[] = {
        {Archive::Both, Employees::All, {}, "1001 2:00, 1002 2:00"},
        {Archive::CurrentOnly, Employees::All, {}, "1001 1:00, 1002 2:00"},
        {Archive::ArchivedOnly, Employees::All, {}, "1001 1:00, 1002 0:00"},
        {Archive::NoneChosen, Employees::All, {}, "1001 2:00, 1002 2:00"},
        {Archive::Both, Employees::Checked, {u"1002"_s}, "1002 2:00"},
        {Archive::Both, Employees::Checked, {}, "1001 2:00, 1002 2:00"}, // nothing checked: everyone
        {Archive::Both, Employees::Checked, {u"1002"_s, u"1001"_s}, "1001 2:00, 1002 2:00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        ReportSelection s = week();
        s.archive = c.archive;
        s.employees = c.employees;
        s.checkedEmployees = c.checked;
        ASSERT_TRUE(byEmployee(s).written());
        EXPECT_EQ(
            column(u"SELECT NoVendeur||' '||substr(TotalHeures,1,4) FROM Projets WHERE NoVendeur Is Not Null "
                   "AND SousProjet Is Not Null ORDER BY rowid"_s)
                .join(u", "_s),
            QString::fromUtf8(c.expected));
        // The next run starts by removing these rows; the by-project totals likewise.
        ASSERT_TRUE(byProject(s).written());
        EXPECT_EQ(
            column(u"SELECT NoVendeur||' '||substr(TotalHeures,1,4) FROM Vendeurs WHERE Projet Is Not Null "
                   "ORDER BY rowid"_s)
                .join(u", "_s),
            QString::fromUtf8(c.expected));
        EXPECT_EQ(projetsRows().size(), 2) << "only this run's sub-project and project rows";
    }
}

// One project P with sub-projects A and B, two employees.
TEST_F(TotalsTest, ByProjectRowsAndStatusCopies)
{
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    addEmployee(u"1002"_s, u"Bruno"_s, u"Out"_s);
    addProject(u"P"_s, {u"A"_s, u"B"_s});
    addProject(u"Vide"_s, {});
    addProject(u"Aucun"_s, {u"Aucun"_s});
    punch(u"1001"_s, u"In"_s, 0, u"08:00"_s, u"P"_s, u"A"_s);
    punch(u"1001"_s, u"Out"_s, 0, u"12:00"_s, u"P"_s, u"A"_s);
    punch(u"1002"_s, u"In"_s, 0, u"13:00"_s, u"P"_s, u"A"_s);
    punch(u"1002"_s, u"Out"_s, 0, u"14:30"_s, u"P"_s, u"A"_s);
    punch(u"1001"_s, u"In"_s, 1, u"07:00"_s, u"Aucun"_s, u"Aucun"_s); // still at work, first project in order
    punch(u"1002"_s, u"In"_s, 1, u"07:00"_s, u"Aucun"_s, u"Aucun"_s);
    punch(u"1002"_s, u"Out"_s, 1, u"07:10"_s, u"Aucun"_s, u"Aucun"_s);

    const TotalsResult result = byProject();
    ASSERT_EQ(result.outcome, Outcome::Written) << result.error.toStdString();
    // Alice's first row with unequal counts copies her Status from before;
    // the rows written for her afterwards copy "In".
    EXPECT_EQ(lines(vendeursRows()), lines({
                                         u"1001|Alice|Aucun|Aucun|Out|"_s + t(u"0:00"_s) + AtWork,
                                         u"1002|Bruno|Aucun|Aucun|Out|"_s + t(u"0:10"_s),
                                         u"1001|Alice|P|A|In|"_s + t(u"4:00"_s),
                                         u"1002|Bruno|P|A|Out|"_s + t(u"1:30"_s),
                                         u"1001|Alice|P|B|In|"_s + t(u"0:00"_s),
                                         u"1002|Bruno|P|B|Out|"_s + t(u"0:00"_s),
                                     }));
    EXPECT_EQ(lines(projetsRows()), lines({
                                        u"-|Aucun|Aucun|"_s + t(u"0:10"_s),
                                        u"-|Aucun|-|"_s + t(u"0:10"_s),
                                        u"-|P|A|"_s + t(u"5:30"_s),
                                        u"-|P|B|"_s + t(u"0:00"_s),
                                        u"-|P|-|"_s + t(u"5:30"_s),
                                        u"-|Vide|-|"_s + t(u"0:00"_s),
                                    }));
    EXPECT_EQ(statuses(), u"1001=In 1002=Out"_s);
}

TEST_F(TotalsTest, NothingWrittenOnAnInvalidPeriodAFailureOrACancel)
{
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    addProject(u"P"_s, {u"A"_s});
    punch(u"1001"_s, u"In"_s, 0, u"08:00"_s, u"P"_s, u"A"_s);
    ReportSelection blank = week();
    blank.periodEnd = QDate();
    EXPECT_EQ(byEmployee(blank).outcome, Outcome::PeriodInvalid);
    EXPECT_EQ(byProject(blank).outcome, Outcome::PeriodInvalid);

    const auto stop = [](qint64, qint64) { return false; };
    EXPECT_EQ(TotalsByEmployee(databasePath(), week(), stop).outcome, Outcome::Cancelled);
    EXPECT_EQ(TotalsByProject(databasePath(), week(), stop).outcome, Outcome::Cancelled);

    // A write refused half-way: the rows and the Status written before it go too.
    execSql(u"CREATE TRIGGER Refuse BEFORE INSERT ON Projets WHEN NEW.SousProjet Is Null "
            "BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
    for (const TotalsResult &failed : {byEmployee(), byProject()}) {
        EXPECT_EQ(failed.outcome, Outcome::Failed);
        EXPECT_TRUE(failed.error.contains(u"disk full"_s)) << failed.error.toStdString();
    }
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Projets WHERE TotalHeures Is Not Null"_s).toInt(), 0);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE Projet Is Not Null"_s).toInt(), 0);
    EXPECT_EQ(statuses(), u"1001=Out"_s);
    EXPECT_EQ(TotalsByEmployee(folder() + u"/missing.mdb"_s, week()).outcome, Outcome::Failed);
}

TEST_F(TotalsTest, LeftoversOfAnUnfinishedRunQuotesAndNamelessEmployeeRows)
{
    addEmployee(u"1001"_s, u"Chloé D'Arcy"_s, u"Out"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Status) VALUES ('1002', 'Out')"_s); // no name
    addProject(u"L'atelier"_s, {u"Découpe 'fine'"_s});
    punch(u"1001"_s, u"In"_s, 0, u"08:00"_s, u"l'ATELIER"_s,
          u"découpe 'FINE'"_s); // names compare without case
    punch(u"1001"_s, u"Out"_s, 0, u"09:00"_s, u"L'atelier"_s, u"Découpe 'fine'"_s);
    // Rows an earlier run left behind are neither counted nor kept.
    execSql(u"INSERT INTO Projets (NoVendeur, Projet, SousProjet, TotalHeures) VALUES ('1001', 'L''atelier', "
            "'Découpe ''fine''', '9:00')"_s);
    execSql(u"INSERT INTO Projets (Projet, SousProjet, TotalHeures) VALUES ('Vieux', 'V', '1:00')"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur, Projet, SousProjet, TotalHeures) "
            "VALUES ('1001', 'Chloé D''Arcy', 'Vieux', 'V', '1:00')"_s);

    ASSERT_TRUE(byEmployee().written());
    EXPECT_EQ(lines(projetsRows()), lines({u"1001|L'atelier|Découpe 'fine'|"_s + t(u"1:00"_s),
                                           u"1001|L'atelier|-|"_s + t(u"1:00"_s)}));
    ASSERT_TRUE(byProject().written());
    // The employee row without a name gets an empty name, so that its report
    // row is never taken for a presence.
    EXPECT_EQ(vendeursRows(),
              QStringList({u"1001|Chloé D'Arcy|L'atelier|Découpe 'fine'|Out|"_s + t(u"1:00"_s),
                           u"1002||L'atelier|Découpe 'fine'|Out|"_s + t(u"0:00"_s)}));
    ASSERT_TRUE(removeTemporaryReportRows(databasePath()));
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs"_s).toInt(), 2);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Projets"_s).toInt(), 2);
}

// The straightforward walk: one query per employee and sub-project, pairing
// in list order, rows written as they come.
struct ReferenceWalk {
    QSqlDatabase db;
    ReportSelection s;
    QString unit = LOC_RTString(1032);

    QList<QVariantList> query(const QString &sql, const QVariantList &params) const
    {
        QSqlQuery q(db);
        QString error;
        EXPECT_TRUE(Database::run(q, sql, params, &error)) << error.toStdString();
        QList<QVariantList> result;
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            result << row;
        }
        return result;
    }
    struct Walk {
        qint64 minutes = 0;
        int ins = 0, outs = 0;
    };
    Walk walk(const QVariant &number, const QVariant &project, const QVariant &sub) const
    {
        const SqlQuery archive = ArchiveFilter(s);
        const auto punches =
            query(u"SELECT InOut, PunchDateShort, PunchTime FROM Punch WHERE NoVendeur = ? AND "
                  "PunchDateShort >= ? AND PunchDateShort <= ? AND Projet = ? AND SousProjet = ? "_s +
                      archive.text + u"ORDER BY PunchDateShort, PunchTime, rowid"_s,
                  QVariantList{number.toString(), s.periodStart.toString(Qt::ISODate),
                               s.periodEnd.toString(Qt::ISODate), project, sub} +
                      archive.params);
        Walk w;
        bool open = false;
        QDateTime lastIn;
        for (int i = 0; i < punches.size(); ++i) {
            const QDateTime at(QDate::fromString(punches[i][1].toString(), Qt::ISODate),
                               QTime::fromString(punches[i][2].toString(), u"HH:mm:ss"_s), Qt::UTC);
            if (punches[i][0] == u"In"_s) {
                ++w.ins;
                if (i + 1 < punches.size()) {
                    open = true;
                    lastIn = at;
                }
            } else if (punches[i][0] == u"Out"_s) {
                ++w.outs;
                if (open) {
                    const qint64 m = WorkedTime::roundedMinutes(lastIn.secsTo(at));
                    if (m >= -32768 && m <= 32767)
                        w.minutes += m;
                    open = false;
                }
            }
        }
        return w;
    }
    QString text(qint64 minutes, bool atWork) const
    {
        return WorkedTime::text(minutes, unit) + (atWork ? AtWork : QString());
    }
};

// A random database with the awkward punches a station can hold.
void addAwkwardPunches(test::ProgramFixture &, const QString &path, unsigned seed)
{
    std::mt19937 random(seed);
    const QSqlDatabase db = Database::connection(path);
    const QStringList directions = {u"In"_s, u"Out"_s, u"in"_s, u"OUT"_s, u"In"_s, u"Out"_s};
    for (int i = 0; i < 300; ++i) {
        const int p = int(random() % 3), sub = int(random() % 4);
        Database::exec(db,
                       u"INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, Projet, SousProjet, "
                       "Archived) VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                       {test::employeeNumber(int(random() % 10)),
                        directions[int(random() % directions.size())],
                        QDate(2003, 2, 1).addDays(int(random() % 40)).toString(Qt::ISODate),
                        QTime(6 + int(random() % 3), int(random() % 2) * 30).toString(u"HH:mm:ss"_s),
                        i % 7 == 0 ? test::projectName(p).toUpper() : test::projectName(p),
                        test::subProjectName(p, sub), int(random() % 2)});
    }
}

TEST_F(TotalsTest, ResultsEqualAStraightforwardWalkOnARandomDatabase)
{
    test::GeneratedData data;
    data.punches = 3000;
    data.from = QDate(2003, 1, 1);
    data.to = QDate(2003, 3, 31);
    ASSERT_TRUE(test::generateDatabase(databasePath(), data));
    addAwkwardPunches(*this, databasePath(), 7);
    execSql(u"UPDATE Vendeurs SET Status = CASE WHEN rowid % 2 = 0 THEN 'In' ELSE 'Out' END"_s);
    const QString originalStatus = statuses();
    ReportSelection s;
    s.periodStart = QDate(2003, 2, 3);
    s.periodEnd = QDate(2003, 3, 2);
    s.archive = ReportSelection::Archive::CurrentOnly;
    s.employees = ReportSelection::Employees::Checked;
    s.checkedEmployees = {test::employeeNumber(4), test::employeeNumber(0), test::employeeNumber(7),
                          test::employeeNumber(2)};
    ReferenceWalk ref{Database::connection(databasePath()), s};

    // By employee: employees in number order, sub-projects in project order.
    QStringList expected;
    QStringList expectedStatus;
    const SqlQuery employees = EmployeeFilter(s);
    const auto subs =
        ref.query(u"SELECT Projet, SousProjet FROM Projets WHERE SousProjet <> '' AND NoVendeur Is "
                  "Null ORDER BY Projet, SousProjet"_s,
                  {});
    for (const QVariantList &e : ref.query(u"SELECT NoVendeur FROM Vendeurs WHERE NomVendeur Is Not Null "_s +
                                               employees.text + u"ORDER BY NoVendeur"_s,
                                           employees.params)) {
        qint64 projectTotal = 0;
        bool mark = false;
        QString status;
        for (int i = 0; i < subs.size(); ++i) {
            const ReferenceWalk::Walk w = ref.walk(e[0], subs[i][0], subs[i][1]);
            expected << e[0].toString() + u'|' + subs[i][0].toString() + u'|' + subs[i][1].toString() + u'|' +
                            ref.text(w.minutes, w.ins != w.outs);
            projectTotal += w.minutes;
            mark = mark || w.ins != w.outs;
            status = w.ins != w.outs ? u"In"_s : u"Out"_s;
            if (i + 1 == subs.size() || subs[i + 1][0] != subs[i][0]) {
                expected << e[0].toString() + u'|' + subs[i][0].toString() + u"|-|"_s +
                                ref.text(projectTotal, mark);
                status = mark ? u"In"_s : status;
                projectTotal = 0;
                mark = false;
            }
        }
        expectedStatus << e[0].toString() + u'=' + status;
    }
    ASSERT_TRUE(TotalsByEmployee(databasePath(), s).written());
    EXPECT_EQ(lines(projetsRows()), lines(expected));
    for (const QString &st : expectedStatus)
        EXPECT_TRUE(statuses().contains(st)) << st.toStdString();
    EXPECT_GT(expected.filter(AtWork).size(), 0) << "the data holds unequal counts";
    EXPECT_GT(expected.filter(u"|0:00"_s).size(), 0);

    // By project: projects, their sub-projects, employees in entry order.
    execSql(u"UPDATE Vendeurs SET Status = CASE WHEN rowid % 2 = 0 THEN 'In' ELSE 'Out' END"_s);
    ASSERT_EQ(statuses(), originalStatus);
    QStringList expectedEmployees, expectedTotals;
    auto staff =
        ref.query(u"SELECT NoVendeur, NomVendeur, Status FROM Vendeurs WHERE Projet Is Null AND SousProjet "
                  "Is Null "_s +
                      employees.text + u"ORDER BY rowid"_s,
                  employees.params);
    for (const QVariantList &p : ref.query(
             u"SELECT Projet FROM Projets WHERE Projet <> '' AND SousProjet Is Null AND NoVendeur Is Null "
             "AND TotalHeures Is Null ORDER BY Projet"_s,
             {})) {
        qint64 projectTotal = 0;
        for (const QVariantList &sub : ref.query(u"SELECT SousProjet FROM Projets WHERE Projet = ? AND "
                                                 u"SousProjet <> '' AND NoVendeur Is Null "
                                                 "AND TotalHeures Is Null ORDER BY SousProjet"_s,
                                                 {p[0]})) {
            qint64 subTotal = 0;
            for (QVariantList &e : staff) {
                const ReferenceWalk::Walk w = ref.walk(e[0], p[0], sub[0]);
                expectedEmployees << QStringList{e[0].toString(), e[1].toString(),
                                                 p[0].toString(), sub[0].toString(),
                                                 e[2].toString(), ref.text(w.minutes, w.ins != w.outs)}
                                         .join(u'|');
                if (w.ins != w.outs)
                    e[2] = u"In"_s;
                subTotal += w.minutes;
            }
            expectedTotals << u"-|"_s + p[0].toString() + u'|' + sub[0].toString() + u'|' +
                                  ref.text(subTotal, false);
            projectTotal += subTotal;
        }
        expectedTotals << u"-|"_s + p[0].toString() + u"|-|"_s + ref.text(projectTotal, false);
    }
    ASSERT_TRUE(TotalsByProject(databasePath(), s).written());
    EXPECT_EQ(lines(vendeursRows()), lines(expectedEmployees));
    EXPECT_EQ(lines(projetsRows()), lines(expectedTotals));
}

} // namespace
