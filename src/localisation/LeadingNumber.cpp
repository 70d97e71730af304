#include "localisation/LeadingNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarnvik {

namespace {

bool isSkipped(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// "&H1F" / "&O17" / "&17": digits of the base up to the first other character.
double radixNumber(const std::u16string &s, size_t at)
{
    int base = 8;
    if (at < s.size() && (s[at] == u'H' || s[at] == u'h')) {
        base = 16;
        ++at;
    } else if (at < s.size() && (s[at] == u'O' || s[at] == u'o')) {
        ++at;
    }
    quint64 value = 0;
    bool any = false;
    for (; at < s.size(); ++at) {
        const char16_t c = s[at];
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0 || digit >= base)
            break;
        any = true;
        value = value * quint64(base) + quint64(digit);
        if (value > 0xFFFFFFFFull)
            return std::numeric_limits<double>::infinity();
    }
    if (!any)
        return 0;
    if (value <= 0xFFFF)
        return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

} // namespace

double leadingNumber(QStringView text)
{
    std::u16string s;
    s.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (!isSkipped(c))
            s.push_back(c.unicode());
    }
    if (!s.empty() && s[0] == u'&')
        return radixNumber(s, 1);

    // Collect the longest prefix shaped like a decimal number, as ASCII.
    std::string number;
    size_t i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        number.push_back(char(s[i++]));
    bool digits = false;
    bool point = false;
    // How far the first significant digit stands from the decimal point, to
    // tell an overflow from an underflow when the value is out of range.
    long magnitude = 0;
    bool significant = false;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= u'0' && c <= u'9') {
            digits = true;
            number.push_back(char(c));
            if (c != u'0')
                significant = true;
            if (!point && significant)
                ++magnitude;
            else if (point && !significant)
                --magnitude;
        } else if (c == u'.' && !point) {
            point = true;
            number.push_back('.');
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    long exponent = 0;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        size_t j = i + 1;
        bool negative = false;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            negative = s[j++] == u'-';
        if (j < s.size() && s[j] >= u'0' && s[j] <= u'9') {
            for (; j < s.size() && s[j] >= u'0' && s[j] <= u'9'; ++j)
                exponent = qMin(exponent * 10 + long(s[j] - u'0'), 100000L);
            if (negative)
                exponent = -exponent;
            number += 'e' + std::to_string(exponent);
        }
    }
    double value = 0;
    const char *first = number.data();
    if (*first == '+')
        ++first;
    const auto result = std::from_chars(first, number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (!significant || magnitude + exponent <= 0)
            return number[0] == '-' ? -0.0 : 0.0;
        return number[0] == '-' ? -std::numeric_limits<double>::infinity()
                                : std::numeric_limits<double>::infinity();
    }
    if (result.ec != std::errc())
        return 0;
    return value;
}

std::optional<qint16> toInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::nearbyint(value);
    if (whole < double(std::numeric_limits<qint16>::min()) ||
        whole > double(std::numeric_limits<qint16>::max()))
        return std::nullopt;
    return qint16(whole);
}

std::optional<qint32> toInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::nearbyint(value);
    if (whole < double(std::numeric_limits<qint32>::min()) ||
        whole > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(whole);
}

} // namespace tarnvik
