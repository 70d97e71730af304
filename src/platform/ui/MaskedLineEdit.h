#pragma once

#include <QLineEdit>

namespace tarnvik {

// A text box that shows every character typed as one mask character (also a
// character of two UTF-16 units, such as an emoji).
class MaskedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskedLineEdit(QChar mask, QWidget *parent = nullptr);

    // Makes an existing text box (one inside a standard dialog) show every
    // character as mask.
    static void mask(QLineEdit *edit, QChar mask);
};

} // namespace tarnvik
