#pragma once

#include "common/QueryShape.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

class QSqlQuery;
class QSqlRecord;

namespace tarnvik {

struct SqlQuery;
class Recordset;

// One field of the current row, as read and written through Fields(name).
class FieldRef {
public:
    FieldRef(Recordset *rs, QString name) : m_rs(rs), m_name(std::move(name)) {}
    QVariant Value() const;
    bool setValue(const QVariant &value);
    // Stored length of the value: 0 when it is Null or empty.
    int ActualSize() const;
    bool isNull() const { return Value().isNull(); }
    QString toString() const { return Value().toString(); }

private:
    Recordset *m_rs;
    QString m_name;
};

// The result of a data source's query: a cursor over its rows, with the
// current row readable and writable field by field.
//
// Rows are fetched as they are needed: a result of a million rows opens with
// its first rows and keeps only a window of row values in memory. Its rows
// are those of the file when the query ran, however long they take to be
// read: rows inserted or deleted since (by this program or another) neither
// appear twice nor hide others; the next open sees them. The rows of a query
// on a single table can be changed, added and deleted; the writes go to the
// table by its row identity. A change written into the current row is stored
// when the cursor moves to another row, or by Update().
//
// The rows of an ordered query on a single table are read as their
// identities; a row's values are read, with those of its neighbours, when it
// is first looked at (again when they were dropped), as the file holds them
// then. A row deleted from the table before its values were read keeps its
// place with no values.
//
// Every operation that can fail returns false and leaves its reason in
// lastError(); nothing fails silently. A move whose pending change cannot be
// stored stays on that row with the change kept. After a failed MoveNext or
// MovePrevious the result also reads as ended (isEOF, isBOF) until the change
// is stored by Update or dropped by CancelUpdate, so that a loop walking to
// the end stops there.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // Runs a query on a database file. The previous result is closed first.
    bool open(const QString &databasePath, const SqlQuery &query);
    bool isOpen() const { return m_open; }
    void Close();

    // Ends the reads that results of this thread hold open on their files
    // between calls (the rest of a large result being read): such a read
    // keeps the station's writes in the file's log. A result reads on from
    // where it was when it is next asked for more rows.
    static void letGoOfReads();

    // Past the last row / before the first row; both true for an empty
    // result. (Named with "is": EOF is a macro of the C library.)
    bool isEOF();
    bool isBOF() const;

    bool MoveFirst();
    bool MoveNext();
    bool MovePrevious();
    bool MoveLast();

    FieldRef Fields(const QString &name) { return FieldRef(this, name); }
    QVariant value(const QString &name) const;
    QVariant value(int column) const;
    bool setValue(const QString &name, const QVariant &value);
    // The value of a row by its 0-based position, without moving the cursor
    // (grids read the rows they paint this way).
    QVariant valueAt(qint64 position, int column);
    QStringList fieldNames() const { return m_columns; }
    int fieldIndex(const QString &name) const;

    // Appends a new row and makes it current; a row added before and not yet
    // stored is stored first.
    bool AddNew();
    // Stores the current row's changes (or the added row).
    bool Update();
    // Drops the current row's unsaved changes.
    void CancelUpdate();
    // Removes the current row from the table at once. The cursor stays on the
    // deleted row's place: MoveNext goes to the row after it.
    bool Delete();

    bool editPending() const { return m_edit != EditMode::None; }
    bool updatable() const { return m_updatable; }
    QString tableName() const { return m_table; }

    qint64 RecordCount();
    // 1-based position of the current row; 0 when there is none.
    qint64 Bookmark() const;
    bool setBookmark(qint64 position);

    // Rows read from the database so far, and whether that is all of them
    // (grids show what was fetched and ask for more as they scroll).
    qint64 fetchedCount() const { return qint64(m_rows.size()); }
    bool fetchedAll() const { return m_complete; }
    // Reads up to count further rows; returns how many arrived.
    qint64 fetchMore(qint64 count);
    // Rows whose values are held in memory: a large result holds those
    // around the rows last looked at, not all of them.
    qint64 rowsHoldingValues() const;

    QString lastError() const { return m_error; }

private:
    friend class FieldRef;
    enum class EditMode { None, Editing, Adding };
    // A row's values when they are held in memory, behind one pointer: a
    // result of a million rows read as identities costs 16 bytes a row.
    class HeldValues {
    public:
        bool isEmpty() const { return !m_values; }
        const QVector<QVariant> &get() const { return *m_values; }
        void set(QVector<QVariant> values)
        {
            m_values = std::make_unique<QVector<QVariant>>(std::move(values));
        }
        void clear() { m_values.reset(); }

    private:
        std::unique_ptr<QVector<QVariant>> m_values;
    };
    struct Row {
        qint64 rowid = -1;
        HeldValues values;
    };
    struct Stream;

    bool fail(const QString &message);
    bool ensureRow(qint64 position);
    bool fetchUntil(qint64 position);
    bool startStream(bool identities);
    void readIdentitiesFromHere();
    // The query's next row (its identity alone, or its values and identity);
    // false at the end or on a failure (lastError).
    bool takeRow(QSqlQuery &q, Row *row, bool identityOnly);
    Row rowAt(const QSqlQuery &q, bool identityOnly) const;
    QByteArray rowKey(const Row &row) const;
    bool takeSeen(const Row &row);
    bool storeBeforeMove(bool walking);
    void takeColumns(const QSqlRecord &record);
    bool loadValues(qint64 position, bool readAhead);
    bool loadRange(qint64 from, qint64 to);
    void keepLoaded(qint64 from, qint64 to);
    void trimMemory();
    bool flushPending();
    bool fetchAll();
    void closeStream();
    bool currentIsRow();
    const QVector<QVariant> *currentValues() const;

    bool m_open = false;
    QString m_error;
    QString m_path;
    QSqlDatabase m_db;
    QString m_table;
    QueryShape m_shape;
    bool m_updatable = false;
    // An ordered result on one table: its rest may be read as identities,
    // and its values are read by identity.
    bool m_byIdentity = false;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex; // lower-case name -> column
    QString m_executedSql;
    QString m_rowsSql; // the identities alone, when read by identity; else m_executedSql
    QVariantList m_params;

    std::vector<Row> m_rows;
    bool m_complete = true;
    std::unique_ptr<Stream> m_stream;
    qint64 m_trimmedUpTo = 0;                       // rows before this were already looked at for trimming
    std::deque<std::pair<qint64, qint64>> m_loaded; // batches of values read, oldest first
    qint64 m_loadedRows = 0;                        // rows in those batches

    qint64 m_pos = -1; // -1: before the first row
    bool m_currentDeleted = false;
    bool m_stopped = false; // a move failed: the pending change could not be stored
    EditMode m_edit = EditMode::None;
    QVector<QVariant> m_buffer;
    QVector<bool> m_dirty;
};

} // namespace tarnvik
