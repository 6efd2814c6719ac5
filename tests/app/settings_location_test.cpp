#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/headless_window.h"
#include "app/settings_file.h"
#include "app/settings_location.h"
#include "scoped_environment.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::TempDir;

TEST(SettingsLocation, OnlyAnUnwritableProgramFolderSendsTheFileToTheConfigurationFolder) {
  TempDir program, home;
  const std::string beside = program.File("zelvo.cfg"), configured = home.File("zelvo/zelvo.cfg");
  const SettingsLocation portable{beside, home.File("zelvo"), true}, installed{beside, home.File("zelvo"), false};
  EXPECT_EQ(installed.WritePath(), configured);
  EXPECT_EQ(installed.ReadPath(), beside);  // nothing configured yet
  ASSERT_TRUE(MakeFolders(home.File("zelvo")));
  home.Write("zelvo/zelvo.cfg", "");
  EXPECT_EQ(installed.ReadPath(), configured);
  EXPECT_EQ(portable.ReadPath(), beside);
  EXPECT_EQ(portable.WritePath(), beside);
  // A folder that is not there takes nothing, whoever asks; root may write
  // in any folder that is, so only a user sees the mode.
  EXPECT_TRUE(LocateSettings(program.File("zelvo"), "").programFolderWritable);
  EXPECT_FALSE(LocateSettings(program.File("gone/zelvo"), "").programFolderWritable);
  EXPECT_FALSE(LocateSettings("/usr/bin/zelvo", "").programFolderWritable) << "installed, even for root";
  ASSERT_EQ(mkdir(program.File("ro").c_str(), 0555), 0);
  if (geteuid() != 0) {
    EXPECT_FALSE(FolderWritable(program.File("ro")));
  }
}

TEST(SettingsLocation, TheUserFolderFollowsXdgThenHome) {
  testing::ScopedEnvironment home("HOME", "/home/u");
  {
    testing::ScopedEnvironment xdg("XDG_CONFIG_HOME", "/x/config");
    EXPECT_EQ(UserConfigurationFolder(), "/x/config/zelvo");
  }
  testing::ScopedEnvironment xdg("XDG_CONFIG_HOME", "relative");  // ignored, as the XDG rules say
  EXPECT_EQ(UserConfigurationFolder(), "/home/u/.config/zelvo");
  testing::ScopedEnvironment noHome("HOME", std::nullopt);
  EXPECT_EQ(UserConfigurationFolder(), "");
}

TEST(SettingsLocation, SavingMakesTheFolderOrSaysWhyNot) {
  TempDir home;
  HeadlessWindow window;
  SettingsBlock block;
  ASSERT_TRUE(SaveSettings(window, block, {home.File("zelvo.cfg"), home.File("a/zelvo"), false}));
  struct stat info;
  ASSERT_EQ(stat(home.File("a/zelvo/zelvo.cfg").c_str(), &info), 0);
  EXPECT_EQ(info.st_size, static_cast<off_t>(SettingsBlock::kSize));
  ASSERT_EQ(stat(home.File("a").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  // No configuration folder known: nothing written, nothing said.
  EXPECT_TRUE(SaveSettings(window, block, {home.File("zelvo.cfg"), "", false}));
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_NE(stat(home.File("zelvo.cfg").c_str(), &info), 0);
  home.Write("file", "");
  EXPECT_FALSE(SaveSettings(window, block, {home.File("zelvo.cfg"), home.File("file/zelvo"), false}));
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text, kSaveSettingsMessage);
}

}  // namespace
}  // namespace zelvo
