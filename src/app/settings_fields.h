#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "app/control.h"
#include "app/settings_file.h"

namespace zelvo {

// How a field is stored in the settings block.
enum class FieldKind {
  kText,      // 255 bytes, up to the first zero
  kDouble,    // 8 bytes
  kInt32,     // 4 bytes
  kByteBool,  // 1 byte; whatever is not zero reads as true
};

// How the window shows a field.
enum class ShownAs {
  kTextField,
  // Typed in the window's decimal format; blanks around it do not count.
  kNumberField,
  // -1 or out of range: nothing selected.
  kItemIndex,
  // The spinner keeps its position in a text field, and that text is what
  // the user may have typed over, so it is what a save reads.
  kSpinnerPosition,
  kCheckBox,
};

using TextMember = std::string SettingsValues::*;
using DoubleMember = double SettingsValues::*;
using Int32Member = std::int32_t SettingsValues::*;
using BoolMember = bool SettingsValues::*;
using SettingsMember = std::variant<TextMember, DoubleMember, Int32Member, BoolMember>;

struct SettingsField {
  SettingsBlock::Offset offset;
  FieldKind kind;
  SettingsMember member;
  Control control;
  ShownAs shownAs;
  // Where a save reads the field back: the control itself but for a spinner.
  Control savedFrom = control;
};

// Every field of the block; the reserved bytes belong to none and so go back
// to the file as read. Reading a file sets the controls in this order, and
// setting some of them changes others: moving a row changes what a read
// leaves in the window.
inline constexpr SettingsField kSettingsFields[] = {
    {SettingsBlock::kInputFile, FieldKind::kText, &SettingsValues::inputFileName,
     Control::txt_in, ShownAs::kTextField},
    {SettingsBlock::kOutputFile, FieldKind::kText, &SettingsValues::outputFileName,
     Control::txt_out, ShownAs::kTextField},
    {SettingsBlock::kSearchRadius, FieldKind::kDouble, &SettingsValues::searchRadius,
     Control::txt_radius, ShownAs::kNumberField},
    {SettingsBlock::kGriddingRadius, FieldKind::kDouble, &SettingsValues::griddingRadius,
     Control::txt_nearest, ShownAs::kNumberField},
    {SettingsBlock::kIterations, FieldKind::kInt32, &SettingsValues::iterations,
     Control::UpDown1, ShownAs::kSpinnerPosition, Control::txt_iter},
    {SettingsBlock::kObject, FieldKind::kInt32, &SettingsValues::object,
     Control::cb_iter, ShownAs::kItemIndex},
    {SettingsBlock::kPreview, FieldKind::kByteBool, &SettingsValues::preview,
     Control::cb_preview, ShownAs::kCheckBox},
    {SettingsBlock::kPane1, FieldKind::kInt32, &SettingsValues::pane1,
     Control::cb1, ShownAs::kItemIndex},
    {SettingsBlock::kPane2, FieldKind::kInt32, &SettingsValues::pane2,
     Control::cb2, ShownAs::kItemIndex},
    {SettingsBlock::kPane3, FieldKind::kInt32, &SettingsValues::pane3,
     Control::cb3, ShownAs::kItemIndex},
    {SettingsBlock::kColumnPoint, FieldKind::kInt32, &SettingsValues::columnPoint,
     Control::cmb_point, ShownAs::kItemIndex},
    {SettingsBlock::kColumnX, FieldKind::kInt32, &SettingsValues::columnX,
     Control::cmb_gx, ShownAs::kItemIndex},
    {SettingsBlock::kColumnY, FieldKind::kInt32, &SettingsValues::columnY,
     Control::cmb_gy, ShownAs::kItemIndex},
    {SettingsBlock::kColumnQuantity, FieldKind::kInt32, &SettingsValues::columnQuantity,
     Control::cmb_gz, ShownAs::kItemIndex},
    {SettingsBlock::kSubsetFile, FieldKind::kText, &SettingsValues::subsetFileName,
     Control::txt_log, ShownAs::kTextField},
    {SettingsBlock::kCenterX, FieldKind::kInt32, &SettingsValues::centerX,
     Control::cmb_centerx, ShownAs::kItemIndex},
    {SettingsBlock::kCenterY, FieldKind::kInt32, &SettingsValues::centerY,
     Control::cmb_centery, ShownAs::kItemIndex},
    {SettingsBlock::kCenterQ, FieldKind::kInt32, &SettingsValues::centerQ,
     Control::cmb_centerz, ShownAs::kItemIndex},
    {SettingsBlock::kNearestCount, FieldKind::kInt32, &SettingsValues::nearestCount,
     Control::txt_n, ShownAs::kNumberField},
    {SettingsBlock::kSearchMode, FieldKind::kInt32, &SettingsValues::searchMode,
     Control::rg_nearest, ShownAs::kItemIndex},
    {SettingsBlock::kPointIn, FieldKind::kByteBool, &SettingsValues::pointIn,
     Control::chb_cpin, ShownAs::kCheckBox},
};

constexpr std::size_t StoredSize(FieldKind kind) {
  switch (kind) {
    case FieldKind::kText: return SettingsBlock::kTextSize;
    case FieldKind::kDouble: return 8;
    case FieldKind::kInt32: return 4;
    case FieldKind::kByteBool: return 1;
  }
  return 0;
}

// The loops over the table pick the member by the kind and the shown form;
// these make a row that they could not handle fail to compile.
constexpr bool MemberFitsKind(const SettingsField& field) {
  switch (field.kind) {
    case FieldKind::kText: return std::holds_alternative<TextMember>(field.member);
    case FieldKind::kDouble: return std::holds_alternative<DoubleMember>(field.member);
    case FieldKind::kInt32: return std::holds_alternative<Int32Member>(field.member);
    case FieldKind::kByteBool: return std::holds_alternative<BoolMember>(field.member);
  }
  return false;
}

constexpr bool ShownFormFitsKind(const SettingsField& field) {
  switch (field.shownAs) {
    case ShownAs::kTextField: return field.kind == FieldKind::kText;
    case ShownAs::kNumberField: return field.kind == FieldKind::kDouble || field.kind == FieldKind::kInt32;
    case ShownAs::kItemIndex: return field.kind == FieldKind::kInt32;
    case ShownAs::kSpinnerPosition: return field.kind == FieldKind::kInt32 && field.savedFrom != field.control;
    case ShownAs::kCheckBox: return field.kind == FieldKind::kByteBool;
  }
  return false;
}

constexpr bool EveryRowFits() {
  for (const SettingsField& field : kSettingsFields) {
    if (!MemberFitsKind(field) || !ShownFormFitsKind(field)) return false;
  }
  return true;
}
static_assert(EveryRowFits());

// Fields in block order, none overlapping another, all inside the block.
constexpr bool FieldsLieInOrder() {
  std::size_t end = 0;
  for (const SettingsField& field : kSettingsFields) {
    if (field.offset < end) return false;
    end = field.offset + StoredSize(field.kind);
  }
  return end <= SettingsBlock::kSize;
}
static_assert(FieldsLieInOrder());

}  // namespace zelvo
