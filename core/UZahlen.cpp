#include "core/UZahlen.h"

#include "datetime/ULocale.h"
#include "env/VControl.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

namespace {

constexpr int SignificantDigits = 15;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Moves begin past the blanks at the start of text[begin, end) and end before those at its end.
void TrimBlanks(const std::string& text, std::size_t& begin, std::size_t& end)
{
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
}

// Reads a run of digits as a count no larger than limit; false when the run is empty
// or its value exceeds the limit.
bool ReadCount(const std::string& text, std::size_t& i, int limit, int& count)
{
    const std::size_t start = i;
    count = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        count = count * 10 + (text[i] - '0');
        if (count > limit)
            return false;
    }
    return i > start;
}

struct TNumberFormat {
    bool LeftAlign = false;
    int Width = 0;
    int Precision = 2;
};

// The width-and-precision part of a fixed-point conversion; false for any other form.
bool ParseNumberFormat(const std::string& format, TNumberFormat& result)
{
    TNumberFormat parsed;
    std::size_t i = 0;
    if (i < format.size() && format[i] == '-') {
        parsed.LeftAlign = true;
        ++i;
    }
    if (i < format.size() && IsDigit(format[i]) && !ReadCount(format, i, MaxNumberWidth, parsed.Width))
        return false;
    if (i < format.size() && format[i] == '.') {
        ++i;
        if (!ReadCount(format, i, MaxNumberPrecision, parsed.Precision))
            return false;
    }
    if (i != format.size())
        return false;
    result = parsed;
    return true;
}

// The value rounded to precision decimals, half away from zero, as the digits of
// round(|value| * 10^precision). Rounding starts from the shortest decimal form of the
// double, so 2.675 rounds the way it reads (2.68) and 2.5 gives 3.
std::string ScaledDigits(double magnitude, int precision)
{
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific);
    const std::string scientific(buffer.data(), result.ptr);
    const std::size_t e = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + (e > 2 ? scientific.substr(2, e - 2) : std::string());
    long exponent = 0;
    std::ignore = ReadInteger(std::string_view(scientific).substr(e + 1), exponent);  // to_chars wrote it
    const long keep = exponent + 1 + precision;
    if (keep < 0)
        return {};
    const bool roundUp =
        static_cast<std::size_t>(keep) < digits.size() && digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep), '0');
    if (roundUp) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    return digits;
}

std::string FixedText(double value, int precision)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    std::string digits = value == 0.0 ? std::string() : ScaledDigits(std::fabs(value), precision);
    const std::size_t decimals = static_cast<std::size_t>(precision);
    if (digits.size() < decimals + 1)
        digits.insert(digits.begin(), decimals + 1 - digits.size(), '0');
    std::string text;
    if (value < 0 && digits.find_first_not_of('0') != std::string::npos)
        text += '-';
    text.append(digits, 0, digits.size() - decimals);
    if (decimals > 0) {
        text += DecimalSeparator();
        text.append(digits, digits.size() - decimals, decimals);
    }
    return text;
}

// The decimal exponent of the first significant digit of a mantissa written as
// intDigits "." fracDigits, shifted by exponent.
long MagnitudeOf(const std::string& intDigits, const std::string& fracDigits, long exponent)
{
    const std::size_t firstInt = intDigits.find_first_not_of('0');
    if (firstInt != std::string::npos)
        return static_cast<long>(intDigits.size() - firstInt) - 1 + exponent;
    const std::size_t firstFrac = fracDigits.find_first_not_of('0');
    return -static_cast<long>(firstFrac) - 1 + exponent;
}

}  // namespace

std::string IntegerToText(long long value)
{
    return std::to_string(value);
}

bool TextToInteger(const std::string& text, int& value)
{
    const std::size_t end = text.find_last_not_of(" \t");
    return ReadInteger(std::string_view(text).substr(0, end == std::string::npos ? 0 : end + 1), value);
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
    int exponent = 0;
    std::ignore = ReadInteger(std::string_view(scientific).substr(e + 1), exponent);  // to_chars wrote it
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

bool TryStrToFloat(const std::string& text, double& value)
{
    std::size_t i = 0;
    std::size_t end = text.size();
    TrimBlanks(text, i, end);
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string intDigits;
    std::string fracDigits;
    for (; i < end && IsDigit(text[i]); ++i)
        intDigits += text[i];
    if (i < end && text[i] == DecimalSeparator())
        for (++i; i < end && IsDigit(text[i]); ++i)
            fracDigits += text[i];
    if (intDigits.empty() && fracDigits.empty())
        return false;
    long exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i == end || !IsDigit(text[i]))
            return false;
        for (; i < end && IsDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != end)
        return false;

    // The C library's reader is independent of the process locale.
    const std::string canonical =
        (intDigits.empty() ? "0" : intDigits) + "." + fracDigits + "e" + std::to_string(exponent);
    double parsed = 0.0;
    const auto result = std::from_chars(canonical.data(), canonical.data() + canonical.size(), parsed);
    if (result.ec == std::errc::result_out_of_range) {
        if (MagnitudeOf(intDigits, fracDigits, exponent) >= 0)
            return false;
        parsed = 0.0;
    } else if (result.ec != std::errc() || result.ptr != canonical.data() + canonical.size()) {
        return false;
    }
    value = negative ? -parsed : parsed;
    return true;
}

double StrToFloatDefault(const std::string& text, double defaultValue)
{
    double value = defaultValue;
    return TryStrToFloat(text, value) ? value : defaultValue;
}

std::string FormatNumber(const std::string& format, double value)
{
    TNumberFormat parsed;
    if (!ParseNumberFormat(format, parsed))
        parsed = TNumberFormat{};
    std::string text = FixedText(value, parsed.Precision);
    const std::size_t width = static_cast<std::size_t>(parsed.Width);
    if (text.size() < width)
        text.insert(parsed.LeftAlign ? text.end() : text.begin(), width - text.size(), ' ');
    return text;
}
