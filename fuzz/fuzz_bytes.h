#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/line_ops.h"

namespace zelvo {

// The fuzzer's bytes, taken from the front: a few choices first, then the
// text the choices apply to. Past the end every choice reads as 0.
class FuzzBytes {
 public:
  FuzzBytes(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t TakeByte() {
    if (rest_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
  }

  // Columns 0..6 each, 7 meaning no column chosen: two bytes.
  PointColumns TakeColumns() {
    const std::uint8_t first = TakeByte();
    const std::uint8_t second = TakeByte();
    const auto column = [](int bits) { return bits == 7 ? -1 : bits; };
    return {column(first & 7), column((first >> 3) & 7), column(second & 7),
            column((second >> 3) & 7)};
  }

  // Point or comma, as the two separators a user can choose.
  char TakeSeparator() { return (TakeByte() & 1) != 0 ? ',' : '.'; }

  // The next count bytes (fewer at the end) as bytes of their own.
  FuzzBytes TakeFront(std::size_t count) {
    const std::string_view front = rest_.substr(0, count);
    rest_.remove_prefix(front.size());
    return FuzzBytes(reinterpret_cast<const std::uint8_t*>(front.data()), front.size());
  }

  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// The lines of the text, each with its LF when it has one.
inline std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return lines;
}

// The text cut at every NUL: command-line arguments cannot hold one.
inline std::vector<std::string> ArgumentsOf(std::string_view text) {
  std::vector<std::string> arguments;
  while (!text.empty()) {
    const std::size_t end = text.find('\0');
    arguments.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return arguments;
}

}  // namespace zelvo
