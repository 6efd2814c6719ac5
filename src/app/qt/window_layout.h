#pragma once

#include <optional>
#include <span>

#include <QRect>

#include "app/control.h"

namespace zelvo {

enum class WidgetKind {
  kLabel,         // a caption sized to its text: only its rectangle's corner counts
  kEdit,
  kList,          // a drop-down list of the control's items
  kButton,
  kCheckBox,
  kLeftCheckBox,  // a check box with its caption left of the box
  kFrame,         // a captioned box that other widgets lie in
  kPicture,       // the decorative picture
  kSpinner,       // the up-down arrows that step the iteration count
  kRadioGroup,    // a captioned box with a radio button per item of the control
  kProgressBar,
  kPane,          // a preview pane
};

// One widget of the main window.
struct LayoutEntry {
  const char* name;               // its object name; nullptr: a caption, unnamed
  std::optional<Control> control; // none: a widget the logic never touches
  WidgetKind kind;
  QRect rect;                     // within its parent
  const char* caption = nullptr;
  const char* hint = nullptr;
  const char* parent = nullptr;   // the name of the frame it lies in; nullptr: the window
};

// The widgets in the order they are made: where two overlap, the later one
// covers the earlier (Exit covers Stop).
std::span<const LayoutEntry> WindowLayout();

}  // namespace zelvo
