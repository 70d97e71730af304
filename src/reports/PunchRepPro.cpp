#include "reports/PunchRepPro.h"

#include "common/DateFormat.h"
#include "localisation/LOCRTSModule.h"
#include "reports/ReportLayoutParts.h"

namespace tarnvik {

using namespace ReportLayoutParts;

PunchRepPro::PunchRepPro() : DataReport(QStringLiteral("PunchRepPro"))
{
    const int width = ReportWidth;
    addSection(QStringLiteral("ReportHeader"), 0);

    ReportSection &page = addSection(QStringLiteral("PageHeader"), 570);
    addTitle(page, 5000);
    page.add(line(QStringLiteral("Line1"), 0, 520, width));
    ReportControl period = label(QStringLiteral("lblPeriod"), 5100, 0, width - 5100);
    period.rightAligned = true;
    page.add(period);
    ReportControl archive = label(QStringLiteral("lblArch"), 5100, 250, width - 5100);
    archive.rightAligned = true;
    page.add(archive);

    ReportSection &employee = addSection(QStringLiteral("Vendeurs_Header"), 240);
    employee.add(bold(textBox(QStringLiteral("txtNoVendeur"), 1400, 0, 1050, QStringLiteral("NoVendeur"))));
    employee.add(label(QStringLiteral("Label2"), 0, 0, 1350));
    employee.add(bold(textBox(QStringLiteral("txtNomVendeur"), 3000, 0, 3600, QStringLiteral("NomVendeur"))));
    employee.add(label(QStringLiteral("Label3"), 2250, 0, 700));
    employee.add(textBox(QStringLiteral("Text5"), 6700, 0, 1000, QStringLiteral("Status")));

    const QString projects = QStringLiteral("Projets");
    ReportSection &project = addSection(QStringLiteral("Projets_Header"), 240);
    project.add(bold(textBox(QStringLiteral("Text2"), 1135, 0, 6000, QStringLiteral("Projet"), projects)));
    project.add(label(QStringLiteral("Label1"), 300, 0, 800));

    const QString subProjects = QStringLiteral("SousProjet");
    ReportSection &subProject = addSection(QStringLiteral("SousProjet_Header"), 585);
    subProject.add(
        bold(textBox(QStringLiteral("Text3"), 1700, 0, 5000, QStringLiteral("SousProjet"), subProjects)));
    subProject.add(label(QStringLiteral("Label4"), 300, 0, 1350));
    ReportSection &detail = addSection(QStringLiteral("Punch_Detail"), 240);
    addPunchColumns(subProject, 340, detail, 0);

    ReportSection &subFooter = addSection(QStringLiteral("SousProjet_Footer"), 630);
    addTotal(subFooter, QStringLiteral("Text6"), QStringLiteral("Label10"), 60, width, subProjects);
    subFooter.add(line(QStringLiteral("Line3"), 1135, 420, width - 1135));

    ReportSection &projectFooter = addSection(QStringLiteral("Projets_Footer"), 600);
    addTotal(projectFooter, QStringLiteral("Text4"), QStringLiteral("Label12"), 60, width, projects);
    projectFooter.add(line(QStringLiteral("Line2"), 0, 420, width));

    addSection(QStringLiteral("Vendeurs_Footer"), 150);
    addPageFooter(addSection(QStringLiteral("PageFooter"), 240), width);
    addSection(QStringLiteral("ReportFooter"), 0);
}

void PunchRepPro::LOC_SetProperties()
{
    Caption = LOC_RTString(1524);
    setCaptions(*this, {
                           {"PageHeader", "Label7", 1264},
                           {"Vendeurs_Header", "Label2", 1410},
                           {"Vendeurs_Header", "Label3", 1416},
                           {"Projets_Header", "Label1", 1494},
                           {"SousProjet_Header", "Label4", 1564},
                           {"SousProjet_Header", "Label8", 1298},
                           {"SousProjet_Footer", "Label10", 1606},
                           {"Projets_Footer", "Label12", 1604},
                       });
}

QString PunchRepPro::periodCaption(const QDate &first, const QDate &last)
{
    const QString pattern = QString::fromLatin1(DatePattern::Short);
    return LOC_RTString(1482) + formatDate(first, pattern) + LOC_RTString(1028) + formatDate(last, pattern);
}

void PunchRepPro::DataReport_Initialize(const ReportSelection &selection)
{
    LOC_SetProperties();
    ReportSection *page = Sections(QStringLiteral("PageHeader"));
    page->Controls(QStringLiteral("lblPeriod"))->Caption =
        periodCaption(selection.periodStart, selection.periodEnd);
    page->Controls(QStringLiteral("lblArch"))->Caption = ArchiveCaption(selection.archive);
}

std::shared_ptr<PunchRepPro> PunchRepPro::create(const ReportSelection &selection)
{
    auto report = std::make_shared<PunchRepPro>();
    report->DataReport_Initialize(selection);
    return report;
}

} // namespace tarnvik
