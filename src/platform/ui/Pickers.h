#pragma once

#include <QDateTimeEdit>
#include <QStringList>

namespace tarnvik {

// A date or time picker that can also hold no value: the user empties it with
// Delete (or Backspace), and it then shows nothing and reports no valid value
// until a value is picked or typed again; typing into an empty picker starts
// from the present moment, in its first part. A click on a part of the value
// (day, month, year, hours ...) selects that part, so that digits typed next
// replace it.
//
// Typing: digits fill the part being typed and move on to the next part when
// it is full; a separator (any sign that is not a digit) ends the part early
// and moves on. What the user types is the value held: it is taken as soon as
// it forms a whole value, and when a part is left unfinished (by Enter, Tab,
// a click elsewhere) the part is taken as typed. A value that cannot exist
// (31/02, month 13, 25 hours) is never replaced by another: it stays shown,
// in red, the picker then holds no valid value (Value() is invalid,
// typedImpossible() true) until it is corrected. Enter ends the typing as a
// click away does, then goes on to the window (its default button).
//
// Pasted text (Ctrl+V, Shift+Insert, the context menu, the middle button)
// is read as if typed, sign by sign, then the typing ends; text that holds
// anything but digits and separators cannot be read: it is shown as
// pasted, refused, and holds no value.
class BlankablePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    bool isBlank() const { return m_blank; }
    void setBlank();
    // The text typed cannot be a date (or a time); it is shown as typed.
    bool typedImpossible() const { return m_typing && !typedValue().isValid(); }
    // The text shown, as typed.
    QString typedText() const { return composedText(); }

protected:
    BlankablePicker(const QString &format, const QList<int> &partWidths, QChar separator, QWidget *parent);
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void stepBy(int steps) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    QString textFromDateTime(const QDateTime &dateTime) const override;
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    // Holds a value again.
    void leaveBlank(const QDateTime &value);
    virtual void fillFromClock() = 0;
    // The value that the parts typed give; invalid when they cannot be one.
    virtual QDateTime valueOfParts(const QStringList &parts) const = 0;
    // While the user types: the value typed, or invalid.
    QDateTime typedValue() const;
    bool typing() const { return m_typing; }

private:
    QString composedText() const;
    void typeDigit(QChar digit);
    void paste(const QString &text);
    // Typing after a paste that could not be read starts again from the
    // value held.
    void dropUnreadable();
    void typeSeparator();
    void startTyping();
    // The part being typed is done; moves on to the next one (or stays on the
    // last one).
    void endPart();
    // Takes what was typed: the value when it is one, else keeps it shown.
    void finishTyping();
    void takeTypedValue();
    void stopTyping();
    void showTyped();
    int partUnderCursor() const;
    void followCursor();

    const QList<int> m_widths;
    const QChar m_separator;
    bool m_blank = false;
    bool m_finishingClick = false;
    bool m_typing = false;      // the text shown is the user's, part by part
    bool m_taking = false;      // the picker takes the value typed
    bool m_refused = false;     // the value typed cannot exist: shown in red
    QStringList m_parts;        // the texts of the parts while typing
    int m_part = 0;             // the part receiving digits
    QString m_digits;           // digits typed into it so far
    QString m_unreadable;       // text pasted that cannot be read, shown as pasted
    bool m_justMovedOn = false; // a full part moved on: a separator typed next is the one after it
};

class DatePicker : public BlankablePicker {
    Q_OBJECT
public:
    explicit DatePicker(QWidget *parent = nullptr);
    // The date held; invalid when blank or when the date typed cannot exist.
    QDate Value() const;
    void setValue(const QDate &date);

protected:
    void fillFromClock() override;
    QDateTime valueOfParts(const QStringList &parts) const override;
};

class TimePicker : public BlankablePicker {
    Q_OBJECT
public:
    explicit TimePicker(QWidget *parent = nullptr);
    // The time held; invalid when blank or when the time typed cannot exist.
    QTime Value() const;
    void setValue(const QTime &time);

protected:
    void fillFromClock() override;
    QDateTime valueOfParts(const QStringList &parts) const override;
};

} // namespace tarnvik
