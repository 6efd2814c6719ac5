#include "app/headless_window.h"

#include <unistd.h>

#include "app/window_items.h"

namespace zelvo {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

int PaneSlot(Control pane) {
  switch (pane) {
    case Control::img_uba: return 0;
    case Control::img_regta: return 1;
    case Control::img_delta: return 2;
    default: return -1;
  }
}

}  // namespace

HeadlessWindow::HeadlessWindow(char decimalSeparator, AnswerRule rule)
    : separator_(decimalSeparator), answerRule_(std::move(rule)) {
  for (const ControlDefault& value : WindowDefaults()) {
    if (value.text != nullptr) state(value.control).text = value.text;
    if (value.itemIndex != -2) SetItemIndex(value.control, value.itemIndex);
    state(value.control).checked = value.checked;
  }
  state(Control::cb_iter).enabled = false;
  state(Control::cb1).enabled = false;
  state(Control::btn_stop).visible = false;
  for (auto& pixels : panes_) pixels.assign(static_cast<std::size_t>(kPaneWidth) * kPaneHeight, kWhite);
}

std::string HeadlessWindow::Text(Control control) const { return state(control).text; }

void HeadlessWindow::SetText(Control control, std::string_view text) {
  ControlState& s = state(control);
  s.text = std::string(text);
  const std::vector<std::string>& items = ListItems(control);
  if (items.empty()) return;
  s.itemIndex = -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) s.itemIndex = static_cast<int>(i);
  }
}

int HeadlessWindow::ItemIndex(Control control) const { return state(control).itemIndex; }

void HeadlessWindow::SetItemIndex(Control control, int index) {
  ControlState& s = state(control);
  const std::vector<std::string>& items = ListItems(control);
  const bool valid = index >= 0 && index < static_cast<int>(items.size());
  s.itemIndex = valid ? index : -1;
  s.text = valid ? items[index] : std::string();
}

bool HeadlessWindow::Checked(Control control) const { return state(control).checked; }
void HeadlessWindow::SetChecked(Control control, bool checked) { state(control).checked = checked; }

void HeadlessWindow::SetSpinnerPosition(Control /*spinner*/, int position) {
  state(Control::txt_iter).text = std::to_string(position);
}

void HeadlessWindow::SetEnabled(Control control, bool enabled) { state(control).enabled = enabled; }
void HeadlessWindow::SetVisible(Control control, bool visible) { state(control).visible = visible; }
void HeadlessWindow::SetFocus(Control control) { focus_ = control; }

void HeadlessWindow::ShowMessage(std::string_view text) { ShowMessage(kApplicationTitle, text); }

void HeadlessWindow::ShowMessage(std::string_view caption, std::string_view text) {
  messages_.push_back({std::string(caption), std::string(text), false, false});
  Report(messages_.back());
}

bool HeadlessWindow::Ask(std::string_view caption, std::string_view text) {
  const bool answer = answerRule_ ? answerRule_(caption, text) : true;
  messages_.push_back({std::string(caption), std::string(text), true, answer});
  Report(messages_.back());
  return answer;
}

std::optional<FileDialogChoice> HeadlessWindow::NextDialogChoice(const FileDialogRequest& request) {
  dialogRequests_.push_back(request);
  if (dialogChoices_.empty()) return std::nullopt;
  std::optional<FileDialogChoice> choice = dialogChoices_.front();
  dialogChoices_.pop_front();
  return choice;
}

std::optional<FileDialogChoice> HeadlessWindow::OpenFileDialog(const FileDialogRequest& request) {
  return NextDialogChoice(request);
}

std::optional<FileDialogChoice> HeadlessWindow::SaveFileDialog(const FileDialogRequest& request) {
  return NextDialogChoice(request);
}

void HeadlessWindow::ProcessMessages() {
  if (messageHook_) messageHook_();
}

void HeadlessWindow::SetProgressRange(int /*minimum*/, int /*maximum*/) {}

void HeadlessWindow::SetProgressPosition(int position) {
  progressPosition_ = position;
  progressHistory_.push_back(position);
}

int HeadlessWindow::PaneWidth(Control /*pane*/) const { return kPaneWidth; }
int HeadlessWindow::PaneHeight(Control /*pane*/) const { return kPaneHeight; }

std::vector<std::uint32_t>& HeadlessWindow::pane(Control control) {
  const int slot = PaneSlot(control);
  return panes_[slot < 0 ? 0 : slot];
}

void HeadlessWindow::ClearPane(Control control) {
  std::vector<std::uint32_t>& pixels = pane(control);
  for (int y = 0; y < kPaneHeight; ++y) {
    for (int x = 0; x < kPaneWidth; ++x) {
      const bool ring = x == 0 || y == 0 || x == kPaneWidth - 1 || y == kPaneHeight - 1;
      pixels[static_cast<std::size_t>(y) * kPaneWidth + x] = ring ? kBlack : kWhite;
    }
  }
}

void HeadlessWindow::SetPanePixel(Control control, int x, int y, std::uint32_t colour) {
  if (x < 0 || y < 0 || x >= kPaneWidth || y >= kPaneHeight) return;
  pane(control)[static_cast<std::size_t>(y) * kPaneWidth + x] = colour;
}

PaneBitmap HeadlessWindow::CopyPane(Control control) const {
  const int slot = PaneSlot(control);
  return PaneBitmap{kPaneWidth, kPaneHeight, panes_[slot < 0 ? 0 : slot]};
}

std::string HeadlessWindow::LowerCase(std::string_view text) const {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string HeadlessWindow::ExecutablePath() const {
  if (!executablePath_.empty()) return executablePath_;
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0) return {};
  path.resize(static_cast<std::size_t>(length));
  return path;
}

}  // namespace zelvo
