#pragma once

#include <QValidator>

namespace tarnvik {

// Keeps a line edit's text within a length, in UTF-16 code units, without
// ever splitting a character: whatever is typed or pasted past the limit is
// cut at the end of what was added (see fitLength).
class LengthValidator : public QValidator {
    Q_OBJECT
public:
    LengthValidator(int maxLength, QObject *parent = nullptr);
    int maxLength() const { return m_maxLength; }
    State validate(QString &input, int &pos) const override;

private:
    int m_maxLength;
};

} // namespace tarnvik
