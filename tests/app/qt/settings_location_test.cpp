#include <string>
#include <sys/stat.h>

#include "../scoped_environment.h"
#include "app/settings_file.h"
#include "window_fixture.h"

namespace zelvo::testing {
namespace {

// The user's configuration folder lies in a fresh folder of its own.
class SettingsLocationTest : public WindowTest {
 protected:
  std::string Configured() const { return config.File("zelvo/zelvo.cfg"); }
  bool Exists(const std::string& path) const {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
  }

  TempDir config;
  ScopedEnvironment xdg{"XDG_CONFIG_HOME", config.path()};
};

TEST_F(SettingsLocationTest, AnInstalledWindowReadsBesideItUntilItsOwnFileIsSaved) {
  SettingsBlock shipped;
  shipped.SetText(SettingsBlock::kInputFile, "/shipped.dat");
  const std::string shippedBytes(reinterpret_cast<const char*>(shipped.bytes.data()), SettingsBlock::kSize);
  dir.Write("zelvo.cfg", shippedBytes);
  programFolderWritable = false;
  EXPECT_EQ(Window().Text(Control::txt_in), "/shipped.dat");
  Window().SetText(Control::txt_in, "/mine.dat");
  Window().close();
  EXPECT_TRUE(boxes.empty());  // no word of the program's folder
  EXPECT_EQ(ReadFile(Configured()).size(), SettingsBlock::kSize);
  EXPECT_EQ(ReadFile(SettingsPath()), shippedBytes);
  MakeWindow();
  EXPECT_EQ(Window().Text(Control::txt_in), "/mine.dat");
}

TEST_F(SettingsLocationTest, AWritableProgramFolderKeepsTheSettingsBesideIt) {
  // Asked of the file system: the test's folder takes writes (root's, too).
  Window().SetText(Control::txt_in, "/data/portable.xyz");
  Window().close();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(ReadFile(SettingsPath()).size(), SettingsBlock::kSize);
  EXPECT_FALSE(Exists(config.File("zelvo")));
}

}  // namespace
}  // namespace zelvo::testing
