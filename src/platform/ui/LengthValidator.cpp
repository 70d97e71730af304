#include "platform/ui/LengthValidator.h"

#include "common/TextLimit.h"

namespace tarnvik {

LengthValidator::LengthValidator(int maxLength, QObject *parent) : QValidator(parent), m_maxLength(maxLength)
{
}

QValidator::State LengthValidator::validate(QString &input, int &pos) const
{
    if (input.size() > m_maxLength)
        input = fitLength(input, m_maxLength, &pos);
    return Acceptable;
}

} // namespace tarnvik
