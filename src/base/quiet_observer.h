#pragma once

#include <string>
#include <string_view>

#include "base/number_text.h"
#include "base/run_observer.h"

namespace zelvo {

// Watches work that nobody sees: messages go nowhere, and every question is
// answered No, so that nothing can stop the work; numbers are written with a
// decimal point.
class QuietObserver : public RunObserver {
 public:
  void ShowMessage(std::string_view) override {}
  bool Ask(std::string_view, std::string_view) override { return false; }
  void ProcessMessages() override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void ShowHourglass() override {}
  void RestoreCursor() override {}
  std::string NumberToText(double value) const override { return FormatGeneral(value, '.'); }
};

}  // namespace zelvo
