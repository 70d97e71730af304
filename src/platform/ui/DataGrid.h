#pragma once

#include <QPointer>
#include <QTableView>

namespace tarnvik {

class DataSource;
class RecordsetTableModel;

// A table view bound to a data source: cells are edited in place, rows added
// on the last line (when allowed) and deleted with the Delete key (when
// allowed). The row selected in the grid is the data source's current row.
// It tells its window when the user takes another row and asks before a row
// is deleted, so the window can refuse.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    RecordsetTableModel *gridModel() const { return m_model; }

    void setAllowAddNew(bool allow);
    void setAllowDelete(bool allow) { m_allowDelete = allow; }
    void setAllowUpdate(bool allow);
    // The cells typed into a row are stored together when the row is left
    // (see RecordsetTableModel::setRowAtATime).
    void setRowAtATime(bool on);
    // Columns keep their captions whole: a column set or dragged narrower
    // than its caption is widened to it, unless it is closed on purpose (a
    // few pixels wide).
    void setColumnCaption(int column, const QString &caption);

    // Shows a row of the result (0-based) as the grid's current row, reading
    // the result up to it, and scrolls to it; -1 clears the current row.
    // RowColChange is not raised: the window moved the row itself.
    void showCurrentRow(qint64 row);
    // The grid's current row, -1 for none.
    int currentRow() const;

    // Deletes the current row, after BeforeDelete; false when refused or failed.
    bool deleteCurrentRow();
    // Selects the data source's current row, as after the window moved it
    // itself; RowColChange is not sent.
    void showCurrentRow();

signals:
    // The user took another row; lastRow is the row left (-1 for none).
    void RowColChange(int lastRow);
    // The user is about to leave the current row; set *cancel to stay on it.
    void BeforeRowChange(bool *cancel);
    // A row is about to be deleted; set *cancel to keep it.
    void BeforeDelete(bool *cancel);
    void AfterDelete();
    void writeFailed(const QString &message);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    void currentRowChanged(const QModelIndex &current, const QModelIndex &previous);
    // After the view's own handling of a key or a click: when the row change
    // it made was refused (or the window chose another row meanwhile), the
    // highlighted row is put back on the current row, which stays the data
    // source's row, so that what is shown, edited and deleted is one row.
    void settleRow();
    // Runs the view's own handling of an event, then settles the row once
    // the outermost handling is done.
    template <typename Handling> bool handleThenSettle(Handling handling);
    bool moveSourceTo(int row);
    void keepCaptionWhole(int column);
    void keepCaptionsWhole();
    // Selects a row; column -1 keeps the current cell's column.
    void select(int row, int column = -1);

    QPointer<DataSource> m_source;
    RecordsetTableModel *m_model = nullptr;
    bool m_allowDelete = false;
    bool m_allowAddNew = false;
    bool m_allowUpdate = true;
    bool m_rowAtATime = false;
    bool m_syncing = false;     // the grid itself moves its selection
    bool m_inRowChange = false; // a user's row change is being handled
    int m_settleRow = -2;       // the row chosen while handling it; -2 for none
    int m_eventDepth = 0;       // events of the view being handled, nested
    bool m_fittingCaption = false;
};

} // namespace tarnvik
