#include "app/window_items.h"

namespace zelvo {
namespace {

std::vector<std::string> ColumnLetters() {
  std::vector<std::string> letters;
  for (char c = 'A'; c <= 'Z'; ++c) letters.emplace_back(1, c);
  return letters;
}

}  // namespace

const std::vector<std::string>& ListItems(Control control) {
  static const std::vector<std::string> kNone;
  static const std::vector<std::string> kColumns = ColumnLetters();
  static const std::vector<std::string> kObjects{"RGA", "LGA"};
  static const std::vector<std::string> kCentring{"Not center", "Center to middle of area",
                                                  "Center to point of calc"};
  static const std::vector<std::string> kSearching{"Radius", "N nearest pt."};
  static const std::vector<std::string> kQuantity{"QUANTITY"};
  static const std::vector<std::string> kResults{"HGQX", "HGQY", "HGQ", "RQ", "rq"};
  switch (control) {
    case Control::cmb_gx: case Control::cmb_gy: case Control::cmb_point: case Control::cmb_gz:
      return kColumns;
    case Control::cb_iter: return kObjects;
    case Control::cmb_centerx: case Control::cmb_centery: case Control::cmb_centerz:
      return kCentring;
    case Control::rg_nearest: return kSearching;
    case Control::cb1: return kQuantity;
    case Control::cb2: case Control::cb3: return kResults;
    default: return kNone;
  }
}

const std::vector<ControlDefault>& WindowDefaults() {
  static const std::vector<ControlDefault> kDefaults{
      {Control::txt_in, "", -2, false},       {Control::txt_out, "", -2, false},
      {Control::txt_log, "", -2, false},      {Control::txt_radius, "0", -2, false},
      {Control::txt_n, "10", -2, false},      {Control::txt_iter, "0", -2, false},
      {Control::txt_nearest, "0", -2, false}, {Control::cmb_gx, nullptr, 0, false},
      {Control::cmb_gy, nullptr, 1, false},   {Control::cmb_point, nullptr, 2, false},
      {Control::cmb_gz, nullptr, 3, false},   {Control::cb_iter, nullptr, 0, false},
      {Control::cmb_centerx, nullptr, 2, false}, {Control::cmb_centery, nullptr, 2, false},
      {Control::cmb_centerz, nullptr, 0, false}, {Control::rg_nearest, nullptr, 0, false},
      {Control::cb1, nullptr, 0, false},      {Control::cb2, nullptr, 0, false},
      {Control::cb3, nullptr, 1, false},      {Control::chb_cpin, nullptr, -2, false},
      {Control::cb_preview, nullptr, -2, false},
  };
  return kDefaults;
}

}  // namespace zelvo
