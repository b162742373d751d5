// Conversion between the program's single-byte text (Windows-1252; files declare
// "ISO-8859-1") and UTF-8, for the user-interface boundary.
//
// Every one of the 256 bytes has a character: the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the
// same number, so single-byte text survives a round trip through UTF-8 unchanged.
// Nothing is replaced silently: UTF-8 text with a character that has no single-byte
// form, or with malformed bytes, is refused, and FindUnrepresentable tells which.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

std::string Windows1252ToUtf8(std::string_view text);

// Whether a Unicode code point has a Windows-1252 byte.
bool IsRepresentable(char32_t codePoint);

struct TCodecProblem {
    std::size_t Offset = 0;  // byte offset in the UTF-8 text
    std::size_t Length = 0;  // bytes the problem spans
    char32_t CodePoint = 0;  // the character; 0 for malformed bytes
    bool Malformed = false;  // the bytes are not UTF-8
};

// Every character of the UTF-8 text that cannot be stored, in text order; empty when
// the whole text converts.
std::vector<TCodecProblem> FindUnrepresentable(std::string_view utf8);

// Converts UTF-8 to Windows-1252. On success returns true and sets text; otherwise
// returns false, leaves text untouched and, when problems is given, lists what
// FindUnrepresentable lists.
bool Utf8ToWindows1252(std::string_view utf8, std::string& text, std::vector<TCodecProblem>* problems = nullptr);

// A file name (the file system's bytes, UTF-8) as single-byte text for a message or the
// log: its characters converted, each one the text cannot hold (or a byte that is no
// UTF-8) shown as "?", so a folder "j\xC3\xBCrgen" reads "j\xFCrgen" and never "j\xC3\xBCrgen".
std::string PathForDisplay(const std::string& path);
