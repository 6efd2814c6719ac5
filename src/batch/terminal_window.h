#pragma once

#include <chrono>
#include <csignal>
#include <optional>

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
  // "message: file: reason", as command-line tools tell of a file.
  void ShowFileFailure(std::string_view message, const std::string& fileName, int error) override;

  bool WasInterrupted() const { return *interrupted_ != 0; }
  int PassedOverPoints() const { return passedOver_; }
  // The bar at 100 % for a run that went to its end, then its line ended.
  void CompleteProgress();
  // Ends the bar's line, so that what follows starts on a line of its own.
  void FinishProgress();

 protected:
  void Report(const RecordedMessage& message) override;

 private:
  using Clock = std::chrono::steady_clock;

  void DrawProgress(int position, Clock::time_point now);

  bool stopOnSingular_;
  bool showProgress_;
  const volatile std::sig_atomic_t* interrupted_;
  std::optional<Clock::time_point> started_;  // the first position of the run
  Clock::time_point drawnAt_;
  std::string shownLine_;  // empty when no bar stands on the current line
  std::size_t shownWidth_ = 0;
  int passedOver_ = 0;
};

}  // namespace zelvo
