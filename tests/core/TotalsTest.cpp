#include "reports/Totals.h"

#include "reports/ReportData.h"

#include "localisation/LOCRTSModule.h"
#include "support/DataGenerator.h"
#include "support/ProgramFixture.h"

#include <QTime>

#include <cmath>
#include <optional>

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
// Expected rows: the trailing "h:mm" gets the unit, and "*" after it the at-work mark.
std::string expected(const QStringList &rows)
{
    QStringList out;
    for (QString row : rows) {
        const bool atWork = row.endsWith(u'*');
        row.chop(atWork ? 1 : 0);
        out << row + LOC_RTString(1032) + (atWork ? AtWork : QString());
    }
    return lines(out);
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
    // Punches "number|InOut|days after 2003-03-03|hh:mm|project|sub-project", "|a" after an archived one.
    void punches(const QStringList &list)
    {
        for (const QString &punch : list) {
            const QStringList f = punch.split(u'|');
            addPunch(f[0], f[1], QDate(2003, 3, 3).addDays(f[2].toInt()), QTime::fromString(f[3], u"HH:mm"_s),
                     f[4], f[5], f.value(6) == u"a"_s);
        }
    }
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
                      "Vendeurs WHERE NomVendeur Is Not Null AND Projet Is Null ORDER BY NoVendeur)"_s)
            .toString();
    }
    QStringList column(const QString &sql) const
    {
        QStringList values;
        for (const QVariantMap &row : rows(sql))
            values << row.first().toString();
        return values;
    }
    void TearDown() override
    {
        readFrom = QSqlDatabase();
        run.close();
        ProgramFixture::TearDown();
    }
    // A report run's connection, opened anew; what the tests read comes
    // from it (the run's own rows) until readFile().
    QSqlDatabase openRun()
    {
        readFrom = QSqlDatabase();
        QString error;
        EXPECT_TRUE(run.open(databasePath(), &error)) << error.toStdString();
        return readFrom = run.database();
    }
    void readFile() { readFrom = QSqlDatabase(); }
    TotalsResult byEmployee(const ReportSelection &s = week()) { return TotalsByEmployee(openRun(), s); }
    TotalsResult byProject(const ReportSelection &s = week()) { return TotalsByProject(openRun(), s); }
    ReportData run;

    // The straightforward walk: one query per employee and sub-project over
    // all his punches there, those of the period paired in list order; a
    // night shift across a bound of the period belongs to the period of its
    // In. Adds the minutes to the sums; tells whether the counts differ.
    bool walk(const ReportSelection &s, const QVariant &number, const QString &project, const QString &sub,
              std::initializer_list<qint64 *> sums) const
    {
        const SqlQuery archive = ArchiveFilter(s);
        const QList<QVariantMap> all =
            rows(u"SELECT InOut, PunchDateShort AS Day, PunchTime AS Time FROM Punch WHERE NoVendeur = ? AND "
                 "Projet = ? AND SousProjet = ? "_s +
                     archive.text + u"ORDER BY Day, Time, rowid"_s,
                 QVariantList{number.toString(), project, sub} + archive.params);
        qsizetype first = 0, end = 0;
        while (first < all.size() && all[first][u"Day"_s].toDate() < s.periodStart)
            ++first;
        end = first;
        while (end < all.size() && all[end][u"Day"_s].toDate() <= s.periodEnd)
            ++end;
        const auto inOut = [&](qsizetype i) { return all[i][u"InOut"_s].toString(); };
        if (first < end && first > 0 && inOut(first) == u"Out"_s && inOut(first - 1) == u"In"_s)
            ++first; // counted in the period before
        if (first < end && end < all.size() && inOut(end - 1) == u"In"_s && inOut(end) == u"Out"_s)
            ++end; // closed after the period: counted here
        // Each Out ends the open In, if any: the seconds between them, to the nearest minute (halves to
        // even, the default rounding of nearbyint), unless past what 16 bits hold.
        int ins = 0, outs = 0;
        std::optional<QDateTime> open;
        qint64 minutes = 0;
        for (qsizetype i = first; i < end; ++i) {
            const QVariantMap &punch = all[i];
            const QDateTime at(QDate::fromString(punch[u"Day"_s].toString(), Qt::ISODate),
                               QTime::fromString(punch[u"Time"_s].toString()), Qt::UTC);
            if (punch[u"InOut"_s] == u"In"_s)
                ++ins, open = at;
            else if (punch[u"InOut"_s] == u"Out"_s && ++outs && open) {
                const qint64 pair = qint64(std::nearbyint(open->secsTo(at) / 60.0));
                minutes += pair >= -32768 && pair <= 32767 ? pair : 0;
                open.reset();
            }
        }
        for (qint64 *sum : sums)
            *sum += minutes;
        return ins != outs;
    }
    static QString text(qint64 minutes, bool atWork = false)
    {
        return u"%1:%2"_s.arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0')) + LOC_RTString(1032) +
               (atWork ? AtWork : QString());
    }
};

TEST_F(TotalsTest, ByEmployeeRowsSuffixesAndStatus)
{
    addEmployee(u"1002"_s, u"Bruno"_s, u"In"_s);
    addEmployee(u"1001"_s, u"Alice"_s, u"In"_s);
    addEmployee(u"1003"_s, u"Chloé D'Arcy"_s, u"In"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Status) VALUES ('1004', 'Out')"_s); // no name
    addProject(u"L'P"_s, {u"B"_s, u"'A'"_s});
    addProject(u"Q"_s, {u"C"_s});
    // Names compare without case.
    punches({// Alice: 90 and 45 minutes on L'P, only an In on Q (the last project): still at work.
             u"1001|In|0|08:00|l'p|'a'"_s, u"1001|Out|0|09:30|L'P|'A'"_s, u"1001|In|1|10:00|L'P|B"_s,
             u"1001|Out|1|10:45|L'P|B"_s, u"1001|In|2|08:00|Q|C"_s,
             // Bruno: unequal counts on L'P, equal on the later Q; 22:00 to 06:00 the next day.
             u"1002|In|0|08:00|L'P|'A'"_s, u"1002|In|0|09:00|L'P|'A'"_s, u"1002|Out|0|12:00|L'P|'A'"_s,
             u"1002|In|3|22:00|Q|C"_s, u"1002|Out|4|06:00|Q|C"_s,
             // Chloé: "in" and "OUT" are passed over.
             u"1003|in|0|08:00|L'P|'A'"_s, u"1003|OUT|0|12:00|L'P|'A'"_s});
    // Rows an earlier run left behind are neither counted nor kept.
    execSql(u"INSERT INTO Projets (NoVendeur, Projet, SousProjet, TotalHeures) VALUES ('1001', 'L''P', "
            "'''A''', '9:00'), (NULL, 'Vieux', 'V', '1:00')"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur, Projet, SousProjet, TotalHeures) "
            "VALUES ('1001', 'Alice', 'Vieux', 'V', '1:00')"_s);

    const TotalsResult result = byEmployee();
    ASSERT_EQ(result.outcome, Outcome::Written) << result.error.toStdString();
    EXPECT_EQ(result.rows, 15);
    EXPECT_EQ(
        lines(projetsRows()),
        expected({u"1001|L'P|'A'|1:30"_s, u"1001|L'P|B|0:45"_s, u"1001|L'P|-|2:15"_s, u"1001|Q|C|0:00*"_s,
                  u"1001|Q|-|0:00*"_s, u"1002|L'P|'A'|3:00*"_s, u"1002|L'P|B|0:00"_s, u"1002|L'P|-|3:00*"_s,
                  u"1002|Q|C|8:00"_s, u"1002|Q|-|8:00"_s, u"1003|L'P|'A'|0:00"_s, u"1003|L'P|B|0:00"_s,
                  u"1003|L'P|-|0:00"_s, u"1003|Q|C|0:00"_s, u"1003|Q|-|0:00"_s}));
    EXPECT_EQ(statuses(), u"1001=In 1002=Out 1003=Out"_s);
    // By project, the employee row without a name gets an empty name, so
    // that its report row is never taken for a presence.
    ASSERT_TRUE(byProject().written());
    EXPECT_EQ(column(u"SELECT DISTINCT '<'||NomVendeur||'>' FROM Vendeurs WHERE NoVendeur = '1004' AND "
                     "Projet Is Not Null"_s),
              QStringList{u"<>"_s});
}

// By project: two employees on A of P (4:00 and 1:30), nothing on B; Bruno's only In on B marks his row
// but neither B's nor P's, keeps his Status from before on that row and makes it "In" on the rows after;
// Q has no sub-project and still gets its project row.
TEST_F(TotalsTest, ByProjectWorkedExample)
{
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    addEmployee(u"1002"_s, u"Bruno"_s, u"Out"_s);
    addProject(u"P"_s, {u"A"_s, u"B"_s});
    addProject(u"Q"_s, {});
    addProject(u"R"_s, {u"C"_s});
    punches({u"1001|In|0|08:00|P|A"_s, u"1001|Out|0|12:00|P|A"_s, u"1002|In|0|13:00|P|A"_s,
             u"1002|Out|0|14:30|P|A"_s, u"1002|In|1|09:00|P|B"_s});
    ASSERT_TRUE(byProject().written());
    EXPECT_EQ(lines(vendeursRows()), expected({u"1001|Alice|P|A|Out|4:00"_s, u"1002|Bruno|P|A|Out|1:30"_s,
                                               u"1001|Alice|P|B|Out|0:00"_s, u"1002|Bruno|P|B|Out|0:00*"_s,
                                               u"1001|Alice|R|C|Out|0:00"_s, u"1002|Bruno|R|C|In|0:00"_s}));
    EXPECT_EQ(lines(projetsRows()), expected({u"-|P|A|5:30"_s, u"-|P|B|0:00"_s, u"-|P|-|5:30"_s,
                                              u"-|Q|-|0:00"_s, u"-|R|C|0:00"_s, u"-|R|-|0:00"_s}));
    EXPECT_EQ(statuses(), u"1001=Out 1002=In"_s);
}

TEST_F(TotalsTest, PeriodDaysArchiveChoiceAndEmployeesTable)
{
    addEmployee(u"1001"_s, u"Alice"_s);
    addEmployee(u"1002"_s, u"Bruno"_s);
    addProject(u"P"_s, {u"A"_s});
    // One hour on the day before the period, on its first day (archived), on
    // its last day, and on the day after; Bruno two hours inside.
    punches({u"1001|In|-1|08:00|P|A"_s, u"1001|Out|-1|09:00|P|A"_s, u"1001|In|0|08:00|P|A|a"_s,
             u"1001|Out|0|09:00|P|A|a"_s, u"1001|In|6|08:00|P|A"_s, u"1001|Out|6|09:00|P|A"_s,
             u"1001|In|7|08:00|P|A"_s, u"1001|Out|7|09:00|P|A"_s, u"1002|In|3|08:00|P|A"_s,
             u"1002|Out|3|10:00|P|A"_s});
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
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        ReportSelection s = week();
        s.archive = c.archive;
        s.employees = c.employees;
        s.checkedEmployees = c.checked;
        // Each run starts by removing the rows of the one before.
        for (const char *table :
             {"Projets WHERE NoVendeur Is Not Null AND SousProjet", "Vendeurs WHERE Projet"}) {
            ASSERT_TRUE((table[0] == 'P' ? byEmployee(s) : byProject(s)).written());
            EXPECT_EQ(
                column(u"SELECT NoVendeur||' '||substr(TotalHeures,1,4) FROM %1 Is Not Null ORDER BY rowid"_s
                           .arg(QLatin1String(table)))
                    .join(u", "_s),
                QString::fromUtf8(c.expected));
        }
        EXPECT_EQ(projetsRows().size(), 2) << "only this run's sub-project and project rows";
    }
}

TEST_F(TotalsTest, ANightShiftAcrossTheEndOfAPeriodCountsInThePeriodOfItsIn)
{
    addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    addProject(u"P"_s, {u"A"_s});
    // Punches "direction|day|time|sub-project[|a]" (day 6 the week's last, 7 the next week's first; a:
    // archived, and then the current punches only are counted), and the totals on P / A of both weeks.
    const struct {
        const char *punches, *totals;
    } cases[] = {
        {"In|6|22:00|A Out|7|02:17|A", "4:17 0:00"},
        {"In|6|22:00|A Out|7|02:17|A In|7|08:00|A Out|7|12:30|A", "4:17 4:30"},
        {"In|6|22:00|A In|8|08:00|A", "0:00* 0:00*"},
        {"In|6|22:00|A Out|7|02:17|B", "0:00* 0:00"},
        {"Out|6|22:00|A Out|7|02:17|A", "0:00* 0:00*"},
        {"In|6|22:00|A Out|7|02:17|A|a Out|7|03:00|A", "5:00 0:00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.punches);
        readFile();
        execSql(u"DELETE FROM Punch"_s);
        for (const QString &punch : QString::fromLatin1(c.punches).split(u' '))
            punches({u"1001|"_s + punch.section(u'|', 0, 2) + u"|P|"_s + punch.section(u'|', 3)});
        const QStringList totals = QString::fromLatin1(c.totals).split(u' ');
        for (int later = 0; later < 2; ++later) {
            ReportSelection s = week();
            s.periodStart = s.periodStart.addDays(7 * later);
            s.periodEnd = s.periodEnd.addDays(7 * later);
            s.archive = QByteArray(c.punches).contains("|a") ? ReportSelection::Archive::CurrentOnly
                                                             : ReportSelection::Archive::Both;
            ASSERT_TRUE(byEmployee(s).written());
            EXPECT_EQ(lines(column(u"SELECT TotalHeures FROM Projets WHERE NoVendeur = '1001'"_s)),
                      expected({totals[later], totals[later]}))
                << "the sub-project and its project, week " << later;
            ASSERT_TRUE(byProject(s).written());
            EXPECT_EQ(lines(column(u"SELECT TotalHeures FROM Vendeurs WHERE SousProjet = 'A'"_s)),
                      expected({totals[later]}));
        }
    }
}

TEST_F(TotalsTest, ResultsEqualAStraightforwardWalkOnARandomDatabase)
{
    test::GeneratedData data;
    data.punches = 3000;
    ASSERT_TRUE(test::generateDatabase(databasePath(), data));
    // The awkward punches a station can hold: other letter cases, unpaired, archived or not.
    std::mt19937 random(7);
    const QStringList directions = {u"In"_s, u"Out"_s, u"in"_s, u"OUT"_s, u"In"_s, u"Out"_s};
    for (int i = 0; i < 300; ++i) {
        const int p = int(random() % 3), sub = int(random() % 4), e = int(random() % 10),
                  d = int(random() % directions.size()), day = int(random() % 40), hour = int(random() % 3),
                  half = int(random() % 2);
        addPunch(test::employeeNumber(e), directions[d], QDate(2003, 2, 1).addDays(day),
                 QTime(6 + hour, half * 30),
                 i % 7 == 0 ? test::projectName(p).toUpper() : test::projectName(p),
                 test::subProjectName(p, sub), random() % 2);
    }
    execSql(u"UPDATE Vendeurs SET Status = CASE WHEN rowid % 2 = 0 THEN 'In' ELSE 'Out' END"_s);
    ReportSelection s;
    s.periodStart = QDate(2003, 2, 3);
    s.periodEnd = QDate(2003, 3, 2);
    s.archive = ReportSelection::Archive::CurrentOnly;
    s.employees = ReportSelection::Employees::Checked;
    s.checkedEmployees = {test::employeeNumber(4), test::employeeNumber(0), test::employeeNumber(7),
                          test::employeeNumber(2)};
    const SqlQuery employees = EmployeeFilter(s);
    // Sub-projects in project order, each with whether it ends its project.
    QList<std::tuple<QString, QString, bool>> subs;
    for (const QVariantMap &r :
         rows(u"SELECT Projet, SousProjet FROM Projets WHERE SousProjet <> '' AND "
              "NoVendeur Is Null AND TotalHeures Is Null ORDER BY Projet, SousProjet"_s)) {
        if (!subs.isEmpty())
            std::get<2>(subs.last()) = std::get<0>(subs.last()) != r[u"Projet"_s].toString();
        subs.append({r[u"Projet"_s].toString(), r[u"SousProjet"_s].toString(), true});
    }

    // Employees in number order, sub-projects in project order.
    QStringList expectedRows, expectedStatus;
    for (const QVariantMap &e : rows(u"SELECT NoVendeur FROM Vendeurs WHERE NomVendeur Is Not Null "_s +
                                         employees.text + u"ORDER BY 1"_s,
                                     employees.params)) {
        const QString number = e[u"NoVendeur"_s].toString();
        qint64 projectTotal = 0, subTotal = 0;
        bool mark = false, atWork = false;
        for (const auto &[project, sub, last] : subs) {
            subTotal = 0;
            atWork = walk(s, number, project, sub, {&subTotal, &projectTotal});
            expectedRows << u"%1|%2|%3|%4"_s.arg(number, project, sub, text(subTotal, atWork));
            mark = mark || atWork;
            if (last) {
                expectedRows << u"%1|%2|-|%3"_s.arg(number, project, text(projectTotal, mark));
                atWork = atWork || mark;
                projectTotal = 0;
                mark = false;
            }
        }
        expectedStatus << number + (atWork ? u"=In"_s : u"=Out"_s);
    }
    ASSERT_TRUE(byEmployee(s).written());
    EXPECT_EQ(lines(projetsRows()), lines(expectedRows));
    for (const QString &st : expectedStatus)
        EXPECT_TRUE(statuses().contains(st)) << st.toStdString();
    EXPECT_GT(expectedRows.filter(AtWork).size(), 0) << "the data holds unequal counts";
    EXPECT_GT(expectedRows.filter(u"|0:00"_s).size(), 0);
}

} // namespace
