#include "reports/ReportLayoutParts.h"

#include "localisation/LOCRTSModule.h"

namespace tarnvik::ReportLayoutParts {

namespace {

ReportControl control(const QString &name, ReportControl::Kind kind, int left, int top, int width)
{
    ReportControl c;
    c.name = name;
    c.kind = kind;
    c.Left = left;
    c.Top = top;
    c.Width = width;
    return c;
}

} // namespace

ReportControl label(const QString &name, int left, int top, int width, const QString &caption)
{
    ReportControl c = control(name, ReportControl::Kind::Label, left, top, width);
    c.Caption = caption;
    return c;
}

ReportControl textBox(const QString &name, int left, int top, int width, const QString &field,
                      const QString &member)
{
    ReportControl c = control(name, ReportControl::Kind::TextBox, left, top, width);
    c.DataField = field;
    c.DataMember = member;
    return c;
}

ReportControl line(const QString &name, int left, int top, int width)
{
    ReportControl c = control(name, ReportControl::Kind::Line, left, top, width);
    c.Height = 0;
    return c;
}

ReportControl bold(ReportControl control)
{
    control.bold = true;
    return control;
}

void addTitle(ReportSection &page, int width)
{
    ReportControl title = bold(label(QStringLiteral("Label7"), 0, 0, width));
    title.fontSize = 12;
    title.Height = 330;
    page.add(title);
}

void addTotal(ReportSection &footer, const QString &box, const QString &caption, int top, int reportWidth,
              const QString &member)
{
    footer.add(bold(textBox(box, 6100, top, reportWidth - 6100, QStringLiteral("TotalHeures"), member)));
    ReportControl text = label(caption, 2600, top, 3400);
    text.rightAligned = true;
    footer.add(text);
}

void setCaptions(DataReport &report, std::initializer_list<CaptionText> captions)
{
    for (const CaptionText &c : captions) {
        if (ReportSection *section = report.Sections(QLatin1String(c.section))) {
            if (ReportControl *control = section->Controls(QLatin1String(c.control)))
                control->Caption = LOC_RTString(c.string);
        }
    }
}

void addPunchColumns(ReportSection &header, int captionTop, ReportSection &detail, int shift)
{
    // Left edges in the layout by employee; a caption and its field share
    // their left edge but for the time.
    struct Column {
        const char *caption;
        const char *captionText;
        int captionLeft;
        const char *field;
        const char *boundTo;
        int fieldLeft;
        int width;
        ReportControl::Format format;
    };
    const Column columns[] = {
        {"Label6", "InOut", 1135, "txtInOut", "InOut", 1135, 760, ReportControl::Format::Plain},
        {"Label9", "Date", 1929, "txtPunchDateShort", "PunchDateShort", 1929, 1150,
         ReportControl::Format::ShortDate},
        {"Label8", "", 3119, "txtPunchTime", "PunchTime", 3176, 1600, ReportControl::Format::Time},
        {"Label5", "Date / message", 4820, "txtPunchDateLong", "PunchDateLong", 4820, 2230,
         ReportControl::Format::Plain},
        {"Label14", "Note", 7087, "Text1", "Description", 7087, 2990, ReportControl::Format::Plain},
    };
    // The captions in the order the layout lists them.
    for (const char *name : {"Label6", "Label9", "Label5", "Label8", "Label14"}) {
        for (const Column &col : columns) {
            if (qstrcmp(col.caption, name) != 0)
                continue;
            header.add(bold(label(QLatin1String(col.caption), col.captionLeft + shift, captionTop, col.width,
                                  QString::fromUtf8(col.captionText))));
        }
    }
    for (const Column &col : columns) {
        ReportControl c = textBox(QLatin1String(col.field), col.fieldLeft + shift, 0, col.width,
                                  QLatin1String(col.boundTo), QStringLiteral("Punch"));
        c.format = col.format;
        detail.add(c);
    }
}

void addPageFooter(ReportSection &footer, int reportWidth)
{
    ReportControl number = label(QStringLiteral("Label11"), reportWidth - 700, 0, 700, QStringLiteral("%p"));
    ReportControl page =
        label(QStringLiteral("Label13"), reportWidth - 1700, 0, 950, QStringLiteral("Page :"));
    page.rightAligned = true;
    footer.add(number);
    footer.add(page);
    footer.add(label(QStringLiteral("Label15"), 0, 0, 2000, QStringLiteral("%d")));
}

} // namespace tarnvik::ReportLayoutParts
