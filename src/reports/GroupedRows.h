#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>
#include <vector>

namespace tarnvik {

// How a key column compares, as the database compares that column: text as
// it is, or with the letters A-Z and a-z taken as equal.
enum class KeyCollation { Binary, NoCase };

// The rows of one query handed out group by group, for a report that walks
// nested levels: instead of one query per parent row ("... WHERE Projet = ?
// AND NoVendeur = ?"), the level runs its query once, sorted on the key
// columns, and gives each parent the rows whose keys equal the parent's
// values, in the inner order. Parents must ask in the key order, as a walk
// over sorted parents does; a group asked for again right away is given
// again, and one asked for out of order is read by a query of its own, so
// the groups are the same as a query per parent would give.
class GroupedRows {
public:
    using Row = QVector<QVariant>;
    struct Key {
        QString column;
        KeyCollation collation;
    };

    // select: "SELECT [DISTINCT] fields FROM table"; condition: the
    // condition every row meets, with its bound values; innerOrder: the
    // order within a group (may be empty).
    GroupedRows(const QSqlDatabase &db, const QString &select, const QString &condition,
                const QVariantList &params, const QVector<Key> &keys, const QString &innerOrder);

    // The rows whose key columns equal the values, as "=" compares them; a
    // Null value matches nothing. Null when the query failed (error() says why).
    const std::vector<Row> *group(const QVariantList &keyValues);
    QString error() const { return m_error; }
    // The position of a field in the rows; -1 when the query has none.
    int field(const QString &name) const;
    // The fields of the rows, in order (known once a group was asked for).
    const QStringList &fieldNames() const { return m_fieldNames; }

    static int compare(const QByteArray &a, const QByteArray &b, KeyCollation collation);

private:
    bool start();
    bool readNext();
    int compareKeys(const QVector<QByteArray> &a, const QVector<QByteArray> &b) const;
    bool readAlone(const QVariantList &keyValues);

    QSqlDatabase m_db;
    QString m_select;
    QString m_condition;
    QVariantList m_params;
    QVector<Key> m_keys;
    QString m_innerOrder;

    QSqlQuery m_query;
    bool m_started = false;
    QVector<int> m_keyFields;
    QStringList m_fieldNames;
    struct Pending {
        Row row;
        QVector<QByteArray> key;
    };
    std::optional<Pending> m_next;                  // the first row not handed out yet
    std::optional<QVector<QByteArray>> m_streamKey; // the last group read from the result
    std::optional<QVector<QByteArray>> m_lastKey;   // the group in m_group
    std::vector<Row> m_group;
    std::vector<Row> m_empty;
    QString m_error;
};

} // namespace tarnvik
