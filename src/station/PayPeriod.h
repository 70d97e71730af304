#pragma once

#include <QDate>
#include <QVariant>

namespace tarnvik {

// Pay periods of 7, 14 or 28 days that follow each other without gaps. The
// settings row holds the length code (Periode: 1 = 7 days, 2 = 14 days, any
// other value = 28 days) and the first day of the current period (DateDebut).
namespace PayPeriod {

// Whether a settings value holds something: neither Null nor empty text.
bool hasValue(const QVariant &value);

// Days in a period of the given length code. The code is compared as a number
// with 1 and 2; anything else, text that is not a number included, is 28 days.
int lengthInDays(const QVariant &periode);

// The last day of the period that starts on start.
QDate lastDay(const QDate &start, const QVariant &periode);

// Whether a check made on today closes the period ending on lastDay: the
// period rolls over on the first check of the day after its last day.
bool isOver(const QDate &lastDay, const QDate &today);

} // namespace PayPeriod
} // namespace tarnvik
