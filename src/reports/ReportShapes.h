#pragma once

#include "reports/HierarchicalResult.h"
#include "reports/ReportSelection.h"

namespace tarnvik {

// The levels of the two worked-time reports, as queries with bound values,
// over the temporary total rows that the totals wrote and the punches of the
// period. noProjectName is the placeholder project left out of both.
namespace ReportShapes {

// Employees (chapter "Vendeurs": employee rows with a name, the selected
// numbers, in number order), their project totals ("Projets"), the
// sub-project totals of each project ("SousProjet"), and the punches of each
// sub-project within the period and the archive choice ("Punch": latest day
// first, earliest time first within a day).
QList<ResultLevelQuery> byEmployee(const ReportSelection &selection, const QString &noProjectName);

// Project totals in project order ("Projets"), their sub-project totals in
// sub-project order ("SousProjets"), the employee totals of each sub-project
// in number order ("Vendeurs"), and each employee's punches on it ("Punch").
QList<ResultLevelQuery> byProject(const ReportSelection &selection, const QString &noProjectName);

// The levels of the report kind of the selection.
QList<ResultLevelQuery> forSelection(const ReportSelection &selection, const QString &noProjectName);

} // namespace ReportShapes
} // namespace tarnvik
