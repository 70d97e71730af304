#include "platform/ui/DataGrid.h"

#include "common/DataSource.h"
#include "common/RecordsetTableModel.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace tarnvik {

DataGrid::DataGrid(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void DataGrid::setDataSource(DataSource *source)
{
    delete m_model;
    m_model = new RecordsetTableModel(source, this);
    m_model->setAllowAddNew(m_allowAddNew);
    m_model->setAllowUpdate(m_allowUpdate);
    setModel(m_model);
    connect(m_model, &RecordsetTableModel::writeFailed, this, &DataGrid::writeFailed);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &, const QModelIndex &previous) {
                if (!m_showingRow)
                    emit RowColChange(previous.isValid() ? previous.row() : -1);
            });
}

void DataGrid::setAllowAddNew(bool allow)
{
    m_allowAddNew = allow;
    if (m_model)
        m_model->setAllowAddNew(allow);
}

void DataGrid::setAllowUpdate(bool allow)
{
    m_allowUpdate = allow;
    if (m_model)
        m_model->setAllowUpdate(allow);
    setEditTriggers(allow ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed
                          : QAbstractItemView::NoEditTriggers);
}

void DataGrid::setColumnCaption(int column, const QString &caption)
{
    if (m_model)
        m_model->setColumnCaption(column, caption);
}

void DataGrid::showCurrentRow(qint64 row)
{
    if (!m_model)
        return;
    m_showingRow = true;
    if (row < 0) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        m_model->showFetchedRows();
        while (row >= m_model->rowCount() && m_model->canFetchMore(QModelIndex()))
            m_model->fetchMore(QModelIndex());
        const int column = qMax(0, currentIndex().column());
        const QModelIndex target = m_model->index(int(row), column);
        if (target.isValid()) {
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
            scrollTo(target);
        }
    }
    m_showingRow = false;
}

int DataGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool DataGrid::deleteCurrentRow()
{
    const QModelIndex current = currentIndex();
    if (!m_allowDelete || !m_model || !current.isValid() || m_model->isNewRowLine(current.row()))
        return false;
    bool cancel = false;
    emit BeforeDelete(&cancel);
    if (cancel)
        return false;
    if (!m_model->deleteRow(current.row()))
        return false;
    emit AfterDelete();
    return true;
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        deleteCurrentRow();
        return;
    }
    // Ctrl+End goes to the last row of the whole result, not only of the
    // rows read so far.
    if (event->key() == Qt::Key_End && (event->modifiers() & Qt::ControlModifier) && m_model &&
        state() != QAbstractItemView::EditingState) {
        m_model->fetchAll();
    }
    QTableView::keyPressEvent(event);
}

} // namespace tarnvik
