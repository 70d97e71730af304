#include "platform/ui/MonthView.h"

#include <QTextCharFormat>

namespace tarnvik {

MonthView::MonthView(QWidget *parent) : QCalendarWidget(parent)
{
    setGridVisible(true);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
}

void MonthView::setValue(const QDate &date)
{
    if (!date.isValid())
        return;
    setSelectedDate(date);
    setCurrentPage(date.year(), date.month());
}

void MonthView::setSelectedRange(const QDate &first, const QDate &last)
{
    // A null date clears the formats of every day.
    setDateTextFormat(QDate(), QTextCharFormat());
    if (!first.isValid() || !last.isValid() || last < first) {
        m_first = QDate();
        m_last = QDate();
        return;
    }
    m_first = first;
    m_last = last;
    QTextCharFormat day;
    day.setBackground(palette().brush(QPalette::Active, QPalette::Highlight));
    day.setForeground(palette().brush(QPalette::Active, QPalette::HighlightedText));
    for (QDate d = first; d <= last; d = d.addDays(1))
        setDateTextFormat(d, day);
}

bool MonthView::isHighlighted(const QDate &date) const
{
    return date.isValid() && dateTextFormat(date).hasProperty(QTextFormat::BackgroundBrush);
}

} // namespace tarnvik
