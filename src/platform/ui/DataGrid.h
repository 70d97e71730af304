#pragma once

#include <QTableView>

namespace tarnvik {

class DataSource;
class RecordsetTableModel;

// A table view bound to a data source: cells are edited in place, rows added
// on the last line (when allowed) and deleted with the Delete key (when
// allowed). It tells its window when the current row changes and asks before
// a row is deleted, so the window can refuse.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    RecordsetTableModel *gridModel() const { return m_model; }

    void setAllowAddNew(bool allow);
    void setAllowDelete(bool allow) { m_allowDelete = allow; }
    void setAllowUpdate(bool allow);
    void setColumnCaption(int column, const QString &caption);

    // Shows a row of the result (0-based) as the grid's current row, reading
    // the result up to it, and scrolls to it; -1 clears the current row.
    // RowColChange is not raised: the window moved the row itself.
    void showCurrentRow(qint64 row);
    // The grid's current row, -1 for none.
    int currentRow() const;

    // Deletes the current row, after BeforeDelete; false when refused or failed.
    bool deleteCurrentRow();

signals:
    // The current row changed; lastRow is the row left (-1 for none).
    void RowColChange(int lastRow);
    // A row is about to be deleted; set *cancel to keep it.
    void BeforeDelete(bool *cancel);
    void AfterDelete();
    void writeFailed(const QString &message);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    RecordsetTableModel *m_model = nullptr;
    bool m_allowDelete = false;
    bool m_allowAddNew = false;
    bool m_allowUpdate = true;
    bool m_showingRow = false;
};

} // namespace tarnvik
