#include "batch/terminal_window.h"

#include <cstdio>
#include <string>

namespace zelvo {
namespace {

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

void TerminalWindow::SetProgressPosition(int position) {
  HeadlessWindow::SetProgressPosition(position);
  if (!showProgress_) return;
  const int percent = position / 100;
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  constexpr int kBarWidth = 40;
  const int filled = percent * kBarWidth / 100;
  std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
               std::string(kBarWidth - filled, ' ').c_str(), percent);
  std::fflush(stderr);
}

void TerminalWindow::FinishProgress() {
  if (showProgress_ && shownPercent_ >= 0) std::fputc('\n', stderr);
  shownPercent_ = -1;
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
