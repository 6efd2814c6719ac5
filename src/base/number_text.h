#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

// A number is the whole text: optional sign, digits with at most one decimal
// separator (digits on at least one side), optional exponent (e or E, optional
// sign, at least one digit). Overflow fails; underflow gives 0 or a subnormal.
std::optional<double> ParseNumber(std::string_view text, char decimalSeparator);

// Optional sign and decimal digits, within the 32-bit range.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// Up to 15 significant digits, no trailing zeros, exponent written as E15 or
// E-5, the given decimal separator.
std::string FormatGeneral(double value, char decimalSeparator);

// Blanks (spaces and tabs) at both ends removed.
std::string_view TrimBlanks(std::string_view text);

std::string NotValidFloatMessage(std::string_view text);
std::string NotValidIntegerMessage(std::string_view text);

}  // namespace zelvo
