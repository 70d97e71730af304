#include "reports/ProjRep.h"

#include "localisation/LOCRTSModule.h"
#include "reports/ReportLayoutParts.h"

namespace tarnvik {

using namespace ReportLayoutParts;

ProjRep::ProjRep() : DataReport(QStringLiteral("ProjRep"))
{
    const int width = ReportWidth;
    addSection(QStringLiteral("ReportHeader"), 0);
    addTitle(addSection(QStringLiteral("PageHeader"), 570), 6000);

    ReportSection &project = addSection(QStringLiteral("Projets_Header"), 240);
    project.add(bold(textBox(QStringLiteral("Text2"), 900, 0, 6000, QStringLiteral("Projet"))));
    project.add(label(QStringLiteral("Label1"), 0, 0, 850));

    const QString subProjects = QStringLiteral("SousProjets");
    ReportSection &subProject = addSection(QStringLiteral("SousProjets_Header"), 240);
    subProject.add(
        bold(textBox(QStringLiteral("Text3"), 1700, 0, 5000, QStringLiteral("SousProjet"), subProjects)));
    subProject.add(label(QStringLiteral("Label4"), 300, 0, 1350));

    ReportSection &employee = addSection(QStringLiteral("Vendeurs_Header"), 525);
    const QString employees = QStringLiteral("Vendeurs");
    employee.add(
        bold(textBox(QStringLiteral("txtNoVendeur"), 1750, 0, 1050, QStringLiteral("NoVendeur"), employees)));
    employee.add(label(QStringLiteral("Label2"), 400, 0, 1300));
    employee.add(bold(
        textBox(QStringLiteral("txtNomVendeur"), 3650, 0, 3400, QStringLiteral("NomVendeur"), employees)));
    employee.add(label(QStringLiteral("Label3"), 2900, 0, 700));
    employee.add(textBox(QStringLiteral("Text5"), 7150, 0, 1000, QStringLiteral("Status"), employees));
    ReportSection &detail = addSection(QStringLiteral("Punch_Detail"), 240);
    addPunchColumns(employee, 284, detail, -906);

    ReportSection &employeeFooter = addSection(QStringLiteral("Vendeurs_Footer"), 397);
    addTotal(employeeFooter, QStringLiteral("Text4"), QStringLiteral("Label12"), 40, width, employees);
    employeeFooter.add(line(QStringLiteral("Line1"), 2600, 330, width - 2600));

    ReportSection &subFooter = addSection(QStringLiteral("SousProjets_Footer"), 383);
    addTotal(subFooter, QStringLiteral("Text6"), QStringLiteral("Label10"), 40, width, subProjects);
    subFooter.add(line(QStringLiteral("Line3"), 1135, 320, width - 1135));

    ReportSection &projectFooter = addSection(QStringLiteral("Projets_Footer"), 670);
    addTotal(projectFooter, QStringLiteral("Text7"), QStringLiteral("Label16"), 60, width);
    projectFooter.add(line(QStringLiteral("Line2"), 0, 420, width));

    addPageFooter(addSection(QStringLiteral("PageFooter"), 240), width);
    addSection(QStringLiteral("ReportFooter"), 0);
}

void ProjRep::LOC_SetProperties()
{
    Caption = LOC_RTString(1524);
    setCaptions(*this, {
                           {"PageHeader", "Label7", 1530},
                           {"Projets_Header", "Label1", 1494},
                           {"SousProjets_Header", "Label4", 1564},
                           {"Vendeurs_Header", "Label2", 1410},
                           {"Vendeurs_Header", "Label3", 1416},
                           {"Vendeurs_Header", "Label8", 1298},
                           {"Vendeurs_Footer", "Label12", 1608},
                           {"SousProjets_Footer", "Label10", 1606},
                           {"Projets_Footer", "Label16", 1604},
                       });
}

void ProjRep::DataReport_Initialize()
{
    LOC_SetProperties();
}

std::shared_ptr<ProjRep> ProjRep::create()
{
    auto report = std::make_shared<ProjRep>();
    report->DataReport_Initialize();
    return report;
}

} // namespace tarnvik
