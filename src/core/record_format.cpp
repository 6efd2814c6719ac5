#include "core/record_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace zelvo {
namespace {

void AppendPadded(std::string& out, const char* first, const char* last, int width) {
  const long length = last - first;
  if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(first, last);
}

constexpr int kFastPrecisionLimit = 9;
constexpr std::uint64_t kPowersOfTen[kFastPrecisionLimit + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// value * 10^precision rounded to the nearest integer, ties to even, from the
// exact binary value, as printf rounds; false when it is not finite or does
// not fit 64 bits.
bool ScaledAndRounded(double value, int precision, std::uint64_t& scaled) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  if (biased == 0x7ff) return false;
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int exponent = (biased == 0 ? 1 : biased) - 1075;
  // Below 2^83: 53 bits of mantissa times at most 10^9.
  const unsigned __int128 product =
      static_cast<unsigned __int128>(mantissa) * kPowersOfTen[precision];
  unsigned __int128 rounded = 0;
  if (exponent >= 0) {
    if (exponent > 40) return false;
    rounded = product << exponent;
  } else if (-exponent < 128) {
    const int shift = -exponent;
    rounded = product >> shift;
    const unsigned __int128 remainder = product - (rounded << shift);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (rounded & 1) != 0)) ++rounded;
  }
  if (rounded > std::numeric_limits<std::uint64_t>::max()) return false;
  scaled = static_cast<std::uint64_t>(rounded);
  return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The last two decimal digits of value before `first`, value without them.
char* TwoDigitsBackwards(char* first, std::uint64_t& value) {
  const std::uint64_t rest = value / 100;
  const std::size_t pair = 2 * static_cast<std::size_t>(value - rest * 100);
  value = rest;
  first -= 2;
  std::memcpy(first, kDigitPairs + pair, 2);
  return first;
}

// The fixed form of a scaled value, written backwards so that it ends just
// before `last`; returns where it starts.
char* WriteScaledBackwards(char* last, bool negative, std::uint64_t scaled, int precision) {
  char* first = last;
  int fraction = precision;
  for (; fraction >= 2; fraction -= 2) first = TwoDigitsBackwards(first, scaled);
  if (fraction == 1) {
    *--first = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  }
  if (precision > 0) *--first = '.';
  while (scaled >= 100) first = TwoDigitsBackwards(first, scaled);
  if (scaled >= 10) {
    first = TwoDigitsBackwards(first, scaled);
  } else {
    *--first = static_cast<char>('0' + scaled);
  }
  if (negative) *--first = '-';
  return first;
}

char* WritePadded(char* out, const char* first, const char* last, int width) {
  for (long pad = width - (last - first); pad > 0; --pad) *out++ = ' ';
  return std::copy(first, last, out);
}

// A fast field is at most this long, padding included: the digits of a
// 64-bit value, a sign and a point fit it. It is copied out as one block,
// which the room at `out` always holds.
constexpr int kFastField = 32;

// The fixed form of a scaled value right-aligned in a field of `width`, at
// most kFastField.
char* WriteFastField(char* out, bool negative, std::uint64_t scaled, int precision, int width) {
  // The digits end in the middle of blanks; the block copied out starts
  // where the field does and runs on into the blanks after it.
  char buffer[2 * kFastField];
  std::memset(buffer, ' ', sizeof buffer);
  char* const last = buffer + kFastField;
  const char* first = WriteScaledBackwards(last, negative, scaled, precision);
  const long length = std::max<long>(width, last - first);
  std::memcpy(out, last - length, kFastField);
  return out + length;
}

}  // namespace

char* WriteFixed(char* out, double value, int width, int precision) {
  std::uint64_t scaled = 0;
  if (precision >= 0 && precision <= kFastPrecisionLimit && width <= kFastField &&
      ScaledAndRounded(value, precision, scaled)) {
    return WriteFastField(out, std::signbit(value), scaled, precision, width);
  }
  char buffer[kLongestFixed];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::fixed, precision);
  if (error != std::errc()) end = buffer;
  return WritePadded(out, buffer, end, width);
}

void AppendFixed(std::string& out, double value, int width, int precision) {
  char buffer[kLongestFixed];
  AppendPadded(out, buffer, WriteFixed(buffer, value, 0, precision), width);
}

void AppendInteger(std::string& out, long long value, int width) {
  char buffer[24];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) end = buffer;
  AppendPadded(out, buffer, end, width);
}

}  // namespace zelvo
