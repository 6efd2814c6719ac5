#include "batch/terminal_window.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "batch/progress_line.h"
#include "core/iteration_driver.h"

namespace zelvo {
namespace {

// Often enough for the clock to move, rarely enough not to slow the run.
constexpr std::chrono::milliseconds kRedrawInterval{250};

bool IsSingularQuestion(std::string_view text) {
  return text.rfind("Error in SLE", 0) == 0;
}

}  // namespace

TerminalWindow::TerminalWindow(char fileSeparator, bool stopOnSingular, bool showProgress,
                               const volatile std::sig_atomic_t* interrupted)
    : HeadlessWindow(fileSeparator),
      stopOnSingular_(stopOnSingular),
      showProgress_(showProgress),
      interrupted_(interrupted) {
  // An interrupt is Stop answered Yes; a singular fit is answered by the option.
  SetAnswerRule([this](std::string_view /*caption*/, std::string_view text) {
    if (!IsSingularQuestion(text)) return true;
    if (stopOnSingular_) return false;
    ++passedOver_;
    return true;
  });
}

std::string TerminalWindow::NumberToText(double value) const { return FormatGeneral(value, '.'); }

void TerminalWindow::ShowFileFailure(std::string_view message, const std::string& fileName,
                                     int error) {
  std::string text = std::string(message) + ": " + fileName;
  if (error != 0) text += std::string(": ") + std::strerror(error);
  ShowMessage(text);
}

void TerminalWindow::SetProgressPosition(int position) {
  HeadlessWindow::SetProgressPosition(position);
  if (!showProgress_) return;
  const Clock::time_point now = Clock::now();
  if (!started_) started_ = now;
  if (!shownLine_.empty() && now - drawnAt_ < kRedrawInterval) return;
  DrawProgress(position, now);
}

void TerminalWindow::DrawProgress(int position, Clock::time_point now) {
  const double elapsed = std::chrono::duration<double>(now - *started_).count();
  const std::string line = ProgressLine(position, kProgressMaximum, elapsed);
  if (line == shownLine_) return;
  // Blanks over the end of a longer line drawn before.
  const std::size_t blanks = shownWidth_ > line.size() ? shownWidth_ - line.size() : 0;
  std::fprintf(stderr, "\r%s%s", line.c_str(), std::string(blanks, ' ').c_str());
  std::fflush(stderr);
  shownLine_ = line;
  shownWidth_ = line.size();
  drawnAt_ = now;
}

void TerminalWindow::CompleteProgress() {
  if (showProgress_ && started_) DrawProgress(kProgressMaximum, Clock::now());
  FinishProgress();
}

void TerminalWindow::FinishProgress() {
  if (showProgress_ && !shownLine_.empty()) std::fputc('\n', stderr);
  shownLine_.clear();
  shownWidth_ = 0;
}

void TerminalWindow::Report(const RecordedMessage& message) {
  if (message.question && !IsSingularQuestion(message.text)) return;
  FinishProgress();
  if (message.question) {
    std::fprintf(stderr, "zelvo-batch: warning: %s %s\n", message.text.c_str(),
                 message.answer ? "Yes" : "No");
  } else {
    std::fprintf(stderr, "zelvo-batch: %s\n", message.text.c_str());
  }
}

}  // namespace zelvo
