#include "reports/ProjRep.h"

#include "localisation/LOCRTSModule.h"
#include "reports/ReportLayoutParts.h"

namespace tarnvik {

using namespace ReportLayoutParts;

ProjRep::ProjRep() : DataReport(QStringLiteral("ProjRep"))
{
    const int width = ReportWidth;
    addSection(QStringLiteral("ReportHeader"), 0);

    ReportSection &page = addSection(QStringLiteral("PageHeader"), 570);
    ReportControl title = label(QStringLiteral("Label7"), 0, 0, 6000);
    title.bold = true;
    title.fontSize = 12;
    title.Height = 330;
    page.add(title);

    ReportSection &project = addSection(QStringLiteral("Projets_Header"), 240);
    ReportControl projectName = textBox(QStringLiteral("Text2"), 900, 0, 6000, QStringLiteral("Projet"));
    projectName.bold = true;
    project.add(projectName);
    project.add(label(QStringLiteral("Label1"), 0, 0, 850));

    ReportSection &subProject = addSection(QStringLiteral("SousProjets_Header"), 240);
    ReportControl subName = textBox(QStringLiteral("Text3"), 1700, 0, 5000, QStringLiteral("SousProjet"),
                                    QStringLiteral("SousProjets"));
    subName.bold = true;
    subProject.add(subName);
    subProject.add(label(QStringLiteral("Label4"), 300, 0, 1350));

    ReportSection &employee = addSection(QStringLiteral("Vendeurs_Header"), 525);
    const QString employees = QStringLiteral("Vendeurs");
    ReportControl number =
        textBox(QStringLiteral("txtNoVendeur"), 1750, 0, 1050, QStringLiteral("NoVendeur"), employees);
    number.bold = true;
    employee.add(number);
    employee.add(label(QStringLiteral("Label2"), 400, 0, 1300));
    ReportControl name =
        textBox(QStringLiteral("txtNomVendeur"), 3650, 0, 3400, QStringLiteral("NomVendeur"), employees);
    name.bold = true;
    employee.add(name);
    employee.add(label(QStringLiteral("Label3"), 2900, 0, 700));
    employee.add(textBox(QStringLiteral("Text5"), 7150, 0, 1000, QStringLiteral("Status"), employees));
    ReportSection &detail = addSection(QStringLiteral("Punch_Detail"), 240);
    addPunchColumns(employee, 284, detail, -906);

    ReportSection &employeeFooter = addSection(QStringLiteral("Vendeurs_Footer"), 397);
    ReportControl employeeTotal =
        textBox(QStringLiteral("Text4"), 6100, 40, width - 6100, QStringLiteral("TotalHeures"), employees);
    employeeTotal.bold = true;
    employeeFooter.add(employeeTotal);
    ReportControl employeeCaption = label(QStringLiteral("Label12"), 2600, 40, 3400);
    employeeCaption.rightAligned = true;
    employeeFooter.add(employeeCaption);
    employeeFooter.add(line(QStringLiteral("Line1"), 2600, 330, width - 2600));

    ReportSection &subFooter = addSection(QStringLiteral("SousProjets_Footer"), 383);
    ReportControl subTotal = textBox(QStringLiteral("Text6"), 6100, 40, width - 6100, QStringLiteral("TotalHeures"),
                                     QStringLiteral("SousProjets"));
    subTotal.bold = true;
    subFooter.add(subTotal);
    ReportControl subCaption = label(QStringLiteral("Label10"), 2600, 40, 3400);
    subCaption.rightAligned = true;
    subFooter.add(subCaption);
    subFooter.add(line(QStringLiteral("Line3"), 1135, 320, width - 1135));

    ReportSection &projectFooter = addSection(QStringLiteral("Projets_Footer"), 670);
    ReportControl projectTotal =
        textBox(QStringLiteral("Text7"), 6100, 60, width - 6100, QStringLiteral("TotalHeures"));
    projectTotal.bold = true;
    projectFooter.add(projectTotal);
    ReportControl projectCaption = label(QStringLiteral("Label16"), 2600, 60, 3400);
    projectCaption.rightAligned = true;
    projectFooter.add(projectCaption);
    projectFooter.add(line(QStringLiteral("Line2"), 0, 420, width));

    addPageFooter(addSection(QStringLiteral("PageFooter"), 240), width);
    addSection(QStringLiteral("ReportFooter"), 0);
}

void ProjRep::LOC_SetProperties()
{
    Caption = LOC_RTString(1524);
    const struct {
        const char *section;
        const char *control;
        int string;
    } captions[] = {
        {"PageHeader", "Label7", 1530},         {"Projets_Header", "Label1", 1494},
        {"SousProjets_Header", "Label4", 1564}, {"Vendeurs_Header", "Label2", 1410},
        {"Vendeurs_Header", "Label3", 1416},    {"Vendeurs_Header", "Label8", 1298},
        {"Vendeurs_Footer", "Label12", 1608},   {"SousProjets_Footer", "Label10", 1606},
        {"Projets_Footer", "Label16", 1604},
    };
    for (const auto &c : captions) {
        if (ReportSection *section = Sections(QLatin1String(c.section))) {
            if (ReportControl *control = section->Controls(QLatin1String(c.control)))
                control->Caption = LOC_RTString(c.string);
        }
    }
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
