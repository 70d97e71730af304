#include "reports/ReportSelection.h"

#include "localisation/LOCRTSModule.h"

namespace tarnvik {

SqlQuery ArchiveFilter(const ReportSelection &selection)
{
    switch (selection.archive) {
    case ReportSelection::Archive::CurrentOnly:
        return SqlQuery(QStringLiteral("AND (Archived = 0) "));
    case ReportSelection::Archive::ArchivedOnly:
        // Archived is stored as 0 or 1; "archived" is any value but 0.
        return SqlQuery(QStringLiteral("AND (Archived <> 0) "));
    case ReportSelection::Archive::Both:
    case ReportSelection::Archive::NoneChosen:
        break;
    }
    return SqlQuery();
}

QString ArchiveCaption(ReportSelection::Archive archive)
{
    switch (archive) {
    case ReportSelection::Archive::Both:
        return LOC_RTString(1220);
    case ReportSelection::Archive::CurrentOnly:
        return LOC_RTString(1224);
    case ReportSelection::Archive::ArchivedOnly:
        return LOC_RTString(1222);
    case ReportSelection::Archive::NoneChosen:
        break;
    }
    return QString();
}

SqlQuery EmployeeFilter(const ReportSelection &selection)
{
    if (selection.employees != ReportSelection::Employees::Checked || selection.checkedEmployees.isEmpty())
        return SqlQuery();
    SqlQuery clause(QStringLiteral("AND ("));
    for (int i = 0; i < selection.checkedEmployees.size(); ++i) {
        clause.text += i == 0 ? QStringLiteral("NoVendeur = ? ") : QStringLiteral("OR NoVendeur = ? ");
        clause.params << selection.checkedEmployees.at(i);
    }
    clause.text += QStringLiteral(") ");
    return clause;
}

} // namespace tarnvik
