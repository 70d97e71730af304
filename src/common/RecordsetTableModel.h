#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

namespace tarnvik {

class DataSource;

// Shows a data source's result in a table view: one row per row of the
// result, fetched as the view scrolls, cells edited in place (each edit is
// stored at once), and, when adding is allowed, an empty last row in which
// typing adds a new row. Column captions can be set at run time.
class RecordsetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordsetTableModel(DataSource *source, QObject *parent = nullptr);

    void setAllowAddNew(bool allow);
    void setAllowUpdate(bool allow) { m_allowUpdate = allow; }
    // Row at a time: the cells typed into one row are held as the result's
    // pending change of its current row (a row being added shows above the
    // "add" line) and stored together when another row is taken, by
    // storePendingRow() or by the result's Update(); CancelUpdate() drops
    // them. Otherwise each cell is stored as soon as it is typed.
    void setRowAtATime(bool on) { m_rowAtATime = on; }
    bool rowAtATime() const { return m_rowAtATime; }
    void setColumnCaption(int column, const QString &caption);
    // Shows only these fields, in this order (all fields when empty).
    void setVisibleFields(const QStringList &fields);
    // Fields holding stored dates: shown in the short date form of the
    // pickers (dd/mm/yyyy), like every date being edited.
    void setDateFields(const QStringList &fields) { m_dateFields = fields; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Shows the rows that the result has read since the view last learnt of
    // them (a move of the result's cursor reads rows on its own).
    void showFetchedRows();
    // Reads every remaining row of the result and shows them.
    void fetchAll();

    // Deletes the result's row shown at this position (a row being added and
    // not stored yet is dropped).
    bool deleteRow(int row);
    // Whether the row is the empty "add a row" line.
    bool isNewRowLine(int row) const;
    // Whether the row is a row being added, typed but not stored yet.
    bool isPendingNewRow(int row) const { return m_pendingNew && row == m_shownRows; }
    // Stores the change pending on the result's current row; false (and
    // writeFailed) when it cannot be stored, the change then stays pending.
    bool storePendingRow();
    // Drops the change pending on the result's current row.
    void cancelPendingRow();
    // Takes in rows that the window added to the result itself (AddNew and
    // Update on the data source rather than typed into the grid).
    void syncWithResult();
    QString fieldAt(int column) const;

    QString lastError() const { return m_error; }
    // What the last failed write was.
    enum class Write { Change, Delete };
    Write failedWrite() const { return m_failedWrite; }

signals:
    // A write failed; the message says why.
    void writeFailed(const QString &message);

private:
    void reload();
    QVariant shown(const QVariant &value, int column) const;
    int fieldColumn(int column) const;
    bool setCellNow(const QModelIndex &index, const QVariant &value);
    bool setCellPending(const QModelIndex &index, const QVariant &value);
    void reportFailure(Write write);

    QPointer<DataSource> m_source;
    QStringList m_visible;
    QStringList m_dateFields;
    QHash<int, QString> m_captions;
    bool m_allowAddNew = false;
    bool m_allowUpdate = true;
    bool m_rowAtATime = false;
    bool m_pendingNew = false; // a row being added shows after the result's rows
    bool m_changing = false;   // storing or dropping the pending row
    int m_shownRows = 0;       // rows of the result the view knows of
    QString m_error;
    Write m_failedWrite = Write::Change;
};

} // namespace tarnvik
