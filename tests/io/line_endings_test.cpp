#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/headless_window.h"
#include "io/line_ops.h"
#include "io/point_reader.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

// The data lines of a text by the rules one by one: LF ends a line, a leading
// byte-order mark is dropped.
std::vector<PointValues> DataLinesByRules(std::string_view text, char separator) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<PointValues> data;
  std::string prepared;
  std::vector<std::string_view> fields;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    const std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
    PointValues values;
    if (PrepareDataLine(text.substr(0, length), separator, prepared) &&
        ParsePointLine(prepared, PointColumns{}, separator, fields, values)) {
      data.push_back(values);
    }
    text.remove_prefix(length);
  }
  return data;
}

void ExpectTableOfRules(const PointSet& points, const std::vector<PointValues>& expected) {
  ASSERT_EQ(points.table.Size(), static_cast<int>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const double stored[] = {points.table.x[i], points.table.y[i], points.table.point[i],
                             points.table.quantity[i]};
    const double ruled[] = {expected[i].x + points.shift.x, expected[i].y + points.shift.y,
                            expected[i].point, expected[i].quantity};
    ASSERT_EQ(std::memcmp(stored, ruled, sizeof stored), 0) << "data line " << i;
  }
}

// Lines of every kind, in every ending, across many read chunks.
std::string MixedText(unsigned seed, char separator) {
  const std::vector<std::string> numbers = {
      "0", "-0", "+7", "12.5", "-.5", "5.", "1e5", "1.5E-3", "0x10", "inf", "nan", "1,5",
      "1:30", "12345678901234567890", "6101000.81", "-0.004611", "1e999", "123456789.12345678"};
  const std::vector<std::string> endings = {"\n", "\r\n", "\r", " \n", "\t\r\n", ""};
  const std::vector<std::string> others = {"/ comment 1 2 3 4", "\"X\" \"Y\" \"ID\" \"Q\"",
                                           "Line 100", "", std::string("1 2\0 3 4", 8),
                                           std::string(70000, '7') + " 1 2 3", "x 1 2 3"};
  std::mt19937 random(seed);
  std::string text = seed % 2 ? "\xEF\xBB\xBF" : "";
  while (text.size() < 400000) {
    if (random() % 8 == 0) {
      text += others[random() % others.size()];
    } else {
      const int fields = 3 + static_cast<int>(random() % 4);
      for (int k = 0; k < fields; ++k) {
        const bool plain = random() % 4 != 0;
        std::string field = plain ? std::to_string(random() % 100000) + separator +
                                        std::to_string(random() % 1000)
                                  : numbers[random() % numbers.size()];
        text += (k > 0 ? std::string(1 + random() % 2, ' ') : "") + field;
      }
    }
    text += endings[random() % (endings.size() - 1)];
  }
  return text + endings[random() % endings.size()] + "1 2 3 4";
}

TEST(LineEndings, FileAndMemoryReadingsGiveTheDataLinesOfTheRules) {
  testing::TempDir dir;
  HeadlessWindow window;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const char separator = seed % 3 == 0 ? ',' : '.';
    const std::string text = MixedText(seed, separator);
    const std::vector<PointValues> expected = DataLinesByRules(text, separator);
    PointSet points;
    ResultTable rows;
    ASSERT_EQ(ReadPointFile(dir.Write("in.dat", text), {}, separator, window, points, rows), 0);
    ExpectTableOfRules(points, expected);
    ASSERT_EQ(ReadPointFileFromMemory(text, "in.dat", {}, separator, window, points, rows), 0);
    ExpectTableOfRules(points, expected);
  }
  EXPECT_TRUE(window.Messages().empty());
}

}  // namespace
}  // namespace zelvo
