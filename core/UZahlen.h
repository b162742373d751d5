// Numbers as template and document-data files and the dialogs write them.
//
// Whole numbers are plain decimal digits with a leading minus when negative. Other
// numbers use the general format: rounded to 15 significant digits, trailing zeros
// removed, the user's decimal separator only when there are decimals; fixed notation
// from 0.00001 up to 15 digits before the separator (and for zero), otherwise
// scientific notation with a capital E and no leading zeros in the exponent
// ("1E100", "-2.5E-7"). Both are read back with the user's decimal separator, so a
// file is tied to the separator of the machine that wrote it.
#pragma once

#include <string>

std::string IntegerToText(long long value);
// A whole number in the 32-bit range with an optional sign and optional blanks
// around it; false (value untouched) otherwise.
bool TextToInteger(const std::string& text, int& value);

// The general format; infinities and NaN give "INF", "-INF" and "NAN".
std::string NumberToText(double value);
// A number with the user's decimal separator, an exponent accepted (see TryStrToFloat
// in env/VControl.h); false (value untouched) otherwise.
bool TextToNumber(const std::string& text, double& value);
