#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// The longest fixed form of a double: 309 integer digits, sign, point and
// up to 80 digits of precision.
inline constexpr int kLongestFixed = 400;

// printf's "%<width>.<precision>f" with "." as the decimal point, whatever
// the C library's locale.
void AppendFixed(std::string& out, double value, int width, int precision);
// The same written at `out`, which has room for max(width, kLongestFixed)
// characters; returns the end. Characters of that room after the end may
// have changed.
char* WriteFixed(char* out, double value, int width, int precision);
// printf's "%<width>d".
void AppendInteger(std::string& out, long long value, int width);

}  // namespace zelvo
