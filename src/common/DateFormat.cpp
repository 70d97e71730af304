#include "common/DateFormat.h"

#include <QLocale>

namespace tarnvik {

namespace {

struct Token {
    QChar letter; // lower-case pattern letter, or null for literal text
    int count = 0;
    QString literal;
};

QList<Token> tokenize(const QString &pattern, bool *twelveHour, bool *upperAmPm)
{
    QList<Token> tokens;
    *twelveHour = false;
    *upperAmPm = false;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            *twelveHour = true;
            *upperAmPm = pattern.at(i).isUpper();
            tokens.append(Token{QLatin1Char('a'), 1, QString()});
            i += 5;
            continue;
        }
        const QChar c = pattern.at(i).toLower();
        if (QStringLiteral("dmyhns").contains(c)) {
            qsizetype j = i;
            while (j < pattern.size() && pattern.at(j).toLower() == c)
                ++j;
            tokens.append(Token{c, int(j - i), QString()});
            i = j;
        } else {
            if (tokens.isEmpty() || !tokens.last().letter.isNull())
                tokens.append(Token{QChar(), 0, QString()});
            tokens.last().literal += pattern.at(i);
            ++i;
        }
    }
    // An m or mm right after an hour, or right before seconds, means minutes.
    int previous = -1;
    for (int k = 0; k < tokens.size(); ++k) {
        Token &t = tokens[k];
        if (t.letter.isNull())
            continue;
        if (t.letter == QLatin1Char('m') && t.count <= 2) {
            bool minutes = previous >= 0 && tokens[previous].letter == QLatin1Char('h');
            for (int n = k + 1; !minutes && n < tokens.size(); ++n) {
                if (tokens[n].letter.isNull())
                    continue;
                minutes = tokens[n].letter == QLatin1Char('s');
                break;
            }
            if (minutes)
                t.letter = QLatin1Char('n');
        }
        previous = k;
    }
    return tokens;
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString formatDate(const QDateTime &moment, const QString &pattern)
{
    bool twelveHour = false;
    bool upperAmPm = false;
    const QList<Token> tokens = tokenize(pattern, &twelveHour, &upperAmPm);
    const QDate date = moment.date();
    const QTime time = moment.time();
    const QLocale locale;
    QString out;
    for (const Token &t : tokens) {
        if (t.letter.isNull()) {
            out += t.literal;
            continue;
        }
        switch (t.letter.unicode()) {
        case 'd':
            if (t.count == 1)
                out += QString::number(date.day());
            else if (t.count == 2)
                out += twoDigits(date.day());
            else if (t.count == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            break;
        case 'm':
            if (t.count == 1)
                out += QString::number(date.month());
            else if (t.count == 2)
                out += twoDigits(date.month());
            else if (t.count == 3)
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(date.month(), QLocale::LongFormat);
            break;
        case 'y':
            if (t.count <= 2)
                out += twoDigits(date.year() % 100);
            else
                out += QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
            break;
        case 'h': {
            int hour = time.hour();
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += t.count == 1 ? QString::number(hour) : twoDigits(hour);
            break;
        }
        case 'n':
            out += t.count == 1 ? QString::number(time.minute()) : twoDigits(time.minute());
            break;
        case 's':
            out += t.count == 1 ? QString::number(time.second()) : twoDigits(time.second());
            break;
        case 'a': {
            const QString suffix = time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
            out += upperAmPm ? suffix.toUpper() : suffix;
            break;
        }
        default:
            break;
        }
    }
    return out;
}

QString toStoredDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString toStoredTime(const QTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QDate dateFromStored(const QVariant &value)
{
    if (value.isNull())
        return QDate();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString text = value.toString().trimmed();
    return QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
}

QTime timeFromStored(const QVariant &value)
{
    if (value.isNull())
        return QTime();
    if (value.typeId() == QMetaType::QTime)
        return value.toTime();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().time();
    const QString text = value.toString().trimmed();
    QTime time = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(text, QStringLiteral("H:mm:ss"));
    return time;
}

QVariant toStoredValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return toStoredDate(value.toDate());
    case QMetaType::QTime:
        return toStoredTime(value.toTime());
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

} // namespace tarnvik
