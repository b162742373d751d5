// General routines shared by every part of the program.
#pragma once

#include <charconv>
#include <concepts>
#include <string>
#include <string_view>
#include <vector>

// The folder of the running program file, ending with "/"; empty when it cannot be found.
std::string ProgramFolder();

// The file's name without its folder (everything up to the last "/", "\" or drive
// colon) and without its extension (the text from the last "." of the rest).
std::string BaseName(const std::string& fileName);

// The text in double quotes, as messages name files and values.
std::string Quoted(const std::string& text);

// The text with the ASCII letters made lower (upper) case; other bytes stay as they are,
// whatever the process locale says of them.
std::string LowerAscii(std::string text);
std::string UpperAscii(std::string text);
inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
// Whether text holds lowerWord at index at, ASCII letters compared in either case.
bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view lowerWord);

// Whether text begins with prefix, case-sensitively.
bool StartsWith(const std::string& prefix, const std::string& text);

// The text as a decimal integer of type T: leading blanks (space, tab), one sign, then
// digits up to the end; false (value untouched) for anything else or a number outside
// T's range. Every integer the program reads from text is read here.
template <std::integral T>
[[nodiscard]] bool ReadInteger(std::string_view text, T& value)
{
    const std::size_t start = text.find_first_not_of(" \t");
    text.remove_prefix(start == std::string_view::npos ? text.size() : start);
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-'))
            return false;  // from_chars takes a minus sign of its own
    }
    T parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

// Every CR LF pair, lone CR and lone LF becomes a vertical tab (character 11), the
// word processor's manual line break.
std::string LineBreaksToVT(const std::string& text);

// The text without leading and trailing blanks and control characters (every byte up
// to " ").
std::string Trimmed(const std::string& text);

// minimum when it exceeds value, else maximum when value exceeds it, else value.
int EnsureRange(int value, int minimum, int maximum);

// The time-picker form of a pattern: every "h" becomes "H" (24-hour hour), then
// every "n" becomes "m" (minute); case-sensitive.
std::string ToPickerFormat(const std::string& pattern);

// The part of text before its first CR, or, without one, before its first LF; all of
// text when it has neither.
std::string FirstLine(const std::string& text);

// The version information of a program file, as "key=value" lines in a fixed key order.
//
// A build embeds it into the program file as a section of its own (kVersionSection),
// which holds the marker kVersionMarker and then "key=value" texts, each ended by a
// zero byte. Lesen reads the section back from the file, so the About box shows what
// the file itself carries.
class TVInfos {
public:
    static constexpr const char* kVersionSection = ".tavix_version";
    static constexpr const char* kVersionMarker = "TAVIX-VERSION-1";
    // The keys, in the order Lesen appends them.
    static constexpr const char* kKeys[] = {"CompanyName",    "FileDescription", "FileVersion",      "InternalName",
                                            "LegalCopyright", "LegalTradeMarks", "OriginalFileName", "ProductName",
                                            "ProductVersion", "Comments"};

    // Appends one line per key from the running program's file; nothing when the file
    // carries no version information.
    void Lesen();
    // The same from the given program file.
    void Lesen(const std::string& programFile);

    const std::vector<std::string>& Lines() const { return lines_; }
    // The value of the key's line; empty when there is none.
    std::string Value(const std::string& key) const;

private:
    std::vector<std::string> lines_;
};
