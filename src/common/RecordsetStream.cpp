// The rest of a large result, read after its first rows on a connection of
// its own, and let go of between calls when the file's log needs it.
#include "common/Database.h"
#include "common/RecordsetInternal.h"

#include <QSet>

namespace tarnvik {

using namespace RecordsetLimits;

namespace {

// The results of this thread that hold a read open on their file.
QSet<Recordset *> &reading()
{
    thread_local QSet<Recordset *> open;
    return open;
}

} // namespace

void Recordset::closeStream()
{
    m_stream.reset();
    reading().remove(this);
}

void Recordset::letGoOfReads()
{
    // A copy: closing a stream takes its result out of the set.
    const QSet<Recordset *> open = reading();
    for (Recordset *rs : open)
        rs->closeStream();
}

// The rest of the result is read in one read transaction of a connection of
// its own, begun when it is first needed (a result whose first rows are all
// that is read holds nothing open). That read runs the query again and is
// lined up with the rows already read: when it begins with them, in their
// order (nothing written among them since), the rest follows them. Otherwise
// the rows already read stay as they are, the new read's rows up to the last
// of them are left out (rows inserted among them since), and none of them
// comes twice. Rows are lined up by identity, so the rest of an ordered
// result on one table that is first asked for far ahead (its end, a row far
// down) is read as identities alone from the start.
bool Recordset::startStream(bool identities)
{
    auto stream = std::make_unique<Stream>();
    stream->identities = identities;
    QString error;
    bool ok = stream->reader.begin(m_path, &error);
    if (ok) {
        stream->query = std::make_unique<QSqlQuery>(stream->reader.database());
        ok = Database::run(*stream->query, identities ? m_rowsSql : m_executedSql, m_params, &error);
    }
    if (!ok) {
        m_complete = true;
        return fail(QStringLiteral("The rest of the result cannot be read: %1").arg(error));
    }
    m_stream = std::move(stream);
    reading().insert(this);
    Stream &st = *m_stream;
    QSqlQuery &q = *st.query;
    for (const Row &row : m_rows)
        ++st.seen[rowKey(row)];
    const qint64 held = qint64(m_rows.size());
    const qint64 limit = held + kAlignmentWindow;
    std::vector<Row> window;
    qint64 lastSeen = -1;
    bool samePrefix = true; // this read began with the rows already read, in their order
    while (qint64(window.size()) < limit && !(samePrefix && qint64(window.size()) == held)) {
        if (!q.next())
            break; // the end, or a failure the next read reports
        ++st.consumed;
        Row row = rowAt(q, identities);
        const QByteArray key = rowKey(row);
        if (samePrefix && key != rowKey(m_rows[window.size()]))
            samePrefix = false;
        if (st.seen.contains(key))
            lastSeen = qint64(window.size());
        window.push_back(std::move(row));
    }
    for (qint64 i = 0; i <= lastSeen; ++i)
        takeSeen(window[size_t(i)]);
    for (qint64 i = lastSeen + 1; i < qint64(window.size()); ++i)
        st.pending.push_back(std::move(window[size_t(i)]));
    return true;
}

bool Recordset::takeSeen(const Row &row)
{
    const auto it = m_stream->seen.find(rowKey(row));
    if (it == m_stream->seen.end())
        return false;
    if (--it.value() <= 0)
        m_stream->seen.erase(it);
    return true;
}

// The read of the rest goes on as identities alone: the same query on the
// same read transaction gives the same rows in the same order (the order is
// total), so the rows it already gave are passed over. Should that query
// fail, the rows keep coming with their values.
void Recordset::readIdentitiesFromHere()
{
    Stream &st = *m_stream;
    auto q = std::make_unique<QSqlQuery>(st.reader.database());
    if (!Database::run(*q, m_rowsSql, m_params, nullptr))
        return;
    for (qint64 i = 0; i < st.consumed; ++i) {
        if (!q->next())
            return;
    }
    st.query = std::move(q);
    st.identities = true;
}

bool Recordset::fetchUntil(qint64 position)
{
    if (position < qint64(m_rows.size()) || m_complete)
        return true;
    const bool bulk = m_byIdentity && position - qint64(m_rows.size()) >= kBulkRead;
    if (!m_stream && !startStream(bulk))
        return false;
    if (bulk && !m_stream->identities)
        readIdentitiesFromHere();
    while (qint64(m_rows.size()) <= position) {
        Row row;
        if (!m_stream->pending.empty()) {
            row = std::move(m_stream->pending.front());
            m_stream->pending.pop_front();
        } else {
            if (!takeRow(*m_stream->query, &row, m_stream->identities)) {
                closeStream();
                return m_error.isEmpty();
            }
            ++m_stream->consumed;
            if (!m_stream->seen.isEmpty() && takeSeen(row))
                continue;
        }
        m_rows.push_back(std::move(row));
        // Counted over every read, so that a walk reading a row at a time
        // drops values as a long read does.
        if (qint64(m_rows.size()) - m_trimmedUpTo >= kHeldRows)
            trimMemory();
    }
    return true;
}

} // namespace tarnvik
