#pragma once

#include <QCalendarWidget>
#include <QDate>

namespace tarnvik {

// A month calendar that shows a range of days highlighted, as the options and
// the report windows use it to show a pay period. Its date (Value) is the
// selected day; the range is drawn separately, so that it can start at the
// date and run for a period's length.
class MonthView : public QCalendarWidget {
    Q_OBJECT
public:
    explicit MonthView(QWidget *parent = nullptr);

    QDate Value() const { return selectedDate(); }
    // Selects the date and shows its month.
    void setValue(const QDate &date);

    // Highlights the days from first to last, both included, in place of the
    // range drawn before; an invalid or reversed pair clears the highlight.
    void setSelectedRange(const QDate &first, const QDate &last);
    QDate SelStart() const { return m_first; }
    QDate SelEnd() const { return m_last; }
    // Whether a day is drawn as part of the range.
    bool isHighlighted(const QDate &date) const;

private:
    QDate m_first;
    QDate m_last;
};

} // namespace tarnvik
