#include "platform/ui/DataGrid.h"

#include "common/DataSource.h"
#include "common/RecordsetTableModel.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolTip>

namespace tarnvik {

using namespace Qt::StringLiterals;

namespace {

// A tool tip as rich text, which the tip wraps to fit on the screen; a long
// word (a name without spaces) may break anywhere.
QString wrappableTip(const QString &text)
{
    QString breakable;
    int wordLength = 0;
    for (const QChar c : text) {
        wordLength = c.isSpace() ? 0 : wordLength + 1;
        if (wordLength > 40) {
            breakable += QChar(0x200B); // zero-width space: a place to break
            wordLength = 1;
        }
        breakable += c;
    }
    return u"<p>"_s + breakable.toHtmlEscaped() + u"</p>"_s;
}

} // namespace

DataGrid::DataGrid(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column) { keepCaptionWhole(column); });
}

void DataGrid::keepCaptionWhole(int column)
{
    // Narrower than this, a column is closed on purpose.
    constexpr int kClosedWidth = 8;
    QHeaderView *header = horizontalHeader();
    if (m_fittingCaption || !model() || column < 0 || column >= model()->columnCount() ||
        header->sectionResizeMode(column) != QHeaderView::Interactive)
        return;
    const int width = header->sectionSize(column);
    if (width <= kClosedWidth)
        return;
    // The header shows in bold the captions over a selected row; the text
    // has a margin on each side, and the section's frame lines.
    QFont bold = header->font();
    bold.setBold(true);
    const QString caption = model()->headerData(column, Qt::Horizontal).toString();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int needed = QFontMetrics(bold).horizontalAdvance(caption) + 2 * margin + 4;
    if (width < needed) {
        const QScopedValueRollback<bool> fitting(m_fittingCaption, true);
        header->resizeSection(column, needed);
    }
}

void DataGrid::keepCaptionsWhole()
{
    for (int column = 0; model() && column < model()->columnCount(); ++column)
        keepCaptionWhole(column);
}

void DataGrid::setDataSource(DataSource *source)
{
    delete m_model;
    m_source = source;
    m_model = new RecordsetTableModel(source, this);
    m_model->setAllowAddNew(m_allowAddNew);
    m_model->setAllowUpdate(m_allowUpdate);
    m_model->setRowAtATime(m_rowAtATime);
    setModel(m_model);
    connect(m_model, &RecordsetTableModel::writeFailed, this, &DataGrid::writeFailed);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] { keepCaptionsWhole(); });
    // After the view's own handling of the reset: the new result's current row.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { showCurrentRow(); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DataGrid::currentRowChanged);
    showCurrentRow();
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

void DataGrid::setRowAtATime(bool on)
{
    m_rowAtATime = on;
    if (m_model)
        m_model->setRowAtATime(on);
}

void DataGrid::setColumnCaption(int column, const QString &caption)
{
    if (m_model)
        m_model->setColumnCaption(column, caption);
}

void DataGrid::select(int row, int column)
{
    // A row chosen while the view is still handling the user's key or click
    // is chosen again once it has finished (it selects the clicked row last).
    m_settleRow = m_inRowChange ? row : -2;
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    if (row < 0 || !m_model || row >= m_model->rowCount()) {
        selectionModel()->clear();
        return;
    }
    if (column < 0)
        column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex index = m_model->index(row, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void DataGrid::showCurrentRow()
{
    if (!m_source || !m_model)
        return;
    Recordset &rs = m_source->recordset();
    const qint64 bookmark = rs.isOpen() ? rs.Bookmark() : 0;
    // A row being added shows above the "add" line.
    if (bookmark == 0 && rs.isOpen() && rs.editPending())
        select(int(rs.fetchedCount()));
    else
        select(int(bookmark) - 1);
}

bool DataGrid::moveSourceTo(int row)
{
    if (!m_source || !m_model || row < 0 || m_model->isNewRowLine(row) || m_model->isPendingNewRow(row))
        return true;
    Recordset &rs = m_source->recordset();
    return rs.Bookmark() == row + 1 || rs.setBookmark(row + 1);
}

void DataGrid::currentRowChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (m_syncing || !m_model)
        return;
    const int lastRow = previous.isValid() ? previous.row() : -1;
    const QScopedValueRollback<bool> changing(m_inRowChange, true);
    bool stay = false;
    if (lastRow >= 0 && current.row() != lastRow)
        emit BeforeRowChange(&stay);
    // A row change refused puts the user back on the cell he left.
    if (stay) {
        select(lastRow, previous.column());
        return;
    }
    // Leaving a row stores what was typed into it; when that fails the
    // selection goes back to it, with what was typed.
    if (m_rowAtATime && !m_model->isPendingNewRow(current.row()) && !m_model->storePendingRow()) {
        select(lastRow, previous.column());
        return;
    }
    if (current.isValid() && !moveSourceTo(current.row())) {
        // The data source stays on its row (its change could not be
        // stored): so does the grid.
        emit writeFailed(m_source->lastError());
        showCurrentRow();
        return;
    }
    emit RowColChange(lastRow);
}

void DataGrid::settleRow()
{
    if (m_settleRow == -2 || !m_model)
        return;
    const int row = m_settleRow;
    m_settleRow = -2;
    // A press that opened a message box must not go on selecting rows as
    // the mouse moves.
    setState(QAbstractItemView::NoState);
    const QModelIndex current = currentIndex();
    const QModelIndexList selected = selectionModel()->selectedRows();
    const bool settled = row < 0 ? !current.isValid() && selected.isEmpty()
                                 : current.isValid() && current.row() == row && selected.size() == 1 &&
                                       selected.first().row() == row;
    if (!settled)
        select(row);
}

// Events handled while a message box of the row change is open come in
// nested; the row settles when the outermost one is done.
template <typename Handling> bool DataGrid::handleThenSettle(Handling handling)
{
    bool handled = false;
    {
        const QScopedValueRollback<int> depth(m_eventDepth, m_eventDepth + 1);
        handled = handling();
    }
    if (m_eventDepth == 0)
        settleRow();
    return handled;
}

bool DataGrid::event(QEvent *event)
{
    return handleThenSettle([&] { return QTableView::event(event); });
}

bool DataGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        // A cell too narrow for its text shows it whole as a tool tip.
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.data().toString();
        const QRect cell = visualRect(index);
        const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
        if (index.isValid() && fontMetrics().horizontalAdvance(text) > cell.width() - margin)
            QToolTip::showText(help->globalPos(), wrappableTip(text), viewport(), cell);
        else
            QToolTip::hideText();
        return true;
    }
    return handleThenSettle([&] { return QTableView::viewportEvent(event); });
}

bool DataGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // An editor opens on the current row only. When leaving a row by Tab
    // or Shift+Tab is refused (its change could not be stored), the view
    // would still open one on the cell it meant to move to, out of sight of
    // the row shown as current.
    if (index.isValid() && currentIndex().isValid() && index.row() != currentIndex().row())
        return false;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::showCurrentRow(qint64 row)
{
    if (!m_model)
        return;
    if (row >= 0) {
        m_model->showFetchedRows();
        while (row >= m_model->rowCount() && m_model->canFetchMore(QModelIndex()))
            m_model->fetchMore(QModelIndex());
    }
    select(row < 0 || row >= m_model->rowCount() ? -1 : int(row));
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
    // The window reads the row about to go from its data source.
    if (m_source && !m_source->recordset().editPending())
        moveSourceTo(current.row());
    bool cancel = false;
    emit BeforeDelete(&cancel);
    if (cancel)
        return false;
    bool deleted = false;
    {
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        deleted = m_model->deleteRow(current.row());
    }
    if (!deleted)
        return false;
    // The row that took the deleted one's place is current.
    if (currentIndex().isValid())
        moveSourceTo(currentIndex().row());
    emit AfterDelete();
    emit RowColChange(current.row());
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
