#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/qt/main_window.h"
#include "support/temp_dir.h"

class QWidget;

namespace zelvo::testing {

// A real main window, shown offscreen, whose boxes and dialogs are answered
// by the test. Its settings file lies in a fresh folder.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();
  ~WindowTest() override;

  // Made on first use, so that a test can place a settings file first.
  TfrmMain& Window();
  void MakeWindow(char separator = '.');
  std::string SettingsPath() const { return dir.File("zelvo.cfg"); }

  template <typename T = QWidget>
  T* Find(const char* name) {
    return Window().findChild<T*>(name);
  }
  // Types the text over the field's content.
  void Type(const char* field, const std::string& text);
  // Tabs out of the field; true when the focus went on.
  bool Leave(const char* field);
  std::string Focused();
  void Click(const char* button);

  TempDir dir;
  std::vector<MessageBoxRequest> boxes;
  std::function<bool(const MessageBoxRequest&)> answer;  // default: Yes
  std::deque<std::optional<FileDialogChoice>> dialogChoices;
  std::vector<std::pair<bool, FileDialogRequest>> dialogs;
  // Unset: the folder of the settings file is asked whether it takes writes.
  std::optional<bool> programFolderWritable;

 private:
  std::unique_ptr<TfrmMain> window_;
};

// n x n points 1 m apart, numbered from 1, on a gently curved field.
std::string GridPoints(int n);

}  // namespace zelvo::testing
