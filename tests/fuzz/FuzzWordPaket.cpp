// The embedded engine on package bytes of any content, named as any template kind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzWord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StilleMeldungen();
    TEingabe input(data, size);
    const std::string name = kWordNames[input.Byte() % kWordNames.size()];
    const std::uint8_t answers = input.Byte();
    FillAndWrite(input.Rest(), name, answers);
    return 0;
}
