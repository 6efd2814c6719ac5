#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// What a long piece of work needs of whoever watches it: telling the user,
// asking Yes/No, keeping the user's window alive between steps, progress
// and the hourglass. The window provides it; so does the batch tool's
// terminal and anything else that runs the engine.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // A plain message, captioned with the application's title.
  virtual void ShowMessage(std::string_view text) = 0;
  // A file that could not be opened, read or written, and the errno of the
  // call that failed. The window tells only the message; a terminal has room
  // for the name and the system's reason.
  virtual void ShowFileFailure(std::string_view message, const std::string& /*fileName*/,
                               int /*error*/) {
    ShowMessage(message);
  }
  // Yes answers true.
  virtual bool Ask(std::string_view caption, std::string_view text) = 0;
  // Handles what is pending for the user's window; this is when a Stop can
  // arrive.
  virtual void ProcessMessages() = 0;
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void ShowHourglass() = 0;
  virtual void RestoreCursor() = 0;
  // Numbers in messages, as the user writes them.
  virtual std::string NumberToText(double value) const = 0;
};

inline constexpr const char* kCancelQuestion = "Cancel calculation?";

// The one place where a long loop honours Stop, after each unit of work:
// while Stop was pressed, ask. Yes ends the loop and leaves the request
// standing; No withdraws it and the loop goes on.
inline bool CancelConfirmed(bool& stopRequested, RunObserver& observer) {
  if (!stopRequested) return false;
  if (observer.Ask("Warning", kCancelQuestion)) return true;
  stopRequested = false;
  return false;
}

// After a unit of work: the window's pending messages, then the Stop answer.
inline bool StopAfterStep(bool& stopRequested, RunObserver& observer) {
  observer.ProcessMessages();
  return CancelConfirmed(stopRequested, observer);
}

}  // namespace zelvo
