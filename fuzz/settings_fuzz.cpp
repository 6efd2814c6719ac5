// A settings file of any bytes: decoded, shown in the window's controls,
// encoded back from them and read by the batch tool. What the window shows
// must encode again to the block it came from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "app/headless_window.h"
#include "app/settings_file.h"
#include "batch/batch_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::SettingsBlock block;
  std::copy_n(data, std::min(size, zelvo::SettingsBlock::kSize), block.bytes.begin());
  const zelvo::SettingsValues values = zelvo::DecodeSettings(block);

  zelvo::BatchOptions options;
  (void)zelvo::OptionsFromSettings(values, options);

  // Made once: a window's panes cost more than the whole round trip, and
  // every control the settings touch is set anew on each input.
  static zelvo::HeadlessWindow windows[] = {zelvo::HeadlessWindow('.'), zelvo::HeadlessWindow(',')};
  for (zelvo::HeadlessWindow& window : windows) {
    zelvo::ApplySettings(window, values);
    zelvo::SettingsBlock encoded = block;
    if (!zelvo::FillSettingsBlock(window, encoded)) continue;
    zelvo::ApplySettings(window, zelvo::DecodeSettings(encoded));
    zelvo::SettingsBlock twice = encoded;
    if (!zelvo::FillSettingsBlock(window, twice) || twice.bytes != encoded.bytes) std::abort();
  }
  return 0;
}
