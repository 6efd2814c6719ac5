#pragma once

#include <string>
#include <vector>

#include "app/control.h"

namespace zelvo {

// The items of a list of the main window (empty for controls that are not
// lists), and the window's own default of every control.
const std::vector<std::string>& ListItems(Control control);

struct ControlDefault {
  Control control;
  const char* text;  // nullptr: not a text field
  int itemIndex;     // -2: not a list or radio group
  bool checked;
};
const std::vector<ControlDefault>& WindowDefaults();

inline constexpr const char* kApplicationTitle = "Zelvo";
inline constexpr Control kPreviewPanes[] = {Control::img_uba, Control::img_regta, Control::img_delta};

// The filters of the file dialogs: opening input and result files, saving a
// result file, saving a pane.
inline constexpr const char* kOpenDataFilter =
    "Surfer DAT files (*.dat)|*.dat|Geosoft XYZ files(*.xyz)|*.xyz|All files (*.*)|*.*";
inline constexpr const char* kSaveDataFilter =
    "Surfer DAT files (*.dat)|*.dat|Geosoft XYZ files (*.xyz)|*.xyz|All files (*.*)|*.*";
inline constexpr const char* kSavePaneFilter =
    "Windows bitmap (*.bmp)|*.bmp|Jpeg files (*.jpg)|*.jpg|PNG files (*.png)|*.png";
inline constexpr int kPaneWidth = 177;
inline constexpr int kPaneHeight = 145;

}  // namespace zelvo
