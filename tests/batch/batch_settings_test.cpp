#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "app/headless_window.h"
#include "app/settings_file.h"
#include "batch/batch_options.h"
#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using Offset = SettingsBlock::Offset;

// The block a window writes after the user filled it in.
SettingsBlock WindowSettings(const std::string& input, const std::string& output) {
  HeadlessWindow window;
  window.SetText(Control::txt_in, input);
  window.SetText(Control::txt_out, output);
  window.SetText(Control::txt_radius, "2.5");
  window.SetText(Control::txt_nearest, "0.30000000000000004");
  window.SetText(Control::txt_iter, "2");
  window.SetItemIndex(Control::cmb_gx, 1);
  window.SetItemIndex(Control::cmb_gy, 0);
  window.SetItemIndex(Control::cmb_centerz, 1);
  window.SetChecked(Control::chb_cpin, true);
  window.SetChecked(Control::cb_preview, true);
  window.SetItemIndex(Control::cb2, 4);
  SettingsBlock block;
  testing::TempDir dir;
  window.SetExecutablePath(dir.File("zelvo"));
  EXPECT_TRUE(SaveSettings(window, block));
  return block;
}

TEST(BatchSettings, OptionsAreTheWindowsValues) {
  SettingsBlock block = WindowSettings("in.dat", "out.dat");
  BatchOptions options;
  ASSERT_EQ(OptionsFromSettings(DecodeSettings(block), options), "");
  EXPECT_EQ(options.inputFileName, "in.dat");
  EXPECT_EQ(options.outputFileName, "out.dat");
  EXPECT_EQ(options.radius, "2.5");
  EXPECT_EQ(options.griddingRadius, "0.3");  // the window's 15 digits
  EXPECT_EQ(options.iterations, "2");
  EXPECT_EQ(options.object, "RGA");
  EXPECT_EQ(options.columns, "B,A,C,D");
  EXPECT_EQ(options.centerX, "point");
  EXPECT_EQ(options.centerQ, "area");
  EXPECT_FALSE(options.nearest.has_value());
  EXPECT_TRUE(options.includePoint);
  EXPECT_TRUE(options.preview);
  EXPECT_EQ(options.pane2Variable, 4);
  EXPECT_EQ(options.pane3Variable, 1);

  block.SetInt(Offset::kSearchMode, 1);
  block.SetInt(Offset::kNearestCount, 12);
  block.SetInt(Offset::kObject, 1);
  ASSERT_EQ(OptionsFromSettings(DecodeSettings(block), options), "");
  EXPECT_EQ(options.nearest, "12");
  EXPECT_EQ(options.object, "LGA");

  // A choice the window could not show is refused, not guessed.
  for (Offset offset : {Offset::kColumnQuantity, Offset::kObject, Offset::kCenterY, Offset::kSearchMode}) {
    SettingsBlock bad = block;
    bad.SetInt(offset, -1);
    BatchOptions unused;
    EXPECT_NE(OptionsFromSettings(DecodeSettings(bad), unused), "") << offset;
  }
}

TEST(BatchSettings, CommandLineOverridesTheFile) {
  BatchOptions fromFile;
  ASSERT_EQ(OptionsFromSettings(DecodeSettings(WindowSettings("in.dat", "out.dat")), fromFile), "");
  fromFile.settingsFileName = "zelvo.cfg";
  const std::vector<std::string> named{"--settings", "zelvo.cfg", "--iterations", "0",
                                       "--columns", "A,B,C,E", "other.dat", "res.dat"};
  ParsedCommandLine parsed = ParseBatchCommandLine(named, fromFile);
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
  EXPECT_EQ(parsed.options.iterations, "0");
  EXPECT_EQ(parsed.options.columns, "A,B,C,E");
  EXPECT_EQ(parsed.options.radius, "2.5");
  EXPECT_EQ(parsed.options.inputFileName, "other.dat");
  EXPECT_EQ(parsed.options.outputFileName, "res.dat");

  parsed = ParseBatchCommandLine({"--settings", "zelvo.cfg", "--quiet"}, fromFile);
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
  EXPECT_EQ(parsed.options.inputFileName, "in.dat");
  EXPECT_EQ(parsed.options.outputFileName, "out.dat");
  EXPECT_FALSE(ParseBatchCommandLine({"--settings", "zelvo.cfg", "only.dat"}, fromFile).errors.empty());
  EXPECT_FALSE(ParseBatchCommandLine({"--radius", "1"}).errors.empty());  // no file: names required
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

int RunBatch(const std::string& arguments) {
  return std::system((Quoted(testing::BatchProgram()) + " --quiet " + arguments + " 2>/dev/null").c_str());
}

TEST(BatchSettings, ARunFromTheWindowsSettingsIsTheSameRun) {
  testing::TempDir dir;
  std::string points;
  for (int j = 0; j < 12; ++j) {
    for (int i = 0; i < 12; ++i) {
      // Columns B, A: y first.
      points += std::to_string(j) + " " + std::to_string(i) + " " + std::to_string(j * 12 + i + 1) +
                " " + std::to_string(0.5 * i - 0.2 * j + 0.03 * i * j) + "\n";
    }
  }
  const std::string input = dir.Write("in.dat", points);
  const std::string fromSettings = dir.File("settings_out.dat");
  const SettingsBlock block = WindowSettings(input, fromSettings);
  const std::string cfg = dir.Write("zelvo.cfg", std::string(reinterpret_cast<const char*>(block.bytes.data()), block.bytes.size()));

  ASSERT_EQ(RunBatch("--settings " + Quoted(cfg)), 0);
  const std::string typed = dir.File("typed_out.dat");
  ASSERT_EQ(RunBatch("--radius 2.5 --iterations 2 --columns B,A,C,D --center-q area --include-point " +
                     Quoted(input) + " " + Quoted(typed)),
            0);
  const std::string expected = testing::ReadFile(typed);
  EXPECT_GT(expected.size(), 144u * 40);
  EXPECT_EQ(testing::ReadFile(fromSettings), expected);

  // An option on the command line wins over the file.
  const std::string overridden = dir.File("overridden.dat");
  ASSERT_EQ(RunBatch("--settings " + Quoted(cfg) + " --iterations 0 " + Quoted(input) + " " +
                     Quoted(overridden)),
            0);
  ASSERT_EQ(RunBatch("--radius 2.5 --columns B,A,C,D --center-q area --include-point " +
                     Quoted(input) + " " + Quoted(typed)),
            0);
  EXPECT_EQ(testing::ReadFile(overridden), testing::ReadFile(typed));

  EXPECT_EQ(RunBatch("--settings " + Quoted(dir.File("missing.cfg"))) >> 8, 2);
}

}  // namespace
}  // namespace zelvo
