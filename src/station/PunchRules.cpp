#include "station/PunchRules.h"

#include "common/DateFormat.h"

#include <QLocale>
#include <QRegularExpression>

namespace tarnvik::PunchRules {

Decision decide(const QString &given, int inCount, int outCount, bool numberEmpty)
{
    Decision d;
    d.direction = given;
    const bool in = given == QLatin1String(In);
    const bool out = given == QLatin1String(Out);
    if (in && inCount > outCount) {
        d.refusal = Refusal::AlreadyIn;
    } else if (in && inCount == outCount) {
        // go on as "In" without a question
    } else if (out && outCount >= inCount) {
        d.refusal = Refusal::NoOpenIn;
    } else if (out) {
        // an "In" is open: go on as "Out" without a question
    } else if (given.isEmpty() && !numberEmpty) {
        if (inCount > outCount) {
            d.direction = QLatin1String(Out);
            d.ask = true;
        } else if (inCount == outCount) {
            d.direction = QLatin1String(In);
            d.ask = true;
        } else {
            d.refusal = Refusal::MoreOutsThanIns;
        }
    }
    return d;
}

Target target(const QString &projectCaption, const QString &subProjectText, const QString &note,
              const QString &noProjectText, const QString &noNoteText)
{
    Target t;
    if (projectCaption != noProjectText) {
        t.project = projectCaption;
        t.subProject = subProjectText;
        t.description = note.isEmpty() ? noNoteText : note;
    } else {
        t.project = noProjectText;
        t.subProject = noProjectText;
        if (!note.isEmpty())
            t.description = note;
    }
    return t;
}

SubProjectChoice checkSubProject(const QString &typed, const QStringList &listed, bool projectKnown)
{
    using Kind = SubProjectChoice::Kind;
    if (typed.isEmpty())
        return {projectKnown ? Kind::Missing : Kind::NoneChosen, QString()};
    if (listed.contains(typed))
        return {Kind::Listed, typed};
    for (const QString &name : listed) {
        if (name.compare(typed, Qt::CaseInsensitive) == 0)
            return {Kind::Listed, name};
    }
    return {Kind::Unlisted, typed};
}

QString regionalTime(const QTime &time)
{
    // The long time format of the locale, without a time-zone name: a time of
    // day read from the database belongs to no zone.
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.replace(zone, QStringLiteral(" "));
    return QLocale().toString(time, format.trimmed());
}

QString regionalShortDate(const QDate &date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString shownDate(const QVariant &stored)
{
    if (stored.isNull())
        return QString();
    const QDate date = dateFromStored(stored);
    return date.isValid() ? regionalShortDate(date) : stored.toString();
}

QString shownTime(const QVariant &stored)
{
    if (stored.isNull())
        return QString();
    const QTime time = timeFromStored(stored);
    return time.isValid() ? regionalTime(time) : stored.toString();
}

} // namespace tarnvik::PunchRules
