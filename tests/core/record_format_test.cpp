#include "core/record_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>

namespace zelvo {
namespace {

std::string Fixed(double value, int precision) {
  std::string out;
  AppendFixed(out, value, 0, precision);
  return out;
}

std::string Library(double value, int precision) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::fixed, precision);
  return std::string(buffer, result.ptr);
}

TEST(FixedForm, TiesGoToEvenAndSignsStay) {
  EXPECT_EQ(Fixed(0.5, 0), "0");
  EXPECT_EQ(Fixed(1.5, 0), "2");
  EXPECT_EQ(Fixed(2.5, 0), "2");
  EXPECT_EQ(Fixed(0.125, 2), "0.12");
  EXPECT_EQ(Fixed(0.375, 2), "0.38");
  EXPECT_EQ(Fixed(-0.0, 3), "-0.000");
  EXPECT_EQ(Fixed(-1e-30, 6), "-0.000000");
  EXPECT_EQ(Fixed(1e30, 6), Library(1e30, 6)) << "beyond 64 bits";
  EXPECT_EQ(Fixed(std::numeric_limits<double>::denorm_min(), 6), "0.000000");
  EXPECT_EQ(Fixed(std::nan(""), 6), Library(std::nan(""), 6));
  EXPECT_EQ(Fixed(-INFINITY, 1), Library(-INFINITY, 1));
  std::string padded;
  AppendFixed(padded, -2.25, 8, 1);
  EXPECT_EQ(padded, "    -2.2");
}

// Every precision the records use, over values of every size a survey gives
// and the exact ties of each precision.
TEST(FixedForm, AsTheLibraryWritesIt) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-40, 50);
  for (int precision : {0, 1, 3, 6, 9}) {
    for (int i = 0; i < 200000; ++i) {
      const double value = std::ldexp(mantissa(random), exponent(random));
      ASSERT_EQ(Fixed(value, precision), Library(value, precision)) << value;
    }
    for (int i = 0; i < 20000; ++i) {
      // (2i+1) / 2^(p+1) has p+1 decimals, the last a 5.
      const double tie = std::ldexp(2.0 * i + 1, -(precision + 1));
      ASSERT_EQ(Fixed(tie, precision), Library(tie, precision)) << tie;
      const double bits = std::bit_cast<double>(random());
      ASSERT_EQ(Fixed(bits, precision), Library(bits, precision)) << bits;
    }
  }
}

// Fields as the records write them, one after another in a line: printf's
// padding for widths on both sides of the fast field's 32 characters, with
// values up to the 20 digits of 64 bits, and nothing of a field left in the
// next one.
TEST(FixedForm, FieldsPaddedAsPrintfPadsThem) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-10, 66);
  std::string expected;
  char line[4 * (kLongestFixed + 1)];
  for (int i = 0; i < 20000; ++i) {
    char* end = line;
    expected.clear();
    for (int field = 0; field < 3; ++field) {
      const double value = std::ldexp(mantissa(random), exponent(random));
      const int width = static_cast<int>(random() % 36), precision = static_cast<int>(random() % 10);
      end = WriteFixed(end, value, width, precision);
      char printed[kLongestFixed + 40];
      std::snprintf(printed, sizeof printed, "%*.*f", width, precision, value);
      expected += printed;
    }
    ASSERT_EQ(std::string(line, end), expected);
  }
  // Where the count of digits changes: powers of ten, one below them and
  // halfway below them, which rounding may carry up, and zeros of both signs.
  for (int precision = 0; precision <= 9; ++precision) {
    for (int e = -precision; e <= 20 - precision; ++e) {
      const double power = std::pow(10.0, e);
      for (const double value : {power, power - std::pow(10.0, -precision),
                                 power - 0.5 * std::pow(10.0, -precision), -power, 0.0, -0.0}) {
        char* end = WriteFixed(line, value, 7, precision);
        char printed[kLongestFixed + 40];
        std::snprintf(printed, sizeof printed, "%7.*f", precision, value);
        ASSERT_EQ(std::string(line, end), printed) << value << " to " << precision;
      }
    }
  }
}

}  // namespace
}  // namespace zelvo
