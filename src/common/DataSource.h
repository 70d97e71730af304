#pragma once

#include "common/Recordset.h"

#include <QObject>
#include <QString>
#include <QVariantList>

#include <memory>

namespace tarnvik {

// A query and the values bound to its "?" placeholders. Values never go into
// the query text itself, so a name holding a quote works like any other.
struct SqlQuery {
    QString text;
    QVariantList params;

    SqlQuery() = default;
    SqlQuery(const QString &t, const QVariantList &p = {}) : text(t), params(p) {}
    SqlQuery(const char *t, const QVariantList &p = {}) : text(QString::fromUtf8(t)), params(p) {}
    bool operator==(const SqlQuery &o) const { return text == o.text && params == o.params; }
};

// A window's link to the database: one open query at a time, whose result is
// the current Recordset. Windows replace the query and refresh it as they go;
// a window that borrows another's data source reads its RecordSource first
// and gives it back afterwards.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(const QString &recordSource = QString(), QObject *parent = nullptr);
    ~DataSource() override;

    // The connection string; the database is the file after "Data Source=".
    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString &connectionString);

    SqlQuery RecordSource() const { return m_query; }
    void setRecordSource(const SqlQuery &query);

    // Runs the query anew; the first row of the result becomes current. A
    // change pending on the old result is stored first. False when the query
    // could not run: the result is then empty and lastError() says why.
    bool Refresh();

    Recordset &recordset() { return *m_recordset; }
    Recordset *operator->() { return m_recordset.get(); }

    // The text of the data source's own navigation bar, where a window shows one.
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

    QString databasePath() const;
    QString lastError() const;

signals:
    // After every Refresh, so bound lists and grids reload.
    void refreshed();
    void captionChanged(const QString &caption);

private:
    QString m_connectionString;
    SqlQuery m_query;
    QString m_caption;
    QString m_refreshError;
    std::unique_ptr<Recordset> m_recordset;
};

} // namespace tarnvik
