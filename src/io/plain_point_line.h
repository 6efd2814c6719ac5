#pragma once

#include <array>
#include <string_view>

#include "io/point_columns.h"

namespace zelvo {

enum class PlainVerdict { kData, kNotData, kNotPlain };

// Lines of survey files are nearly always plain: digits, signs, decimal
// separators, exponents, colons and blanks. Preparing such a line changes
// nothing that matters (only "e" becomes "E", which numbers take alike) and
// no rule can reject it, so its fields can be converted where they lie, in
// the one sweep that splits them. Short decimals, the bulk of every file,
// are converted as they are scanned.
class PlainPointLine {
 public:
  PlainPointLine(const PointColumns& columns, char decimalSeparator);

  // The judgement of a non-empty line that is no comment: kNotPlain, with
  // nothing decided, for a line holding any other byte or starting with CR or
  // LF; otherwise whether it is a data line, with its values when it is.
  // The bytes after the line up to `readableEnd` may be looked at, never
  // taken: the line must end with LF or at `readableEnd`.
  PlainVerdict Parse(std::string_view line, const char* readableEnd, PointValues& values) const;
  PlainVerdict Parse(std::string_view line, PointValues& values) const {
    return Parse(line, line.data() + line.size(), values);
  }

 private:
  [[gnu::always_inline]] const char* ConvertField(const char* p, const char* end,
                                                  const char* readableEnd, double& value,
                                                  bool& converted) const;

  // Fields beyond these are judged by the general path.
  static constexpr int kMaxFields = 64;
  // For each field, the first of x, y, point, quantity (0 to 3) it gives, or -1.
  std::array<signed char, kMaxFields> slotOfField_;
  // For each value, the first value taken from the same column.
  std::array<int, 4> sameColumnAs_{};
  int fieldsNeeded_ = 4;
  bool usable_ = true;
  char separator_;
  const unsigned char* kind_;
};

}  // namespace zelvo
