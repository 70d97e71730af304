#include "common/QueryShape.h"

#include <gtest/gtest.h>

using tarnvik::QueryShape;

namespace {

// What a query's text gives: whether its rows can be written back, and the
// ORDER BY made total by the row identity (in the direction of its last term,
// before LIMIT, and only the statement's own: not one inside quotes or inside
// a sub-query).
TEST(QueryShapeTest, OrderIsMadeTotalByTheRowIdentity)
{
    struct Case {
        const char *text;
        bool singleTable;
        bool ordered;
        const char *rest;
    };
    const Case cases[] = {
        {"SELECT * FROM Punch WHERE Archived = 0 ORDER BY NoVendeur, PunchDateShort DESC, PunchTime", true,
         true, " WHERE Archived = 0 ORDER BY NoVendeur, PunchDateShort DESC, PunchTime, rowid"},
        {"SELECT * FROM Vendeurs ORDER BY NoVendeur desc", true, true,
         " ORDER BY NoVendeur desc, rowid DESC"},
        {"SELECT NoVendeur AS N FROM Vendeurs WHERE N >= ? ORDER BY N LIMIT 600 OFFSET 5;", true, true,
         " WHERE N >= ? ORDER BY N, rowid LIMIT 600 OFFSET 5"},
        {"SELECT * FROM Projets WHERE Projet = ?;", true, false, " WHERE Projet = ?"},
        {"SELECT * FROM Vendeurs WHERE NomVendeur = 'a ORDER BY b'", true, false,
         " WHERE NomVendeur = 'a ORDER BY b'"},
        {"SELECT * FROM Punch WHERE NoVendeur IN (SELECT NoVendeur FROM Vendeurs ORDER BY 1 LIMIT 3)", true,
         false, " WHERE NoVendeur IN (SELECT NoVendeur FROM Vendeurs ORDER BY 1 LIMIT 3)"},
        {"SELECT * FROM Punch WHERE NoVendeur IN (SELECT NoVendeur FROM Vendeurs) ORDER BY \"limit\"", true,
         true, " WHERE NoVendeur IN (SELECT NoVendeur FROM Vendeurs) ORDER BY \"limit\", rowid"},
        {"SELECT * FROM Vendeurs ORDER BY NomVendeur COLLATE NOCASE", true, true,
         " ORDER BY NomVendeur COLLATE NOCASE, rowid"},
        {"SELECT DISTINCT NoVendeur FROM Punch ORDER BY 1", false, false, " ORDER BY 1"},
        {"SELECT NoVendeur, COUNT(*) FROM Punch GROUP BY NoVendeur ORDER BY 1", false, false,
         " GROUP BY NoVendeur ORDER BY 1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const QueryShape shape = QueryShape::of(QString::fromUtf8(c.text));
        EXPECT_EQ(shape.singleTable, c.singleTable);
        EXPECT_EQ(shape.ordered, c.ordered);
        if (c.singleTable) {
            EXPECT_EQ(shape.rest.toStdString(), c.rest);
        }
    }
}

} // namespace
