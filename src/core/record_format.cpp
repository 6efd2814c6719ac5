#include "core/record_format.h"

#include <charconv>

namespace zelvo {
namespace {

void AppendPadded(std::string& out, const char* first, const char* last, int width) {
  const long length = last - first;
  if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(first, last);
}

}  // namespace

void AppendFixed(std::string& out, double value, int width, int precision) {
  // The longest fixed form of a double: 309 integer digits, sign, point and
  // the precision's digits.
  char buffer[400];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::fixed, precision);
  if (error != std::errc()) end = buffer;
  AppendPadded(out, buffer, end, width);
}

void AppendInteger(std::string& out, long long value, int width) {
  char buffer[24];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) end = buffer;
  AppendPadded(out, buffer, end, width);
}

}  // namespace zelvo
