#include "reports/GroupedRows.h"

#include "common/Database.h"

#include <QSqlError>
#include <QSqlRecord>

namespace tarnvik {

namespace {

unsigned char folded(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

} // namespace

GroupedRows::GroupedRows(const QSqlDatabase &db, const QString &select, const QString &condition,
                         const QVariantList &params, const QVector<Key> &keys, const QString &innerOrder)
    : m_db(db), m_select(select), m_condition(condition), m_params(params), m_keys(keys),
      m_innerOrder(innerOrder), m_query(db)
{
}

// The database's own comparison of two texts (held as UTF-8): byte by byte,
// with A-Z folded to a-z under NoCase; a text that is the start of the
// other comes first.
int GroupedRows::compare(const QByteArray &a, const QByteArray &b, KeyCollation collation)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (collation == KeyCollation::NoCase) {
            x = folded(x);
            y = folded(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int GroupedRows::compareKeys(const QVector<QByteArray> &a, const QVector<QByteArray> &b) const
{
    for (int i = 0; i < m_keys.size(); ++i) {
        if (const int c = compare(a[i], b[i], m_keys[i].collation))
            return c;
    }
    return 0;
}

int GroupedRows::field(const QString &name) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool GroupedRows::start()
{
    m_started = true;
    QString sql = m_select + QStringLiteral(" WHERE (") + m_condition + QLatin1Char(')');
    QStringList order;
    for (const Key &k : m_keys) {
        sql += QStringLiteral(" AND (%1 IS NOT NULL)").arg(k.column);
        order << k.column;
    }
    if (!m_innerOrder.isEmpty())
        order << m_innerOrder;
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    if (!Database::run(m_query, sql, m_params, &m_error))
        return false;
    const QSqlRecord record = m_query.record();
    m_fieldNames.clear();
    for (int i = 0; i < record.count(); ++i)
        m_fieldNames << record.fieldName(i);
    m_keyFields.clear();
    for (const Key &k : m_keys) {
        const int f = field(k.column);
        if (f < 0) {
            m_error = QStringLiteral("no field %1").arg(k.column);
            return false;
        }
        m_keyFields << f;
    }
    return readNext();
}

bool GroupedRows::readNext()
{
    if (!m_query.next()) {
        m_next.reset();
        if (m_query.lastError().isValid()) {
            m_error = m_query.lastError().text();
            return false;
        }
        return true;
    }
    Pending p;
    const int n = int(m_fieldNames.size());
    p.row.reserve(n);
    for (int i = 0; i < n; ++i)
        p.row << m_query.value(i);
    for (const int f : std::as_const(m_keyFields))
        p.key << p.row[f].toString().toUtf8();
    m_next = std::move(p);
    return true;
}

bool GroupedRows::readAlone(const QVariantList &keyValues)
{
    QString sql = m_select + QStringLiteral(" WHERE (") + m_condition + QLatin1Char(')');
    for (const Key &k : m_keys)
        sql += QStringLiteral(" AND (%1 = ?)").arg(k.column);
    if (!m_innerOrder.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + m_innerOrder;
    QSqlQuery q(m_db);
    if (!Database::run(q, sql, m_params + keyValues, &m_error))
        return false;
    m_group.clear();
    const int n = q.record().count();
    while (q.next()) {
        Row row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << q.value(i);
        m_group.push_back(std::move(row));
    }
    if (q.lastError().isValid()) {
        m_error = q.lastError().text();
        return false;
    }
    return true;
}

const std::vector<GroupedRows::Row> *GroupedRows::group(const QVariantList &keyValues)
{
    QVector<QByteArray> key;
    for (const QVariant &v : keyValues) {
        if (v.isNull())
            return &m_empty;
        key << v.toString().toUtf8();
    }
    if (!m_started && !start())
        return nullptr;
    if (!m_error.isEmpty())
        return nullptr;
    if (m_lastKey && compareKeys(key, *m_lastKey) == 0)
        return &m_group; // the same parent key again
    if (m_streamKey && compareKeys(key, *m_streamKey) <= 0) {
        // Behind the sorted result, which has moved past this group: read
        // it on its own.
        if (!readAlone(keyValues))
            return nullptr;
        m_lastKey = key;
        return &m_group;
    }
    while (m_next && compareKeys(m_next->key, key) < 0) {
        if (!readNext())
            return nullptr;
    }
    m_group.clear();
    while (m_next && compareKeys(m_next->key, key) == 0) {
        m_group.push_back(std::move(m_next->row));
        if (!readNext())
            return nullptr;
    }
    m_streamKey = key;
    m_lastKey = key;
    return &m_group;
}

} // namespace tarnvik
