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
    void setColumnCaption(int column, const QString &caption);
    // Shows only these fields, in this order (all fields when empty).
    void setVisibleFields(const QStringList &fields);

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

    // Deletes the result's row shown at this position.
    bool deleteRow(int row);
    // Whether the row is the empty "add a row" line.
    bool isNewRowLine(int row) const;
    QString fieldAt(int column) const;

    QString lastError() const { return m_error; }

signals:
    // A write failed; the message says why.
    void writeFailed(const QString &message);

private:
    void reload();
    int fieldColumn(int column) const;

    QPointer<DataSource> m_source;
    QStringList m_visible;
    QHash<int, QString> m_captions;
    bool m_allowAddNew = false;
    bool m_allowUpdate = true;
    int m_shownRows = 0; // rows of the result the view knows of
    QString m_error;
};

} // namespace tarnvik
