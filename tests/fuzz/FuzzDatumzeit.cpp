// The date and time engine on any pattern, text and value under several regional
// settings: the checker and the formatter must answer every input without fault.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzHilfe.h"
#include "FuzzLocales.h"
#include "datetime/UDatumzeit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TEingabe input(data, size);
    InstallFuzzLocale(input.Byte());
    const std::string pattern = input.Text();
    const std::string text = input.Text();
    const std::string valueBytes = input.Rest();

    int error = 0;
    const double read = DTStrToDateTime(text, pattern, error);
    FUZZ_CHECK(error != 0 || std::isfinite(read));
    FUZZ_CHECK(error == 0 || read == 0.0);

    double value = 0.0;
    if (valueBytes.size() >= sizeof value) {
        std::memcpy(&value, valueBytes.data(), sizeof value);
        DTFormatDateTime(pattern, value);  // NaN, infinities and far dates included
    }
    if (error == 0)
        DTFormatDateTime(pattern, read);
    return 0;
}
