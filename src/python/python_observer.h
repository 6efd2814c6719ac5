#pragma once

#include <pybind11/pybind11.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "base/run_observer.h"

namespace zelvo {

// Watches a run started from Python with the GIL released: progress goes to
// the caller's callback, Ctrl-C and a failing callback become a Stop answered
// Yes, a singular fit is answered as the caller chose, and messages are kept
// to be raised once the run has returned. Every call into Python takes the
// GIL first.
class PythonObserver : public RunObserver {
 public:
  // progress: None or a callable taking the fraction done.
  PythonObserver(pybind11::object progress, bool stopOnSingular, bool& stopRequested);

  void ShowMessage(std::string_view text) override;
  void ShowFileFailure(std::string_view message, const std::string& fileName,
                       int error) override;
  bool Ask(std::string_view caption, std::string_view text) override;
  void ProcessMessages() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void ShowHourglass() override {}
  void RestoreCursor() override {}
  std::string NumberToText(double value) const override;

  // With the GIL held, after a run that ended early: raises what ended it,
  // the pending Python exception (KeyboardInterrupt) first.
  [[noreturn]] void RaiseFailure();
  // With the GIL held, after a run that completed: the callback sees 1.
  void ReportCompletion();
  // Whether Ctrl-C or the callback's exception asked the run to stop.
  bool Interrupted() const;

 private:
  // With the GIL held: keeps the exception being raised and asks the run to
  // stop.
  void StopWithPendingError();

  pybind11::object progress_;
  const bool stopOnSingular_;
  bool& stopRequested_;
  mutable std::mutex mutex_;
  std::optional<pybind11::error_already_set> pending_;
  std::string message_;
  bool fileFailure_ = false;
  int progressMaximum_ = 1;
  int lastPosition_ = -1;
  std::chrono::steady_clock::time_point signalsCheckedAt_;
};

}  // namespace zelvo
