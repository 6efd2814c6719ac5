#pragma once

#include <csignal>

#include "app/headless_window.h"

namespace zelvo {

// The headless window of the batch tool: messages go to stderr prefixed
// "zelvo-batch: ", the progress bar is drawn on stderr when it is a terminal,
// and an interrupt arrives as the Stop button.
class TerminalWindow : public HeadlessWindow {
 public:
  TerminalWindow(char fileSeparator, bool stopOnSingular, bool showProgress,
                 const volatile std::sig_atomic_t* interrupted);

  // Numbers in the batch tool's messages always carry ".".
  std::string NumberToText(double value) const override;
  void SetProgressPosition(int position) override;

  bool WasInterrupted() const { return *interrupted_ != 0; }
  int PassedOverPoints() const { return passedOver_; }
  void FinishProgress();

 protected:
  void Report(const RecordedMessage& message) override;

 private:
  bool stopOnSingular_;
  bool showProgress_;
  const volatile std::sig_atomic_t* interrupted_;
  int shownPercent_ = -1;
  int passedOver_ = 0;
};

}  // namespace zelvo
