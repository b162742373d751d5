// A language file of any content loaded as the program loads one, then every text the
// program asks for, each filled in as a message. A text without "%" is its own message.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHilfe.h"
#include "config/USprache.h"
#include "config/USpracheKeys.h"

namespace {

const std::vector<std::string> kArgs = {"eins", "zwei", "drei", "vier"};

void UseMessage(const std::string& pattern)
{
    const std::string filled = FormatMsg(pattern, kArgs);
    for (const int n : MsgPlaceholders(pattern))
        FUZZ_CHECK(n >= 0);
    if (pattern.find('%') == std::string::npos)
        FUZZ_CHECK(filled == pattern);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string folder = FuzzUnterordner("sprachen");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    WriteBytes(folder + "Fuzz.SPR", bytes);

    TSprache sprache(folder);
    sprache.Load("Fuzz.SPR");
    for (const TSprachSchluessel& key : SprachSchluessel()) {
        const std::string text = sprache.GetText(key.Section, key.Key);
        if (!sprache.Loaded())
            FUZZ_CHECK(text == "#_" + std::string(key.Key));
        UseMessage(text);
    }
    sprache.GetText("", "");
    UseMessage(bytes);  // the whole input as one message pattern
    return 0;
}
