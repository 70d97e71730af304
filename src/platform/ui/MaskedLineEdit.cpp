#include "platform/ui/MaskedLineEdit.h"

#include <QProxyStyle>

namespace tarnvik {

namespace {

// The widget style with another password character.
class MaskStyle final : public QProxyStyle {
public:
    explicit MaskStyle(QChar mask) : m_mask(mask) {}
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return m_mask.unicode();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QChar m_mask;
};

} // namespace

MaskedLineEdit::MaskedLineEdit(QChar mask, QWidget *parent) : QLineEdit(parent)
{
    MaskedLineEdit::mask(this, mask);
}

void MaskedLineEdit::mask(QLineEdit *edit, QChar mask)
{
    auto *style = new MaskStyle(mask);
    style->setParent(edit);
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}

} // namespace tarnvik
