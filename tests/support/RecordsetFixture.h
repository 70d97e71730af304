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
    // Employees 100000 .. 100000 + count - 1 in number order, named "Name"
    // (or "Name " and their index when numbered).
    void addNumberedEmployees(int count, bool numberedNames = false)
    {
        ASSERT_TRUE(
            execSql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                   "WHERE i < %1) INSERT INTO Vendeurs (NoVendeur, NomVendeur) SELECT "
                                   "CAST(100000 + i AS TEXT), 'Name' || %2 FROM n")
                        .arg(count - 1)
                        .arg(numberedNames ? QStringLiteral("' ' || i") : QStringLiteral("''"))));
    }
    DataSource source;
};

} // namespace tarnvik::test
