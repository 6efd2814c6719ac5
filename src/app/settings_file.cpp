#include "app/settings_file.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_names.h"
#include "base/little_endian.h"
#include "base/whole_file.h"
#include "base/number_text.h"
#include "app/window_items.h"
#include "app/window_services.h"

namespace zelvo {
namespace {

using Offset = SettingsBlock::Offset;

void ApplyBlock(WindowServices& window, const SettingsValues& v) {
  const char separator = window.DecimalSeparator();
  window.SetText(Control::txt_in, v.inputFileName);
  window.SetText(Control::txt_out, v.outputFileName);
  window.SetText(Control::txt_radius, FormatGeneral(v.searchRadius, separator));
  window.SetText(Control::txt_nearest, FormatGeneral(v.griddingRadius, separator));
  window.SetSpinnerPosition(Control::UpDown1, v.iterations);
  window.SetItemIndex(Control::cb_iter, v.object);
  window.SetChecked(Control::cb_preview, v.preview);
  window.SetItemIndex(Control::cb1, v.pane1);
  window.SetItemIndex(Control::cb2, v.pane2);
  window.SetItemIndex(Control::cb3, v.pane3);
  window.SetItemIndex(Control::cmb_point, v.columnPoint);
  window.SetItemIndex(Control::cmb_gx, v.columnX);
  window.SetItemIndex(Control::cmb_gy, v.columnY);
  window.SetItemIndex(Control::cmb_gz, v.columnQuantity);
  window.SetText(Control::txt_log, v.subsetFileName);
  window.SetItemIndex(Control::cmb_centerx, v.centerX);
  window.SetItemIndex(Control::cmb_centery, v.centerY);
  window.SetItemIndex(Control::cmb_centerz, v.centerQ);
  window.SetText(Control::txt_n, std::to_string(v.nearestCount));
  window.SetItemIndex(Control::rg_nearest, v.searchMode);
  window.SetChecked(Control::chb_cpin, v.pointIn);
}

// False when a number field does not convert; the block is then partly
// filled, which is harmless since it is not written.
bool FillBlock(const WindowServices& window, SettingsBlock& block) {
  const char separator = window.DecimalSeparator();
  // A name that does not fit is stored empty: a cut name would point at
  // another file.
  block.SetText(Offset::kInputFile, window.Text(Control::txt_in));
  block.SetText(Offset::kOutputFile, window.Text(Control::txt_out));
  const std::optional<double> radius =
      ParseNumber(TrimBlanks(window.Text(Control::txt_radius)), separator);
  const std::optional<double> gridding =
      ParseNumber(TrimBlanks(window.Text(Control::txt_nearest)), separator);
  const std::optional<std::int32_t> iterations =
      ParseInteger(TrimBlanks(window.Text(Control::txt_iter)));
  const std::optional<std::int32_t> nearest = ParseInteger(TrimBlanks(window.Text(Control::txt_n)));
  if (!radius || !gridding || !iterations || !nearest) return false;
  block.SetDouble(Offset::kSearchRadius, *radius);
  block.SetDouble(Offset::kGriddingRadius, *gridding);
  block.SetInt(Offset::kIterations, *iterations);
  block.SetInt(Offset::kObject, window.ItemIndex(Control::cb_iter));
  block.SetByte(Offset::kPreview, window.Checked(Control::cb_preview) ? 1 : 0);
  block.SetInt(Offset::kPane1, window.ItemIndex(Control::cb1));
  block.SetInt(Offset::kPane2, window.ItemIndex(Control::cb2));
  block.SetInt(Offset::kPane3, window.ItemIndex(Control::cb3));
  block.SetInt(Offset::kColumnPoint, window.ItemIndex(Control::cmb_point));
  block.SetInt(Offset::kColumnX, window.ItemIndex(Control::cmb_gx));
  block.SetInt(Offset::kColumnY, window.ItemIndex(Control::cmb_gy));
  block.SetInt(Offset::kColumnQuantity, window.ItemIndex(Control::cmb_gz));
  block.SetText(Offset::kSubsetFile, window.Text(Control::txt_log));
  block.SetInt(Offset::kCenterX, window.ItemIndex(Control::cmb_centerx));
  block.SetInt(Offset::kCenterY, window.ItemIndex(Control::cmb_centery));
  block.SetInt(Offset::kCenterQ, window.ItemIndex(Control::cmb_centerz));
  block.SetInt(Offset::kNearestCount, *nearest);
  block.SetInt(Offset::kSearchMode, window.ItemIndex(Control::rg_nearest));
  block.SetByte(Offset::kPointIn, window.Checked(Control::chb_cpin) ? 1 : 0);
  return true;
}

}  // namespace

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

SettingsValues DecodeSettings(const SettingsBlock& b) {
  SettingsValues v;
  v.inputFileName = b.GetText(Offset::kInputFile);
  v.outputFileName = b.GetText(Offset::kOutputFile);
  v.subsetFileName = b.GetText(Offset::kSubsetFile);
  v.searchRadius = b.GetDouble(Offset::kSearchRadius);
  v.griddingRadius = b.GetDouble(Offset::kGriddingRadius);
  v.iterations = b.GetInt(Offset::kIterations);
  v.object = b.GetInt(Offset::kObject);
  v.preview = b.GetByte(Offset::kPreview) != 0;
  v.pane1 = b.GetInt(Offset::kPane1);
  v.pane2 = b.GetInt(Offset::kPane2);
  v.pane3 = b.GetInt(Offset::kPane3);
  v.columnPoint = b.GetInt(Offset::kColumnPoint);
  v.columnX = b.GetInt(Offset::kColumnX);
  v.columnY = b.GetInt(Offset::kColumnY);
  v.columnQuantity = b.GetInt(Offset::kColumnQuantity);
  v.centerX = b.GetInt(Offset::kCenterX);
  v.centerY = b.GetInt(Offset::kCenterY);
  v.centerQ = b.GetInt(Offset::kCenterQ);
  v.nearestCount = b.GetInt(Offset::kNearestCount);
  v.searchMode = b.GetInt(Offset::kSearchMode);
  v.pointIn = b.GetByte(Offset::kPointIn) != 0;
  return v;
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

void ReadCfg(WindowServices& window, SettingsBlock& block) {
  const std::string path = SettingsFileName(window.ExecutablePath());
  switch (ReadSettingsFile(path, block)) {
    case SettingsRead::kAbsent:
      break;
    case SettingsRead::kRead:
      ApplyBlock(window, DecodeSettings(block));
      break;
    case SettingsRead::kFailed:
      window.ShowMessage(kSettingsCaption, kReadSettingsMessage);
      break;
  }
  for (Control pane : kPreviewPanes) window.ClearPane(pane);
}

bool SaveSettings(WindowServices& window, SettingsBlock& block) {
  const std::string path = SettingsFileName(window.ExecutablePath());
  if (!FillBlock(window, block) || !WriteSettingsFile(path, block)) {
    window.ShowMessage(kSettingsCaption, kSaveSettingsMessage);
    return false;
  }
  return true;
}

}  // namespace zelvo
