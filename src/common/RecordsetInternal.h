#pragma once

// What the two halves of the recordset share: how much it reads and keeps at
// a time, and the read of the rest of a large result (RecordsetStream.cpp).
#include "common/ReadConnection.h"
#include "common/Recordset.h"

#include <QHash>
#include <QSqlQuery>

#include <deque>
#include <memory>
#include <optional>

namespace tarnvik {

namespace RecordsetLimits {

// Rows read at once when a query opens, and the number of rows whose values
// are kept in memory around the current row of a large result.
inline constexpr qint64 kFirstChunk = 50;
inline constexpr qint64 kHeldRows = 8192;
// Rows whose values are read together by their identities, most of them
// after the row asked for (a walk forward or a grid painting downwards).
inline constexpr qint64 kValueBatch = 256;
inline constexpr qint64 kBatchBefore = kValueBatch / 4;
// Rows looked at, past those already read, to find where the rest of a
// result begins when the file changed between its first rows and the rest.
inline constexpr qint64 kAlignmentWindow = 512;
// How far past the rows read a read must reach (the end, a row far down)
// for the rest of an ordered result on one table to be read as identities;
// rows read a few at a time come with their values.
inline constexpr qint64 kBulkRead = 1024;

} // namespace RecordsetLimits

// The rows of a large result after its first ones, read on a connection of
// their own in one read transaction.
struct Recordset::Stream {
    ReadConnection reader;
    std::unique_ptr<QSqlQuery> query;
    std::optional<qint64> total;
    bool identities = false;     // the query reads row identities alone
    qint64 consumed = 0;         // rows taken from the query
    std::deque<Row> pending;     // rows taken from the query, not yet in the result
    QHash<QByteArray, int> seen; // rows the result held before this read, by key
};

} // namespace tarnvik
