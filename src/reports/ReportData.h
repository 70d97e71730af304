#pragma once

#include <QSqlDatabase>
#include <QString>

namespace tarnvik {

// The database as one report run sees it. The run reads through a
// connection of its own, in one read transaction from its first read to its
// end, so that the totals, the report's rows, its punch lines and the
// spreadsheet all come from one state of the punches; a punch stored at the
// station meanwhile is not part of this run and counts in the next.
//
// The run's temporary rows never go into the file: the connection holds
// tables of its own named Projets and Vendeurs (in memory, gone with the
// connection), copies of the file's project, sub-project, employee and
// presence rows, which the report queries read in place of the file's. The
// file is never written by the run, so the station keeps punching while it
// works, another station sharing the file never sees the rows, and a run
// that stops in any way (a crash included) leaves nothing behind. Report
// rows left in a file by an older program are not copied.
class ReportData {
public:
    ReportData() = default;
    ~ReportData();
    ReportData(const ReportData &) = delete;
    ReportData &operator=(const ReportData &) = delete;

    // Opens the file for the run and copies its rows; false, and the reason,
    // when it cannot be read.
    bool open(const QString &databasePath, QString *error);
    // Ends the read transaction and closes the connection.
    void close();
    bool isOpen() const { return !m_connection.isEmpty(); }
    QSqlDatabase database() const;

private:
    QString m_connection;
};

} // namespace tarnvik
