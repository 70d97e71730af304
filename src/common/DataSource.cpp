#include "common/DataSource.h"

#include "common/ProgramState.h"

namespace tarnvik {

DataSource::DataSource(const QString &recordSource, QObject *parent)
    : QObject(parent), m_connectionString(designConnString()), m_query(recordSource),
      m_recordset(std::make_unique<Recordset>())
{
}

DataSource::~DataSource() = default;

void DataSource::setConnectionString(const QString &connectionString)
{
    m_connectionString = connectionString;
}

void DataSource::setRecordSource(const SqlQuery &query)
{
    m_query = query;
}

void DataSource::setCaption(const QString &caption)
{
    m_caption = caption;
    emit captionChanged(caption);
}

QString DataSource::databasePath() const
{
    return databasePathOf(m_connectionString);
}

bool DataSource::Refresh()
{
    m_refreshError.clear();
    bool stored = true;
    if (m_recordset->isOpen() && m_recordset->editPending()) {
        stored = m_recordset->Update();
        if (!stored)
            m_refreshError = m_recordset->lastError();
    }
    const bool opened = m_recordset->open(databasePath(), m_query);
    if (!opened)
        m_refreshError = m_recordset->lastError();
    emit refreshed();
    return stored && opened;
}

QString DataSource::lastError() const
{
    return m_refreshError.isEmpty() ? m_recordset->lastError() : m_refreshError;
}

} // namespace tarnvik
