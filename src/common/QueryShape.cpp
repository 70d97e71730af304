#include "common/QueryShape.h"

#include <QRegularExpression>

namespace tarnvik {

namespace {

const QString kIdentityColumn = QStringLiteral("__rowid__");

// The text with what lies inside quotes or parentheses blanked out, at the
// same positions: what remains is the statement's own clauses.
QString topLevel(const QString &text)
{
    QString masked = text;
    int depth = 0;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool inside = !quote.isNull() || depth > 0;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        }
        if (inside || !quote.isNull() || depth > 0 || c == QLatin1Char(')'))
            masked[i] = QLatin1Char(' ');
    }
    return masked;
}

// The ORDER BY of the statement ends with the row identity, in the direction
// of its last term, so that rows equal in the given order still come in one
// order whatever way the database takes to them (an index on the ordered
// columns holds the identity last and still gives that order). Empty when
// the statement has no ORDER BY of its own.
QString withTotalOrder(const QString &rest)
{
    static const QRegularExpression orderBy(QStringLiteral(R"(\bORDER\s+BY\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression limit(QStringLiteral(R"(\bLIMIT\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression descending(QStringLiteral(R"(\bDESC\s*$)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QString clauses = topLevel(rest);
    QRegularExpressionMatch order;
    for (auto it = orderBy.globalMatch(clauses); it.hasNext();)
        order = it.next();
    if (!order.hasMatch())
        return QString();
    const auto end = limit.match(clauses, order.capturedEnd());
    const qsizetype at = end.hasMatch() ? end.capturedStart() : rest.size();
    QString ordered = rest.left(at).trimmed();
    const bool down = descending.match(ordered).hasMatch();
    ordered =
        QLatin1Char(' ') + ordered + QStringLiteral(", rowid") + (down ? QStringLiteral(" DESC") : QString());
    return at < rest.size() ? ordered + QLatin1Char(' ') + rest.mid(at) : ordered;
}

} // namespace

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
    if (shape.singleTable) {
        const QString ordered = withTotalOrder(shape.rest);
        shape.ordered = !ordered.isEmpty();
        if (shape.ordered)
            shape.rest = ordered;
    }
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
