#include "reports/HierarchicalResult.h"

#include "common/Database.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <deque>

namespace tarnvik {

namespace {

// Project and sub-project names compare without regard to the case of
// letters A-Z, as the tables store them; other fields compare exactly.
bool foldsCase(const QString &field)
{
    return field.compare(QLatin1String("Projet"), Qt::CaseInsensitive) == 0 ||
           field.compare(QLatin1String("SousProjet"), Qt::CaseInsensitive) == 0;
}

QString asciiLower(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return out;
}

// The relation key of a row: its relation fields joined; false when one of
// them is Null (such a row relates to nothing).
bool relationKey(const ResultValues &values, const QList<int> &columns, const QStringList &names,
                 QString *key)
{
    key->clear();
    for (int i = 0; i < columns.size(); ++i) {
        const QVariant &v = values.at(columns.at(i));
        if (v.isNull())
            return false;
        const QString text = v.toString();
        *key += foldsCase(names.at(i)) ? asciiLower(text) : text;
        *key += QChar(0x1f);
    }
    return true;
}

// The table of a result's distinct values, filled as its rows are read:
// texts, whole numbers and Nulls are kept once each, other values as read.
class ValueTable {
public:
    explicit ValueTable(ResultValues::Table *values) : m_values(values) {}

    quint32 positionOf(const QVariant &value)
    {
        const int type = value.metaType().id();
        if (value.isNull())
            return find(m_nulls, type, value);
        switch (type) {
        case QMetaType::QString:
            return find(m_texts, value.toString(), value);
        case QMetaType::Int:
        case QMetaType::LongLong:
            return find(m_numbers, qMakePair(type, value.toLongLong()), value);
        default:
            return add(value);
        }
    }

private:
    template <typename Key> quint32 find(QHash<Key, quint32> &known, const Key &key, const QVariant &value)
    {
        const auto found = known.constFind(key);
        if (found != known.constEnd())
            return found.value();
        const quint32 position = add(value);
        known.insert(key, position);
        return position;
    }
    quint32 add(const QVariant &value)
    {
        m_values->push_back(value);
        return quint32(m_values->size() - 1);
    }

    ResultValues::Table *m_values;
    QHash<QString, quint32> m_texts;
    QHash<QPair<int, qlonglong>, quint32> m_numbers;
    QHash<int, quint32> m_nulls;
};

bool columnsOf(const QStringList &fields, const QStringList &names, QList<int> *columns, QString *error)
{
    columns->clear();
    for (const QString &name : names) {
        int found = -1;
        for (int i = 0; i < fields.size() && found < 0; ++i) {
            if (fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
                found = i;
        }
        if (found < 0) {
            *error = QStringLiteral("the field %1 does not exist").arg(name);
            return false;
        }
        *columns << found;
    }
    return true;
}

} // namespace

ResultValues::ResultValues(const Table *table, const std::vector<quint32> &positions)
    : m_table(table), m_positions(new quint32[positions.size()]), m_count(int(positions.size()))
{
    std::copy(positions.begin(), positions.end(), m_positions.get());
}

ResultValues::ResultValues(const ResultValues &other)
    : m_table(other.m_table), m_positions(other.m_count ? new quint32[size_t(other.m_count)] : nullptr),
      m_count(other.m_count)
{
    std::copy(other.m_positions.get(), other.m_positions.get() + m_count, m_positions.get());
}

ResultValues &ResultValues::operator=(const ResultValues &other)
{
    if (this != &other)
        *this = ResultValues(other);
    return *this;
}

bool HierarchicalResult::open(const QString &databasePath, const QList<ResultLevelQuery> &levels,
                              QString *error)
{
    QString reason;
    const QSqlDatabase db = Database::connection(databasePath, &reason);
    if (!db.isOpen()) {
        if (error)
            *error = reason;
        m_levels.clear();
        m_rows.clear();
        return false;
    }
    return open(db, levels, error);
}

bool HierarchicalResult::open(const QSqlDatabase &db, const QList<ResultLevelQuery> &levels, QString *error,
                              const std::function<bool(qint64 done, qint64 total)> &progress)
{
    QString ignored;
    QString &reason = error ? *error : ignored;
    m_levels.clear();
    m_rows.clear();
    if (!db.isOpen()) {
        reason = QStringLiteral("the database is not open");
        return false;
    }

    m_values = std::make_shared<ResultValues::Table>();
    ValueTable table(m_values.get());
    std::vector<quint32> positions;
    std::vector<ResultRecord *> parents;
    for (int level = 0; level < levels.size(); ++level) {
        const ResultLevelQuery &levelQuery = levels.at(level);
        QSqlQuery q(db);
        // A level without rows asks only for its fields: the database reads
        // (and sorts) nothing.
        const QString text = levelQuery.withRows
                                 ? levelQuery.query.text
                                 : QStringLiteral("SELECT * FROM (%1) LIMIT 0").arg(levelQuery.query.text);
        if (!Database::run(q, text, levelQuery.query.params, &reason))
            return false;
        const QSqlRecord record = q.record();
        Level info{levelQuery.name, {}};
        for (int i = 0; i < record.count(); ++i)
            info.fields << record.fieldName(i);
        // A deque: growing it never copies the rows read so far.
        std::deque<ResultRecord> read;
        QSet<QString> seen;
        const auto stopped = [&] {
            if (progress && !progress(level, levels.size())) {
                reason = QStringLiteral("cancelled");
                return true;
            }
            return false;
        };
        if (stopped())
            return false;
        while (q.next()) {
            if ((read.size() & 0x1fff) == 0x1fff && stopped())
                return false;
            positions.clear();
            for (int i = 0; i < record.count(); ++i)
                positions.push_back(table.positionOf(q.value(i)));
            ResultRecord row{ResultValues(m_values.get(), positions), {}};
            if (levelQuery.distinct) {
                QString whole;
                for (int i = 0; i < row.values.size(); ++i) {
                    const QVariant &v = row.values.at(i);
                    whole += (v.isNull() ? QStringLiteral("\x1e") : v.toString()) + QChar(0x1f);
                }
                if (seen.contains(whole))
                    continue;
                seen.insert(whole);
            }
            read.push_back(std::move(row));
        }
        q.finish();
        const QList<Level> above = m_levels;
        m_levels << info;

        if (level == 0) {
            m_rows.assign(std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
            for (ResultRecord &row : m_rows)
                parents.push_back(&row);
            continue;
        }
        QList<int> parentColumns, childColumns;
        if (levelQuery.relateParent.size() != levelQuery.relateChild.size()) {
            reason = QStringLiteral("the relation of %1 is not complete").arg(levelQuery.name);
            return false;
        }
        if (!columnsOf(above.last().fields, levelQuery.relateParent, &parentColumns, &reason) ||
            !columnsOf(info.fields, levelQuery.relateChild, &childColumns, &reason))
            return false;
        // Rows of this level by relation key, in query order.
        QHash<QString, std::vector<int>> byKey;
        QString key;
        for (int i = 0; i < int(read.size()); ++i) {
            if (relationKey(read[i].values, childColumns, levelQuery.relateChild, &key))
                byKey[key].push_back(i);
        }
        // Each row moves to the first parent it relates to; a further parent
        // of the same key gets a copy that shares its values.
        std::vector<const ResultRecord *> movedTo(read.size(), nullptr);
        std::vector<ResultRecord *> next;
        for (ResultRecord *parent : parents) {
            if (!relationKey(parent->values, parentColumns, levelQuery.relateParent, &key))
                continue;
            const auto found = byKey.constFind(key);
            if (found == byKey.constEnd())
                continue;
            // Reserved whole: the rows moved in stay where movedTo points.
            parent->children.reserve(found->size());
            for (int i : *found) {
                if (movedTo[size_t(i)]) {
                    parent->children.push_back(*movedTo[size_t(i)]);
                } else {
                    parent->children.push_back(std::move(read[size_t(i)]));
                    movedTo[size_t(i)] = &parent->children.back();
                }
            }
        }
        for (ResultRecord *parent : parents) {
            for (ResultRecord &child : parent->children)
                next.push_back(&child);
        }
        parents = std::move(next);
    }
    return !progress || progress(levels.size(), levels.size());
}

int HierarchicalResult::levelOf(const QString &name) const
{
    if (name.isEmpty())
        return m_levels.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_levels.size(); ++i) {
        if (m_levels.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int HierarchicalResult::fieldIndex(int level, const QString &field) const
{
    if (level < 0 || level >= m_levels.size())
        return -1;
    const QStringList &fields = m_levels.at(level).fields;
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qint64 HierarchicalResult::rowCount() const
{
    qint64 count = 0;
    std::vector<const std::vector<ResultRecord> *> stack{&m_rows};
    while (!stack.empty()) {
        const std::vector<ResultRecord> *rows = stack.back();
        stack.pop_back();
        count += qint64(rows->size());
        for (const ResultRecord &r : *rows)
            stack.push_back(&r.children);
    }
    return count;
}

} // namespace tarnvik
