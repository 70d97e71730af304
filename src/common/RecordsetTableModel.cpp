#include "common/RecordsetTableModel.h"

#include "common/DataSource.h"
#include "common/DateFormat.h"

#include <QScopedValueRollback>

namespace tarnvik {

namespace {
constexpr qint64 kFetchStep = 256;
}

RecordsetTableModel::RecordsetTableModel(DataSource *source, QObject *parent)
    : QAbstractTableModel(parent), m_source(source)
{
    reload();
    connect(source, &DataSource::refreshed, this, &RecordsetTableModel::reload);
}

void RecordsetTableModel::reload()
{
    beginResetModel();
    m_shownRows = m_source && m_source->recordset().isOpen() ? int(m_source->recordset().fetchedCount()) : 0;
    m_pendingNew = false;
    endResetModel();
}

void RecordsetTableModel::syncWithResult()
{
    if (!m_source)
        return;
    const int fetched = m_source->recordset().isOpen() ? int(m_source->recordset().fetchedCount()) : 0;
    if (fetched > m_shownRows && !m_pendingNew) {
        beginInsertRows(QModelIndex(), m_shownRows, fetched - 1);
        m_shownRows = fetched;
        endInsertRows();
    } else if (fetched != m_shownRows) {
        reload();
    }
}

void RecordsetTableModel::setAllowAddNew(bool allow)
{
    beginResetModel();
    m_allowAddNew = allow;
    endResetModel();
}

void RecordsetTableModel::setColumnCaption(int column, const QString &caption)
{
    m_captions.insert(column, caption);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void RecordsetTableModel::setVisibleFields(const QStringList &fields)
{
    beginResetModel();
    m_visible = fields;
    endResetModel();
}

int RecordsetTableModel::fieldColumn(int column) const
{
    if (!m_source)
        return -1;
    if (m_visible.isEmpty())
        return column;
    return column < m_visible.size() ? m_source->recordset().fieldIndex(m_visible[column]) : -1;
}

QString RecordsetTableModel::fieldAt(int column) const
{
    if (!m_source)
        return QString();
    if (!m_visible.isEmpty())
        return column < m_visible.size() ? m_visible[column] : QString();
    const QStringList names = m_source->recordset().fieldNames();
    return column < names.size() ? names[column] : QString();
}

int RecordsetTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_source || !m_source->recordset().isOpen())
        return 0;
    return m_shownRows + (m_pendingNew ? 1 : 0) + (m_allowAddNew ? 1 : 0);
}

int RecordsetTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_source)
        return 0;
    return m_visible.isEmpty() ? int(m_source->recordset().fieldNames().size()) : int(m_visible.size());
}

bool RecordsetTableModel::isNewRowLine(int row) const
{
    return m_allowAddNew && m_source && row == m_shownRows + (m_pendingNew ? 1 : 0);
}

QVariant RecordsetTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_source || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    if (isNewRowLine(index.row()))
        return QVariant();
    Recordset &rs = m_source->recordset();
    QVariant value;
    if (isPendingNewRow(index.row()))
        value = rs.editPending() ? rs.value(fieldColumn(index.column())) : QVariant();
    else
        value = rs.valueAt(index.row(), fieldColumn(index.column()));
    return role == Qt::DisplayRole ? shown(value, index.column()) : value;
}

QVariant RecordsetTableModel::shown(const QVariant &value, int column) const
{
    // Dates and times read alike whether stored or being edited.
    const int type = value.typeId();
    if (type == QMetaType::QDate)
        return formatDate(value.toDate(), QLatin1String(DatePattern::Short));
    if (type == QMetaType::QTime)
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    if (!m_dateFields.isEmpty() && m_dateFields.contains(fieldAt(column))) {
        const QDate date = dateFromStored(value);
        if (date.isValid())
            return formatDate(date, QLatin1String(DatePattern::Short));
    }
    return value;
}

QVariant RecordsetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // A caption cut by its column's width shows whole as a tool tip.
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal)
        role = Qt::DisplayRole;
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return isNewRowLine(section) || isPendingNewRow(section) ? QVariant(QStringLiteral("*"))
                                                                 : QVariant(section + 1);
    if (m_captions.contains(section))
        return m_captions.value(section);
    return fieldAt(section);
}

Qt::ItemFlags RecordsetTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && m_allowUpdate && m_source && m_source->recordset().updatable())
        f |= Qt::ItemIsEditable;
    return f;
}

void RecordsetTableModel::reportFailure(Write write)
{
    m_error = m_source ? m_source->recordset().lastError() : QString();
    m_failedWrite = write;
    emit writeFailed(m_error);
}

bool RecordsetTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_source)
        return false;
    return m_rowAtATime ? setCellPending(index, value) : setCellNow(index, value);
}

bool RecordsetTableModel::setCellPending(const QModelIndex &index, const QVariant &value)
{
    Recordset &rs = m_source->recordset();
    int row = index.row();
    if (isNewRowLine(row)) {
        // A row added before is stored first; the new one shows above the line.
        if (!storePendingRow())
            return false;
        if (!rs.AddNew()) {
            reportFailure(Write::Change);
            return false;
        }
        // Adding reads the rest of the result first: those rows go in above
        // the "add" line. The line itself becomes the row being added (the
        // view's current cell stays on it) and a fresh line goes in below.
        syncWithResult();
        row = m_shownRows;
        beginInsertRows(QModelIndex(), m_shownRows + 1, m_shownRows + 1);
        m_pendingNew = true;
        endInsertRows();
    } else if (isPendingNewRow(row)) {
        if (!rs.editPending() && !rs.AddNew()) { // the window dropped it meanwhile
            reportFailure(Write::Change);
            return false;
        }
    } else if (rs.Bookmark() != row + 1) {
        // Typing into another row leaves the one being edited: it is stored.
        if (!storePendingRow())
            return false;
        if (!rs.setBookmark(row + 1)) {
            reportFailure(Write::Change);
            return false;
        }
    }
    if (!rs.Fields(fieldAt(index.column())).setValue(value)) {
        reportFailure(Write::Change);
        return false;
    }
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    return true;
}

bool RecordsetTableModel::storePendingRow()
{
    // The view reports row changes while this model adds or removes rows.
    if (!m_source || m_changing)
        return true;
    const QScopedValueRollback<bool> changing(m_changing, true);
    Recordset &rs = m_source->recordset();
    if (!rs.editPending()) {
        if (m_pendingNew) { // nothing was typed into it, or it was dropped
            beginRemoveRows(QModelIndex(), m_shownRows, m_shownRows);
            m_pendingNew = false;
            endRemoveRows();
        }
        return true;
    }
    const qint64 position = m_pendingNew ? m_shownRows : rs.Bookmark() - 1;
    if (!rs.Update()) {
        reportFailure(Write::Change);
        return false;
    }
    if (m_pendingNew) {
        // The added row is now the result's last row, in the same place.
        m_pendingNew = false;
        if (rs.fetchedCount() != m_shownRows + 1) {
            beginResetModel();
            m_shownRows = int(rs.fetchedCount());
            endResetModel();
            return true;
        }
        m_shownRows = int(rs.fetchedCount());
        emit headerDataChanged(Qt::Vertical, int(position), int(position));
    }
    if (position >= 0)
        emit dataChanged(index(int(position), 0), index(int(position), columnCount() - 1));
    return true;
}

void RecordsetTableModel::cancelPendingRow()
{
    if (!m_source || m_changing)
        return;
    const QScopedValueRollback<bool> changing(m_changing, true);
    Recordset &rs = m_source->recordset();
    const qint64 position = rs.Bookmark() - 1;
    rs.CancelUpdate();
    if (m_pendingNew) {
        beginRemoveRows(QModelIndex(), m_shownRows, m_shownRows);
        m_pendingNew = false;
        endRemoveRows();
    } else if (position >= 0) {
        emit dataChanged(index(int(position), 0), index(int(position), columnCount() - 1));
    }
}

bool RecordsetTableModel::setCellNow(const QModelIndex &index, const QVariant &value)
{
    Recordset &rs = m_source->recordset();
    const bool adding = isNewRowLine(index.row());
    bool ok = adding ? rs.AddNew() : rs.setBookmark(index.row() + 1);
    ok = ok && rs.Fields(fieldAt(index.column())).setValue(value) && rs.Update();
    if (!ok) {
        reportFailure(Write::Change);
        if (rs.editPending())
            rs.CancelUpdate();
        return false;
    }
    if (adding) {
        // Rows the add had to read before it go in above the "add" line; the
        // line itself becomes the stored row (the view's current cell stays
        // on it) and a fresh line goes in below.
        const int after = int(rs.fetchedCount());
        if (after - 1 > m_shownRows) {
            beginInsertRows(QModelIndex(), m_shownRows, after - 2);
            m_shownRows = after - 1;
            endInsertRows();
        }
        beginInsertRows(QModelIndex(), m_shownRows + 1, m_shownRows + 1);
        m_shownRows = after;
        endInsertRows();
        emit dataChanged(this->index(after - 1, 0), this->index(after - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, after - 1, after - 1);
    } else {
        emit dataChanged(index, index);
    }
    return true;
}

bool RecordsetTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_source && m_source->recordset().isOpen() &&
           !m_source->recordset().fetchedAll();
}

void RecordsetTableModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_source)
        return;
    m_source->recordset().fetchMore(kFetchStep);
    showFetchedRows();
}

void RecordsetTableModel::showFetchedRows()
{
    if (!m_source || !m_source->recordset().isOpen())
        return;
    const int after = int(m_source->recordset().fetchedCount());
    if (after > m_shownRows) {
        beginInsertRows(QModelIndex(), m_shownRows, after - 1);
        m_shownRows = after;
        endInsertRows();
    }
}

void RecordsetTableModel::fetchAll()
{
    if (!m_source || !m_source->recordset().isOpen())
        return;
    Recordset &rs = m_source->recordset();
    while (!rs.fetchedAll()) {
        if (rs.fetchMore(1 << 16) == 0)
            break;
    }
    showFetchedRows();
}

bool RecordsetTableModel::deleteRow(int row)
{
    if (!m_source || isNewRowLine(row))
        return false;
    Recordset &rs = m_source->recordset();
    if (isPendingNewRow(row)) {
        cancelPendingRow();
        return true;
    }
    if (rs.editPending()) {
        // The change of the row being deleted goes with it; that of another
        // row is stored first, as leaving that row would.
        if (!m_pendingNew && rs.Bookmark() == row + 1)
            rs.CancelUpdate();
        else if (!storePendingRow())
            return false;
    }
    if (!rs.setBookmark(row + 1) || !rs.Delete()) {
        reportFailure(Write::Delete);
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    --m_shownRows;
    endRemoveRows();
    // Rows the result read on its own meanwhile show after those.
    showFetchedRows();
    return true;
}

} // namespace tarnvik
