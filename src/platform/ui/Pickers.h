#pragma once

#include <QDateTimeEdit>

namespace tarnvik {

// A date or time picker that can also hold no value: the user empties it with
// Delete (or Backspace), and it then shows nothing and reports no valid value
// until a value is picked or typed again; typing into an empty picker starts
// from the present moment. A click on a part of the value (day, month, year,
// hours ...) selects that part, so that digits typed next replace it.
class BlankablePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    bool isBlank() const { return m_blank; }
    void setBlank();

protected:
    BlankablePicker(const QString &format, QWidget *parent);
    void keyPressEvent(QKeyEvent *event) override;
    void stepBy(int steps) override;
    void focusInEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    QString textFromDateTime(const QDateTime &dateTime) const override;
    // Holds a value again.
    void leaveBlank(const QDateTime &value);
    virtual void fillFromClock() = 0;

private:
    bool m_blank = false;
    bool m_finishingClick = false;
};

class DatePicker : public BlankablePicker {
    Q_OBJECT
public:
    explicit DatePicker(QWidget *parent = nullptr);
    // The date held; invalid when blank.
    QDate Value() const;
    void setValue(const QDate &date);

protected:
    void fillFromClock() override;
};

class TimePicker : public BlankablePicker {
    Q_OBJECT
public:
    explicit TimePicker(QWidget *parent = nullptr);
    // The time held; invalid when blank.
    QTime Value() const;
    void setValue(const QTime &time);

protected:
    void fillFromClock() override;
};

} // namespace tarnvik
