#include <cstring>
#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/settings_file.h"
#include "window_fixture.h"

namespace zelvo::testing {
namespace {

using Settings = WindowTest;
using Offset = SettingsBlock::Offset;

std::int32_t IntAt(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
  return static_cast<std::int32_t>(value);
}

double DoubleAt(const std::string& bytes, std::size_t offset) {
  SettingsBlock block;
  std::memcpy(block.bytes.data(), bytes.data(), SettingsBlock::kSize);
  return block.GetDouble(static_cast<Offset>(offset));
}

std::string Bytes(const SettingsBlock& block) {
  return std::string(reinterpret_cast<const char*>(block.bytes.data()), SettingsBlock::kSize);
}

TEST_F(Settings, FirstUseWritesTheWindowDefaults) {
  Type("txt_in", "D:\\survey\\a.xyz");
  Window().close();
  EXPECT_TRUE(boxes.empty());
  const std::string bytes = ReadFile(SettingsPath());
  ASSERT_EQ(bytes.size(), 847u);
  EXPECT_EQ(bytes.substr(0, 16), std::string("D:\\survey\\a.xyz") + '\0');
  EXPECT_EQ(bytes.substr(255, 255), std::string(255, '\0'));
  EXPECT_EQ(DoubleAt(bytes, 510), 0.0);
  EXPECT_EQ(bytes.substr(518, 8), std::string(8, '\0'));
  const std::pair<std::size_t, std::int32_t> ints[] = {
      {534, 0}, {538, 0}, {543, 0}, {547, 0}, {551, 1}, {555, 2}, {559, 0}, {563, 1},
      {567, 3}, {826, 2}, {830, 2}, {834, 0}, {838, 10}, {842, 0}};
  for (const auto& [offset, value] : ints) EXPECT_EQ(IntAt(bytes, offset), value) << offset;
  EXPECT_EQ(bytes[542], '\0');
  EXPECT_EQ(bytes[846], '\0');
}

TEST_F(Settings, EmptyFileGivesZeroesWithoutAMessage) {
  dir.Write("zelvo.cfg", "");
  TfrmMain& w = Window();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(w.Text(Control::txt_radius), "0");
  EXPECT_EQ(w.Text(Control::txt_nearest), "0");
  EXPECT_EQ(w.Text(Control::txt_iter), "0");
  EXPECT_EQ(w.Text(Control::txt_n), "0");
  EXPECT_EQ(w.Text(Control::cb_iter), "RGA");
  EXPECT_EQ(w.Text(Control::cb2), "HGQX");
  EXPECT_EQ(w.Text(Control::cb3), "HGQX");
  for (Control column : {Control::cmb_gx, Control::cmb_gy, Control::cmb_point, Control::cmb_gz}) {
    EXPECT_EQ(w.Text(column), "A");
  }
  EXPECT_EQ(w.Text(Control::cmb_centerx), "Not center");
  EXPECT_EQ(w.ItemIndex(Control::rg_nearest), 0);
  EXPECT_FALSE(w.Checked(Control::chb_cpin));
  EXPECT_FALSE(w.Checked(Control::cb_preview));
}

TEST_F(Settings, ShortFileFillsOnlyItsFirstBytes) {
  SettingsBlock block;
  block.SetText(Offset::kOutputFile, "second.dat");
  block.SetDouble(Offset::kSearchRadius, 3.0);
  block.SetInt(Offset::kIterations, 9);
  dir.Write("zelvo.cfg", Bytes(block).substr(0, 530));  // up to the reserved bytes
  TfrmMain& w = Window();
  EXPECT_EQ(w.Text(Control::txt_out), "second.dat");
  EXPECT_EQ(w.Text(Control::txt_radius), "3");
  EXPECT_EQ(w.Text(Control::txt_iter), "0");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Settings, NumbersShowUnderTheRegionalSeparator) {
  SettingsBlock block;
  block.SetDouble(Offset::kSearchRadius, 2.5);
  block.SetDouble(Offset::kGriddingRadius, 1e-7);
  block.SetInt(Offset::kIterations, 10000);
  dir.Write("zelvo.cfg", Bytes(block));
  MakeWindow(',');
  EXPECT_EQ(Window().Text(Control::txt_radius), "2,5");
  EXPECT_EQ(Window().Text(Control::txt_nearest), "1E-7");
  EXPECT_EQ(Window().Text(Control::txt_iter), "10000");
  Window().close();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(ReadFile(SettingsPath()), Bytes(block));
}

TEST_F(Settings, EveryControlComesBackAndUnreadBytesCarryOver) {
  SettingsBlock old;
  old.bytes.fill(0xA5);  // reserved bytes and text tails
  old.SetText(Offset::kInputFile, "old");
  old.SetText(Offset::kOutputFile, "");
  old.SetText(Offset::kSubsetFile, "");
  dir.Write("zelvo.cfg", Bytes(old));
  {
    TfrmMain& w = Window();
    w.SetText(Control::txt_in, "/data/in.xyz");
    w.SetText(Control::txt_out, "/data/out.dat");
    w.SetText(Control::txt_log, "/data/subset.dat");
    w.SetText(Control::txt_radius, "12.75");
    w.SetText(Control::txt_nearest, "-5");
    w.SetText(Control::txt_iter, "7");
    w.SetText(Control::txt_n, "25");
    w.SetChecked(Control::cb_preview, true);
    w.SetChecked(Control::chb_cpin, true);
    w.SetItemIndex(Control::cb2, 4);
    w.SetItemIndex(Control::cb3, 3);
    w.SetItemIndex(Control::cmb_gx, 25);
    w.SetItemIndex(Control::cmb_gy, 24);
    w.SetItemIndex(Control::cmb_point, 7);
    w.SetItemIndex(Control::cmb_gz, 8);
    w.SetItemIndex(Control::cmb_centerx, 1);
    w.SetItemIndex(Control::cmb_centery, 0);
    w.SetItemIndex(Control::cmb_centerz, 2);
    w.SetItemIndex(Control::rg_nearest, 1);
    w.close();
  }
  const std::string bytes = ReadFile(SettingsPath());
  ASSERT_EQ(bytes.size(), 847u);
  EXPECT_EQ(bytes.substr(518, 8), std::string(8, '\xA5'));
  EXPECT_EQ(bytes.substr(0, 14), std::string("/data/in.xyz") + '\0' + '\xA5');
  EXPECT_EQ(IntAt(bytes, 559), 25);
  EXPECT_EQ(bytes[846], '\x01');

  MakeWindow();
  TfrmMain& w = Window();
  EXPECT_EQ(w.Text(Control::txt_in), "/data/in.xyz");
  EXPECT_EQ(w.Text(Control::txt_out), "/data/out.dat");
  EXPECT_EQ(w.Text(Control::txt_log), "/data/subset.dat");
  EXPECT_EQ(w.Text(Control::txt_radius), "12.75");
  EXPECT_EQ(w.Text(Control::txt_nearest), "-5");
  EXPECT_EQ(w.Text(Control::txt_iter), "7");
  EXPECT_EQ(w.Text(Control::txt_n), "25");
  EXPECT_TRUE(w.Checked(Control::cb_preview));
  EXPECT_TRUE(w.Checked(Control::chb_cpin));
  EXPECT_EQ(w.Text(Control::cb2), "rq");
  EXPECT_EQ(w.Text(Control::cb3), "RQ");
  EXPECT_EQ(w.Text(Control::cmb_gx), "Z");
  EXPECT_EQ(w.Text(Control::cmb_gy), "Y");
  EXPECT_EQ(w.Text(Control::cmb_point), "H");
  EXPECT_EQ(w.Text(Control::cmb_gz), "I");
  EXPECT_EQ(w.ItemIndex(Control::cmb_centerx), 1);
  EXPECT_EQ(w.ItemIndex(Control::cmb_centery), 0);
  EXPECT_EQ(w.ItemIndex(Control::cmb_centerz), 2);
  EXPECT_EQ(w.ItemIndex(Control::rg_nearest), 1);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Settings, StoredValuesOutOfRangeSelectNothing) {
  SettingsBlock block;
  block.SetText(Offset::kInputFile, "in.dat");
  block.SetInt(Offset::kObject, 2);
  block.SetInt(Offset::kPane2, -1);
  block.SetInt(Offset::kColumnX, 26);
  block.SetInt(Offset::kCenterX, -7);
  block.SetInt(Offset::kSearchMode, 5);
  block.SetByte(Offset::kPointIn, 0x80);
  // A subset name that fills its field without a zero stops at the field.
  std::memset(block.bytes.data() + Offset::kSubsetFile, 'S', 255);
  dir.Write("zelvo.cfg", Bytes(block).substr(0, 847));
  TfrmMain& w = Window();
  EXPECT_EQ(w.Text(Control::txt_in), "in.dat");
  EXPECT_EQ(w.ItemIndex(Control::cb_iter), -1);
  EXPECT_EQ(w.ItemIndex(Control::cb2), -1);
  EXPECT_EQ(w.ItemIndex(Control::cmb_gx), -1);
  EXPECT_EQ(w.ItemIndex(Control::cmb_centerx), -1);
  EXPECT_EQ(w.ItemIndex(Control::rg_nearest), -1);
  EXPECT_TRUE(w.Checked(Control::chb_cpin));
  EXPECT_EQ(w.Text(Control::txt_log), std::string(255, 'S'));
  // Names that do not fit are stored empty; no selection is stored as -1.
  w.SetText(Control::txt_out, std::string(254, 'o'));
  w.close();
  const std::string bytes = ReadFile(SettingsPath());
  EXPECT_EQ(bytes.substr(255, 255), std::string(254, 'o') + '\0');
  EXPECT_EQ(bytes[571], '\0');
  EXPECT_EQ(IntAt(bytes, 538), -1);
  EXPECT_EQ(IntAt(bytes, 842), -1);
}

TEST_F(Settings, UnreadableAndUnwritableFilesAreReported) {
  std::filesystem::create_directory(SettingsPath());
  TfrmMain& w = Window();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Eror");
  EXPECT_EQ(boxes[0].text, "Error by read config file - use default");
  EXPECT_EQ(w.Text(Control::txt_n), "10");
  EXPECT_EQ(w.CopyPane(Control::img_uba).pixels[0], 0u);  // panes cleared all the same
  w.close();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "Eror");
  EXPECT_EQ(boxes[1].text, "Error by save config file");
  EXPECT_FALSE(w.isVisible());  // closing is never refused
}

TEST_F(Settings, FailedSaveKeepsThePreviousFile) {
  SettingsBlock block;
  block.SetText(Offset::kInputFile, "previous.dat");
  block.SetInt(Offset::kNearestCount, 10);
  const std::string previous = Bytes(block);
  dir.Write("zelvo.cfg", previous);
  TfrmMain& w = Window();
  w.SetText(Control::txt_in, "new.dat");
  w.SetText(Control::txt_n, "abc");  // txt_n has no check of its own
  w.close();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Error by save config file");
  EXPECT_EQ(ReadFile(SettingsPath()), previous);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}

}  // namespace
}  // namespace zelvo::testing
