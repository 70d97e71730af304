#include "station/PayPeriod.h"

#include <QString>

namespace tarnvik::PayPeriod {

bool hasValue(const QVariant &value)
{
    return !value.isNull() && !value.toString().isEmpty();
}

int lengthInDays(const QVariant &periode)
{
    if (periode.isNull())
        return 28;
    bool isNumber = false;
    const double code = periode.toString().trimmed().toDouble(&isNumber);
    if (!isNumber)
        return 28;
    if (code == 1.0)
        return 7;
    if (code == 2.0)
        return 14;
    return 28;
}

QDate lastDay(const QDate &start, const QVariant &periode)
{
    if (!start.isValid())
        return QDate();
    return start.addDays(lengthInDays(periode) - 1);
}

bool isOver(const QDate &lastDay, const QDate &today)
{
    return lastDay.isValid() && today.isValid() && lastDay < today;
}

} // namespace tarnvik::PayPeriod
