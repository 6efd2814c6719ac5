#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/control.h"
#include "base/number_text.h"
#include "base/run_observer.h"
#include "preview/pane_bitmap.h"

namespace zelvo {

struct FileDialogRequest {
  std::string filter;            // "description|pattern|description|pattern"
  std::string defaultExtension;  // without the dot
  std::string fileName;          // initial name
  int filterIndex = 1;           // 1-based
};

struct FileDialogChoice {
  std::string fileName;
  int filterIndex = 1;
};

// Every window operation the logic uses, the observer's among them. The Qt
// window provides it for users; the headless window provides it for the
// batch tool and the tests.
class WindowServices : public RunObserver {
 public:
  virtual std::string Text(Control control) const = 0;
  virtual void SetText(Control control, std::string_view text) = 0;
  virtual int ItemIndex(Control control) const = 0;  // -1: none selected
  virtual void SetItemIndex(Control control, int index) = 0;
  virtual bool Checked(Control control) const = 0;
  virtual void SetChecked(Control control, bool checked) = 0;
  virtual void SetSpinnerPosition(Control spinner, int position) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  virtual void SetVisible(Control control, bool visible) = 0;
  virtual void SetFocus(Control control) = 0;

  using RunObserver::ShowMessage;
  virtual void ShowMessage(std::string_view caption, std::string_view text) = 0;

  virtual std::optional<FileDialogChoice> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogChoice> SaveFileDialog(const FileDialogRequest& request) = 0;

  virtual int PaneWidth(Control pane) const = 0;
  virtual int PaneHeight(Control pane) const = 0;
  // Rectangle (0, 0)-(W, H), end exclusive: black one-pixel outline, white fill.
  virtual void ClearPane(Control pane) = 0;
  // Column x from the left, row y from the top; colour 0x00BBGGRR.
  virtual void SetPanePixel(Control pane, int x, int y, std::uint32_t colour) = 0;
  virtual PaneBitmap CopyPane(Control pane) const = 0;

  // The user's regional decimal separator.
  virtual char DecimalSeparator() const = 0;
  // Numbers in messages: the general format with the regional separator.
  std::string NumberToText(double value) const override {
    return FormatGeneral(value, DecimalSeparator());
  }
  virtual std::string LowerCase(std::string_view text) const = 0;
  virtual std::string ExecutablePath() const = 0;
};

}  // namespace zelvo
