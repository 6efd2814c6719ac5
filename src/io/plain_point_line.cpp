#include "io/plain_point_line.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/number_text.h"
#include "io/digit_run.h"

namespace zelvo {
namespace {

enum PlainClass : unsigned char { kNotPlain = 0, kPlainField = 1, kPlainSeparator = 2 };
struct PlainTable {
  unsigned char kind[256];
  constexpr explicit PlainTable(char decimalSeparator) : kind() {
    for (int i = 0; i < 256; ++i) {
      const char c = static_cast<char>(i);
      const bool field = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'e' ||
                         c == 'E' || c == ':' || c == decimalSeparator;
      kind[i] = field ? kPlainField : (c == ' ' || c == '\r' || c == '\n') ? kPlainSeparator : kNotPlain;
    }
  }
};
constexpr PlainTable kPlainPoint('.');
constexpr PlainTable kPlainComma(',');

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kExactMantissa = std::uint64_t{1} << 53;

// Any spelling but a short decimal: to the end of the field, then the
// general parser. Kept out of line so that the short path keeps its values in
// registers.
[[gnu::noinline]] const char* ConvertSpelledField(const char* start, const char* p,
                                                  const char* end, const unsigned char* kind,
                                                  char separator, double& value,
                                                  bool& converted) {
  while (p != end && kind[static_cast<unsigned char>(*p)] == kPlainField) ++p;
  const std::optional<double> number =
      ParseNumber(std::string_view(start, static_cast<std::size_t>(p - start)), separator);
  converted = number.has_value();
  if (converted) value = *number;
  return p;
}

}  // namespace

PlainPointLine::PlainPointLine(const PointColumns& columns, char decimalSeparator)
    : separator_(decimalSeparator),
      kind_(decimalSeparator == ',' ? kPlainComma.kind : kPlainPoint.kind) {
  slotOfField_.fill(-1);
  const int chosen[] = {columns.x, columns.y, columns.point, columns.quantity};
  for (int i = 0; i < 4; ++i) {
    if (chosen[i] < 0 || chosen[i] >= kMaxFields) {
      usable_ = false;
      continue;
    }
    if (slotOfField_[chosen[i]] < 0) slotOfField_[chosen[i]] = static_cast<signed char>(i);
    sameColumnAs_[i] = slotOfField_[chosen[i]];
    fieldsNeeded_ = std::max(fieldsNeeded_, chosen[i] + 1);
  }
}

// A decimal of at most 19 digits with no exponent has a mantissa m and a
// power 10^k, k <= 22, both exact in a double when m <= 2^53: one correctly
// rounded division gives the value, the very operations of ParseNumber's own
// short path. Any other spelling goes to ParseNumber whole. A digit run ends
// at the line's LF at the latest, so it may be sought up to `readableEnd`.
inline const char* PlainPointLine::ConvertField(const char* p, const char* end,
                                                const char* readableEnd, double& value,
                                                bool& converted) const {
  const char* const start = p;
  const char separator = separator_;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  std::uint64_t mantissa = 0;
  const char* const digitsStart = p;
  p = AppendDigitRun(p, readableEnd, mantissa);
  const long integerDigits = p - digitsStart;
  long fractionDigits = 0;
  if (p != end && *p == separator) {
    const char* const fractionStart = ++p;
    p = AppendDigitRun(p, readableEnd, mantissa);
    fractionDigits = p - fractionStart;
  }
  const long digits = integerDigits + fractionDigits;
  const bool fieldEnds = p == end || kind_[static_cast<unsigned char>(*p)] == kPlainSeparator;
  if (fieldEnds && digits >= 1 && digits <= 19 && mantissa <= kExactMantissa &&
      fractionDigits <= 22) {
    double magnitude = static_cast<double>(mantissa);
    if (fractionDigits > 0) magnitude = magnitude / kPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    converted = true;
    return p;
  }
  return ConvertSpelledField(start, p, end, kind_, separator, value, converted);
}

PlainVerdict PlainPointLine::Parse(std::string_view line, const char* readableEnd,
                                   PointValues& values) const {
  if (!usable_ || line[0] == '\r' || line[0] == '\n') return PlainVerdict::kNotPlain;
  const char* p = line.data();
  const char* const end = p + line.size();
  if (end[-1] != '\n') readableEnd = end;
  const auto kindOf = [this](const char* at) { return kind_[static_cast<unsigned char>(*at)]; };
  double taken[4] = {0.0, 0.0, 0.0, 0.0};
  int field = 0;
  bool converted = true;
  for (;;) {
    while (p != end && kindOf(p) == kPlainSeparator) ++p;
    if (p == end) break;
    const int slot = field < kMaxFields ? slotOfField_[field] : -1;
    if (slot >= 0 && converted) {
      p = ConvertField(p, end, readableEnd, taken[slot], converted);
    } else {
      while (p != end && kindOf(p) == kPlainField) ++p;
    }
    if (p != end && kindOf(p) == kNotPlain) return PlainVerdict::kNotPlain;
    ++field;
  }
  if (!converted || field < fieldsNeeded_) return PlainVerdict::kNotData;
  values.x = taken[sameColumnAs_[0]];
  values.y = taken[sameColumnAs_[1]];
  values.point = taken[sameColumnAs_[2]];
  values.quantity = taken[sameColumnAs_[3]];
  return PlainVerdict::kData;
}

}  // namespace zelvo
