// tavix-xml FILE [OUTPUT]
// Reads an XML file as the program does (single-byte text, line ends made CR LF),
// and writes it back in the program's layout to OUTPUT or standard output. A parse
// error is reported with its message, position and excerpt, and exit status 1.
#include <fstream>
#include <iostream>
#include <string>

#include "env/UCodec.h"
#include "env/UDateien.h"
#include "xml/UXParser.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: tavix-xml FILE [OUTPUT]\n";
        return 2;
    }
    std::string text;
    // The files' line ends are CR LF; a lone LF or CR from another editor becomes one.
    if (!ReadTextLines(argv[1], text)) {
        std::cerr << "tavix-xml: cannot read " << argv[1] << "\n";
        return 2;
    }
    const TXParseResult parsed = TXParser::Read(text);
    if (!parsed) {
        std::cerr << argv[1] << ": " << Windows1252ToUtf8(parsed.ErrorText) << "\n";
        return 1;
    }
    const auto& tree = parsed.Tree;
    std::string output;
    try {
        output = tree->Serialize("\t", true);
    } catch (const TXZuGross& tooLarge) {
        std::cerr << argv[1] << ": " << Windows1252ToUtf8(tooLarge.what()) << "\n";
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
