#pragma once

#include <QString>

namespace tarnvik {

// What the text of a query says about its rows, and the queries that read
// them by row identity. A query on one table, without grouping or joins, can
// write its rows back to the table by their identities.
struct QueryShape {
    bool singleTable = false;
    // A query on one table with an ORDER BY: its order is made total, the
    // row identity deciding between rows equal in the order given.
    bool ordered = false;
    QString selectList;
    QString table;
    QString rest; // after the table's name: WHERE, ORDER BY, LIMIT

    static QueryShape of(const QString &text);

    // The query with each row's identity after the selected columns, so
    // that a column number in ORDER BY still counts the columns selected.
    QString withIdentity() const;
    // The identities alone, in the query's order.
    QString identities() const;
    // The selected columns and the identity of the rows whose identities are
    // bound, as one list "[1,2,3]", to its one placeholder (one value to
    // bind, however many rows).
    QString valuesOfList() const;
};

} // namespace tarnvik
