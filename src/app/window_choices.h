#pragma once

#include "app/window_services.h"
#include "core/live_choices.h"

namespace zelvo {

// The live choices as the window's controls hold them at the moment asked:
// the centring lists, "Point of calculation IN", the search mode and N.
class WindowChoices : public LiveChoices {
 public:
  explicit WindowChoices(const WindowServices& window) : window_(window) {}
  FitChoices Fit() const override;
  bool NearestSearch() const override;
  NearestCount Nearest() const override;

 private:
  const WindowServices& window_;
};

}  // namespace zelvo
