#pragma once

// The benchmark points as files: text that zelvo-batch reads ("x y id q" per
// line, each coordinate and quantity printed in the fewest digits that read
// back to the same double) and a raw dump of float64 x, y, q triples in the
// machine's byte order for peers that read arrays.

#include <charconv>
#include <cstdio>
#include <string>

#include "survey/survey_layout.h"

namespace zelvo::bench {

// Appends the shortest text that converts back to exactly this double.
inline void AppendShortest(std::string& text, double value) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  text.append(digits, written.ptr);
}

// One data line; the point id is the position in the file, from 1.
inline void AppendSurveyLine(std::string& text, const SurveyPoints& points, std::size_t k) {
  AppendShortest(text, points.x[k]);
  text += ' ';
  AppendShortest(text, points.y[k]);
  text += ' ';
  text += std::to_string(k + 1);
  text += ' ';
  AppendShortest(text, points.q[k]);
  text += '\n';
}

// Two lines the reader passes over: a comment and a quoted column header.
inline std::string SurveyHeader(const std::string& description) {
  return "/ " + description + "\n\"X\" \"Y\" \"POINT\" \"Q\"\n";
}

// False when a write failed.
inline bool WriteSurveyText(const SurveyPoints& points, const std::string& description,
                            std::FILE* out) {
  // Flushed in blocks: one write call per line would dominate the run.
  constexpr std::size_t kFlushBytes = std::size_t{1} << 20;
  std::string block = SurveyHeader(description);
  for (std::size_t k = 0; k < points.Size(); ++k) {
    AppendSurveyLine(block, points, k);
    if (block.size() >= kFlushBytes) {
      if (std::fwrite(block.data(), 1, block.size(), out) != block.size()) return false;
      block.clear();
    }
  }
  return std::fwrite(block.data(), 1, block.size(), out) == block.size();
}

inline bool WriteSurveyTriples(const SurveyPoints& points, std::FILE* out) {
  for (std::size_t k = 0; k < points.Size(); ++k) {
    const double triple[3] = {points.x[k], points.y[k], points.q[k]};
    if (std::fwrite(triple, sizeof triple, 1, out) != 1) return false;
  }
  return true;
}

}  // namespace zelvo::bench
