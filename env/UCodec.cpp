#include "env/UCodec.h"

namespace {

// The characters of the bytes 0x80..0x9F; the undefined bytes keep their C1 control.
constexpr char32_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CharOf(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? HighControls[byte - 0x80] : byte;
}

// The byte of a code point, or -1 when it has none.
int ByteOf(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i)
        if (HighControls[i] == codePoint)
            return 0x80 + i;
    return -1;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character at offset; length receives the bytes it spans (for malformed
// input: the lead byte and the continuation bytes that were still acceptable).
bool DecodeUtf8(std::string_view text, std::size_t offset, char32_t& codePoint, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(offset);
    length = 1;
    if (lead < 0x80) {
        codePoint = lead;
        return true;
    }
    std::size_t count = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 1;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 2;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 3;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return false;
    }
    for (std::size_t i = 1; i <= count; ++i) {
        if (offset + i >= text.size() || (byte(offset + i) & 0xC0) != 0x80)
            return false;
        codePoint = (codePoint << 6) | (byte(offset + i) & 0x3F);
        length = i + 1;
    }
    // Overlong forms, UTF-16 surrogates and values beyond Unicode are not UTF-8.
    return codePoint >= minimum && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        AppendUtf8(out, CharOf(static_cast<unsigned char>(c)));
    return out;
}

bool IsRepresentable(char32_t codePoint)
{
    return ByteOf(codePoint) >= 0;
}

std::vector<TCodecProblem> FindUnrepresentable(std::string_view utf8)
{
    std::vector<TCodecProblem> problems;
    std::size_t offset = 0;
    while (offset < utf8.size()) {
        char32_t codePoint = 0;
        std::size_t length = 1;
        if (!DecodeUtf8(utf8, offset, codePoint, length))
            problems.push_back(TCodecProblem{offset, length, 0, true});
        else if (!IsRepresentable(codePoint))
            problems.push_back(TCodecProblem{offset, length, codePoint, false});
        offset += length;
    }
    return problems;
}

bool Utf8ToWindows1252(std::string_view utf8, std::string& text, std::vector<TCodecProblem>* problems)
{
    std::string out;
    out.reserve(utf8.size());
    bool ok = true;
    std::size_t offset = 0;
    while (offset < utf8.size()) {
        char32_t codePoint = 0;
        std::size_t length = 1;
        const int byte = DecodeUtf8(utf8, offset, codePoint, length) ? ByteOf(codePoint) : -1;
        if (byte < 0) {
            ok = false;
            break;
        }
        out += static_cast<char>(byte);
        offset += length;
    }
    if (!ok) {
        if (problems != nullptr)
            *problems = FindUnrepresentable(utf8);
        return false;
    }
    text = std::move(out);
    return true;
}

std::string PathForDisplay(const std::string& path)
{
    std::string text;
    if (Utf8ToWindows1252(path, text))
        return text;
    std::string cleaned;
    std::size_t at = 0;
    for (const TCodecProblem& problem : FindUnrepresentable(path)) {
        cleaned.append(path, at, problem.Offset - at);
        cleaned += '?';
        at = problem.Offset + problem.Length;
    }
    cleaned.append(path, at, std::string::npos);
    return Utf8ToWindows1252(cleaned, text) ? text : cleaned;
}
