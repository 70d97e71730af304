#include "common/Recordset.h"

#include "common/DataSource.h"
#include "common/Database.h"
#include "common/DateFormat.h"
#include "common/QueryShape.h"
#include "common/RecordsetInternal.h"

#include <QDataStream>
#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace tarnvik {

using namespace RecordsetLimits;

QVariant FieldRef::Value() const
{
    return m_rs->value(m_name);
}

bool FieldRef::setValue(const QVariant &value)
{
    return m_rs->setValue(m_name, value);
}

int FieldRef::ActualSize() const
{
    const QVariant v = Value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QByteArray)
        return int(v.toByteArray().size());
    // Characters, as the database counts them: a character outside the basic
    // plane (two UTF-16 units) is one.
    int characters = 0;
    for (const QChar c : v.toString())
        characters += c.isLowSurrogate() ? 0 : 1;
    return characters;
}

Recordset::Recordset() = default;

Recordset::~Recordset()
{
    closeStream();
}

bool Recordset::fail(const QString &message)
{
    m_error = message;
    return false;
}

void Recordset::Close()
{
    if (m_open)
        flushPending();
    closeStream();
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_columnIndex.clear();
    m_complete = true;
    m_trimmedUpTo = 0;
    m_loaded.clear();
    m_loadedRows = 0;
    m_byIdentity = false;
    m_pos = -1;
    m_currentDeleted = false;
    m_stopped = false;
    m_edit = EditMode::None;
    m_buffer.clear();
    m_dirty.clear();
    m_db = QSqlDatabase();
}

bool Recordset::open(const QString &databasePath, const SqlQuery &query)
{
    Close();
    m_error.clear();
    m_path = databasePath;
    m_pos = 0;
    QString error;
    m_db = Database::connection(databasePath, &error);
    if (!m_db.isOpen())
        return fail(QStringLiteral("The database %1 cannot be opened: %2").arg(databasePath, error));

    m_shape = QueryShape::of(query.text);
    const QueryShape &shape = m_shape;
    m_updatable = shape.singleTable;
    m_table = shape.table;
    m_params = query.params;
    m_executedSql = m_updatable ? shape.withIdentity() : query.text;
    // The rest of an ordered query on one table, after its first rows, is
    // read as row identities alone, and each row's values by its identity
    // when it is looked at: going to the end of a million rows reads one
    // number per row. Its order being total (the identity last), the
    // identities come in the order of the rows already read. (A query
    // without ORDER BY keeps the order in which the table gives its rows,
    // which a read of identities alone may not.)
    m_byIdentity = m_updatable && shape.ordered;
    m_rowsSql = m_byIdentity ? shape.identities() : m_executedSql;

    // Inside a transaction of this program every row is read at once: only
    // its own connection sees what it has not committed yet. An ordered
    // result on one table then reads its identities at once.
    const bool all = Transaction::isOpenOn(m_db);
    const bool identities = all && m_byIdentity;
    QSqlQuery q(m_db);
    if (!Database::run(q, identities ? m_rowsSql : m_executedSql, m_params, &error))
        return fail(error);
    if (!identities)
        takeColumns(q.record());
    m_complete = false;
    m_open = true;
    const qint64 upTo = all ? -1 : kFirstChunk;
    while (!m_complete && (upTo < 0 || qint64(m_rows.size()) <= upTo)) {
        Row row;
        if (!takeRow(q, &row, identities))
            break;
        m_rows.push_back(std::move(row));
    }
    // The read ends here: the rest is read when it is needed.
    q.finish();
    if (m_error.isEmpty() && identities)
        loadRange(0, qMin(qint64(m_rows.size()), kFirstChunk + 1));
    else if (m_byIdentity)
        keepLoaded(0, qint64(m_rows.size()));
    if (!m_error.isEmpty()) {
        Close();
        return false;
    }
    return true;
}

void Recordset::takeColumns(const QSqlRecord &record)
{
    const int columnCount = m_updatable ? record.count() - 1 : record.count();
    for (int i = 0; i < columnCount; ++i) {
        m_columns << record.fieldName(i);
        m_columnIndex.insert(record.fieldName(i).toLower(), i);
    }
}

bool Recordset::takeRow(QSqlQuery &q, Row *row, bool identityOnly)
{
    if (!q.next()) {
        m_complete = true;
        if (q.lastError().type() != QSqlError::NoError)
            fail(q.lastError().text());
        return false;
    }
    *row = rowAt(q, identityOnly);
    return true;
}

Recordset::Row Recordset::rowAt(const QSqlQuery &q, bool identityOnly) const
{
    Row row;
    if (identityOnly) {
        row.rowid = q.value(0).toLongLong();
        return row;
    }
    const int columnCount = int(m_columns.size());
    row.rowid = m_updatable ? q.value(columnCount).toLongLong() : -1;
    QVector<QVariant> values(columnCount);
    for (int i = 0; i < columnCount; ++i)
        values[i] = q.value(i);
    row.values.set(std::move(values));
    return row;
}

QByteArray Recordset::rowKey(const Row &row) const
{
    if (m_updatable)
        return QByteArray::number(row.rowid);
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    for (const QVariant &v : row.values.get())
        out << v;
    return key;
}

void Recordset::trimMemory()
{
    if (!m_updatable || qint64(m_rows.size()) <= kHeldRows)
        return;
    // Each pass drops the values of the rows read since the last pass, so a
    // long read costs one look at each row, not one per pass.
    const qint64 tailStart = qint64(m_rows.size()) - kHeldRows / 2;
    for (qint64 i = qMax<qint64>(0, m_trimmedUpTo); i < tailStart; ++i) {
        if (qAbs(i - m_pos) > kHeldRows / 2)
            m_rows[size_t(i)].values.clear();
    }
    m_trimmedUpTo = qMax(m_trimmedUpTo, tailStart);
}

// Values are read for a batch of rows around the one asked for, those of the
// batch that hold none, in one query by their identities. A row deleted from
// the table since the result read it keeps its place, with no values. The
// batches read last are kept; the values of older ones are dropped (they
// come back the same way), so that a walk or a scroll over a large result
// holds a bounded number of rows' values.
bool Recordset::loadValues(qint64 position, bool readAhead)
{
    if (!m_updatable || !m_rows[size_t(position)].values.isEmpty())
        return true;
    const qint64 from = qMax<qint64>(0, position - kBatchBefore);
    // The cursor walking through a result being read reads the identities
    // of the batch's rows first (one number each), so that each batch of
    // values is a whole one.
    if (readAhead && m_stream && m_stream->identities)
        fetchUntil(from + kValueBatch - 1);
    return loadRange(from, qMin(from + kValueBatch, qint64(m_rows.size())));
}

bool Recordset::loadRange(qint64 from, qint64 to)
{
    QByteArray ids = "[";
    qint64 count = 0;
    for (qint64 i = from; i < to; ++i) {
        if (m_rows[size_t(i)].values.isEmpty()) {
            ids += (count++ ? "," : "") + QByteArray::number(m_rows[size_t(i)].rowid);
        }
    }
    ids += ']';
    // A result's first read also learns its columns, rows or none.
    if (count == 0 && !m_columns.isEmpty())
        return true;
    QSqlQuery q(m_db);
    QString error;
    if (!Database::run(q, m_shape.valuesOfList(), {QString::fromLatin1(ids)}, &error))
        return fail(error);
    if (m_columns.isEmpty())
        takeColumns(q.record());
    const int columnCount = int(m_columns.size());
    QHash<qint64, QVector<QVariant>> found;
    found.reserve(count);
    while (q.next()) {
        QVector<QVariant> values(columnCount);
        for (int i = 0; i < columnCount; ++i)
            values[i] = q.value(i);
        found.insert(q.value(columnCount).toLongLong(), std::move(values));
    }
    if (q.lastError().type() != QSqlError::NoError)
        return fail(q.lastError().text());
    for (qint64 i = from; i < to; ++i) {
        Row &row = m_rows[size_t(i)];
        if (row.values.isEmpty())
            row.values.set(found.contains(row.rowid) ? found.take(row.rowid)
                                                     : QVector<QVariant>(columnCount));
    }
    keepLoaded(from, to);
    return true;
}

void Recordset::keepLoaded(qint64 from, qint64 to)
{
    m_loaded.push_back({from, to});
    m_loadedRows += to - from;
    // The rows just read and the current row keep theirs.
    while (m_loadedRows > kHeldRows && m_loaded.size() > 1) {
        const auto [oldFrom, oldTo] = m_loaded.front();
        m_loaded.pop_front();
        m_loadedRows -= oldTo - oldFrom;
        for (qint64 i = oldFrom; i < qMin(oldTo, qint64(m_rows.size())); ++i) {
            if ((i < from || i >= to) && i != m_pos)
                m_rows[size_t(i)].values.clear();
        }
    }
}

bool Recordset::fetchAll()
{
    while (!m_complete) {
        if (!fetchUntil(qint64(m_rows.size()) + kHeldRows))
            return false;
    }
    return true;
}

qint64 Recordset::fetchMore(qint64 count)
{
    const qint64 before = qint64(m_rows.size());
    if (count > 0)
        fetchUntil(before + count - 1);
    return qint64(m_rows.size()) - before;
}

bool Recordset::ensureRow(qint64 position)
{
    if (position < 0)
        return false;
    if (!fetchUntil(position))
        return false;
    return position < qint64(m_rows.size());
}

bool Recordset::currentIsRow()
{
    return m_open && !m_currentDeleted && m_edit != EditMode::Adding && ensureRow(m_pos);
}

bool Recordset::isEOF()
{
    if (!m_open || m_stopped)
        return true;
    if (m_edit == EditMode::Adding)
        return false;
    if (m_pos < 0)
        return m_complete && m_rows.empty();
    fetchUntil(m_pos);
    return m_pos >= qint64(m_rows.size());
}

bool Recordset::isBOF() const
{
    if (!m_open || m_stopped)
        return true;
    return m_pos < 0 || (m_complete && m_rows.empty() && m_edit != EditMode::Adding);
}

bool Recordset::flushPending()
{
    if (m_edit == EditMode::None)
        return true;
    if (m_edit == EditMode::Adding && !m_dirty.contains(true)) {
        CancelUpdate();
        return true;
    }
    return Update();
}

bool Recordset::storeBeforeMove(bool walking)
{
    // A change that cannot be stored keeps the cursor on its row with the
    // change, to retry (Update) or drop (CancelUpdate). When the move was a
    // step (MoveNext, MovePrevious) the result also reads as ended (isEOF and
    // isBOF) until then, so that a "while not EOF, MoveNext" loop stops there
    // instead of spinning; a window that jumps to a row keeps showing it.
    const bool stored = flushPending();
    m_stopped = !stored && walking;
    return stored;
}

bool Recordset::MoveFirst()
{
    if (!m_open)
        return fail(QStringLiteral("The result is closed."));
    if (!storeBeforeMove(false))
        return false;
    m_currentDeleted = false;
    m_pos = 0;
    return fetchUntil(0);
}

bool Recordset::MoveNext()
{
    if (!m_open)
        return fail(QStringLiteral("The result is closed."));
    if (!storeBeforeMove(true))
        return false;
    if (m_currentDeleted) {
        m_currentDeleted = false;
    } else {
        if (isEOF())
            return fail(QStringLiteral("There is no row after the last one."));
        ++m_pos;
    }
    return fetchUntil(m_pos);
}

bool Recordset::MovePrevious()
{
    if (!m_open)
        return fail(QStringLiteral("The result is closed."));
    if (!storeBeforeMove(true))
        return false;
    m_currentDeleted = false;
    if (m_pos < 0)
        return fail(QStringLiteral("There is no row before the first one."));
    fetchUntil(m_pos);
    m_pos = qMin(m_pos, qint64(m_rows.size())) - 1;
    return true;
}

bool Recordset::MoveLast()
{
    if (!m_open)
        return fail(QStringLiteral("The result is closed."));
    if (!storeBeforeMove(false) || !fetchAll())
        return false;
    m_currentDeleted = false;
    m_pos = m_rows.empty() ? 0 : qint64(m_rows.size()) - 1;
    return true;
}

int Recordset::fieldIndex(const QString &name) const
{
    QString key = name.toLower();
    if (!m_columnIndex.contains(key)) {
        // "Table.Field" names the field of the one table.
        const qsizetype dot = key.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0)
            key = key.mid(dot + 1);
    }
    return m_columnIndex.value(key, -1);
}

const QVector<QVariant> *Recordset::currentValues() const
{
    auto *self = const_cast<Recordset *>(this);
    if (m_edit != EditMode::None)
        return &m_buffer;
    if (!self->currentIsRow() || !self->loadValues(m_pos, true))
        return nullptr;
    return &self->m_rows[size_t(m_pos)].values.get();
}

QVariant Recordset::value(int column) const
{
    const QVector<QVariant> *values = currentValues();
    if (!values || column < 0 || column >= values->size())
        return QVariant();
    return values->at(column);
}

QVariant Recordset::valueAt(qint64 position, int column)
{
    if (!m_open || !ensureRow(position) || column < 0 || column >= m_columns.size())
        return QVariant();
    if (position == m_pos && m_edit == EditMode::Editing)
        return m_buffer.value(column);
    if (!loadValues(position, false))
        return QVariant();
    return m_rows[size_t(position)].values.get().value(column);
}

QVariant Recordset::value(const QString &name) const
{
    return value(fieldIndex(name));
}

bool Recordset::setValue(const QString &name, const QVariant &value)
{
    const int column = fieldIndex(name);
    if (column < 0)
        return fail(QStringLiteral("The result has no field named %1.").arg(name));
    if (!m_updatable)
        return fail(QStringLiteral("This result cannot be changed."));
    if (m_edit == EditMode::None) {
        if (!currentIsRow())
            return fail(QStringLiteral("There is no current row to change."));
        if (!loadValues(m_pos, true))
            return false;
        m_buffer = m_rows[size_t(m_pos)].values.get();
        m_dirty.fill(false, m_columns.size());
        m_edit = EditMode::Editing;
    }
    m_buffer[column] = value;
    m_dirty[column] = true;
    return true;
}

bool Recordset::AddNew()
{
    if (!m_open)
        return fail(QStringLiteral("The result is closed."));
    if (!m_updatable)
        return fail(QStringLiteral("Rows cannot be added to this result."));
    if (!flushPending() || !fetchAll())
        return false;
    m_buffer.fill(QVariant(), m_columns.size());
    m_dirty.fill(false, m_columns.size());
    m_edit = EditMode::Adding;
    m_currentDeleted = false;
    m_pos = qint64(m_rows.size());
    return true;
}

bool Recordset::Update()
{
    if (m_edit == EditMode::None)
        return true;
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_dirty[i]) {
            names << m_columns[i];
            values << toStoredValue(m_buffer[i]);
        }
    }
    QSqlQuery q(m_db);
    QString error;
    if (m_edit == EditMode::Adding) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table);
        } else {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(m_table, names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
        }
        if (!Database::run(q, sql, values, &error))
            return fail(error); // the window says what could not be stored
        Row row;
        row.rowid = q.lastInsertId().toLongLong();
        q.finish();
        m_edit = EditMode::None;
        m_stopped = false;
        // The stored row is the result's last, with its values as stored
        // (defaults and all).
        m_rows.push_back(std::move(row));
        m_pos = qint64(m_rows.size()) - 1;
        return loadValues(m_pos, false);
    }
    if (names.isEmpty()) {
        m_edit = EditMode::None;
        m_stopped = false;
        return true;
    }
    QStringList assignments;
    for (const QString &n : names)
        assignments << n + QStringLiteral(" = ?");
    values << m_rows[size_t(m_pos)].rowid;
    if (!Database::run(q,
                       QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                           .arg(m_table, assignments.join(QLatin1String(", "))),
                       values, &error))
        return fail(error);
    if (q.numRowsAffected() != 1)
        return fail(Database::problemText(Database::Problem::RowGone, m_path, QString()));
    m_edit = EditMode::None;
    m_stopped = false;
    m_rows[size_t(m_pos)].values.clear();
    return loadValues(m_pos, false);
}

void Recordset::CancelUpdate()
{
    if (m_edit == EditMode::Adding) {
        m_pos = qint64(m_rows.size()) - 1;
        if (m_pos < 0)
            m_pos = 0;
    }
    m_edit = EditMode::None;
    m_stopped = false;
    m_buffer.clear();
    m_dirty.clear();
}

bool Recordset::Delete()
{
    if (m_edit == EditMode::Adding) {
        CancelUpdate();
        return true;
    }
    if (m_edit == EditMode::Editing)
        CancelUpdate();
    if (!m_updatable)
        return fail(QStringLiteral("Rows cannot be deleted from this result."));
    if (!currentIsRow())
        return fail(QStringLiteral("There is no current row to delete."));
    QSqlQuery q(m_db);
    QString error;
    if (!Database::run(q, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_table),
                       {m_rows[size_t(m_pos)].rowid}, &error))
        return fail(error);
    m_rows.erase(m_rows.begin() + m_pos);
    // The batches of values read keep naming the same rows.
    for (auto &[from, to] : m_loaded) {
        const qint64 size = to - from;
        from -= from > m_pos ? 1 : 0;
        to -= to > m_pos ? 1 : 0;
        m_loadedRows -= size - (to - from);
    }
    m_currentDeleted = true;
    return true;
}

qint64 Recordset::RecordCount()
{
    if (!m_open)
        return 0;
    if (m_complete)
        return qint64(m_rows.size());
    if (!fetchUntil(qint64(m_rows.size())))
        return qint64(m_rows.size());
    if (m_complete)
        return qint64(m_rows.size());
    if (!m_stream->total) {
        QSqlQuery q(m_stream->reader.database());
        QString error;
        if (!Database::run(q, QStringLiteral("SELECT COUNT(*) FROM (%1)").arg(m_rowsSql), m_params, &error) ||
            !q.next()) {
            fail(error);
            return qint64(m_rows.size());
        }
        m_stream->total = q.value(0).toLongLong();
    }
    // The rows held, those waiting, and those the read has not reached yet.
    return qint64(m_rows.size()) + qint64(m_stream->pending.size()) + *m_stream->total - m_stream->consumed;
}

qint64 Recordset::rowsHoldingValues() const
{
    qint64 count = 0;
    for (const Row &row : m_rows)
        count += row.values.isEmpty() ? 0 : 1;
    return count;
}

qint64 Recordset::Bookmark() const
{
    if (!m_open || m_currentDeleted || m_edit == EditMode::Adding || m_pos < 0 ||
        m_pos >= qint64(m_rows.size()))
        return 0;
    return m_pos + 1;
}

bool Recordset::setBookmark(qint64 position)
{
    if (!storeBeforeMove(false))
        return false;
    if (!ensureRow(position - 1))
        return fail(QStringLiteral("There is no row at position %1.").arg(position));
    m_currentDeleted = false;
    m_pos = position - 1;
    return true;
}

} // namespace tarnvik
