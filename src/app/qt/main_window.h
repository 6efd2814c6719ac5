#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QElapsedTimer>
#include <QWidget>

#include "app/run_state.h"
#include "app/settings_file.h"
#include "app/settings_location.h"
#include "app/window_services.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace zelvo {

class GridViews;
class PaneWidget;
class UpDownWidget;
struct LayoutEntry;

// What a modal box would show; for questions the answer is Yes or No.
struct MessageBoxRequest {
  std::string caption;
  std::string text;
  bool question = false;
};

struct WindowOptions {
  // Empty: the running executable. The settings file lies beside it when
  // its folder takes writes.
  std::string executablePath;
  // Unset: the system locale's.
  std::optional<char> decimalSeparator;
  // Unset: asked of the file system. Set: whether the executable's folder
  // takes the settings file (settings_location.h), for tests that cannot
  // make a folder its user may not write (root may write anywhere).
  std::optional<bool> programFolderWritable;
  // Set: answers every message box and question instead of showing it
  // (true = Yes), so that tests never block.
  std::function<bool(const MessageBoxRequest&)> messageHook;
  // Set: answers every file dialog instead of showing it (save: the save
  // dialog).
  std::function<std::optional<FileDialogChoice>(bool save, const FileDialogRequest&)> dialogHook;
};

// The main window. It owns the run state and the settings block and is the
// window the logic talks to.
class TfrmMain : public QWidget, public WindowServices {
 public:
  explicit TfrmMain(WindowOptions options = {});
  ~TfrmMain() override;

  // WindowServices (window_services_qt.cpp)
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
  void ShowHourglass() override;
  void RestoreCursor() override;
  int PaneWidth(Control pane) const override;
  int PaneHeight(Control pane) const override;
  void ClearPane(Control pane) override;
  void SetPanePixel(Control pane, int x, int y, std::uint32_t colour) override;
  PaneBitmap CopyPane(Control pane) const override;
  char DecimalSeparator() const override { return separator_; }
  std::string LowerCase(std::string_view text) const override;
  std::string ExecutablePath() const override;

  // The widget of a control (a label has none).
  QWidget* Widget(Control control) const;
  RunState& State() { return state_; }
  bool Running() const { return state_.busy; }

  // Handlers, named after control and event (main_window.cpp).
  void btn_inClick();
  // What btn_in does with the file chosen; also for the file named at start
  // and a file dropped on the window.
  void InputFileChosen(const std::string& fileName);
  void btn_logClick();
  void btn_outClick();
  void btn_calcClick();
  void btn_stopClick();
  void btn_exitClick();
  void btn_loadClick();
  void btn_save1Click();
  void btn_save2Click();
  void btn_save3Click();
  void cb1Change();
  void cb2Change();
  void cb3Change();
  // Opens the pane's grid view, or brings it to the front.
  void PaneDblClick(Control pane);
  // The check of a parameter's field on leaving it; false when the focus was
  // put back.
  bool FieldExit(Control field);
  void FormClose();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Made from the window's layout (window_controls.cpp).
  void BuildControls();
  QWidget* MakeWidget(const LayoutEntry& entry);
  QWidget* MakeSpinner(const LayoutEntry& entry, QWidget* parent);
  QWidget* MakeRadioGroup(const LayoutEntry& entry, QWidget* parent);
  void SetTabOrder();
  PaneWidget* Pane(Control pane) const;
  // Wires the handlers to their controls (main_window.cpp).
  void ConnectHandlers();
  // Runs a command that previews, closing afterwards when a close came in.
  void RunPreviewCommand(const std::function<void()>& command);
  bool ShowBox(const MessageBoxRequest& request);
  std::optional<FileDialogChoice> RunFileDialog(bool save, const FileDialogRequest& request);
  void FlushPendingMessages();
  void ShowProgress();
  // Runs a handler so that an error escaping it is shown and the window goes on.
  template <typename Handler>
  void Guarded(Handler handler);

  WindowOptions options_;
  char separator_;
  RunState state_;
  SettingsBlock settings_;
  SettingsLocation settingsLocation_;
  std::unique_ptr<GridViews> gridViews_;
  std::array<QWidget*, kControlCount> widgets_{};
  // The same widgets by kind (null where the control is of another kind): a
  // run reads the live controls at every point, and a cast each time costs.
  std::array<QLineEdit*, kControlCount> edits_{};
  std::array<QComboBox*, kControlCount> lists_{};
  std::array<QCheckBox*, kControlCount> checkBoxes_{};
  QButtonGroup* searchGroup_ = nullptr;
  UpDownWidget* upDown_ = nullptr;
  QElapsedTimer sinceMessages_;
  bool messagesPending_ = false;
  std::optional<int> progressPosition_;  // not yet shown
  // The open dialog keeps the file type last chosen in it.
  int openFilterIndex_ = 1;
  bool checkingField_ = false;
  // The window was asked to close during a run: the run is being cancelled
  // and the window closes once it has unwound.
  bool closing_ = false;
  bool closed_ = false;
};

}  // namespace zelvo
