#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/headless_window.h"
#include "app/settings_file.h"
#include "app/settings_location.h"
#include "file_size_limit.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::FileSizeLimit;
using testing::ReadFile;
using testing::TempDir;

SettingsBlock BlockOf(std::uint8_t byte) {
  SettingsBlock block;
  block.bytes.fill(byte);
  return block;
}

std::string BytesOf(const SettingsBlock& block) {
  return std::string(block.bytes.begin(), block.bytes.end());
}

int FilesIn(const std::string& folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.is_regular_file();
  return count;
}

// The window's save of its settings to the file beside the program.
SettingsLocation BesideProgram(const std::string& folder) {
  SettingsLocation location;
  location.besideProgram = folder + "/zelvo.cfg";
  location.programFolderWritable = true;
  return location;
}

bool SaveSettingsTold(HeadlessWindow& window) {
  for (const RecordedMessage& message : window.Messages()) {
    if (message.text == kSaveSettingsMessage) return true;
  }
  return false;
}

TEST(SettingsOnFullDisk, WriteFailsAndKeepsThePreviousFile) {
  TempDir dir;
  const std::string path = dir.File("zelvo.cfg");
  ASSERT_TRUE(WriteSettingsFile(path, BlockOf('a')));
  {
    FileSizeLimit limit(100);
    EXPECT_FALSE(WriteSettingsFile(path, BlockOf('b')));
  }
  EXPECT_EQ(ReadFile(path), BytesOf(BlockOf('a')));
  EXPECT_EQ(FilesIn(dir.path()), 1) << "a temporary file was left behind";
}

TEST(SettingsOnFullDisk, SaveTellsTheUserAndKeepsTheEarlierSettings) {
  TempDir dir;
  const SettingsLocation location = BesideProgram(dir.path());
  ASSERT_TRUE(WriteSettingsFile(location.besideProgram, BlockOf(0)));
  const std::string earlier = ReadFile(location.besideProgram);
  HeadlessWindow window;
  SettingsBlock block;
  ReadCfg(window, block, location);
  window.SetText(Control::txt_in, "changed.dat");
  bool saved = true;
  {
    FileSizeLimit limit(100);
    saved = SaveSettings(window, block, location);
  }
  EXPECT_FALSE(saved);
  EXPECT_TRUE(SaveSettingsTold(window));
  EXPECT_EQ(ReadFile(location.besideProgram), earlier);
  // The full disk, nothing else, kept the save from happening.
  EXPECT_TRUE(SaveSettings(window, block, location));
}

// Run by unwritable_folder_test.sh as a user who may not write the folder
// it names; skipped otherwise.
TEST(SettingsInUnwritableFolder, SaveTellsTheUserAndKeepsTheEarlierSettings) {
  const char* folder = std::getenv("ZELVO_UNWRITABLE_FOLDER");
  if (folder == nullptr) GTEST_SKIP() << "run by unwritable_folder_test.sh as another user";
  const SettingsLocation location = BesideProgram(folder);
  const std::string earlier = ReadFile(location.besideProgram);
  HeadlessWindow window;
  SettingsBlock block;
  ApplySettings(window, DecodeSettings(block));
  window.SetText(Control::txt_in, "changed.dat");
  EXPECT_FALSE(SaveSettings(window, block, location));
  EXPECT_TRUE(SaveSettingsTold(window));
  EXPECT_EQ(ReadFile(location.besideProgram), earlier);
}

}  // namespace
}  // namespace zelvo
