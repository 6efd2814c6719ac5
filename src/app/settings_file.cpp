#include "app/settings_file.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_names.h"
#include "base/little_endian.h"
#include "base/whole_file.h"
#include "base/number_text.h"
#include "app/settings_fields.h"
#include "app/settings_location.h"
#include "app/window_items.h"
#include "app/window_services.h"

namespace zelvo {
namespace {

void DecodeField(const SettingsField& field, const SettingsBlock& block, SettingsValues& values) {
  switch (field.kind) {
    case FieldKind::kText:
      values.*std::get<TextMember>(field.member) = block.GetText(field.offset);
      return;
    case FieldKind::kDouble:
      values.*std::get<DoubleMember>(field.member) = block.GetDouble(field.offset);
      return;
    case FieldKind::kInt32:
      values.*std::get<Int32Member>(field.member) = block.GetInt(field.offset);
      return;
    case FieldKind::kByteBool:
      values.*std::get<BoolMember>(field.member) = block.GetByte(field.offset) != 0;
      return;
  }
}

void EncodeField(const SettingsField& field, const SettingsValues& values, SettingsBlock& block) {
  switch (field.kind) {
    case FieldKind::kText:
      // A name that does not fit is stored empty: a cut name would point at
      // another file.
      block.SetText(field.offset, values.*std::get<TextMember>(field.member));
      return;
    case FieldKind::kDouble:
      block.SetDouble(field.offset, values.*std::get<DoubleMember>(field.member));
      return;
    case FieldKind::kInt32:
      block.SetInt(field.offset, values.*std::get<Int32Member>(field.member));
      return;
    case FieldKind::kByteBool:
      block.SetByte(field.offset, values.*std::get<BoolMember>(field.member) ? 1 : 0);
      return;
  }
}

std::string NumberText(const SettingsField& field, const SettingsValues& values, char separator) {
  if (field.kind == FieldKind::kDouble) {
    return FormatGeneral(values.*std::get<DoubleMember>(field.member), separator);
  }
  return std::to_string(values.*std::get<Int32Member>(field.member));
}

void ShowField(const SettingsField& field, const SettingsValues& values, char separator,
               WindowServices& window) {
  switch (field.shownAs) {
    case ShownAs::kTextField:
      window.SetText(field.control, values.*std::get<TextMember>(field.member));
      return;
    case ShownAs::kNumberField:
      window.SetText(field.control, NumberText(field, values, separator));
      return;
    case ShownAs::kItemIndex:
      window.SetItemIndex(field.control, values.*std::get<Int32Member>(field.member));
      return;
    case ShownAs::kSpinnerPosition:
      window.SetSpinnerPosition(field.control, values.*std::get<Int32Member>(field.member));
      return;
    case ShownAs::kCheckBox:
      window.SetChecked(field.control, values.*std::get<BoolMember>(field.member));
      return;
  }
}

// False when the text is not a number of the field's kind.
bool ParseNumberField(const SettingsField& field, const std::string& text, char separator,
                      SettingsValues& values) {
  const std::string_view trimmed = TrimBlanks(text);
  if (field.kind == FieldKind::kDouble) {
    const std::optional<double> number = ParseNumber(trimmed, separator);
    if (number) values.*std::get<DoubleMember>(field.member) = *number;
    return number.has_value();
  }
  const std::optional<std::int32_t> number = ParseInteger(trimmed);
  if (number) values.*std::get<Int32Member>(field.member) = *number;
  return number.has_value();
}

bool ReadShownField(const SettingsField& field, const WindowServices& window, char separator,
                    SettingsValues& values) {
  switch (field.shownAs) {
    case ShownAs::kTextField:
      values.*std::get<TextMember>(field.member) = window.Text(field.savedFrom);
      return true;
    case ShownAs::kNumberField:
    case ShownAs::kSpinnerPosition:
      return ParseNumberField(field, window.Text(field.savedFrom), separator, values);
    case ShownAs::kItemIndex:
      values.*std::get<Int32Member>(field.member) = window.ItemIndex(field.savedFrom);
      return true;
    case ShownAs::kCheckBox:
      values.*std::get<BoolMember>(field.member) = window.Checked(field.savedFrom);
      return true;
  }
  return false;
}

}  // namespace

void ApplySettings(WindowServices& window, const SettingsValues& values) {
  const char separator = window.DecimalSeparator();
  for (const SettingsField& field : kSettingsFields) ShowField(field, values, separator, window);
}

bool FillSettingsBlock(const WindowServices& window, SettingsBlock& block) {
  const char separator = window.DecimalSeparator();
  SettingsValues values;
  for (const SettingsField& field : kSettingsFields) {
    if (!ReadShownField(field, window, separator, values)) return false;
  }
  for (const SettingsField& field : kSettingsFields) EncodeField(field, values, block);
  return true;
}

std::string SettingsBlock::GetText(Offset offset) const {
  const auto* begin = reinterpret_cast<const char*>(bytes.data() + offset);
  return std::string(begin, strnlen(begin, kTextSize));
}

bool SettingsBlock::SetText(Offset offset, std::string_view text) {
  std::uint8_t* field = bytes.data() + offset;
  if (text.size() >= kTextSize) {
    field[0] = 0;
    return false;
  }
  std::memcpy(field, text.data(), text.size());
  field[text.size()] = 0;
  return true;
}

double SettingsBlock::GetDouble(Offset offset) const {
  const std::uint64_t raw = LoadLittleEndian(bytes.data() + offset, 8);
  double value;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

void SettingsBlock::SetDouble(Offset offset, double value) {
  std::uint64_t raw;
  std::memcpy(&raw, &value, sizeof raw);
  StoreLittleEndian(bytes.data() + offset, 8, raw);
}

std::int32_t SettingsBlock::GetInt(Offset offset) const {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(LoadLittleEndian(bytes.data() + offset, 4)));
}

void SettingsBlock::SetInt(Offset offset, std::int32_t value) {
  StoreLittleEndian(bytes.data() + offset, 4, static_cast<std::uint32_t>(value));
}

SettingsValues DecodeSettings(const SettingsBlock& block) {
  SettingsValues values;
  for (const SettingsField& field : kSettingsFields) DecodeField(field, block, values);
  return values;
}

std::string SettingsFileName(std::string_view executablePath) {
  return ReplaceExtension(executablePath, ".cfg");
}

SettingsRead ReadSettingsFile(const std::string& path, SettingsBlock& block) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return SettingsRead::kAbsent;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return SettingsRead::kFailed;
  const std::size_t count = std::fread(block.bytes.data(), 1, SettingsBlock::kSize, file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  (void)count;  // a short file fills only its first bytes
  if (!failed) return SettingsRead::kRead;
  // Half-read bytes must not travel to the next save as if they were the file's.
  block.bytes.fill(0);
  return SettingsRead::kFailed;
}

bool WriteSettingsFile(const std::string& path, const SettingsBlock& block) {
  std::string reason;
  return WriteWholeFile(path, block.bytes.data(), SettingsBlock::kSize, reason) == 0;
}

void ReadCfg(WindowServices& window, SettingsBlock& block, const SettingsLocation& location) {
  switch (ReadSettingsFile(location.ReadPath(), block)) {
    case SettingsRead::kAbsent:
      break;
    case SettingsRead::kRead:
      ApplySettings(window, DecodeSettings(block));
      break;
    case SettingsRead::kFailed:
      window.ShowMessage(kSettingsCaption, kReadSettingsMessage);
      break;
  }
  for (Control pane : kPreviewPanes) window.ClearPane(pane);
}

bool SaveSettings(WindowServices& window, SettingsBlock& block, const SettingsLocation& location) {
  const std::string path = location.WritePath();
  if (path.empty()) return true;
  const bool folderReady = location.programFolderWritable || MakeFolders(location.configurationFolder);
  if (!FillSettingsBlock(window, block) || !folderReady || !WriteSettingsFile(path, block)) {
    window.ShowMessage(kSettingsCaption, kSaveSettingsMessage);
    return false;
  }
  return true;
}

void ReadCfg(WindowServices& window, SettingsBlock& block) {
  ReadCfg(window, block, LocateSettings(window.ExecutablePath(), UserConfigurationFolder()));
}

bool SaveSettings(WindowServices& window, SettingsBlock& block) {
  return SaveSettings(window, block, LocateSettings(window.ExecutablePath(), UserConfigurationFolder()));
}

}  // namespace zelvo
