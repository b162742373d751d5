#include "core/UZahlen.h"

#include "datetime/ULocale.h"
#include "env/VControl.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int SignificantDigits = 15;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

std::string IntegerToText(long long value)
{
    return std::to_string(value);
}

bool TextToInteger(const std::string& text, int& value)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    if (begin < end && text[begin] == '+') {
        ++begin;  // from_chars takes a minus sign only
        if (begin < end && text[begin] == '-')
            return false;
    }
    int parsed = 0;
    const auto result = std::from_chars(text.data() + begin, text.data() + end, parsed);
    if (begin == end || result.ec != std::errc() || result.ptr != text.data() + end)
        return false;
    value = parsed;
    return true;
}

std::string NumberToText(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0.0)
        return "0";

    // d.dddddddddddddde[+-]x: the value correctly rounded to 15 significant digits.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific,
                                      SignificantDigits - 1);
    const std::string scientific(buffer, result.ptr);
    const std::size_t e = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, e - 2);
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    digits.erase(digits.find_last_not_of('0') + 1);

    const char separator = DecimalSeparator();
    std::string text = value < 0 ? "-" : "";
    if (exponent >= -5 && exponent < SignificantDigits) {
        if (exponent < 0) {
            text += "0";
            text += separator;
            text.append(static_cast<std::size_t>(-exponent - 1), '0');
            text += digits;
        } else {
            const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= integerDigits) {
                text += digits;
                text.append(integerDigits - digits.size(), '0');
            } else {
                text += digits.substr(0, integerDigits);
                text += separator;
                text += digits.substr(integerDigits);
            }
        }
        return text;
    }
    text += digits[0];
    if (digits.size() > 1) {
        text += separator;
        text += digits.substr(1);
    }
    text += 'E';
    text += std::to_string(exponent);
    return text;
}

bool TextToNumber(const std::string& text, double& value)
{
    return TryStrToFloat(text, value);
}
