#pragma once

#include "common/DataSource.h"
#include "common/ProgramState.h"
#include "support/ProgramFixture.h"

namespace tarnvik::test {

// A data source on the test database, closed before the database goes.
class RecordsetFixture : public ProgramFixture {
protected:
    void TearDown() override
    {
        source.recordset().Close();
        ProgramFixture::TearDown();
    }
    Recordset &open(const SqlQuery &query)
    {
        source.setConnectionString(ProgramState::ConnString);
        source.setRecordSource(query);
        EXPECT_TRUE(source.Refresh()) << source.lastError().toStdString();
        return source.recordset();
    }
    // Employees 100000 .. 100000 + count - 1 (the only ones), stored in a scrambled order (their
    // identities not in number order), named "Name " and their number, a third of them "In".
    void addEmployees(int count)
    {
        execSql("DELETE FROM Vendeurs");
        ASSERT_TRUE(execSql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                           "WHERE i < %1), k(v) AS (SELECT 100000 + (i * 7919) % %2 FROM n) "
                                           "INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status) SELECT "
                                           "CAST(v AS TEXT), 'Name ' || v, CASE v % 3 WHEN 0 THEN 'In' END "
                                           "FROM k")
                                .arg(count - 1)
                                .arg(count)));
    }
    // The values of the row at a position (of the current row when negative), joined by '|'.
    static QString row(Recordset &rs, qint64 position = -1)
    {
        QStringList values;
        for (int column = 0; column < rs.fieldNames().size(); ++column)
            values << (position < 0 ? rs.value(column) : rs.valueAt(position, column)).toString();
        return values.join('|');
    }
    // One field (the whole row when empty) of every row from the current one to the end, by MoveNext.
    static QStringList walk(Recordset &rs, const QString &field = QStringLiteral("NoVendeur"))
    {
        QStringList seen;
        for (int guard = 0; !rs.isEOF() && guard < 100000; ++guard) {
            seen << (field.isEmpty() ? row(rs) : rs.value(field).toString());
            if (!rs.MoveNext())
                break;
        }
        return seen;
    }
    DataSource source;
};

} // namespace tarnvik::test
