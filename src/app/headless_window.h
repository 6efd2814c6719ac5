#pragma once

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/window_services.h"

namespace zelvo {

struct RecordedMessage {
  std::string caption;
  std::string text;
  bool question = false;
  bool answer = false;  // for questions: Yes
};

// The window operations without a window: controls are stored values set to
// the window's defaults, messages are recorded, questions are answered by a
// rule, panes are pixel buffers. Used by the batch tool and the tests.
class HeadlessWindow : public WindowServices {
 public:
  using AnswerRule = std::function<bool(std::string_view caption, std::string_view text)>;

  explicit HeadlessWindow(char decimalSeparator = '.', AnswerRule rule = nullptr);

  std::string Text(Control control) const override;
  void SetText(Control control, std::string_view text) override;
  int ItemIndex(Control control) const override;
  void SetItemIndex(Control control, int index) override;
  bool Checked(Control control) const override;
  void SetChecked(Control control, bool checked) override;
  void SetSpinnerPosition(Control spinner, int position) override;
  void SetEnabled(Control control, bool enabled) override;
  void SetVisible(Control control, bool visible) override;
  void SetFocus(Control control) override;

  void ShowMessage(std::string_view text) override;
  void ShowMessage(std::string_view caption, std::string_view text) override;
  bool Ask(std::string_view caption, std::string_view text) override;

  std::optional<FileDialogChoice> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogChoice> SaveFileDialog(const FileDialogRequest& request) override;

  void ProcessMessages() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void ShowHourglass() override { ++hourglassDepth_; }
  void RestoreCursor() override { --hourglassDepth_; }

  int PaneWidth(Control pane) const override;
  int PaneHeight(Control pane) const override;
  void ClearPane(Control pane) override;
  void SetPanePixel(Control pane, int x, int y, std::uint32_t colour) override;
  PaneBitmap CopyPane(Control pane) const override;

  char DecimalSeparator() const override { return separator_; }
  std::string LowerCase(std::string_view text) const override;
  std::string ExecutablePath() const override;

  // For tests and the batch tool.
  const std::vector<RecordedMessage>& Messages() const { return messages_; }
  void ClearMessages() { messages_.clear(); }
  bool Enabled(Control control) const { return state(control).enabled; }
  bool Visible(Control control) const { return state(control).visible; }
  Control FocusedControl() const { return focus_; }
  int ProgressPosition() const { return progressPosition_; }
  const std::vector<int>& ProgressHistory() const { return progressHistory_; }
  int HourglassDepth() const { return hourglassDepth_; }
  // Called at every ProcessMessages, as queued events would be handled.
  void SetMessageHook(std::function<void()> hook) { messageHook_ = std::move(hook); }
  void QueueDialogChoice(std::optional<FileDialogChoice> choice) { dialogChoices_.push_back(choice); }
  const std::vector<FileDialogRequest>& DialogRequests() const { return dialogRequests_; }
  void SetAnswerRule(AnswerRule rule) { answerRule_ = std::move(rule); }
  void SetExecutablePath(std::string path) { executablePath_ = std::move(path); }

 protected:
  // Where recorded messages go as well; nothing by default.
  virtual void Report(const RecordedMessage& /*message*/) {}

 private:
  struct ControlState {
    std::string text;
    int itemIndex = -1;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
  };
  ControlState& state(Control control) { return controls_[static_cast<int>(control)]; }
  const ControlState& state(Control control) const { return controls_[static_cast<int>(control)]; }
  std::vector<std::uint32_t>& pane(Control control);
  std::optional<FileDialogChoice> NextDialogChoice(const FileDialogRequest& request);

  char separator_;
  AnswerRule answerRule_;
  std::array<ControlState, kControlCount> controls_;
  std::array<std::vector<std::uint32_t>, 3> panes_;
  std::vector<RecordedMessage> messages_;
  Control focus_ = Control::txt_in;
  int progressPosition_ = 0;
  std::vector<int> progressHistory_;
  int hourglassDepth_ = 0;
  std::function<void()> messageHook_;
  std::deque<std::optional<FileDialogChoice>> dialogChoices_;
  std::vector<FileDialogRequest> dialogRequests_;
  std::string executablePath_;
};

}  // namespace zelvo
