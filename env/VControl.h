// General routines shared by every part of the program.
#pragma once

#include <string>
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

// Whether text begins with prefix, case-sensitively.
bool StartsWith(const std::string& prefix, const std::string& text);

// Every CR LF pair, lone CR and lone LF becomes a vertical tab (character 11), the
// word processor's manual line break.
std::string LineBreaksToVT(const std::string& text);

// The text without leading and trailing blanks and control characters (every byte up
// to " ").
std::string Trimmed(const std::string& text);

// minimum when it exceeds value, else maximum when value exceeds it, else value.
int EnsureRange(int value, int minimum, int maximum);

// Reads a number written with the user's decimal separator: optional blanks around
// it, a sign, digits with at most one decimal separator, and an exponent ("1,5E-3").
// No thousands separators, no "INF" or "NAN". A magnitude too small for a double reads
// as zero; one too large is not a number. False (value untouched) when the text is not
// a number.
bool TryStrToFloat(const std::string& text, double& value);
// The number in text (as TryStrToFloat reads it), or defaultValue.
double StrToFloatDefault(const std::string& text, double defaultValue);

// The time-picker form of a pattern: every "h" becomes "H" (24-hour hour), then
// every "n" becomes "m" (minute); case-sensitive.
std::string ToPickerFormat(const std::string& pattern);

// The part of text before its first CR, or, without one, before its first LF; all of
// text when it has neither.
std::string FirstLine(const std::string& text);

// The widest field and the most decimals FormatNumber honours.
inline constexpr int MaxNumberWidth = 100;
inline constexpr int MaxNumberPrecision = 20;

// value written by the fixed-point conversion "%" + format + "f" with the user's
// decimal separator. format is the width-and-precision part: an optional "-" (align
// left), a width, and "." with the number of decimals ("0.3", "8.2", "-10.1"). Padding
// is with blanks. The empty format stands for "%f", which gives two decimals. A format
// of another form, or one asking for more than MaxNumberWidth characters or
// MaxNumberPrecision decimals, is treated as the empty format. A value that rounds to
// zero is written without a minus sign; infinities and NaN as "INF", "-INF", "NAN".
std::string FormatNumber(const std::string& format, double value);

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
