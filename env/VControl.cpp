#include "env/VControl.h"

#include "datetime/ULocale.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
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
    const long exponent = std::strtol(scientific.c_str() + e + 1, nullptr, 10);
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

std::string ProgramFolder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.has_parent_path())
        return {};
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string BaseName(const std::string& fileName)
{
    const std::size_t delimiter = fileName.find_last_of("/\\:");
    std::string name = delimiter == std::string::npos ? fileName : fileName.substr(delimiter + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Trimmed(const std::string& text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool StartsWith(const std::string& prefix, const std::string& text)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string LineBreaksToVT(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += '\v';
        } else if (text[i] == '\n') {
            result += '\v';
        } else {
            result += text[i];
        }
    }
    return result;
}

int EnsureRange(int value, int minimum, int maximum)
{
    if (minimum > value)
        return minimum;
    if (value > maximum)
        return maximum;
    return value;
}

bool TryStrToFloat(const std::string& text, double& value)
{
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && IsBlank(text[i]))
        ++i;
    while (end > i && IsBlank(text[end - 1]))
        --end;
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

std::string ToPickerFormat(const std::string& pattern)
{
    std::string result = pattern;
    for (char& c : result)
        if (c == 'h')
            c = 'H';
    for (char& c : result)
        if (c == 'n')
            c = 'm';
    return result;
}

std::string FirstLine(const std::string& text)
{
    std::size_t end = text.find('\r');
    if (end == std::string::npos)
        end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
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

// ---- Version information ------------------------------------------------------------

namespace {

// The bytes of the named section of an ELF file (64- or 32-bit, this machine's byte
// order); false when the file is no such file or has no such section.
template <class TEhdr, class TShdr>
bool ReadElfSection(std::ifstream& in, const std::string& name, std::string& bytes)
{
    TEhdr header{};
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header) || header.e_shentsize != sizeof(TShdr) ||
        header.e_shnum == 0 || header.e_shstrndx >= header.e_shnum)
        return false;
    std::vector<TShdr> sections(header.e_shnum);
    in.seekg(static_cast<std::streamoff>(header.e_shoff));
    if (!in.read(reinterpret_cast<char*>(sections.data()),
                 static_cast<std::streamsize>(sections.size() * sizeof(TShdr))))
        return false;
    auto readPart = [&in](const TShdr& section, std::string& out) {
        constexpr std::uint64_t kMaxSection = 1 << 20;  // names and version texts are small
        if (section.sh_type == SHT_NOBITS || section.sh_size > kMaxSection)
            return false;
        out.assign(section.sh_size, '\0');
        in.seekg(static_cast<std::streamoff>(section.sh_offset));
        return static_cast<bool>(in.read(out.data(), static_cast<std::streamsize>(out.size())));
    };
    std::string names;
    if (!readPart(sections[header.e_shstrndx], names))
        return false;
    for (const TShdr& section : sections) {
        if (section.sh_name >= names.size() || names.c_str() + section.sh_name != name)
            continue;
        return readPart(section, bytes);
    }
    return false;
}

bool ReadProgramSection(const std::string& programFile, const std::string& name, std::string& bytes)
{
    std::ifstream in(programFile, std::ios::binary);
    unsigned char ident[EI_NIDENT] = {};
    if (!in.read(reinterpret_cast<char*>(ident), sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return false;
    if (ident[EI_CLASS] == ELFCLASS64)
        return ReadElfSection<Elf64_Ehdr, Elf64_Shdr>(in, name, bytes);
    if (ident[EI_CLASS] == ELFCLASS32)
        return ReadElfSection<Elf32_Ehdr, Elf32_Shdr>(in, name, bytes);
    return false;
}

}  // namespace

void TVInfos::Lesen()
{
    Lesen("/proc/self/exe");
}

void TVInfos::Lesen(const std::string& programFile)
{
    std::string section;
    if (!ReadProgramSection(programFile, kVersionSection, section))
        return;
    // The texts after the marker, each ended by a zero byte.
    std::vector<std::string> texts;
    for (std::size_t start = 0; start < section.size();) {
        const std::size_t end = std::min(section.find('\0', start), section.size());
        texts.push_back(section.substr(start, end - start));
        start = end + 1;
    }
    if (texts.empty() || texts.front() != kVersionMarker)
        return;
    for (const char* key : kKeys) {
        const std::string prefix = std::string(key) + "=";
        const auto found = std::find_if(texts.begin() + 1, texts.end(),
                                        [&](const std::string& text) { return text.starts_with(prefix); });
        lines_.push_back(found == texts.end() ? prefix : *found);
    }
}

std::string TVInfos::Value(const std::string& key) const
{
    const std::string prefix = key + "=";
    for (const std::string& line : lines_)
        if (line.starts_with(prefix))
            return line.substr(prefix.size());
    return {};
}
