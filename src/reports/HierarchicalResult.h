#pragma once

#include "common/DataSource.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace tarnvik {

// The values of one row of a hierarchical result. A long report repeats the
// same few values (numbers, names, days, times) over its punches, so a row
// holds only the positions of its values in its result's table, where each
// distinct value is kept once: a few bytes a value instead of a copy.
class ResultValues {
public:
    using Table = std::vector<QVariant>;

    ResultValues() = default;
    // The values at these positions of table (which outlives the row).
    ResultValues(const Table *table, const std::vector<quint32> &positions);
    ResultValues(const ResultValues &other);
    ResultValues &operator=(const ResultValues &other);
    ResultValues(ResultValues &&) noexcept = default;
    ResultValues &operator=(ResultValues &&) noexcept = default;

    int size() const { return m_count; }
    const QVariant &at(int i) const { return (*m_table)[m_positions[size_t(i)]]; }

private:
    const Table *m_table = nullptr;
    std::unique_ptr<quint32[]> m_positions;
    int m_count = 0;
};

// One row of a hierarchical result, with the rows of the next level that
// relate to it (its chapter).
struct ResultRecord {
    ResultValues values;
    std::vector<ResultRecord> children;
};

// One level of a hierarchical result and the query that fills it. Each row of
// the level belongs to every row of the level above whose relateParent fields
// equal its relateChild fields (Null never relates).
struct ResultLevelQuery {
    QString name; // the chapter name that layouts bind to
    SqlQuery query;
    QStringList relateParent;
    QStringList relateChild;
    // Keep one row of each set of equal rows (the first in query order).
    bool distinct = false;
    // False: the level's fields alone, none of its rows are read (a level
    // that the report does not show, such as its punch lines).
    bool withRows = true;
};

// A result in levels, each row holding the related rows of the next level:
// what a banded report walks. Built from one query per level; the rows of a
// level are related to those above in memory, so a level costs one query
// whatever the number of rows above it.
class HierarchicalResult {
public:
    struct Level {
        QString name;
        QStringList fields;
    };

    HierarchicalResult() = default;
    // An empty result with these levels (a report with no rows yet).
    explicit HierarchicalResult(QList<Level> levels) : m_levels(std::move(levels)) {}

    // Runs the level queries on the database file, top level first; false
    // (and the reason) when the file cannot be opened or a query fails.
    bool open(const QString &databasePath, const QList<ResultLevelQuery> &levels, QString *error);
    // The same through an open connection (that of a report run), telling
    // its progress (levels read out of their count; false stops it).
    bool open(const QSqlDatabase &db, const QList<ResultLevelQuery> &levels, QString *error,
              const std::function<bool(qint64 done, qint64 total)> &progress = {});

    const QList<Level> &levels() const { return m_levels; }
    const std::vector<ResultRecord> &rows() const { return m_rows; }
    // The level of a chapter name, the empty name being the top level; -1 when
    // there is none.
    int levelOf(const QString &name) const;
    int fieldIndex(int level, const QString &field) const;
    // Rows of every level together.
    qint64 rowCount() const;

private:
    QList<Level> m_levels;
    std::vector<ResultRecord> m_rows;
    // Every distinct value of the rows, once (shared by copies of the result).
    std::shared_ptr<ResultValues::Table> m_values = std::make_shared<ResultValues::Table>();
};

} // namespace tarnvik
