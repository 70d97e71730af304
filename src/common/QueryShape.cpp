#include "common/QueryShape.h"

#include <QRegularExpression>

namespace tarnvik {

namespace {
const QString kIdentityColumn = QStringLiteral("__rowid__");
}

QueryShape QueryShape::of(const QString &text)
{
    static const QRegularExpression select(
        QStringLiteral(R"(^\s*SELECT\s+(.+?)\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*)(\s.*|;\s*)?$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression computedList(
        QStringLiteral(R"(\b(DISTINCT|COUNT|SUM|MIN|MAX|AVG|TOTAL|GROUP_CONCAT)\b|\()"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression combinedRest(
        QStringLiteral(R"(^\s*,|\b(JOIN|GROUP\s+BY|UNION|INTERSECT|EXCEPT)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orderBy(QStringLiteral(R"(\bORDER\s+BY\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    // The query goes inside another one: its closing semicolon stays out.
    static const QRegularExpression trailingSemicolon(QStringLiteral(R"(\s*;\s*$)"));
    QueryShape shape;
    const auto m = select.match(text);
    if (!m.hasMatch())
        return shape;
    shape.selectList = m.captured(1);
    shape.table = m.captured(2);
    shape.rest = m.captured(3).remove(trailingSemicolon);
    shape.singleTable =
        !computedList.match(shape.selectList).hasMatch() && !combinedRest.match(shape.rest).hasMatch();
    shape.ordered = orderBy.match(shape.rest).hasMatch();
    return shape;
}

QString QueryShape::withIdentity() const
{
    return QStringLiteral("SELECT %1, rowid AS %2 FROM %3%4").arg(selectList, kIdentityColumn, table, rest);
}

QString QueryShape::identities() const
{
    return QStringLiteral("SELECT %1 FROM (%2)").arg(kIdentityColumn, withIdentity());
}

QString QueryShape::valuesOfList() const
{
    return QStringLiteral("SELECT %1, rowid AS %2 FROM %3 WHERE rowid IN (SELECT value FROM json_each(?))")
        .arg(selectList, kIdentityColumn, table);
}

} // namespace tarnvik
