#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "io/digit_run.h"

namespace zelvo {
namespace {

// What AppendDigitRun must match: one digit at a time.
const char* DigitByDigit(const char* p, const char* end, std::uint64_t& mantissa) {
  while (p != end && *p >= '0' && *p <= '9') mantissa = mantissa * 10 + (*p++ - '0');
  return p;
}

TEST(DigitRun, EveryLengthBeforeEveryByteGivesTheDigitByDigitMantissa) {
  std::mt19937 random(7);
  for (int length = 0; length <= 24; ++length) {
    for (int after = 0; after < 256; ++after) {
      if (after >= '0' && after <= '9') continue;
      std::string text;
      for (int i = 0; i < length; ++i) text += static_cast<char>('0' + random() % 10);
      text += static_cast<char>(after);
      // Bytes below '0' after the run borrow in the eight-byte subtraction.
      for (int i = 0; i < 9; ++i) text += static_cast<char>(random() % 256);
      for (const std::size_t limit : {text.size(), static_cast<std::size_t>(length)}) {
        std::uint64_t expected = 12, got = 12;
        const char* expectedEnd = DigitByDigit(text.data(), text.data() + limit, expected);
        const char* gotEnd = AppendDigitRun(text.data(), text.data() + limit, got);
        ASSERT_EQ(gotEnd - text.data(), expectedEnd - text.data()) << text;
        ASSERT_EQ(got, expected) << text;
      }
    }
  }
}

}  // namespace
}  // namespace zelvo
