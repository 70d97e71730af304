#include "platform/ui/Pickers.h"

#include "common/Clock.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace tarnvik {

BlankablePicker::BlankablePicker(const QString &format, QWidget *parent) : QDateTimeEdit(parent)
{
    setDisplayFormat(format);
    lineEdit()->installEventFilter(this);
}

void BlankablePicker::setBlank()
{
    m_blank = true;
    lineEdit()->setText(QString());
}

void BlankablePicker::leaveBlank(const QDateTime &value)
{
    if (m_blank) {
        // Show the value before the picker places its cursor in it.
        m_blank = false;
        lineEdit()->setText(textFromDateTime(value));
    }
    setDateTime(value);
}

QString BlankablePicker::textFromDateTime(const QDateTime &dateTime) const
{
    return m_blank ? QString() : QDateTimeEdit::textFromDateTime(dateTime);
}

void BlankablePicker::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        setBlank();
        event->accept();
        return;
    }
    // Typing into an empty picker starts from the present moment.
    if (m_blank && key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Return &&
        key != Qt::Key_Enter && key != Qt::Key_Escape &&
        (!event->text().isEmpty() || key == Qt::Key_Up || key == Qt::Key_Down)) {
        fillFromClock();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            event->accept();
            return;
        }
    }
    QDateTimeEdit::keyPressEvent(event);
}

void BlankablePicker::focusInEvent(QFocusEvent *event)
{
    // An empty picker has no section to put the cursor in.
    if (m_blank)
        QAbstractSpinBox::focusInEvent(event);
    else
        QDateTimeEdit::focusInEvent(event);
}

bool BlankablePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease && !m_finishingClick &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // The edit box finishes the click first (it places the cursor, or
        // ends a drag); a plain click then selects the part it landed in.
        m_finishingClick = true;
        QCoreApplication::sendEvent(lineEdit(), event);
        m_finishingClick = false;
        if (!m_blank && !lineEdit()->hasSelectedText() && currentSection() != NoSection)
            setSelectedSection(currentSection());
        return true;
    }
    return QDateTimeEdit::eventFilter(watched, event);
}

void BlankablePicker::stepBy(int steps)
{
    if (m_blank) {
        fillFromClock();
        return;
    }
    QDateTimeEdit::stepBy(steps);
}

DatePicker::DatePicker(QWidget *parent) : BlankablePicker(QStringLiteral("dd/MM/yyyy"), parent)
{
    setCalendarPopup(true);
}

QDate DatePicker::Value() const
{
    return isBlank() ? QDate() : date();
}

void DatePicker::setValue(const QDate &value)
{
    if (value.isValid())
        leaveBlank(QDateTime(value, QTime(0, 0)));
    else
        setBlank();
}

void DatePicker::fillFromClock()
{
    setValue(Clock::today());
}

TimePicker::TimePicker(QWidget *parent) : BlankablePicker(QStringLiteral("HH:mm:ss"), parent) {}

QTime TimePicker::Value() const
{
    return isBlank() ? QTime() : time();
}

void TimePicker::setValue(const QTime &value)
{
    if (value.isValid())
        leaveBlank(QDateTime(date(), value));
    else
        setBlank();
}

void TimePicker::fillFromClock()
{
    setValue(Clock::now().time());
}

} // namespace tarnvik
