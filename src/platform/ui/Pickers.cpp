#include "platform/ui/Pickers.h"

#include "common/Clock.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

namespace tarnvik {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

BlankablePicker::BlankablePicker(const QString &format, const QList<int> &partWidths, QChar separator,
                                 QWidget *parent)
    : QDateTimeEdit(parent), m_widths(partWidths), m_separator(separator)
{
    setDisplayFormat(format);
    lineEdit()->installEventFilter(this);
    // Text dropped would be read by other rules than text typed or pasted.
    lineEdit()->setAcceptDrops(false);
    // The picker keeps the usual colours (dark arrows on light buttons), not
    // the white text of the window it stands on.
    QPalette colours = palette();
    const QPalette usual = QApplication::palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text,
                                           QPalette::Base, QPalette::Button, QPalette::Window})
        colours.setColor(role, usual.color(role));
    setPalette(colours);
    // A value set from outside (the calendar, the window) ends the typing.
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (m_typing && !m_taking)
            stopTyping();
    });
}

void BlankablePicker::setBlank()
{
    stopTyping();
    m_blank = true;
    lineEdit()->setText(QString());
}

void BlankablePicker::leaveBlank(const QDateTime &value)
{
    stopTyping();
    if (m_blank) {
        // Show the value before the picker places its cursor in it.
        m_blank = false;
        lineEdit()->setText(textFromDateTime(value));
    }
    setDateTime(value);
}

QString BlankablePicker::textFromDateTime(const QDateTime &dateTime) const
{
    if (m_blank)
        return QString();
    return m_typing ? composedText() : QDateTimeEdit::textFromDateTime(dateTime);
}

QValidator::State BlankablePicker::validate(QString &input, int &pos) const
{
    // While the user types, the picker takes the value itself.
    return m_typing ? QValidator::Intermediate : QDateTimeEdit::validate(input, pos);
}

void BlankablePicker::fixup(QString &input) const
{
    // The text typed is never replaced by another value.
    if (!m_typing)
        QDateTimeEdit::fixup(input);
}

QString BlankablePicker::composedText() const
{
    return m_unreadable.isEmpty() ? m_parts.join(m_separator) : m_unreadable;
}

QDateTime BlankablePicker::typedValue() const
{
    if (!m_unreadable.isEmpty())
        return QDateTime();
    const QDateTime value = valueOfParts(m_parts);
    return value.isValid() && value >= minimumDateTime() && value <= maximumDateTime() ? value : QDateTime();
}

int BlankablePicker::partUnderCursor() const
{
    const QString text = lineEdit()->text();
    const int cursor =
        lineEdit()->hasSelectedText() ? lineEdit()->selectionStart() : lineEdit()->cursorPosition();
    const int part = int(text.left(cursor).count(m_separator));
    return std::clamp(part, 0, int(m_widths.size()) - 1);
}

void BlankablePicker::startTyping()
{
    if (m_typing)
        return;
    int part = partUnderCursor();
    if (m_blank) {
        // Typing into an empty picker starts from the present moment.
        fillFromClock();
        part = 0;
    }
    m_parts = QDateTimeEdit::textFromDateTime(dateTime()).split(m_separator);
    while (m_parts.size() < m_widths.size())
        m_parts << QString();
    m_typing = true;
    m_part = part;
    m_digits.clear();
    m_justMovedOn = false;
    showTyped(); // the part typed into is the one selected
}

void BlankablePicker::followCursor()
{
    // The part being typed is selected; a part the user chose since (a
    // click, the arrows) receives the next digits.
    if (m_digits.isEmpty() && !m_justMovedOn)
        m_part = partUnderCursor();
}

void BlankablePicker::showTyped()
{
    if (!m_typing)
        return;
    QPalette colours = lineEdit()->palette();
    colours.setColor(QPalette::Text, m_refused ? QColor(Qt::red) : palette().color(QPalette::Text));
    lineEdit()->setPalette(colours);
    lineEdit()->setText(composedText());
    if (!m_unreadable.isEmpty()) {
        lineEdit()->selectAll();
        return;
    }
    int start = 0;
    for (int i = 0; i < m_part; ++i)
        start += int(m_parts[i].size()) + 1;
    lineEdit()->setSelection(start, int(m_parts[m_part].size()));
}

void BlankablePicker::takeTypedValue()
{
    const QDateTime value = typedValue();
    if (!value.isValid())
        return;
    m_taking = true;
    setDateTime(value);
    m_taking = false;
    // The parts as the picker writes them (two digits, four for a year).
    const QStringList written = QDateTimeEdit::textFromDateTime(value).split(m_separator);
    for (int i = 0; i < m_parts.size() && i < written.size(); ++i) {
        if (i != m_part || m_digits.isEmpty())
            m_parts[i] = written[i];
    }
}

void BlankablePicker::dropUnreadable()
{
    if (m_unreadable.isEmpty())
        return;
    m_unreadable.clear();
    m_parts = QDateTimeEdit::textFromDateTime(dateTime()).split(m_separator);
    while (m_parts.size() < m_widths.size())
        m_parts << QString();
    m_part = 0;
    m_digits.clear();
    m_justMovedOn = false;
}

void BlankablePicker::paste(const QString &text)
{
    const QString pasted = text.trimmed();
    if (pasted.isEmpty())
        return;
    startTyping();
    dropUnreadable();
    bool readable = true;
    for (const QChar c : pasted)
        readable = readable && (isAsciiDigit(c) || !c.isLetterOrNumber());
    if (!readable) {
        m_unreadable = pasted;
        m_refused = true;
        showTyped();
        return;
    }
    // Sign by sign as typed; a run of signs between digits ("1 / 2") is one
    // separator.
    bool afterSign = false;
    for (const QChar c : pasted) {
        if (isAsciiDigit(c))
            typeDigit(c);
        else if (!afterSign)
            typeSeparator();
        afterSign = !isAsciiDigit(c);
    }
    finishTyping();
}

void BlankablePicker::typeDigit(QChar digit)
{
    startTyping();
    dropUnreadable();
    followCursor();
    m_refused = false;
    m_justMovedOn = false;
    m_digits += digit;
    m_parts[m_part] = m_digits;
    if (m_digits.size() >= m_widths[m_part]) {
        const bool last = m_part == m_widths.size() - 1;
        endPart();
        m_justMovedOn = !last;
    }
    showTyped();
}

void BlankablePicker::typeSeparator()
{
    startTyping();
    dropUnreadable();
    followCursor();
    m_refused = false;
    if (m_justMovedOn && m_digits.isEmpty()) {
        // The separator that follows a part filled up: already moved on.
        m_justMovedOn = false;
        return;
    }
    endPart();
    showTyped();
}

void BlankablePicker::endPart()
{
    m_digits.clear();
    // The value is taken once its last part is typed (or the typing ends):
    // a day typed before its month is not taken with the month shown then.
    if (m_part < m_widths.size() - 1)
        ++m_part;
    else
        takeTypedValue();
}

void BlankablePicker::finishTyping()
{
    if (!m_typing)
        return;
    m_digits.clear();
    if (typedValue().isValid()) {
        takeTypedValue();
        stopTyping();
        return;
    }
    // Refused, visibly: the text typed stays, in red, and holds no value.
    m_refused = true;
    showTyped();
}

void BlankablePicker::stopTyping()
{
    if (!m_typing)
        return;
    m_typing = false;
    m_refused = false;
    m_unreadable.clear();
    m_digits.clear();
    m_parts.clear();
    lineEdit()->setPalette(palette());
    lineEdit()->setText(m_blank ? QString() : QDateTimeEdit::textFromDateTime(dateTime()));
}

void BlankablePicker::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        setBlank();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && text.size() == 1 && text[0].isPrint()) {
        if (isAsciiDigit(text[0]))
            typeDigit(text[0]);
        else if (!text[0].isLetterOrNumber())
            typeSeparator();
        event->accept(); // letters mean nothing here
        return;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        if (m_blank) {
            // Arrows into an empty picker start from the present moment.
            fillFromClock();
            event->accept();
            return;
        }
        finishTyping();
        if (m_typing) { // a value that cannot exist has no next value
            event->accept();
            return;
        }
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        finishTyping();
        if (m_typing) {
            // Enter ends the typing as a click away does: a value that
            // cannot exist stays shown, refused, and the window's default
            // button (which refuses it in turn) gets the key. The spin box's
            // own handling would put another value in its place.
            event->ignore();
            return;
        }
    } else if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        finishTyping();
    }
    QDateTimeEdit::keyPressEvent(event);
    if (m_typing) {
        m_part = partUnderCursor();
        m_digits.clear();
    }
}

void BlankablePicker::focusInEvent(QFocusEvent *event)
{
    // An empty picker has no section to put the cursor in.
    if (m_blank)
        QAbstractSpinBox::focusInEvent(event);
    else
        QDateTimeEdit::focusInEvent(event);
    if (m_typing) {
        m_part = partUnderCursor();
        m_digits.clear();
    }
}

void BlankablePicker::focusOutEvent(QFocusEvent *event)
{
    finishTyping();
    QDateTimeEdit::focusOutEvent(event);
}

void BlankablePicker::contextMenuEvent(QContextMenuEvent *event)
{
    // The edit box's own entries, worded as the box words them, but only
    // those that keep to the picker's rules: Paste reads the text as typed,
    // Delete empties the picker; no Cut, Undo or Redo that would change the
    // text by other rules.
    const auto entry = [](const char *text, QKeySequence::StandardKey key) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        return QCoreApplication::translate("QLineEdit", text) +
               (shortcut.isEmpty() ? QString() : QLatin1Char('\t') + shortcut);
    };
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copy = menu->addAction(entry("&Copy", QKeySequence::Copy), lineEdit(), &QLineEdit::copy);
    copy->setEnabled(lineEdit()->hasSelectedText());
    QAction *pasteAction = menu->addAction(entry("&Paste", QKeySequence::Paste), this,
                                           [this] { paste(QGuiApplication::clipboard()->text()); });
    pasteAction->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    menu->addAction(entry("Delete", QKeySequence::UnknownKey), this, [this] { setBlank(); });
    menu->addSeparator();
    menu->addAction(entry("Select All", QKeySequence::SelectAll), lineEdit(), &QLineEdit::selectAll);
    menu->popup(event->globalPos());
    event->accept();
}

bool BlankablePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton) {
        // The middle button pastes the text selected elsewhere.
        if (QGuiApplication::clipboard()->supportsSelection())
            paste(QGuiApplication::clipboard()->text(QClipboard::Selection));
        return true;
    }
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease && !m_finishingClick &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // The edit box finishes the click first (it places the cursor, or
        // ends a drag); a plain click then selects the part it landed in.
        m_finishingClick = true;
        QCoreApplication::sendEvent(lineEdit(), event);
        m_finishingClick = false;
        if (m_typing) {
            m_part = partUnderCursor();
            m_digits.clear();
            m_justMovedOn = false;
            takeTypedValue();
            showTyped();
        } else if (!m_blank && !lineEdit()->hasSelectedText() && currentSection() != NoSection) {
            setSelectedSection(currentSection());
        }
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
    finishTyping();
    if (!m_typing)
        QDateTimeEdit::stepBy(steps);
}

DatePicker::DatePicker(QWidget *parent)
    : BlankablePicker(QStringLiteral("dd/MM/yyyy"), {2, 2, 4}, u'/', parent)
{
    setCalendarPopup(true);
}

QDate DatePicker::Value() const
{
    if (isBlank())
        return QDate();
    return typing() ? typedValue().date() : date();
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

QDateTime DatePicker::valueOfParts(const QStringList &parts) const
{
    if (parts.size() != 3)
        return QDateTime();
    bool dayOk = false, monthOk = false, yearOk = false;
    const int day = parts[0].toInt(&dayOk), month = parts[1].toInt(&monthOk);
    int year = parts[2].toInt(&yearOk);
    // A year of two digits is one of this century; of one or three, none.
    if (parts[2].size() == 2)
        year += 2000;
    else if (parts[2].size() != 4)
        yearOk = false;
    const QDate date(year, month, day);
    return dayOk && monthOk && yearOk && date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime();
}

TimePicker::TimePicker(QWidget *parent) : BlankablePicker(QStringLiteral("HH:mm:ss"), {2, 2, 2}, u':', parent)
{
}

QTime TimePicker::Value() const
{
    if (isBlank())
        return QTime();
    return typing() ? typedValue().time() : time();
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

QDateTime TimePicker::valueOfParts(const QStringList &parts) const
{
    if (parts.size() != 3)
        return QDateTime();
    bool ok[3] = {false, false, false};
    const QTime time(parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2]));
    return ok[0] && ok[1] && ok[2] && time.isValid() ? QDateTime(date(), time) : QDateTime();
}

} // namespace tarnvik
