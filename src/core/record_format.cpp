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
// 64-bit value, a sign and a point fit it. Its blanks are laid as one block,
// which the room at `out` always holds.
constexpr int kFastField = 32;

constexpr char kBlanks[kFastField + 1] = "                                ";

constexpr std::uint64_t kTens[20] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL,
                                     1000000ULL, 10000000ULL, 100000000ULL, 1000000000ULL,
                                     10000000000ULL, 100000000000ULL, 1000000000000ULL,
                                     10000000000000ULL, 100000000000000ULL,
                                     1000000000000000ULL, 10000000000000000ULL,
                                     100000000000000000ULL, 1000000000000000000ULL,
                                     10000000000000000000ULL};

// How many decimal digits value has, 0 taking one: 1233 / 4096 is just
// above log10(2), so the guess from the bits is the count or one more.
int DecimalDigits(std::uint64_t value) {
  value |= 1;  // the same count, and no zero
  const int guess = (std::bit_width(value) * 1233) >> 12;
  return guess + 1 - (value < kTens[guess]);
}

// The fixed form of a scaled value right-aligned in a field of `width`, at
// most kFastField. Blanks first, then the digits over them straight into
// place: digits written to a buffer and copied out in a block would be read
// back before their stores were done, which stalls the processor.
char* WriteFastField(char* out, bool negative, std::uint64_t scaled, int precision, int width) {
  const int whole = std::max(DecimalDigits(scaled) - precision, 1);
  const int written = static_cast<int>(negative) + whole + (precision > 0 ? 1 + precision : 0);
  const int length = std::max(width, written);
  std::memcpy(out, kBlanks, kFastField);
  WriteScaledBackwards(out + length, negative, scaled, precision);
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
