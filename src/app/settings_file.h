#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

class WindowServices;
struct SettingsLocation;

// The raw image of the settings file: fixed offsets, little-endian, packed.
// The window keeps one for its whole life, so that the reserved bytes and
// whatever follows the zero of a text field go back to the file as read.
struct SettingsBlock {
  static constexpr std::size_t kSize = 847;
  static constexpr std::size_t kTextSize = 255;

  enum Offset : std::size_t {
    kInputFile = 0,
    kOutputFile = 255,
    kSearchRadius = 510,
    kReserved = 518,
    kGriddingRadius = 526,
    kIterations = 534,
    kObject = 538,
    kPreview = 542,
    kPane1 = 543,
    kPane2 = 547,
    kPane3 = 551,
    kColumnPoint = 555,
    kColumnX = 559,
    kColumnY = 563,
    kColumnQuantity = 567,
    kSubsetFile = 571,
    kCenterX = 826,
    kCenterY = 830,
    kCenterQ = 834,
    kNearestCount = 838,
    kSearchMode = 842,
    kPointIn = 846,
  };

  std::array<std::uint8_t, kSize> bytes{};

  // Up to the first zero, never past the field.
  std::string GetText(Offset offset) const;
  // False (and an empty field) when the text does not fit with its zero;
  // the bytes after the zero are left alone.
  bool SetText(Offset offset, std::string_view text);
  double GetDouble(Offset offset) const;
  void SetDouble(Offset offset, double value);
  std::int32_t GetInt(Offset offset) const;
  void SetInt(Offset offset, std::int32_t value);
  std::uint8_t GetByte(Offset offset) const { return bytes[offset]; }
  void SetByte(Offset offset, std::uint8_t value) { bytes[offset] = value; }
};

// Every value of a settings file, as stored. Which offset and which control
// each member belongs to is said once, in kSettingsFields (settings_fields.h).
struct SettingsValues {
  std::string inputFileName;
  std::string outputFileName;
  std::string subsetFileName;
  double searchRadius = 0.0;
  double griddingRadius = 0.0;
  std::int32_t iterations = 0;
  std::int32_t object = 0;
  bool preview = false;
  std::int32_t pane1 = 0;
  std::int32_t pane2 = 0;
  std::int32_t pane3 = 0;
  std::int32_t columnPoint = 0;
  std::int32_t columnX = 0;
  std::int32_t columnY = 0;
  std::int32_t columnQuantity = 0;
  std::int32_t centerX = 0;
  std::int32_t centerY = 0;
  std::int32_t centerQ = 0;
  std::int32_t nearestCount = 0;
  std::int32_t searchMode = 0;
  bool pointIn = false;
};

SettingsValues DecodeSettings(const SettingsBlock& block);

// The stored values shown in the window's controls.
void ApplySettings(WindowServices& window, const SettingsValues& values);

// The block filled from the window's controls. False when a number field
// does not convert; the block is then left as it was.
bool FillSettingsBlock(const WindowServices& window, SettingsBlock& block);

// The executable's path with its extension replaced by ".cfg".
std::string SettingsFileName(std::string_view executablePath);

enum class SettingsRead { kAbsent, kRead, kFailed };

// Reads up to 847 bytes over the block; a shorter file leaves the rest as
// it was.
SettingsRead ReadSettingsFile(const std::string& path, SettingsBlock& block);

// Writes the block beside the file and renames it over the file, so that a
// failed write keeps the previous file.
bool WriteSettingsFile(const std::string& path, const SettingsBlock& block);

inline constexpr const char* kSettingsCaption = "Eror";
inline constexpr const char* kReadSettingsMessage = "Error by read config file - use default";
inline constexpr const char* kSaveSettingsMessage = "Error by save config file";

// At window start: applies the settings file the location reads to the
// controls and clears the three panes.
void ReadCfg(WindowServices& window, SettingsBlock& block, const SettingsLocation& location);

// At window close: fills the block from the controls and writes it where the
// location writes, making the configuration folder when it is missing. False
// when the file could not be written or a number field did not convert
// (reported; the previous file is kept). Where no folder is the user's to
// write, nothing is written and nothing said.
bool SaveSettings(WindowServices& window, SettingsBlock& block, const SettingsLocation& location);

// The same for the settings of the window's executable, the configuration
// folder taken from the environment.
void ReadCfg(WindowServices& window, SettingsBlock& block);
bool SaveSettings(WindowServices& window, SettingsBlock& block);

}  // namespace zelvo
