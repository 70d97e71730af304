#include "common/RecordsetTableModel.h"

#include "common/DataSource.h"

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
    endResetModel();
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
    return m_shownRows + (m_allowAddNew ? 1 : 0);
}

int RecordsetTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_source)
        return 0;
    return m_visible.isEmpty() ? int(m_source->recordset().fieldNames().size()) : int(m_visible.size());
}

bool RecordsetTableModel::isNewRowLine(int row) const
{
    return m_allowAddNew && m_source && row == m_shownRows;
}

QVariant RecordsetTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_source || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    if (isNewRowLine(index.row()))
        return QVariant();
    return m_source->recordset().valueAt(index.row(), fieldColumn(index.column()));
}

QVariant RecordsetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return isNewRowLine(section) ? QVariant(QStringLiteral("*")) : QVariant(section + 1);
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

bool RecordsetTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_source)
        return false;
    Recordset &rs = m_source->recordset();
    const bool adding = isNewRowLine(index.row());
    bool ok = adding ? rs.AddNew() : rs.setBookmark(index.row() + 1);
    ok = ok && rs.Fields(fieldAt(index.column())).setValue(value) && rs.Update();
    if (!ok) {
        m_error = rs.lastError();
        if (rs.editPending())
            rs.CancelUpdate();
        emit writeFailed(m_error);
        return false;
    }
    if (adding) {
        // The stored row (and any rows the add had to read before it) go in
        // above the "add" line, which moves down.
        const int after = int(rs.fetchedCount());
        if (after > m_shownRows) {
            beginInsertRows(QModelIndex(), m_shownRows, after - 1);
            m_shownRows = after;
            endInsertRows();
        }
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
    if (!rs.setBookmark(row + 1) || !rs.Delete()) {
        m_error = rs.lastError();
        emit writeFailed(m_error);
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_shownRows = int(rs.fetchedCount());
    endRemoveRows();
    return true;
}

} // namespace tarnvik
