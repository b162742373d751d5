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

// Reads a number written with the user's decimal separator: optional blanks around
// it, a sign, digits with at most one decimal separator, and an exponent ("1,5E-3").
// No thousands separators, no "INF" or "NAN". A magnitude too small for a double reads
// as zero; one too large is not a number. False (value untouched) when the text is not
// a number.
bool TryStrToFloat(const std::string& text, double& value);
// The number in text (as TryStrToFloat reads it), or defaultValue.
double StrToFloatDefault(const std::string& text, double defaultValue);

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
