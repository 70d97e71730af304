#pragma once

#include <QDate>
#include <QString>

namespace tarnvik::test {

struct GeneratedData {
    int employees = 10;
    int projects = 3;
    int subProjectsPerProject = 4;
    qint64 punches = 1000;
    QDate from = QDate(2003, 1, 1);
    QDate to = QDate(2003, 3, 31);
    unsigned seed = 1;
};

// Fills a station database (created when missing) with employees numbered
// from 1001, projects "Projet NN" with sub-projects "Tâche NN-MM", and punches
// spread over the date range: each employee alternates In and Out on his
// sub-projects in time order. Punches up to the middle of the range are
// archived. Returns false when the database cannot be written.
bool generateDatabase(const QString &path, const GeneratedData &data, QString *error = nullptr);

// The benchmarks' database: 500 employees, 20 projects of 10 sub-projects
// and a million punches over three years.
GeneratedData millionPunches();

// A generated database kept under the temporary folder, made once for each
// set of parameters and reused by later runs (benchmarks). Empty on failure.
QString cachedGeneratedDatabase(const GeneratedData &data, QString *error = nullptr);

QString employeeNumber(int index); // index 0 -> "1001"
QString subProjectName(int project, int sub);
QString projectName(int project);

} // namespace tarnvik::test
