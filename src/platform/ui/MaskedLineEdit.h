#pragma once

#include <QLineEdit>

namespace tarnvik {

// A text box that shows every character typed as one mask character.
class MaskedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskedLineEdit(QChar mask, QWidget *parent = nullptr);

    // Makes an existing text box (one inside a standard dialog) show every
    // character as mask.
    static void mask(QLineEdit *edit, QChar mask);
};

} // namespace tarnvik
