// tavix-xml FILE [OUTPUT]
// Reads an XML file as the program does (single-byte text, line ends made CR LF),
// and writes it back in the program's layout to OUTPUT or standard output. A parse
// error is reported with its message, position and excerpt, and exit status 1.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "xml/UXParser.h"

namespace {

bool ReadWhole(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The files' line ends are CR LF; a lone LF or CR from another editor becomes one.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// Messages are single-byte (Latin-1 range) text; the terminal wants UTF-8.
std::string Latin1ToUtf8(const std::string& text)
{
    std::string out;
    for (const unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: tavix-xml FILE [OUTPUT]\n";
        return 2;
    }
    std::string text;
    if (!ReadWhole(argv[1], text)) {
        std::cerr << "tavix-xml: cannot read " << argv[1] << "\n";
        return 2;
    }
    std::string errorText;
    int errorPos = 0;
    const auto tree = TXParser::Parse(WithCrLf(text), errorText, errorPos);
    if (!tree) {
        std::cerr << argv[1] << ": " << Latin1ToUtf8(errorText) << "\n";
        return 1;
    }
    std::string output;
    try {
        output = tree->Serialize("\t", true);
    } catch (const TXZuGross& tooLarge) {
        std::cerr << argv[1] << ": " << Latin1ToUtf8(tooLarge.what()) << "\n";
        return 1;
    }
    if (argc == 3) {
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        if (!out.write(output.data(), static_cast<std::streamsize>(output.size())) || !out.flush()) {
            std::cerr << "tavix-xml: cannot write " << argv[2] << "\n";
            return 2;
        }
        return 0;
    }
    std::cout.write(output.data(), static_cast<std::streamsize>(output.size()));
    return std::cout ? 0 : 2;
}
