#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "io/line_ops.h"

namespace zelvo {
namespace {

// The rules one by one on a prepared copy: the judgement the sweep must keep.
std::optional<PointValues> ByRules(const std::string& line, char separator,
                                   const PointColumns& columns = {}) {
  std::string prepared;
  std::vector<std::string_view> fields;
  PointValues values;
  if (!PrepareDataLine(line, separator, prepared) ||
      !ParsePointLine(prepared, columns, separator, fields, values)) {
    return std::nullopt;
  }
  return values;
}

// Judged alone, and as a reader gives it, with more bytes readable after it
// (digits that must not be taken).
void ExpectSameJudgement(const std::string& line, char separator,
                         const PointColumns& columns = {}) {
  PointLineParser parser(columns, separator);
  const std::optional<PointValues> ruled = ByRules(line, separator, columns);
  const std::string followed = line + std::string(100, '7');
  for (const char* readableEnd : {line.data() + line.size(), followed.data() + followed.size()}) {
    const std::string_view seen(readableEnd == line.data() + line.size() ? line.data()
                                                                         : followed.data(),
                                line.size());
    PointValues swept;
    ASSERT_EQ(parser.Parse(seen, readableEnd, swept), ruled.has_value()) << line;
    if (ruled) {
      ASSERT_EQ(std::memcmp(&swept, &*ruled, sizeof swept), 0) << line;
    }
  }
}

const std::vector<std::string>& Spellings() {
  static const std::vector<std::string> spellings = {
      "0", "-0", "+0", "0.0", "-0.0", ".5", "-.5", "+.5", "5.", "-5.", ".", "-", "+", "-.",
      "1e5", "1E5", "1e+5", "1e-5", "-1.5e-3", "1e", "1e+", "e5", "1e5.5", "1.5e0",
      "0x1p3", "0x10", "inf", "-inf", "nan", "INF", "infinity", "1,5", "1.5", "1.2.3", "--1",
      "+-1", "1:30", "10:15:30", "1-2", "1+2", "00000000000000000000000001.5",
      "0.00000000000000000000000000000000000001", "6101000.81", "-0.004611", "501999.26",
      "1234567890123456789", "12345678901234567890", "1234567890.123456789",
      "9007199254740992", "9007199254740993", "900719925474099.3", "0.1", "0.30000000000000004",
      "123456789012345678901234567890.5", "1e22", "1e23", "1e-22", "1e-23", "0.0000000000000000000001",
      "0.00000000000000000000001", "1.7976931348623157e308", "1.7976931348623159e308", "1e309",
      "-1e309", "4.9e-324", "2.4703282292062327e-324", "1e-400", "99999999.99999999",
      "12345678", "123456789", "1234567.8", "12345678.9", "1.2345678", "0.123456789012345678"};
  return spellings;
}

TEST(PlainLines, EverySpellingInEveryColumnAndBeforeEveryEnding) {
  for (char separator : {'.', ','}) {
    for (const std::string& spelling : Spellings()) {
      for (int column = 0; column < 5; ++column) {
        for (const char* ending : {"", "\n", "\r\n", "\r", " \n", "\t\n"}) {
          std::string line;
          for (int i = 0; i < 5; ++i) line += (i == column ? spelling : std::to_string(i + 7)) + " ";
          line.pop_back();
          ExpectSameJudgement(line + ending, separator);
        }
      }
    }
  }
}

// Values the fast sweep takes must be the ones strtod gives in the C locale.
TEST(PlainLines, ShortDecimalsAreTheDoublesOfStrtod) {
  std::setlocale(LC_NUMERIC, "C");
  std::mt19937_64 random(11);
  PointLineParser parser(PointColumns{}, '.');
  for (int i = 0; i < 300000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 20);
    std::string number = random() % 2 ? "-" : "";
    const int point = static_cast<int>(random() % (digits + 1));
    for (int k = 0; k < digits; ++k) {
      if (k == point) number += '.';
      number += static_cast<char>('0' + random() % 10);
    }
    const std::string line = number + " 1 2 3\n";
    PointValues values;
    ASSERT_TRUE(parser.Parse(line, values)) << line;
    const double expected = std::strtod(number.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&values.x, &expected, sizeof expected), 0) << number;
  }
}

TEST(PlainLines, RandomLinesFollowedByMoreBytes) {
  const std::string alphabet = "0123456789 .,+-eE:\t\r\b\"/lLINExX\0\x80\xEF";
  std::mt19937 random(5);
  for (char separator : {'.', ','}) {
    for (int i = 0; i < 100000; ++i) {
      std::string line;
      const int length = static_cast<int>(random() % 70);
      for (int k = 0; k < length; ++k) {
        line += random() % 4 ? alphabet[random() % 13] : alphabet[random() % alphabet.size()];
      }
      if (random() % 4) line += '\n';
      if (line.empty()) continue;
      ExpectSameJudgement(line, separator);
    }
  }
}

TEST(PlainLines, ChosenColumnsLetterlessRepeatedAndFar) {
  const std::string line = "1.5 2.5 3.5 4.5 5.5 6.5 7.5\n";
  for (const PointColumns& columns :
       {PointColumns{6, 5, 4, 3}, PointColumns{0, 1, 2, 2}, PointColumns{0, 0, 0, 0},
        PointColumns{0, 1, 2, 7}, PointColumns{-1, 1, 2, 3}, PointColumns{0, 1, 2, 70}}) {
    ExpectSameJudgement(line, '.', columns);
    ExpectSameJudgement("1 2 3\n", '.', columns);
  }
  std::string wide;
  for (int i = 0; i < 80; ++i) wide += std::to_string(i) + ".25 ";
  ExpectSameJudgement(wide + "\n", '.', PointColumns{70, 1, 2, 3});
  ExpectSameJudgement(wide + "\n", '.', PointColumns{0, 1, 2, 63});
}

}  // namespace
}  // namespace zelvo
