#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <utility>

#include "app/headless_window.h"
#include "app/settings_file.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using Offset = SettingsBlock::Offset;

// Integers no two fields share, so a field read into another's member shows.
constexpr Offset kIntegers[] = {
    Offset::kIterations, Offset::kObject, Offset::kPane1, Offset::kPane2, Offset::kPane3,
    Offset::kColumnPoint, Offset::kColumnX, Offset::kColumnY, Offset::kColumnQuantity,
    Offset::kCenterX, Offset::kCenterY, Offset::kCenterQ, Offset::kNearestCount, Offset::kSearchMode};

TEST(SettingsFile, EachFieldDecodesIntoItsOwnMember) {
  SettingsBlock block;
  block.SetText(Offset::kInputFile, "in");
  block.SetText(Offset::kOutputFile, "out");
  block.SetText(Offset::kSubsetFile, "subset");
  block.SetDouble(Offset::kSearchRadius, 1.5);
  block.SetDouble(Offset::kGriddingRadius, 2.5);
  for (std::int32_t i = 0; i < std::ssize(kIntegers); ++i) block.SetInt(kIntegers[i], 100 + i);
  block.SetByte(Offset::kPointIn, 7);
  const SettingsValues v = DecodeSettings(block);
  EXPECT_EQ(v.inputFileName, "in");
  EXPECT_EQ(v.outputFileName, "out");
  EXPECT_EQ(v.subsetFileName, "subset");
  EXPECT_EQ(v.searchRadius, 1.5);
  EXPECT_EQ(v.griddingRadius, 2.5);
  const std::int32_t decoded[] = {v.iterations, v.object, v.pane1, v.pane2, v.pane3,
                                  v.columnPoint, v.columnX, v.columnY, v.columnQuantity,
                                  v.centerX, v.centerY, v.centerQ, v.nearestCount, v.searchMode};
  for (std::int32_t i = 0; i < std::ssize(decoded); ++i) EXPECT_EQ(decoded[i], 100 + i) << i;
  EXPECT_FALSE(v.preview);
  EXPECT_TRUE(v.pointIn);
}

TEST(SettingsFile, AWindowSavesBackTheBlockItRead) {
  SettingsBlock file;
  file.bytes.fill(0xA5);  // reserved bytes and text tails
  file.SetText(Offset::kInputFile, "in.xyz");
  file.SetText(Offset::kOutputFile, "out.dat");
  file.SetText(Offset::kSubsetFile, "subset.dat");
  file.SetDouble(Offset::kSearchRadius, 12.75);
  file.SetDouble(Offset::kGriddingRadius, -0.125);
  // Every value in range of its control, neighbours different where the
  // lists allow.
  const std::int32_t shown[] = {9, 1, 0, 4, 2, 3, 25, 24, 5, 1, 2, 0, 17, 1};
  for (std::size_t i = 0; i < std::size(kIntegers); ++i) file.SetInt(kIntegers[i], shown[i]);
  file.SetByte(Offset::kPreview, 1);
  file.SetByte(Offset::kPointIn, 1);
  testing::TempDir dir;
  const std::string bytes(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size());
  const std::string path = dir.Write("zelvo.cfg", bytes);
  HeadlessWindow window(',');
  window.SetExecutablePath(dir.File("zelvo"));
  SettingsBlock block;
  ReadCfg(window, block);
  const std::pair<Control, std::string> texts[] = {
      {Control::txt_in, "in.xyz"},    {Control::txt_out, "out.dat"},    {Control::txt_log, "subset.dat"},
      {Control::txt_radius, "12,75"}, {Control::txt_nearest, "-0,125"}, {Control::txt_iter, "9"},
      {Control::txt_n, "17"}};
  for (const auto& [control, text] : texts) EXPECT_EQ(window.Text(control), text) << static_cast<int>(control);
  const std::pair<Control, int> selected[] = {
      {Control::cb_iter, 1},     {Control::cb1, 0},         {Control::cb2, 4},          {Control::cb3, 2},
      {Control::cmb_point, 3},   {Control::cmb_gx, 25},     {Control::cmb_gy, 24},      {Control::cmb_gz, 5},
      {Control::cmb_centerx, 1}, {Control::cmb_centery, 2}, {Control::cmb_centerz, 0}, {Control::rg_nearest, 1}};
  for (const auto& [control, index] : selected) EXPECT_EQ(window.ItemIndex(control), index) << static_cast<int>(control);
  EXPECT_TRUE(window.Checked(Control::cb_preview));
  EXPECT_TRUE(window.Checked(Control::chb_cpin));

  ASSERT_TRUE(SaveSettings(window, block));
  EXPECT_EQ(testing::ReadFile(path), bytes);
  EXPECT_TRUE(window.Messages().empty());
}

}  // namespace
}  // namespace zelvo
