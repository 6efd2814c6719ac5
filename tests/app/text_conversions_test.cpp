#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "base/file_names.h"
#include "base/number_text.h"

namespace zelvo {
namespace {

TEST(ParseNumber, AcceptsTheWholeTextGrammarOnly) {
  EXPECT_EQ(ParseNumber("100.5", '.'), 100.5);
  EXPECT_EQ(ParseNumber("+3", '.'), 3.0);
  EXPECT_EQ(ParseNumber("-7", '.'), -7.0);
  EXPECT_EQ(ParseNumber(".5", '.'), 0.5);
  EXPECT_EQ(ParseNumber("5.", '.'), 5.0);
  EXPECT_EQ(ParseNumber("1e3", '.'), 1000.0);
  EXPECT_EQ(ParseNumber("2E-2", '.'), 0.02);
  EXPECT_EQ(ParseNumber("1,5", ','), 1.5);
  for (const char* bad : {"", "+", "-", ".", "1.5.2", "1e", "1e+", "inf", "nan", "0x10", "1 2",
                          " 1", "1,5", "e5", "1.5x", "--1"}) {
    EXPECT_FALSE(ParseNumber(bad, '.')) << bad;
  }
  EXPECT_FALSE(ParseNumber("1.5", ',')) << "the full stop is not the separator";
}

TEST(ParseNumber, OverflowFailsAndUnderflowGivesZeroOrSubnormal) {
  EXPECT_FALSE(ParseNumber("1e309", '.'));
  EXPECT_FALSE(ParseNumber("-1e400", '.'));
  EXPECT_EQ(ParseNumber("1e-400", '.'), 0.0);
  const std::optional<double> subnormal = ParseNumber("4e-320", '.');
  ASSERT_TRUE(subnormal);
  EXPECT_GT(*subnormal, 0.0);
  EXPECT_LT(*subnormal, std::numeric_limits<double>::min());
  EXPECT_EQ(ParseNumber("1e38", '.'), 1e38);
}

TEST(ParseInteger, TakesSignedDecimalsWithin32Bits) {
  EXPECT_EQ(ParseInteger("10000"), 10000);
  EXPECT_EQ(ParseInteger("-1"), -1);
  EXPECT_EQ(ParseInteger("+5"), 5);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
  for (const char* bad : {"", "-", "2147483648", "1.0", "1e3", "abc", "12 "}) {
    EXPECT_FALSE(ParseInteger(bad)) << bad;
  }
}

TEST(FormatGeneral, WritesFifteenDigitsWithoutTrailingZeros) {
  EXPECT_EQ(FormatGeneral(1e-5, '.'), "1E-5");
  EXPECT_EQ(FormatGeneral(1e15, '.'), "1E15");
  EXPECT_EQ(FormatGeneral(1.23456789012345678e17, '.'), "1.23456789012346E17");
  EXPECT_EQ(FormatGeneral(0.0001, '.'), "0.0001");
  EXPECT_EQ(FormatGeneral(1017, '.'), "1017");
  EXPECT_EQ(FormatGeneral(2.5, ','), "2,5");
  EXPECT_EQ(FormatGeneral(-97.585, '.'), "-97.585");
  EXPECT_EQ(FormatGeneral(-0.0, '.'), "0");
  EXPECT_EQ(FormatGeneral(0.1 + 0.2, '.'), "0.3");
}

TEST(TraceFileName, ReplacesTheExtensionAfterTheLastSeparator) {
  EXPECT_EQ(TraceFileName("C:\\a\\res.dat"), "C:\\a\\res_trace_out.xyz");
  EXPECT_EQ(TraceFileName("res"), "res_trace_out.xyz");
  EXPECT_EQ(TraceFileName("./runs/out"), "./runs/out_trace_out.xyz");
  EXPECT_EQ(TraceFileName("/data/line.7/out.dat"), "/data/line.7/out_trace_out.xyz");
  EXPECT_EQ(TraceFileName("d:out.x.dat"), "d:out.x_trace_out.xyz");
  EXPECT_EQ(ReplaceExtension("C:\\data\\line7.xyz", "_out.dat"), "C:\\data\\line7_out.dat");
}

}  // namespace
}  // namespace zelvo

namespace zelvo {
namespace {

TEST(ParseNumber, ShortDecimalsRoundAsTheLibraryDoes) {
  std::mt19937_64 random(5);
  for (int i = 0; i < 300000; ++i) {
    std::string text = (random() % 3 == 0) ? "-" : "";
    const int intDigits = static_cast<int>(random() % 12), fracDigits = static_cast<int>(random() % 10);
    for (int d = 0; d < intDigits; ++d) text += static_cast<char>('0' + random() % 10);
    if (fracDigits > 0 || intDigits == 0) {
      text += '.';
      for (int d = 0; d < std::max(fracDigits, 1); ++d) text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 4 == 0) text += "e" + std::to_string(static_cast<int>(random() % 50) - 25);
    const std::optional<double> parsed = ParseNumber(text, '.');
    ASSERT_TRUE(parsed) << text;
    ASSERT_EQ(*parsed, std::strtod(text.c_str(), nullptr)) << text;
  }
}

}  // namespace
}  // namespace zelvo
