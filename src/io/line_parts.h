#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zelvo {

// Calls each(line) for every line of `lines`, in order, each line with its
// LF where it has one.
template <typename Each>
void ForEachLine(std::string_view lines, Each each) {
  while (!lines.empty()) {
    const std::size_t lf = lines.find('\n');
    const std::size_t length = lf == std::string_view::npos ? lines.size() : lf + 1;
    each(lines.substr(0, length));
    lines.remove_prefix(length);
  }
}

// Cuts whole lines into at most `count` consecutive parts of about equal
// size, each cut just after an LF; every part holds at least one line.
inline void SplitAtLines(std::string_view lines, int count, std::vector<std::string_view>& parts) {
  parts.clear();
  for (int left = count; left > 1 && !lines.empty(); --left) {
    const std::size_t lf = lines.find('\n', lines.size() / static_cast<std::size_t>(left));
    if (lf == std::string_view::npos || lf + 1 == lines.size()) break;
    parts.push_back(lines.substr(0, lf + 1));
    lines.remove_prefix(lf + 1);
  }
  if (!lines.empty() || parts.empty()) parts.push_back(lines);
}

}  // namespace zelvo
