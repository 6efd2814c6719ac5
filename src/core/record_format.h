#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// printf's "%<width>.<precision>f" with "." as the decimal point, whatever
// the C library's locale.
void AppendFixed(std::string& out, double value, int width, int precision);
// printf's "%<width>d".
void AppendInteger(std::string& out, long long value, int width);

}  // namespace zelvo
